#include "webview2common/page_call_queue.h"

#include "log/logger.h"

namespace {

size_t BytesOf(const IPC::CallPageFunctionCommand& call) {
  size_t units = call.function.size();
  for (const std::u16string& argument : call.arguments) units += argument.size();
  return units * sizeof(char16_t);
}

IPC::PageCallResultEvent NotCalled(const IPC::CallPageFunctionCommand& call) {
  IPC::PageCallResultEvent result;
  result.call_id = call.call_id;
  result.status = IPC::kCallNotCalled;
  return result;
}

}  // namespace

bool CPageCallQueue::Enqueue(IPC::CallPageFunctionCommand call) {
  if (drained_) return false;
  const size_t bytes = BytesOf(call);
  if (pending_.size() >= kMaxCalls || bytes > kMaxBytes - pending_bytes_) {
    if (refusal_lines_.Allow()) {
      LOG_INFO("page call id=", call.call_id, " of ", call.function, " not kept: ", pending_.size(),
               " calls wait for the page already");
    }
    return false;
  }
  pending_bytes_ += bytes;
  pending_.push_back(std::move(call));
  return true;
}

void CPageCallQueue::Drain(IPageFunctions& page, const PageCallAnswer& answer) {
  if (drained_) return;
  drained_ = true;
  std::vector<IPC::CallPageFunctionCommand> calls;
  calls.swap(pending_);
  pending_bytes_ = 0;
  for (const IPC::CallPageFunctionCommand& call : calls) {
    IPC::PageCallResultEvent result = NotCalled(call);
    page.Call(call.function, call.arguments, &result.status, &result.result);
    if (answer) answer(result);
  }
}

void CPageCallQueue::Abandon(const PageCallAnswer& answer) {
  drained_ = true;
  std::vector<IPC::CallPageFunctionCommand> calls;
  calls.swap(pending_);
  pending_bytes_ = 0;
  if (!calls.empty()) LOG_INFO("window closes, ", calls.size(), " page calls answered not called");
  for (const IPC::CallPageFunctionCommand& call : calls) {
    if (answer) answer(NotCalled(call));
  }
}
