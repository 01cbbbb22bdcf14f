#pragma once
// The parent application's end of the link to the browser host (Corvane.exe), for C++.
// Self-contained: besides this folder's host_settings.h it includes only the platform's and
// the standard library's headers. Programs in C, or built with another compiler, use the same
// link through corvane_parent.dll and corvane_parent_c.h.
//
// A parent opens its end of a named channel, starts the host with the main window's settings,
// then sends commands and receives events:
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
//   ... after OnWindowReady(256, ...):
//   link.Navigate(256, u"https://example.com/other");
//
// Threads. A link belongs to the thread that constructed it: every call is made there (a call
// from another thread does nothing and returns false), and every event arrives there, from
// that thread's message loop (PumpUntil runs one for programs without their own).
//
// States. Open, then StartHost. Commands leave once the host's channel window exists, which
// the main window's OnWindowReady shows; sent before, they fail unless the delivery is
// kQueued. The host drops a command for a window id it does not have. Once OnHostExited
// arrived, every command returns false.
//
// Blocking. A command returns once the host received it (kDeferred), once the host carried it
// out (kImmediate), or at once (kQueued); none waits for an answer: answers come as events.
//
// Window ids are multiples of 256 from 256 to 65280. Events of a window carry its id.

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host_settings.h"

namespace corvane {

// A page's call of a parent function (event 10). When key is not empty the page awaits an
// answer: reply with ParentLink::AnswerPageCall.
struct PageCall {
  int64_t call_id = 0;  // 0 when no answer is awaited
  std::u16string function;
  std::u16string key;   // the page callback's key, empty when none
  std::vector<std::u16string> arguments;
};

// Event callbacks, all on the link's thread. Each does nothing by default. A callback may send
// commands; it must not destroy the link.
class HostEvents {
 public:
  virtual ~HostEvents() = default;
  // The window exists; window_handle is its HWND in 32 bits.
  virtual void OnWindowReady(int32_t /*window_id*/, uint32_t /*window_handle*/) {}          // 1
  virtual void OnWindowClosed(int32_t /*window_id*/) {}                                     // 2
  virtual void OnLoadFailed(int32_t /*window_id*/, const std::u16string& /*url*/,
                            const std::u16string& /*reason*/) {}                            // 4
  virtual void OnPageLoaded(int32_t /*window_id*/, const std::u16string& /*url*/) {}        // 5
  virtual void OnSourceChanged(int32_t /*window_id*/, const std::u16string& /*uri*/) {}     // 6
  virtual void OnTitleChanged(int32_t /*window_id*/, const std::u16string& /*title*/) {}    // 7
  virtual void OnNewWindowRequested(int32_t /*window_id*/, const std::u16string& /*uri*/) {}  // 8
  virtual void OnPageCall(int32_t /*window_id*/, const PageCall& /*call*/) {}               // 10
  // The answer to CallPageFunction's call_id: status 0 with the function's result, or not 0.
  virtual void OnPageCallResult(int32_t /*window_id*/, int64_t /*call_id*/, int32_t /*status*/,
                                const std::u16string& /*result*/) {}                        // 11
  virtual void OnCookies(int32_t /*window_id*/, const std::u16string& /*url*/,
                         const std::u16string& /*listing*/) {}                              // 13
  virtual void OnFrameLoaded(int32_t /*window_id*/, const std::u16string& /*url*/) {}       // 18
  // Event 3 and codes this library does not know: the code and the whole message as it
  // arrived (16-byte header, then the body).
  virtual void OnOtherEvent(int32_t /*window_id*/, uint32_t /*code*/,
                            const std::vector<uint8_t>& /*message*/) {}
  // The host process ended: its exit code (0xFFFFFFFF for a normal end), or STILL_ACTIVE
  // when it could not be read.
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
    kWrongState,        // a host is started already, or the call came from another thread
  };
  Kind kind = Kind::kNone;
  DWORD system_error = 0;  // GetLastError() of the failed start, else 0
};

