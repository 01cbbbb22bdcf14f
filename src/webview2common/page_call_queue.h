#pragma once
// The parent's calls of page functions that arrive before the page has registered any: they
// wait for the page's first registration, then run once, in order, each answered with event
// 11. From then on a call of a function the page lacks is answered at once. A page may never
// register anything, so the wait is bounded: a call beyond the bound, and every call still
// waiting when the window closes, is answered "not called".

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "base/line_throttle.h"
#include "webview2common/message/ipc_protocol.h"

class IPageFunctions {
 public:
  virtual ~IPageFunctions() = default;
  // Calls the page function; *status and *result are what event 11 reports (left as given when
  // the call was not made).
  virtual void Call(const std::u16string& function, const std::vector<std::u16string>& arguments,
                    int32_t* status, std::u16string* result) = 0;
};

using PageCallAnswer = std::function<void(const IPC::PageCallResultEvent&)>;

class CPageCallQueue {
 public:
  static constexpr size_t kMaxCalls = 4096;
  static constexpr size_t kMaxBytes = 32u << 20;  // of the waiting calls' names and arguments

  // Whether a call of a function the page does not have must wait.
  bool waiting() const { return !drained_; }
  // Keeps the call for the page's first registration; false, with a log line, when the queue
  // is full: the caller then answers it "not called" at once.
  bool Enqueue(IPC::CallPageFunctionCommand call);
  // At the page's first registration, once: runs every waiting call in order and hands each
  // answer on. A page function may let further commands in while it runs; they no longer wait.
  void Drain(IPageFunctions& page, const PageCallAnswer& answer);
  // The window closes: every waiting call is answered "not called", and none waits from now on.
  void Abandon(const PageCallAnswer& answer);

 private:
  std::vector<IPC::CallPageFunctionCommand> pending_;
  size_t pending_bytes_ = 0;
  bool drained_ = false;
  base::LineThrottle refusal_lines_{5};
};
