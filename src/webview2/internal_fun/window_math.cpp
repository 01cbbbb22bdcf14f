#include "webview2/internal_fun/window_math.h"

#include <climits>
#include <cmath>
#include <cstdio>

#include "base/text_convert.h"
#include "webview2/internal_fun/json_path_value.h"

namespace window_math {

namespace {

// A page may send any number: what does not fit the 32 bits of a coordinate is held at its
// nearest end (and what is no number at all becomes 0), never cast out of range.
int32_t Saturate(double value) {
  if (std::isnan(value)) return 0;
  if (value <= static_cast<double>(INT32_MIN)) return INT32_MIN;
  if (value >= static_cast<double>(INT32_MAX)) return INT32_MAX;
  return static_cast<int32_t>(value);
}

}  // namespace

int32_t ToPhysical(int32_t value, float scale) {
  return Saturate(std::ceil(static_cast<float>(value) * scale));
}

int32_t ToLogical(int32_t value, float scale) {
  return scale > 0 ? Saturate(std::ceil(static_cast<float>(value) / scale)) : value;
}

WindowRect RectOf(int32_t x, int32_t y, int32_t width, int32_t height) {
  return WindowRect{x, y, Saturate(static_cast<double>(x) + width), Saturate(static_cast<double>(y) + height)};
}

WindowRect ToPhysical(const WindowRect& r, float scale) {
  return WindowRect{ToPhysical(r.left, scale), ToPhysical(r.top, scale), ToPhysical(r.right, scale),
                    ToPhysical(r.bottom, scale)};
}

WindowRect ToLogical(const WindowRect& r, float scale) {
  return WindowRect{ToLogical(r.left, scale), ToLogical(r.top, scale), ToLogical(r.right, scale),
                    ToLogical(r.bottom, scale)};
}

int ScreenEdgeBits(const WindowRect& window, const WindowRect& work) {
  int bits = 0;
  if (window.left <= work.left) bits |= 1;
  if (window.top <= work.top) bits |= 2;
  if (window.right >= work.right) bits |= 4;
  return bits;
}

Position Centered(const WindowRect& work, int32_t width, int32_t height) {
  // In 64 bits: the size is the page's and may be anything.
  const int64_t left = work.left, top = work.top, right = work.right, bottom = work.bottom;
  int64_t x = left + (right - left - width) / 2;
  int64_t y = top + (bottom - top - height) / 2;
  if (x < left) {
    x = left;
  } else if (x + width > right) {
    x = right - width;
  }
  if (y < top) {
    y = top;
  } else if (y + height > bottom) {
    y = bottom - height;
  }
  return Position{Saturate(static_cast<double>(x)), Saturate(static_cast<double>(y))};
}

std::u16string WindowRectResult(int edges, const WindowRect& logical, bool visible, bool exists) {
  Json::Value result(Json::objectValue);
  result["next_to_screen_edge"] = edges;
  Json::Value rect(Json::objectValue);
  rect["x"] = logical.left;
  rect["y"] = logical.top;
  rect["width"] = static_cast<Json::Int64>(logical.right) - logical.left;
  rect["height"] = static_cast<Json::Int64>(logical.bottom) - logical.top;
  result["rect"] = rect;
  result["visibled"] = visible ? 1 : 0;
  result["wnd_exist"] = exists ? 1 : 0;
  return text::Utf8ToUtf16(WriteCompactJson(result));
}

std::u16string WorkAreaResult(const WindowRect& r) {
  char text[128];
  std::snprintf(text, sizeof text, "{\"x\":%d,\"y\":%d,\"width\":%lld,\"height\":%lld}", r.left, r.top,
                static_cast<long long>(r.right) - r.left, static_cast<long long>(r.bottom) - r.top);
  return text::AsciiToUtf16(text);
}

std::u16string ScaleResult(float scale) {
  char text[64];
  std::snprintf(text, sizeof text, "%f", static_cast<double>(scale));
  return text::AsciiToUtf16(text);
}

std::u16string HandleResult(uint32_t handle) {
  char text[64];
  std::snprintf(text, sizeof text, "{\"handle\":%d}", static_cast<int32_t>(handle));
  return text::AsciiToUtf16(text);
}

}  // namespace window_math
