// Window ids and call ids: the values that name windows in message types and calls in events.
#include <gtest/gtest.h>

#include <limits>
#include <set>
#include <thread>
#include <vector>

#include "webview2/internal_fun/call_counter.h"
#include "webview2/window_settings.h"

namespace {

TEST(WindowId, OnlyMultiplesOf256Below65536NameAWindow) {
  for (int32_t id : {0, 256, 512, 4096, 0xFF00}) EXPECT_TRUE(IsValidWindowId(id)) << id;
  for (int32_t id : {1, 255, 257, 300, 65536, 0x10100, -256, std::numeric_limits<int32_t>::min()}) {
    EXPECT_FALSE(IsValidWindowId(id)) << id;
  }
}

TEST(CallCounter, CountsFromOne) {
  CallCounter counter;
  EXPECT_EQ(counter.Next(), 1);
  EXPECT_EQ(counter.Next(), 2);
  EXPECT_EQ(counter.Next(), 3);
}

TEST(CallCounter, WrapsToOneAfterTheLargestValueNeverZeroOrNegative) {
  const int32_t max = std::numeric_limits<int32_t>::max();
  CallCounter counter(max - 2);
  EXPECT_EQ(counter.Next(), max - 1);
  EXPECT_EQ(counter.Next(), max);
  EXPECT_EQ(counter.Next(), 1);
  EXPECT_EQ(counter.Next(), 2);
}

TEST(CallCounter, ConcurrentCallersGetDistinctIdsAcrossTheWrap) {
  const int32_t max = std::numeric_limits<int32_t>::max();
  CallCounter counter(max - 1000);
  std::vector<std::vector<int32_t>> drawn(4);
  std::vector<std::thread> threads;
  for (auto& ids : drawn) {
    threads.emplace_back([&counter, &ids] {
      for (int i = 0; i < 500; ++i) ids.push_back(counter.Next());
    });
  }
  for (std::thread& t : threads) t.join();
  std::set<int32_t> all;
  for (const auto& ids : drawn) {
    for (int32_t id : ids) {
      EXPECT_GT(id, 0);
      all.insert(id);
    }
  }
  EXPECT_EQ(all.size(), 2000u) << "no id was handed out twice";
  EXPECT_EQ(*all.begin(), 1);
  EXPECT_EQ(*all.rbegin(), max);
}

}  // namespace
