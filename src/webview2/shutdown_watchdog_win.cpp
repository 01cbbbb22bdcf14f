#include "webview2/shutdown_watchdog_win.h"

#include <atomic>
#include <mutex>

#include "base/system_thread_win.h"
#include "log/logger.h"

namespace shutdown {

namespace {

struct Watch {
  std::mutex lock;  // held while the loop's end or the watch's verdict is decided
  bool armed = false;
  bool loop_ended = false;
  std::atomic<bool> closed_sent{false};
  std::function<void()> tell_parent;
  HANDLE loop_end = nullptr;  // set when the loop ends
};

Watch& TheWatch() {
  static Watch* watch = new Watch;  // never destroyed: the watch may run during exit
  return *watch;
}

// Runs work on a thread of its own, waiting for it at most timeout_ms: what it does may be what
// hangs (the log, a parent that is slow to take a message). Work still running is left to end
// with the process.
void RunBounded(std::function<void()> work, DWORD timeout_ms) {
  const ScopedHandle thread = base::StartSystemThread(std::move(work));
  if (thread.IsValid()) WaitForSingleObject(thread.Get(), timeout_ms);
}

void LogBounded(const char* text) {
  RunBounded([text] { LOG_INFO(text); }, 1000);
}

DWORD WINAPI WatchThread(void*) {
  Watch& watch = TheWatch();
  if (WaitForSingleObject(watch.loop_end, kCloseBoundMs) != WAIT_OBJECT_0) {
    std::unique_lock<std::mutex> hold(watch.lock);
    if (!watch.loop_ended) {
      // Held to the end: the dispatcher behind tell_parent stays while the loop cannot end.
      if (!watch.closed_sent.exchange(true) && watch.tell_parent) RunBounded(watch.tell_parent, kTellBoundMs);
      LogBounded("the main window did not close in time, the host ends");
      TerminateProcess(GetCurrentProcess(), static_cast<UINT>(-1));
    }
  }
  if (WaitForSingleObject(GetCurrentProcess(), kExitBoundMs) == WAIT_TIMEOUT) {
    LogBounded("the host's shutdown did not end in time, the host ends");
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(-1));
  }
  return 0;
}

}  // namespace

void Arm(std::function<void()> tell_parent) {
  Watch& watch = TheWatch();
  std::lock_guard<std::mutex> hold(watch.lock);
  if (watch.armed || watch.loop_ended) return;
  watch.loop_end = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (watch.loop_end == nullptr) return;
  watch.tell_parent = std::move(tell_parent);
  HANDLE thread = CreateThread(nullptr, 0, &WatchThread, nullptr, 0, nullptr);
  if (thread == nullptr) return;
  CloseHandle(thread);
  watch.armed = true;
}

void ClosedEventSent() { TheWatch().closed_sent.store(true); }

void LoopEnded() {
  Watch& watch = TheWatch();
  std::lock_guard<std::mutex> hold(watch.lock);
  watch.loop_ended = true;
  if (watch.loop_end != nullptr) SetEvent(watch.loop_end);
}

}  // namespace shutdown
