// What a failed browser process makes a window do, and the bound on its recoveries.
#include <gtest/gtest.h>

#include "webview2/process_failure.h"

namespace {

TEST(ProcessFailure, EachKindHasItsTextAndRecovery) {
  struct Case {
    int32_t kind;
    const char16_t* text;
    FailureRecovery recovery;
    bool page_hit;
  };
  for (const Case& c : {Case{0, u"browser process exited", FailureRecovery::kRecreate, true},
                        Case{1, u"render process exited", FailureRecovery::kReload, true},
                        Case{2, u"render process unresponsive", FailureRecovery::kReload, true},
                        Case{3, u"frame render process exited", FailureRecovery::kNone, true},
                        Case{6, u"gpu process exited", FailureRecovery::kNone, false},
                        Case{9, u"unknown process exited", FailureRecovery::kNone, false},
                        Case{-1, u"process failed, kind -1", FailureRecovery::kNone, false},
                        Case{77, u"process failed, kind 77", FailureRecovery::kNone, false}}) {
    const ProcessFailure failure = DescribeProcessFailure(c.kind);
    EXPECT_EQ(failure.text, c.text) << c.kind;
    EXPECT_EQ(failure.recovery, c.recovery) << c.kind;
    EXPECT_EQ(failure.page_hit, c.page_hit) << c.kind;
  }
}

TEST(ProcessFailure, RecoveriesAreBoundedInAnyMinute) {
  RecoveryBudget budget;
  const uint64_t start = 1000;
  for (size_t i = 0; i < RecoveryBudget::kMaxRecoveries; ++i) EXPECT_TRUE(budget.Take(start + i)) << i;
  EXPECT_FALSE(budget.Take(start + 10)) << "a crash loop is not followed";
  EXPECT_FALSE(budget.Take(start + RecoveryBudget::kWindowMs - 1));
  EXPECT_TRUE(budget.Take(start + RecoveryBudget::kWindowMs)) << "the first one has left the window";
  EXPECT_FALSE(budget.Take(start + RecoveryBudget::kWindowMs)) << "only one slot came free";
  EXPECT_TRUE(budget.Take(start + 10 * RecoveryBudget::kWindowMs));
}

}  // namespace
