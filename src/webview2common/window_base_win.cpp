#include "webview2common/window_base_win.h"

#include "base/callback_guard_win.h"
#include "log/logger.h"

CWindowBase::~CWindowBase() {
  if (m_hWnd != nullptr && ::IsWindow(m_hWnd)) {
    SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
    DestroyWindow(m_hWnd);
  }
}

namespace {

// The module this code is in: the program, or a DLL built from it (the parent library), whose
// window classes are its own and not the program's.
HINSTANCE CodeModule() {
  HMODULE module = nullptr;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          reinterpret_cast<LPCWSTR>(&CodeModule), &module)) {
    return GetModuleHandleW(nullptr);
  }
  return module;
}

}  // namespace

HWND CWindowBase::CreateBoundWindow(const wchar_t* class_name, UINT class_style, HWND parent,
                                    const RECT& rect, const wchar_t* title, DWORD style,
                                    DWORD ex_style) {
  HINSTANCE instance = CodeModule();
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  if (!GetClassInfoExW(instance, class_name, &wc)) {
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof(wc);
    wc.style = class_style;
    wc.lpfnWndProc = &CWindowBase::WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = class_name;
    RegisterClassExW(&wc);
  }
  return CreateWindowExW(ex_style, class_name, title, style, rect.left, rect.top,
                         rect.right - rect.left, rect.bottom - rect.top, parent, nullptr,
                         instance, this);
}

LRESULT CALLBACK CWindowBase::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  // The system may call this from kernel mode, behind a frame that would swallow a fault.
  return guard::Guarded([&] { return GuardedWindowProc(hwnd, message, wparam, lparam); });
}

LRESULT CWindowBase::GuardedWindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
    auto* self = static_cast<CWindowBase*>(create->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    if (self != nullptr) self->m_hWnd = hwnd;
  }
  auto* self = reinterpret_cast<CWindowBase*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  LRESULT result = 0;
  if (self != nullptr) {
    try {
      if (self->ProcessWindowMessage(hwnd, message, wparam, lparam, result)) return result;
    } catch (const std::exception& e) {
      LOG_INFO("window message ", message, " failed: ", e.what());
      return 0;
    } catch (...) {
      LOG_INFO("window message ", message, " failed");
      return 0;
    }
  }
  if (message == WM_NCDESTROY) {
    // The object may already be gone when its window is destroyed last.
    self = reinterpret_cast<CWindowBase*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self != nullptr && self->m_hWnd == hwnd) self->m_hWnd = nullptr;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}
