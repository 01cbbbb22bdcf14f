#include "webview2/internal_fun/window_math.h"

#include <cmath>
#include <cstdio>

#include "base/text_convert.h"
#include "webview2/internal_fun/json_path_value.h"

namespace window_math {

int32_t ToPhysical(int32_t value, float scale) {
  return static_cast<int32_t>(std::ceil(static_cast<float>(value) * scale));
}

int32_t ToLogical(int32_t value, float scale) {
  return scale > 0 ? static_cast<int32_t>(std::ceil(static_cast<float>(value) / scale)) : value;
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
  Position p{work.left + (work.right - work.left - width) / 2, work.top + (work.bottom - work.top - height) / 2};
  if (p.x < work.left) {
    p.x = work.left;
  } else if (p.x + width > work.right) {
    p.x = work.right - width;
  }
  if (p.y < work.top) {
    p.y = work.top;
  } else if (p.y + height > work.bottom) {
    p.y = work.bottom - height;
  }
  return p;
}

std::u16string WindowRectResult(int edges, const WindowRect& logical, bool visible, bool exists) {
  Json::Value result(Json::objectValue);
  result["next_to_screen_edge"] = edges;
  Json::Value rect(Json::objectValue);
  rect["x"] = logical.left;
  rect["y"] = logical.top;
  rect["width"] = logical.right - logical.left;
  rect["height"] = logical.bottom - logical.top;
  result["rect"] = rect;
  result["visibled"] = visible ? 1 : 0;
  result["wnd_exist"] = exists ? 1 : 0;
  return text::Utf8ToUtf16(WriteCompactJson(result));
}

std::u16string WorkAreaResult(const WindowRect& r) {
  char text[128];
  std::snprintf(text, sizeof text, "{\"x\":%d,\"y\":%d,\"width\":%d,\"height\":%d}", r.left, r.top,
                r.right - r.left, r.bottom - r.top);
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
