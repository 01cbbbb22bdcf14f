#pragma once
// A Win32 window owned by a C++ object: the window procedure reaches the object and its
// ProcessWindowMessage. No exception leaves the window procedure.

#include <windows.h>

class CWindowBase {
 public:
  CWindowBase() = default;
  virtual ~CWindowBase();
  CWindowBase(const CWindowBase&) = delete;
  CWindowBase& operator=(const CWindowBase&) = delete;

  HWND m_hWnd = nullptr;
  bool IsWindow() const { return m_hWnd != nullptr && ::IsWindow(m_hWnd); }

 protected:
  // Registers class_name once per process (arrow cursor, COLOR_WINDOW+1 background) and creates
  // a window of it bound to this object.
  HWND CreateBoundWindow(const wchar_t* class_name, UINT class_style, HWND parent,
                         const RECT& rect, const wchar_t* title, DWORD style, DWORD ex_style);

  // Returns true when the message was handled, with its result in result.
  virtual bool ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam,
                                    LRESULT& result) = 0;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  static LRESULT GuardedWindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
};
