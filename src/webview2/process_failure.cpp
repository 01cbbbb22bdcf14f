#include "webview2/process_failure.h"

#include "base/text_convert.h"

ProcessFailure DescribeProcessFailure(int32_t kind) {
  switch (kind) {
    case 0: return {u"browser process exited", FailureRecovery::kRecreate, true};
    case 1: return {u"render process exited", FailureRecovery::kReload, true};
    case 2: return {u"render process unresponsive", FailureRecovery::kReload, true};
    case 3: return {u"frame render process exited", FailureRecovery::kNone, true};
    case 4: return {u"utility process exited", FailureRecovery::kNone};
    case 5: return {u"sandbox helper process exited", FailureRecovery::kNone};
    case 6: return {u"gpu process exited", FailureRecovery::kNone};
    case 7: return {u"plugin process exited", FailureRecovery::kNone};
    case 8: return {u"plugin broker process exited", FailureRecovery::kNone};
    case 9: return {u"unknown process exited", FailureRecovery::kNone};
    default: return {u"process failed, kind " + text::AsciiToUtf16(std::to_string(kind)), FailureRecovery::kNone};
  }
}

bool RecoveryBudget::Take(uint64_t now_ms) {
  while (!recent_.empty() && now_ms - recent_.front() >= kWindowMs) recent_.pop_front();
  if (recent_.size() >= kMaxRecoveries) return false;
  recent_.push_back(now_ms);
  return true;
}
