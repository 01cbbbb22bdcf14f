#pragma once
// The parent's calls of page functions that arrive before the page has registered any: they
// wait for the page's first registration, then run once, in order, each answered with event
// 11. From then on a call of a function the page lacks is answered at once.

#include <functional>
#include <string>
#include <vector>

#include "webview2common/message/ipc_protocol.h"

class IPageFunctions {
 public:
  virtual ~IPageFunctions() = default;
  // Calls the page function; *status and *result are what event 11 reports (left as given when
  // the call was not made).
  virtual void Call(const std::u16string& function, const std::vector<std::u16string>& arguments,
                    int32_t* status, std::u16string* result) = 0;
};

class CPageCallQueue {
 public:
  // Whether a call of a function the page does not have must wait.
  bool waiting() const { return !drained_; }
  void Enqueue(IPC::CallPageFunctionCommand call);
  // At the page's first registration, once: runs every waiting call in order and hands each
  // answer on. A page function may let further commands in while it runs; they no longer wait.
  void Drain(IPageFunctions& page, const std::function<void(const IPC::PageCallResultEvent&)>& answer);

 private:
  std::vector<IPC::CallPageFunctionCommand> pending_;
  bool drained_ = false;
};
