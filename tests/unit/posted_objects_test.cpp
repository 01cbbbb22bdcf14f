// Heap objects handed to window messages: owned until claimed once, and only what was handed
// out can be claimed.
#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

#include "webview2common/posted_objects.h"

namespace {

// Counts how many instances are alive.
struct Counted {
  explicit Counted(int* alive, int value = 0) : alive(alive), value(value) { ++*alive; }
  ~Counted() { --*alive; }
  int* alive;
  int value;
};

TEST(PostedObjects, HandedObjectIsClaimedBackOnceAsAnOwner) {
  int alive = 0;
  CPostedObjects<Counted> registry;
  const uintptr_t value = registry.Hand(std::make_unique<Counted>(&alive, 7));
  ASSERT_NE(value, 0u);
  EXPECT_EQ(registry.pending(), 1u);
  {
    std::unique_ptr<Counted> claimed = registry.Claim(value);
    ASSERT_NE(claimed, nullptr);
    EXPECT_EQ(claimed->value, 7);
    EXPECT_EQ(registry.Claim(value), nullptr) << "a second message with the same value gets nothing";
  }
  EXPECT_EQ(alive, 0) << "the claimer freed it";
  EXPECT_EQ(registry.pending(), 0u);
}

TEST(PostedObjects, ValuesNotHandedOutGiveNothing) {
  int alive = 0;
  CPostedObjects<Counted> registry;
  const uintptr_t value = registry.Hand(std::make_unique<Counted>(&alive));
  for (uintptr_t foreign : {uintptr_t{0}, uintptr_t{1}, uintptr_t{0x12345678}, value + 1, value - 4}) {
    EXPECT_EQ(registry.Claim(foreign), nullptr) << foreign;
  }
  EXPECT_EQ(registry.Hand(nullptr), 0u);
  EXPECT_EQ(alive, 1) << "the handed object is untouched";
}

TEST(PostedObjects, ObjectsNeverClaimedAreFreedWithTheRegistry) {
  int alive = 0;
  {
    CPostedObjects<Counted> registry;
    registry.Hand(std::make_unique<Counted>(&alive));
    registry.Hand(std::make_unique<Counted>(&alive));
    EXPECT_EQ(alive, 2);
  }
  EXPECT_EQ(alive, 0) << "a message that never arrived leaks nothing";
}

TEST(PostedObjects, HandAndClaimFromManyThreads) {
  CPostedObjects<int> registry;
  std::vector<std::thread> threads;
  std::vector<int> sums(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&registry, &sums, t] {
      for (int i = 0; i < 1000; ++i) {
        const uintptr_t value = registry.Hand(std::make_unique<int>(i));
        if (std::unique_ptr<int> back = registry.Claim(value)) sums[t] += *back;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int sum : sums) EXPECT_EQ(sum, 999 * 1000 / 2);
  EXPECT_EQ(registry.pending(), 0u);
}

}  // namespace
