// The arithmetic and result texts of the window built-ins.
#include <gtest/gtest.h>

#include <climits>

#include "webview2/internal_fun/window_math.h"

namespace {

using namespace window_math;

TEST(WindowMath, LogicalAndPhysicalPixels) {
  // At 150 %: x 10, width 101 gives left 15 and right ceil(111 × 1.5) = 167, a width of 152.
  const WindowRect physical = ToPhysical(WindowRect{10, 20, 111, 120}, 1.5f);
  EXPECT_EQ(physical.left, 15);
  EXPECT_EQ(physical.top, 30);
  EXPECT_EQ(physical.right, 167);
  EXPECT_EQ(physical.right - physical.left, 152);
  EXPECT_EQ(ToLogical(167, 1.5f), 112);
  EXPECT_EQ(ToLogical(-15, 1.5f), -10);
  EXPECT_EQ(ToPhysical(100, 1.0f), 100);
  EXPECT_EQ(ToPhysical(-7, 1.25f), -8);  // ceil(-8.75)
  EXPECT_EQ(ToPhysical(7, 1.25f), 9);    // ceil(8.75)
}

TEST(WindowMath, ScreenEdges) {
  const WindowRect work{0, 0, 1280, 984};
  EXPECT_EQ(ScreenEdgeBits({0, 0, 300, 200}, work), 3);
  EXPECT_EQ(ScreenEdgeBits({-5, 10, 1300, 984}, work), 5);
  EXPECT_EQ(ScreenEdgeBits({100, 700, 400, 984}, work), 0) << "the bottom edge is not looked at";
}

TEST(WindowMath, CentringInTheWorkArea) {
  const WindowRect work{0, 0, 1280, 984};
  EXPECT_EQ(Centered(work, 400, 300).x, 440);
  EXPECT_EQ(Centered(work, 400, 300).y, 342);
  EXPECT_EQ(Centered(work, 2000, 300).x, 0) << "wider than the work area: at its left edge";
  EXPECT_EQ(Centered(work, 300, 2000).y, 0);
  const WindowRect offset{100, 50, 1380, 1034};
  EXPECT_EQ(Centered(offset, 2000, 2000).x, 100);
  EXPECT_EQ(Centered(offset, 2000, 2000).y, 50);
}

// A page's numbers may be anything: every result is held inside the 32 bits (the sanitizer
// reports any overflow or out-of-range cast on the way).
TEST(WindowMath, ExtremeNumbersAreHeldAtTheEnds) {
  const int32_t kMax = INT32_MAX, kMin = INT32_MIN;
  struct Case {
    int32_t value;
    float scale;
    int32_t physical;
    int32_t logical;
  };
  const Case cases[] = {{kMax, 2.5f, kMax, 858993472}, {kMin, 2.5f, kMin, -858993472},  // single precision
                        {kMax, 0.01f, 21474836, kMax}, {kMin, 0.01f, -21474836, kMin},
                        {kMax, 1e30f, kMax, 1},        {5, 1e-30f, 1, kMax}};
  for (const Case& c : cases) {
    EXPECT_EQ(ToPhysical(c.value, c.scale), c.physical) << c.value << " at " << c.scale;
    EXPECT_EQ(ToLogical(c.value, c.scale), c.logical) << c.value << " at " << c.scale;
  }
  const WindowRect r = RectOf(kMax - 5, kMin + 5, kMax, kMin);
  EXPECT_EQ(r.right, kMax);
  EXPECT_EQ(r.bottom, kMin);
  EXPECT_EQ(RectOf(10, 20, 100, 50).right, 110);
  const WindowRect work{0, 0, 1280, 984};
  EXPECT_EQ(Centered(work, kMax, kMax).x, 0);
  EXPECT_EQ(Centered(work, kMin, kMin).x, 1073742464) << "(1280 + 2^31) / 2, computed without overflow";
  EXPECT_EQ(Centered(WindowRect{kMin, kMin, kMax, kMax}, 100, 100).x, -51);
  EXPECT_NE(WindowRectResult(0, {kMin, kMin, kMax, kMax}, true, true).find(u"\"width\":4294967295"),
            std::u16string::npos);
  EXPECT_EQ(WorkAreaResult({kMin, 0, kMax, 10}), u"{\"x\":-2147483648,\"y\":0,\"width\":4294967295,\"height\":10}");
}

TEST(WindowMath, ResultTexts) {
  EXPECT_EQ(WindowRectResult(3, {10, 20, 110, 70}, true, true),
            u"{\"next_to_screen_edge\":3,\"rect\":{\"height\":50,\"width\":100,\"x\":10,\"y\":20},"
            u"\"visibled\":1,\"wnd_exist\":1}");
  EXPECT_EQ(WindowRectResult(0, {0, 0, 0, 0}, false, false),
            u"{\"next_to_screen_edge\":0,\"rect\":{\"height\":0,\"width\":0,\"x\":0,\"y\":0},"
            u"\"visibled\":0,\"wnd_exist\":0}");
  EXPECT_EQ(WorkAreaResult({0, 0, 1280, 984}), u"{\"x\":0,\"y\":0,\"width\":1280,\"height\":984}");
  EXPECT_EQ(ScaleResult(1.25f), u"1.250000");
  EXPECT_EQ(ScaleResult(1.0f), u"1.000000");
  EXPECT_EQ(HandleResult(0x10040u), u"{\"handle\":65600}");
  EXPECT_EQ(HandleResult(0xFFFFFFFEu), u"{\"handle\":-2}");
}

}  // namespace
