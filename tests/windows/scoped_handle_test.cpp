// The owner of kernel handles: empty for null and INVALID_HANDLE_VALUE alike, closes what it
// holds, moves, and gives a handle away only through Release.
#include <gtest/gtest.h>

#include "base/scoped_handle_win.h"

namespace {

bool IsOpen(HANDLE handle) {
  DWORD flags = 0;
  return GetHandleInformation(handle, &flags) != FALSE;
}

HANDLE NewEvent() { return CreateEventW(nullptr, TRUE, FALSE, nullptr); }

TEST(ScopedHandle, NullAndInvalidAreBothEmpty) {
  EXPECT_FALSE(ScopedHandle().IsValid());
  EXPECT_FALSE(ScopedHandle(nullptr).IsValid());
  const ScopedHandle invalid(INVALID_HANDLE_VALUE);
  EXPECT_FALSE(invalid.IsValid());
  EXPECT_EQ(invalid.Get(), nullptr);
}

TEST(ScopedHandle, ClosesWhatItHoldsOnResetAndAtTheEnd) {
  HANDLE first = NewEvent();
  HANDLE second = NewEvent();
  {
    ScopedHandle owner(first);
    EXPECT_TRUE(owner.IsValid());
    owner.Reset(second);
    EXPECT_FALSE(IsOpen(first));
    EXPECT_TRUE(IsOpen(second));
  }
  EXPECT_FALSE(IsOpen(second));
}

TEST(ScopedHandle, MovesOwnershipAndReleasesItOnlyWhenAsked) {
  HANDLE event = NewEvent();
  ScopedHandle a(event);
  ScopedHandle b(std::move(a));
  EXPECT_FALSE(a.IsValid());
  EXPECT_EQ(b.Get(), event);
  ScopedHandle c;
  c = std::move(b);
  EXPECT_EQ(c.Get(), event);
  EXPECT_TRUE(IsOpen(event));
  HANDLE released = c.Release();
  EXPECT_FALSE(c.IsValid());
  c.Reset();
  EXPECT_TRUE(IsOpen(released)) << "a released handle is the caller's to close";
  CloseHandle(released);
}

}  // namespace