class ParentLink {
 public:
  // How commands leave. kDeferred (the default) sends at once; the host copies the command
  // and carries it out after the send returned. kImmediate sends at once and returns once the
  // host carried it out. kQueued hands it to the link's sender thread: sent in order, later,
  // and kept and retried while the host's channel window is not there yet.
  enum class Delivery { kDeferred, kImmediate, kQueued };

  // events may be null (nothing is reported); it must outlive the link. Never blocks.
  explicit ParentLink(HostEvents* events);
  // Closes this side's channel window; the host, when running, sees the parent gone and ends.
  ~ParentLink();
  ParentLink(const ParentLink&) = delete;
  ParentLink& operator=(const ParentLink&) = delete;

  // Creates this side's window for channel_name. False for an empty name, on a second Open,
  // or when a window of that channel name exists already (another parent's, or a squatter's).
  // Once a host is started, only that host's process is heard and sent to.
  bool Open(const std::u16string& channel_name);
  // This side's channel window (the sending window of every command), or null before Open.
  HWND channel_window() const;
  // Starts the host with the main window's settings, once per link; the channel name is
  // filled in when the settings name none. Usually after Open; a host started first hears
  // nothing from this side until Open. extra_switches are added as they are (for example
  // "--enable_high_dpi"). Returns once the process exists, without waiting for event 1.
  // why, when given, says what went wrong.
  bool StartHost(const std::wstring& host_path, HostWindowSettings main,
                 const std::u16string& extra_switches = u"", StartFailure* why = nullptr);
  // The started host's process (owned by the link) and id; null and 0 before StartHost.
  HANDLE host_process() const;
  DWORD host_process_id() const;
  const std::u16string& channel_name() const;

  void set_delivery(Delivery delivery);

  // Commands, after StartHost. Each returns whether the command was delivered (kQueued:
  // taken into the queue); the host's answer, where there is one, comes as an event.
  bool Navigate(int32_t window_id, const std::u16string& url, const std::u16string& cookie = u"");
  bool SetCookie(int32_t window_id, const std::u16string& url, const std::u16string& cookie);
  bool SetBounds(int32_t window_id, int32_t x, int32_t y, int32_t width, int32_t height);
  bool Show(int32_t window_id, bool visible);
  // The window closes; OnWindowClosed follows. Closing the main window ends the host.
  bool Close(int32_t window_id);
  bool Mute(int32_t window_id, bool muted);
  // Calls a function the page registered; OnPageCallResult answers call_id.
  bool CallPageFunction(int32_t window_id, int64_t call_id, const std::u16string& function,
                        const std::vector<std::u16string>& arguments);
  // Answers a page's call of a parent function: its callback receives the arguments.
  bool AnswerPageCall(int32_t window_id, const PageCall& call,
                      const std::vector<std::u16string>& arguments);
  // OnCookies answers with the cookies of url (only the HttpOnly ones when http_only_only).
  bool GetCookies(int32_t window_id, const std::u16string& url, bool http_only_only);
  bool RegisterParentFunction(int32_t window_id, const std::u16string& function);
  // Creates a further window; its id is settings.window_id. False, and nothing sent, for
  // settings the host would not read as written.
  bool CreateBrowser(const HostWindowSettings& settings);
  bool DeleteCookie(int32_t window_id, const std::u16string& url, const std::u16string& name);
  bool GoBack(int32_t window_id);
  bool GoForward(int32_t window_id);
  bool Reload(int32_t window_id);
  bool Stop(int32_t window_id);
  bool SetReferrer(int32_t window_id, const std::u16string& referrer);

  // Any command, for codes this library has no function for: one whole message (16-byte
  // header, then the body). False for bytes that are not one well-formed message.
  bool SendMessageBytes(const void* message, size_t size);

  // Runs the calling thread's messages until done() is true or timeout_ms passed; returns
  // done(). Blocks for at most timeout_ms (plus what the callbacks it runs take).
  static bool PumpUntil(const std::function<bool()>& done, DWORD timeout_ms);

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace corvane
