#pragma once
// DPI awareness of the process and the display scale of a window's monitor.

#include <windows.h>

namespace dpi {

// Finds an export of a system DLL, loaded from the system folder only; it stays loaded. Replaceable for tests.
using ProcLookup = FARPROC (*)(const wchar_t* module, const char* name);
FARPROC LoadSystemProc(const wchar_t* module, const char* name);

// Makes the process DPI aware with the newest function the system has: an awareness context
// (per-monitor when per-monitor v2 is refused), else the Shcore awareness level, else plain
// system awareness (unless context is -1). Says what it set, for the log.
const char* EnableProcessDpiAwareness(int context, ProcLookup lookup = &LoadSystemProc);

// The effective DPI of the monitor nearest to window, divided by 96, to two decimals.
float MonitorScaleFactor(HWND window);

}  // namespace dpi
