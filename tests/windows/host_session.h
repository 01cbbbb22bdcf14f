#pragma once
// A test parent built on the parent library: its own top-level window, its end of a uniquely
// named channel, the real Corvane.exe started beside the tests, and every event recorded.

#include <windows.h>
#include <psapi.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "child_process.h"
#include "corvane_parent_messages.h"
#include "host_program.h"

namespace testwin {

// A process's memory counters (all zero when they cannot be read).
PROCESS_MEMORY_COUNTERS ProcessMemory(HANDLE process);

// The first top-level window of the process that match accepts, or null.
HWND FindWindowOfProcess(DWORD pid, const std::function<bool(HWND)>& match);

struct RecordedEvent {
  int32_t window_id = 0;
  uint32_t code = 0;
  std::vector<std::u16string> texts;
  int64_t number = 0;  // call id, window handle
  int32_t status = 0;
};

class EventRecorder : public corvane::HostEvents {
 public:
  void OnWindowReady(int32_t id, uint32_t handle) override {
    Add(id, 1, {}, handle);
    if (on_ready) on_ready(id, handle);
  }
  void OnWindowClosed(int32_t id) override { Add(id, 2, {}); }
  void OnLoadFailed(int32_t id, const std::u16string& url, const std::u16string& reason) override {
    Add(id, 4, {url, reason});
  }
  void OnPageLoaded(int32_t id, const std::u16string& url) override { Add(id, 5, {url}); }
  void OnSourceChanged(int32_t id, const std::u16string& uri) override { Add(id, 6, {uri}); }
  void OnTitleChanged(int32_t id, const std::u16string& title) override { Add(id, 7, {title}); }
  void OnNewWindowRequested(int32_t id, const std::u16string& uri) override { Add(id, 8, {uri}); }
  void OnPageCall(int32_t id, const corvane::PageCall& call) override {
    std::vector<std::u16string> texts{call.function, call.key};
    texts.insert(texts.end(), call.arguments.begin(), call.arguments.end());
    Add(id, 10, texts, call.call_id);
  }
  void OnPageCallResult(int32_t id, int64_t call_id, int32_t status,
                        const std::u16string& result) override {
    Add(id, 11, {result}, call_id, status);
  }
  void OnCookies(int32_t id, const std::u16string& url, const std::u16string& listing) override {
    Add(id, 13, {url, listing});
  }
  void OnFrameLoaded(int32_t id, const std::u16string& url) override { Add(id, 18, {url}); }
  void OnOtherEvent(int32_t id, uint32_t code, const std::vector<uint8_t>& message) override {
    Add(id, code, {}, corvane::MessageOf(message).routing_id());
  }
  void OnHostExited(uint32_t exit_code) override {
    ++host_exits;
    exit_code_ = exit_code;
  }

  size_t Count(uint32_t code) const;
  // The events of one code, in order.
  std::vector<RecordedEvent> Of(uint32_t code) const;
  std::function<void(int32_t, uint32_t)> on_ready;  // runs inside event 1, while the host waits
  std::vector<RecordedEvent> events;
  int host_exits = 0;
  uint32_t exit_code_ = 0;

 private:
  void Add(int32_t id, uint32_t code, std::vector<std::u16string> texts, int64_t number = 0,
           int32_t status = 0) {
    events.push_back(RecordedEvent{id, code, std::move(texts), number, status});
  }
};

// Index of the first line containing text at or after from, or -1.
int FindLine(const std::vector<std::string>& lines, const std::string& text, int from = 0);

class HostSession {
 public:
  HostSession();
  ~HostSession();

  // Opens the parent's end and starts the host with a main window of this id. With
  // open_first false the host starts before the parent's channel window exists.
  bool Start(int32_t main_id = 256, bool open_first = true, const std::u16string& extra = u"");
  // Starts the host with these main-window settings and extra environment variables.
  bool StartWith(const corvane::HostWindowSettings& main, const ChildProcess::Environment& env = {});
  // Starts the host with a main window of this id at url; true once event 1 came.
  bool StartAt(int32_t main_id, const std::u16string& url, const ChildProcess::Environment& env = {});
  bool OpenLink();
  corvane::HostWindowSettings MainSettings(int32_t id) const;

  bool WaitFor(const std::function<bool()>& done, DWORD timeout_ms = 10000) {
    return corvane::ParentLink::PumpUntil(done, timeout_ms);
  }
  // The host's exit code, or STILL_ACTIVE after the timeout.
  DWORD WaitForHostExit(DWORD timeout_ms = 10000);
  // The browser window with this title among the parent window's children, or null.
  HWND FindBrowserWindow(const std::wstring& title) const;
  std::vector<std::string> LogLines() const;
  size_t CountLogLinesEndingWith(const std::string& text) const;
  // Whether the window itself is shown (its parent is not).
  static bool Shown(HWND window) { return (GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0; }
  // A request to the test engine inside the host (see tests/engine/README.md).
  std::string Engine(const std::string& request) const;
  // external.<method>(args...) from page script in the view (typed args: "s:text", "f:name"...).
  std::string Script(const std::string& view, const std::string& method,
                     std::initializer_list<std::string> args = {}) const;
  // The result text of a Script answer, or "<none>".
  static std::string ResultText(const std::string& answer);
  std::vector<std::string> EngineCalls() const;
  // The host's own channel window.
  HWND HostChannelWindow() const;

  EventRecorder events;
  corvane::ParentLink link{&events};

 private:
  bool Launch(const corvane::HostWindowSettings& main, const ChildProcess::Environment& env,
              const std::u16string& extra);

 public:
  HWND parent_window = nullptr;
  std::u16string channel;
  std::wstring temp_folder;
  std::wstring log_path;
};

}  // namespace testwin
