#include "webview2/internal_fun/internal_fun.h"

// The window built-ins arrive with the window-control work; until then the table is empty.
InternalWndFun::InternalWndFun(HWND window, const WindowSettings& settings)
    : BuiltinTable({}), window_(window), settings_(settings) {}
