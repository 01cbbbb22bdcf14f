#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "corvane_parent.h"
#include "webview2/ui_thread_window.h"

namespace {

void Pump(DWORD ms) { corvane::ParentLink::PumpUntil([] { return false; }, ms); }

TEST(UIThreadWindow, TaskPostedBeforeInitIsDropped) {
  CUIThreadWindow window;
  bool ran = false;
  window.PostTask([&] { ran = true; });
  ASSERT_TRUE(window.Init(true));
  Pump(100);
  EXPECT_FALSE(ran);
}

TEST(UIThreadWindow, TasksFromAWorkerRunOnTheUIThreadInOrder) {
  CUIThreadWindow window;
  ASSERT_TRUE(window.Init(true));
  std::vector<int> order;
  std::vector<DWORD> threads;
  std::thread worker([&] {
    for (int i = 0; i < 50; ++i) {
      window.PostTask([&, i] {
        order.push_back(i);
        threads.push_back(GetCurrentThreadId());
      });
    }
  });
  worker.join();
  EXPECT_TRUE(order.empty()) << "tasks run later, from the message loop";
  ASSERT_TRUE(corvane::ParentLink::PumpUntil([&] { return order.size() == 50; }, 5000));
  for (int i = 0; i < 50; ++i) EXPECT_EQ(order[i], i);
  for (DWORD id : threads) EXPECT_EQ(id, GetCurrentThreadId());
  EXPECT_EQ(window.ui_thread_id(), GetCurrentThreadId());
}

TEST(UIThreadWindow, SecondInitCreatesNoSecondWindow) {
  CUIThreadWindow window;
  ASSERT_TRUE(window.Init(true));
  const HWND first = window.m_hWnd;
  EXPECT_TRUE(window.Init(true));
  EXPECT_EQ(window.m_hWnd, first);
}

TEST(UIThreadWindow, TaskOwnsItsCapturedState) {
  CUIThreadWindow window;
  ASSERT_TRUE(window.Init(true));
  auto shared = std::make_shared<int>(7);
  std::weak_ptr<int> watch = shared;
  int seen = 0;
  window.PostTask([shared = std::move(shared), &seen] { seen = *shared; });
  EXPECT_FALSE(watch.expired()) << "the posted task keeps what it captured";
  ASSERT_TRUE(corvane::ParentLink::PumpUntil([&] { return seen == 7; }, 5000));
  EXPECT_TRUE(watch.expired()) << "and frees it once run";
}

// Refuses the creation of every window of this thread while it is installed.
LRESULT CALLBACK RefuseWindows(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HCBT_CREATEWND) return 1;
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

TEST(UIThreadWindow, TaskPostedWhenTheWindowCouldNotBeCreatedIsReleasedUnrun) {
  CUIThreadWindow window;
  HHOOK hook = SetWindowsHookExW(WH_CBT, &RefuseWindows, nullptr, GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  EXPECT_FALSE(window.Init(true));
  UnhookWindowsHookEx(hook);
  ASSERT_FALSE(window.IsWindow());

  auto shared = std::make_shared<int>(7);
  std::weak_ptr<int> watch = shared;
  bool ran = false;
  EXPECT_FALSE(window.PostTask([shared = std::move(shared), &ran] { ran = true; }));
  EXPECT_TRUE(watch.expired()) << "the task is released at once, not left in the thread's queue";
  Pump(100);
  EXPECT_FALSE(ran);
}

}  // namespace
