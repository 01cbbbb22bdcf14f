// The parent's calls that wait for the page's first registered function.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "webview2common/page_call_queue.h"

namespace {

// A page that has "known" and records every call; "fails" is there but fails.
class FakePage : public IPageFunctions {
 public:
  void Call(const std::u16string& function, const std::vector<std::u16string>& arguments,
            int32_t* status, std::u16string* result) override {
    calls.push_back(function + u"(" + std::u16string(arguments.empty() ? u"" : arguments[0]) + u")");
    if (function == u"known") {
      *status = IPC::kCallDone;
      *result = u"answer to " + (arguments.empty() ? u"" : arguments[0]);
    } else if (function != u"fails") {
      *status = IPC::kCallNoSuchFunction;
    }
    if (on_call) on_call();
  }
  std::vector<std::u16string> calls;
  std::function<void()> on_call;
};

TEST(PageCallQueue, WaitingCallsRunOnceInOrderAtTheFirstRegistration) {
  CPageCallQueue queue;
  EXPECT_TRUE(queue.waiting());
  queue.Enqueue({1, u"known", {u"a"}});
  queue.Enqueue({2, u"missing", {}});
  queue.Enqueue({3, u"fails", {u"x"}});
  FakePage page;
  std::vector<IPC::PageCallResultEvent> answers;
  queue.Drain(page, [&](const IPC::PageCallResultEvent& a) { answers.push_back(a); });
  EXPECT_EQ(page.calls, (std::vector<std::u16string>{u"known(a)", u"missing()", u"fails(x)"}));
  ASSERT_EQ(answers.size(), 3u);
  EXPECT_EQ(answers[0].call_id, 1);
  EXPECT_EQ(answers[0].status, IPC::kCallDone);
  EXPECT_EQ(answers[0].result, u"answer to a");
  EXPECT_EQ(answers[1].status, IPC::kCallNoSuchFunction);
  EXPECT_EQ(answers[2].call_id, 3);
  EXPECT_EQ(answers[2].status, IPC::kCallNotCalled) << "a call that failed keeps \"not called\"";
  EXPECT_EQ(answers[2].result, u"");

  EXPECT_FALSE(queue.waiting()) << "later calls are answered at once";
  queue.Enqueue({4, u"known", {}});
  queue.Drain(page, [&](const IPC::PageCallResultEvent& a) { answers.push_back(a); });
  EXPECT_EQ(answers.size(), 3u) << "drained once";
  EXPECT_EQ(page.calls.size(), 3u);
}

TEST(PageCallQueue, CallsArrivingWhileThePageRunsNoLongerWait) {
  CPageCallQueue queue;
  queue.Enqueue({1, u"known", {u"a"}});
  FakePage page;
  bool waiting_inside = true;
  page.on_call = [&] {
    waiting_inside = queue.waiting();
    queue.Enqueue({9, u"known", {u"late"}});
  };
  int answers = 0;
  queue.Drain(page, [&](const IPC::PageCallResultEvent&) { ++answers; });
  EXPECT_FALSE(waiting_inside);
  EXPECT_EQ(answers, 1);
  EXPECT_EQ(page.calls.size(), 1u);
}

TEST(PageCallQueue, NothingWaitingDrainsToNothing) {
  CPageCallQueue queue;
  FakePage page;
  queue.Drain(page, nullptr);
  EXPECT_TRUE(page.calls.empty());
  EXPECT_FALSE(queue.waiting());
}

// A page that never registers anything: the queue holds a bounded number of calls, and bytes,
// and the window's closing answers every one still held.
TEST(PageCallQueue, TheWaitIsBoundedAndClosingAnswersEveryWaitingCall) {
  CPageCallQueue queue;
  size_t kept = 0;
  for (size_t i = 0; i < CPageCallQueue::kMaxCalls + 100; ++i) kept += queue.Enqueue({static_cast<int64_t>(i), u"f", {}});
  EXPECT_EQ(kept, CPageCallQueue::kMaxCalls);

  CPageCallQueue by_bytes;
  const std::u16string big((4u << 20) / sizeof(char16_t), u'x');  // 4 MiB an argument
  kept = 0;
  for (int i = 0; i < 20; ++i) kept += by_bytes.Enqueue({i, u"f", {big}});
  EXPECT_EQ(kept, CPageCallQueue::kMaxBytes / (4u << 20) - 1) << "the name's bytes count too";

  std::vector<IPC::PageCallResultEvent> answers;
  queue.Abandon([&](const IPC::PageCallResultEvent& a) { answers.push_back(a); });
  ASSERT_EQ(answers.size(), CPageCallQueue::kMaxCalls);
  for (size_t i = 0; i < answers.size(); ++i) {
    EXPECT_EQ(answers[i].call_id, static_cast<int64_t>(i));
    EXPECT_EQ(answers[i].status, IPC::kCallNotCalled);
  }
  EXPECT_FALSE(queue.waiting());
  EXPECT_FALSE(queue.Enqueue({1, u"f", {}})) << "nothing waits on a closed window";
  FakePage page;
  queue.Drain(page, [&](const IPC::PageCallResultEvent& a) { answers.push_back(a); });
  EXPECT_TRUE(page.calls.empty());
}

}  // namespace
