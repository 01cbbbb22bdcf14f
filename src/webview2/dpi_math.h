#pragma once
// Arithmetic of DPI awareness and display scale, kept apart from the Win32 calls.

namespace dpi {

// DPI_AWARENESS_CONTEXT values as integers.
constexpr int kContextPerMonitor = -3;
constexpr int kContextPerMonitorV2 = -4;

// The PROCESS_DPI_AWARENESS level that stands in for an awareness context where only
// SetProcessDpiAwareness exists: per-monitor contexts give 2, system gives 1, others 0.
int AwarenessLevelForContext(int context);

// Effective DPI / 96, rounded to two decimals in single precision (120 gives 1.25).
float ScaleFactorForDpi(unsigned dpi);

}  // namespace dpi
