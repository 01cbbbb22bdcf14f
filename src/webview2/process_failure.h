#pragma once
// What a browser window makes of a failed browser process: the text the parent is told and how
// the window recovers, with a bound so that a page that kills its renderer at once cannot keep
// the host reloading it. Portable.

#include <cstdint>
#include <deque>
#include <string>

enum class FailureRecovery {
  kNone,      // the runtime recovers by itself (a frame's, the GPU's or a helper's process)
  kReload,    // the page's renderer is gone or hung: the page is loaded again
  kRecreate,  // the browser process is gone, and with it the web view: a new one is made
};

struct ProcessFailure {
  std::u16string text;  // "render process exited", ...
  FailureRecovery recovery = FailureRecovery::kNone;
  // Whether the page was hit, and so the parent is told (event 4); a process the runtime
  // restarts by itself (GPU, utility, helpers) is only logged.
  bool page_hit = false;
};

// For a COREWEBVIEW2_PROCESS_FAILED_KIND value; an unknown kind is named by its number.
ProcessFailure DescribeProcessFailure(int32_t kind);

// Allows at most kMaxRecoveries recoveries in any kWindowMs; beyond that a failure is only
// reported.
class RecoveryBudget {
 public:
  static constexpr size_t kMaxRecoveries = 3;
  static constexpr uint64_t kWindowMs = 60000;
  // Whether a recovery may start at now_ms (a steady clock); counts it when it may.
  bool Take(uint64_t now_ms);

 private:
  std::deque<uint64_t> recent_;
};
