#pragma once
// The arithmetic and the result texts of the window built-ins: logical (96 per inch) and
// physical pixels, the screen-edge bits, centring in the work area. Portable; the window
// calls are in internal_wnd_fun.cpp.

#include <cstdint>
#include <string>

#include "webview2/window_settings.h"

namespace window_math {

// Each edge becomes ceil(value × scale) (to physical) or ceil(value ÷ scale) (to logical),
// computed in single precision as the scale factor itself is; a result beyond 32 bits is held
// at their end.
int32_t ToPhysical(int32_t value, float scale);
int32_t ToLogical(int32_t value, float scale);
WindowRect ToPhysical(const WindowRect& rect, float scale);
// The rectangle at (x, y) of that size; an edge beyond the 32 bits is held at their end.
WindowRect RectOf(int32_t x, int32_t y, int32_t width, int32_t height);
WindowRect ToLogical(const WindowRect& rect, float scale);

// 1 when the window reaches the work area's left edge, 2 its top, 4 its right (the bottom is
// not looked at).
int ScreenEdgeBits(const WindowRect& window, const WindowRect& work);

struct Position {
  int32_t x;
  int32_t y;
};
// Centred in the work area, kept inside it where it fits and at its left/top where it does not.
Position Centered(const WindowRect& work, int32_t width, int32_t height);

// {"next_to_screen_edge":N,"rect":{"height":H,"width":W,"x":X,"y":Y},"visibled":V,"wnd_exist":E}
std::u16string WindowRectResult(int edges, const WindowRect& logical, bool visible, bool exists);
// {"x":%d,"y":%d,"width":%d,"height":%d}
std::u16string WorkAreaResult(const WindowRect& logical);
// "%f": 1.25 gives "1.250000".
std::u16string ScaleResult(float scale);
// {"handle":%d} with the 32-bit handle value.
std::u16string HandleResult(uint32_t handle);

}  // namespace window_math
