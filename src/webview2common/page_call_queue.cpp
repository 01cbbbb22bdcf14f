#include "webview2common/page_call_queue.h"

void CPageCallQueue::Enqueue(IPC::CallPageFunctionCommand call) {
  if (!drained_) pending_.push_back(std::move(call));
}

void CPageCallQueue::Drain(IPageFunctions& page,
                           const std::function<void(const IPC::PageCallResultEvent&)>& answer) {
  if (drained_) return;
  drained_ = true;
  std::vector<IPC::CallPageFunctionCommand> calls;
  calls.swap(pending_);
  for (const IPC::CallPageFunctionCommand& call : calls) {
    IPC::PageCallResultEvent result;
    result.call_id = call.call_id;
    result.status = IPC::kCallNotCalled;
    page.Call(call.function, call.arguments, &result.status, &result.result);
    if (answer) answer(result);
  }
}
