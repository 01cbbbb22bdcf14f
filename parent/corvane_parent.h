#pragma once
// The parent application's end of the link to the browser host (Corvane.exe).
//
// A parent opens its end of a named channel, starts the host with the main window's settings,
// then sends commands and receives events on the thread that opened the channel, which must
// run a message loop (PumpUntil does so for programs without one of their own):
//
//   class Events : public corvane::HostEvents {
//     void OnWindowReady(int32_t id, uint32_t hwnd) override { ... }
//   } events;
//   corvane::ParentLink link(&events);
//   link.Open(u"7");
//   corvane::HostWindowSettings main;
//   main.window_id = 256;
//   main.parent_window = (uint32_t)(uintptr_t)my_window;  // 32 bits in either bitness
//   main.rect = corvane::HostRect{0, 0, 800, 600};
//   main.url = u"https://example.com/";
//   link.StartHost(L"C:\\app\\Corvane.exe", main);
//   link.Navigate(256, u"https://example.com/other");
//
// Window ids are multiples of 256 below 65536. Events of a window carry its id. When the host
// process ends, OnHostExited tells its exit code (-1 for a normal end).

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/scoped_handle_win.h"
#include "host_settings.h"
#include "webview2common/message/channel_win.h"
#include "webview2common/message/ipc_protocol.h"

namespace corvane {

// A page's call of a parent function (event 10). When key is not empty the page awaits an
// answer: reply with ParentLink::AnswerPageCall.
// A page's call of a parent function (event 10): call id (0 when no answer is awaited),
// function name, the page callback's key and the argument texts.
using PageCall = IPC::PageCallEvent;

// Event callbacks, all on the thread that opened the link. Each does nothing by default.
class HostEvents {
 public:
  virtual ~HostEvents() = default;
  virtual void OnWindowReady(int32_t /*window_id*/, uint32_t /*window_handle*/) {}          // 1
  virtual void OnWindowClosed(int32_t /*window_id*/) {}                                     // 2
  virtual void OnLoadFailed(int32_t /*window_id*/, const std::u16string& /*url*/,
                            const std::u16string& /*reason*/) {}                            // 4
  virtual void OnPageLoaded(int32_t /*window_id*/, const std::u16string& /*url*/) {}        // 5
  virtual void OnSourceChanged(int32_t /*window_id*/, const std::u16string& /*uri*/) {}     // 6
  virtual void OnTitleChanged(int32_t /*window_id*/, const std::u16string& /*title*/) {}    // 7
  virtual void OnNewWindowRequested(int32_t /*window_id*/, const std::u16string& /*uri*/) {}  // 8
  virtual void OnPageCall(int32_t /*window_id*/, const PageCall& /*call*/) {}               // 10
  virtual void OnPageCallResult(int32_t /*window_id*/, int64_t /*call_id*/, int32_t /*status*/,
                                const std::u16string& /*result*/) {}                        // 11
  virtual void OnCookies(int32_t /*window_id*/, const std::u16string& /*url*/,
                         const std::u16string& /*listing*/) {}                              // 13
  virtual void OnFrameLoaded(int32_t /*window_id*/, const std::u16string& /*url*/) {}       // 18
  // Event 3 and codes this library does not know, with the raw message.
  virtual void OnOtherEvent(int32_t /*window_id*/, const IPC::Message& /*message*/) {}
  virtual void OnHostExited(uint32_t /*exit_code*/) {}
};

// Why StartHost failed.
struct StartFailure {
  enum class Kind {
    kNone,
    kInvalidSettings,   // a setting the host would not read back as written
    kNotFound,          // no program at the path
    kWrongArchitecture, // a file this system cannot start as a program
    kSystem,            // the system refused for another reason: system_error says which
  };
  Kind kind = Kind::kNone;
  DWORD system_error = 0;  // GetLastError() of the failed start, 0 for kInvalidSettings
};

class ParentLink : private IChannelListener2 {
 public:
  // How commands leave: kDeferred (the default), kImmediate or kQueued.
  using Delivery = IPC::Delivery;

  explicit ParentLink(HostEvents* events);
  ~ParentLink() override;
  ParentLink(const ParentLink&) = delete;
  ParentLink& operator=(const ParentLink&) = delete;

  // Creates this side's window for channel_name. False for an empty name, when it exists, or
  // when a window of that channel name exists already (another parent's, or a squatter's).
  // Once a host is started, only that host's process is heard and sent to.
  bool Open(const std::u16string& channel_name);
  // This side's channel window (the sending window of every command), or null.
  HWND channel_window() const { return channel_.window(); }
  // Starts the host with the main window's settings; the channel name is filled in when the
  // settings name none. extra_switches are added as they are (for example "--enable_high_dpi").
  // why, when given, says what went wrong.
  bool StartHost(const std::wstring& host_path, HostWindowSettings main,
                 const std::u16string& extra_switches = u"", StartFailure* why = nullptr);
  HANDLE host_process() const { return host_process_.Get(); }
  DWORD host_process_id() const { return host_process_id_; }
  const std::u16string& channel_name() const { return channel_name_; }

  void set_delivery(Delivery delivery) { delivery_ = delivery; }

  bool Navigate(int32_t window_id, const std::u16string& url, const std::u16string& cookie = u"");
  bool SetCookie(int32_t window_id, const std::u16string& url, const std::u16string& cookie);
  bool SetBounds(int32_t window_id, int32_t x, int32_t y, int32_t width, int32_t height);
  bool Show(int32_t window_id, bool visible);
  bool Close(int32_t window_id);
  bool Mute(int32_t window_id, bool muted);
  bool CallPageFunction(int32_t window_id, int64_t call_id, const std::u16string& function,
                        const std::vector<std::u16string>& arguments);
  // Answers a page's call of a parent function: its callback receives the arguments.
  bool AnswerPageCall(int32_t window_id, const PageCall& call,
                      const std::vector<std::u16string>& arguments);
  bool GetCookies(int32_t window_id, const std::u16string& url, bool http_only_only);
  bool RegisterParentFunction(int32_t window_id, const std::u16string& function);
  // Creates a further window; its id is settings.window_id.
  bool CreateBrowser(const HostWindowSettings& settings);
  bool DeleteCookie(int32_t window_id, const std::u16string& url, const std::u16string& name);
  bool GoBack(int32_t window_id);
  bool GoForward(int32_t window_id);
  bool Reload(int32_t window_id);
  bool Stop(int32_t window_id);
  bool SetReferrer(int32_t window_id, const std::u16string& referrer);

  // Any message, for codes this library has no function for.
  bool Send(const IPC::Message& message);
  static IPC::Message MakeCommand(int32_t window_id, uint32_t code);

  // Runs the calling thread's messages until done() is true or timeout_ms passed; returns done().
  static bool PumpUntil(const std::function<bool()>& done, DWORD timeout_ms);

 private:
  template <typename Body>
  bool SendCommand(int32_t window_id, const Body& body);
  void OnReceiveMessage(const IPC::Message& message) override;
  int32_t ListenerRoute() override { return IPC::kHostRouting; }
  void OnPeerProcessExit(bool session_ending) override;

  HostEvents* events_;
  CChannel channel_;
  std::u16string channel_name_;
  Delivery delivery_ = Delivery::kDeferred;
  ScopedHandle host_process_;
  DWORD host_process_id_ = 0;
};

}  // namespace corvane
