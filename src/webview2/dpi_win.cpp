#include "webview2/dpi_win.h"

#include <cstdint>

#include "webview2/dpi_math.h"
#include "webview2common/library_load_win.h"

namespace dpi {

FARPROC LoadSystemProc(const wchar_t* module, const char* name) {
  HMODULE library = LoadSystemLibrary(module);
  return library != nullptr ? GetProcAddress(library, name) : nullptr;
}

const char* EnableProcessDpiAwareness(int context, ProcLookup lookup) {
  using SetContextFn = BOOL(WINAPI*)(HANDLE);
  using SetAwarenessFn = HRESULT(WINAPI*)(int);
  using SetAwareFn = BOOL(WINAPI*)();
  if (FARPROC proc = lookup(L"User32.dll", "SetProcessDpiAwarenessContext")) {
    auto set = [proc](int value) {
      return reinterpret_cast<SetContextFn>(reinterpret_cast<void*>(proc))(
                 reinterpret_cast<HANDLE>(static_cast<intptr_t>(value))) != FALSE;
    };
    if (set(context)) return context == kContextPerMonitorV2 ? "per-monitor v2" : "the asked context";
    // Systems before Windows 10 1703 know no v2 and refuse it; per-monitor is the next best.
    if (context == kContextPerMonitorV2 && set(kContextPerMonitor)) return "per-monitor (v2 refused)";
    return "unchanged (refused)";
  }
  if (FARPROC proc = lookup(L"Shcore.dll", "SetProcessDpiAwareness")) {
    const int level = AwarenessLevelForContext(context);
    if (FAILED(reinterpret_cast<SetAwarenessFn>(reinterpret_cast<void*>(proc))(level))) return "unchanged (refused)";
    return level == 2 ? "per-monitor (shcore)" : level == 1 ? "system (shcore)" : "unaware (shcore)";
  }
  if (context == -1) return "unchanged";
  if (FARPROC proc = lookup(L"User32.dll", "SetProcessDPIAware")) {
    return reinterpret_cast<SetAwareFn>(reinterpret_cast<void*>(proc))() != FALSE ? "system" : "unchanged (refused)";
  }
  return "unchanged (no function)";
}

float MonitorScaleFactor(HWND window) {
  using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
  HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
  UINT dpi_x = 0;
  UINT dpi_y = 0;
  bool found = false;
  if (HMODULE shcore = LoadSystemLibrary(L"shcore.dll")) {
    auto get_dpi = reinterpret_cast<GetDpiForMonitorFn>(
        reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")));
    found = get_dpi != nullptr && SUCCEEDED(get_dpi(monitor, kEffectiveDpi, &dpi_x, &dpi_y)) &&
            dpi_x != 0 && dpi_y != 0;
    FreeLibrary(shcore);
  }
  if (!found) {
    HDC screen = GetDC(nullptr);
    dpi_x = static_cast<UINT>(GetDeviceCaps(screen, LOGPIXELSX));
    ReleaseDC(nullptr, screen);
  }
  return ScaleFactorForDpi(dpi_x);
}

}  // namespace dpi
