#include "webview2/dpi_win.h"

#include <cstdint>

#include "webview2/dpi_math.h"

namespace dpi {

FARPROC LoadSystemProc(const wchar_t* module, const char* name) {
  HMODULE library = LoadLibraryW(module);
  return library != nullptr ? GetProcAddress(library, name) : nullptr;
}

void EnableProcessDpiAwareness(int context, ProcLookup lookup) {
  using SetContextFn = BOOL(WINAPI*)(HANDLE);
  using SetAwarenessFn = HRESULT(WINAPI*)(int);
  using SetAwareFn = BOOL(WINAPI*)();
  if (FARPROC proc = lookup(L"User32.dll", "SetProcessDpiAwarenessContext")) {
    reinterpret_cast<SetContextFn>(reinterpret_cast<void*>(proc))(
        reinterpret_cast<HANDLE>(static_cast<intptr_t>(context)));
    return;
  }
  if (FARPROC proc = lookup(L"Shcore.dll", "SetProcessDpiAwareness")) {
    reinterpret_cast<SetAwarenessFn>(reinterpret_cast<void*>(proc))(
        AwarenessLevelForContext(context));
    return;
  }
  if (context == -1) return;
  if (FARPROC proc = lookup(L"User32.dll", "SetProcessDPIAware")) {
    reinterpret_cast<SetAwareFn>(reinterpret_cast<void*>(proc))();
  }
}

float MonitorScaleFactor(HWND window) {
  using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
  HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
  UINT dpi_x = 0;
  UINT dpi_y = 0;
  bool found = false;
  if (HMODULE shcore = LoadLibraryW(L"SHCORE")) {
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
