// The window built-ins: move, size, show, title and measure the parent's window (the default
// window) or any window the page names; the arithmetic is in window_math.
#include <windows.h>

#include "base/text_win.h"
#include "log/logger.h"
#include "webview2/browser_window_messages.h"
#include "webview2/dpi_win.h"
#include "webview2/internal_fun/internal_fun.h"
#include "webview2/internal_fun/system_builtins.h"
#include "webview2/internal_fun/window_math.h"
#include "webview2common/window_handle_win.h"

namespace {

WindowRect FromRect(const RECT& r) { return WindowRect{r.left, r.top, r.right, r.bottom}; }

WindowRect PrimaryWorkArea() {
  RECT work{0, 0, 0, 0};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return FromRect(work);
}

// The windows these built-ins reach are mostly the parent's, on a thread of the parent's that
// may have stopped pumping messages. A window of another thread is therefore placed and shown
// asynchronously and sent messages with a bound; a window of this thread is handled at once.
constexpr UINT kSendBoundMs = 300;

bool OfThisThread(HWND window) { return GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId(); }

void Place(HWND window, HWND after, int x, int y, int width, int height, UINT flags) {
  SetWindowPos(window, after, x, y, width, height, flags | (OfThisThread(window) ? 0 : SWP_ASYNCWINDOWPOS));
}

void Show(HWND window, int command) {
  if (OfThisThread(window)) {
    ShowWindow(window, command);
  } else {
    ShowWindowAsync(window, command);
  }
}

void SendBounded(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(window, message, wparam, lparam, SMTO_ABORTIFHUNG, kSendBoundMs, &ignored);
}

// Whether the window's thread answers at once (always for this thread's windows).
bool Answers(HWND window) {
  if (OfThisThread(window)) return true;
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 100, &ignored) != 0;
}

// Brings window to the front even when another thread has the input focus. Activation sends
// messages to the threads involved and waits for them, so it is left out while the window's
// thread or the foreground thread does not answer: the window is then only made topmost.
void BringToForeground(HWND window) {
  Place(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  HWND foreground_window = GetForegroundWindow();
  if (!Answers(window) || (foreground_window != nullptr && !Answers(foreground_window))) return;
  const DWORD own = GetCurrentThreadId();
  const DWORD foreground = GetWindowThreadProcessId(foreground_window, nullptr);
  const bool attach = foreground != 0 && foreground != own;
  if (attach) AttachThreadInput(own, foreground, TRUE);
  SetForegroundWindow(window);
  if (attach) AttachThreadInput(own, foreground, FALSE);
}

}  // namespace

HWND InternalWndFun::Target(uint32_t handle) const {
  return handle == 0 ? WindowFromHandleValue(settings_.parent_wnd) : Permitted(WindowFromHandleValue(handle));
}

HWND InternalWndFun::Permitted(HWND window) const {
  DWORD process = 0;
  if (!IsWindow(window) || GetWindowThreadProcessId(window, &process) == 0) return window;  // no window: no-op
  DWORD parent = 0;
  GetWindowThreadProcessId(WindowFromHandleValue(settings_.parent_wnd), &parent);
  if (process == GetCurrentProcessId() || (parent != 0 && process == parent)) return window;
  // Other applications' windows are not the page's to move, hide, retitle or read.
  if (refusal_lines_.Allow()) {
    LOG_INFO("window built-in refused window ", WindowHandleValue(window), " of process ", process);
  }
  return nullptr;
}

float InternalWndFun::Scale() const { return dpi::MonitorScaleFactor(window_); }

std::u16string InternalWndFun::WndDrag() {
  HWND target = Target(0);
  if (!IsWindow(target)) return u"";
  // The browser window runs the task while it handles the message, so the drag starts before
  // this call returns.
  const uintptr_t task = browser_window::Tasks().Hand(std::make_unique<std::function<void()>>([target] {
    ReleaseCapture();
    PostMessageW(target, WM_NCLBUTTONDOWN, HTCAPTION, 0);
  }));
  SendMessageW(window_, browser_window::kRunCallable, static_cast<WPARAM>(task), 0);
  browser_window::Tasks().Claim(task);  // not run (no browser window): freed here
  return u"";
}

std::u16string InternalWndFun::SetWndRect(const JsonPathValue& json) {
  const WindowRect logical = window_math::RectOf(json.GetInt("rect.x", 0), json.GetInt("rect.y", 0),
                                                 json.GetInt("rect.width", 0), json.GetInt("rect.height", 0));
  const WindowRect r = window_math::ToPhysical(logical, Scale());
  HWND target = Target(static_cast<uint32_t>(json.GetInt("handle", 0)));
  if (IsWindow(target)) Place(target, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER);
  return u"";
}

std::u16string InternalWndFun::GetWndRect(const JsonPathValue& json) {
  HWND target = Target(static_cast<uint32_t>(json.GetInt("handle", 0)));
  const bool exists = IsWindow(target) != FALSE;
  const bool visible = IsWindowVisible(target) != FALSE;
  RECT physical{0, 0, 0, 0};
  const bool measured = GetWindowRect(target, &physical) != FALSE;
  if (!measured) physical = RECT{0, 0, 0, 0};
  int edges = 0;
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  // A window that could not be measured touches no edge (the zero rectangle would).
  if (measured && GetMonitorInfoW(MonitorFromWindow(target, MONITOR_DEFAULTTONEAREST), &monitor)) {
    edges = window_math::ScreenEdgeBits(FromRect(physical), FromRect(monitor.rcWork));
  }
  return window_math::WindowRectResult(edges, window_math::ToLogical(FromRect(physical), Scale()), visible, exists);
}

std::u16string InternalWndFun::SetWndRectByWnd(const JsonPathValue& json) {
  RECT source{};
  // A source that is no window has no rectangle to give: the target stays where it is.
  if (!GetWindowRect(Permitted(WindowFromHandleValue(static_cast<uint32_t>(json.GetInt("rect_from_wnd", 0)))), &source)) {
    return u"";
  }
  HWND target = Target(static_cast<uint32_t>(json.GetInt("handle", 0)));
  if (IsWindow(target)) {
    Place(target, nullptr, source.left, source.top, source.right - source.left, source.bottom - source.top,
          SWP_NOZORDER);
  }
  return u"";
}

std::u16string InternalWndFun::GetDesktopWorkarea() {
  return window_math::WorkAreaResult(window_math::ToLogical(PrimaryWorkArea(), Scale()));
}

std::u16string InternalWndFun::ShowWnd(const JsonPathValue& json) {
  const uint32_t handle = static_cast<uint32_t>(json.GetInt("handle", 0));
  const std::u16string type = json.GetText("show_type", u"");
  LOG_INFO("show_wnd:", type);
  HWND target = Target(handle);
  HWND notify = handle == 0 ? WindowFromHandleValue(settings_.window) : nullptr;
  if (handle != 0 && target == nullptr) return u"";  // another application's window
  constexpr UINT kShowInPlace = SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE;
  if (type == u"max") {
    Show(target, SW_SHOWMAXIMIZED);
  } else if (type == u"min") {
    Show(target, SW_MINIMIZE);
  } else if (type == u"restore") {
    PostMessageW(target, WM_SYSCOMMAND, SC_RESTORE, 0);
  } else if (type == u"hide") {
    Show(target, SW_HIDE);
  } else if (type == u"show") {
    Place(target, HWND_NOTOPMOST, 0, 0, 0, 0, kShowInPlace);
    Show(target, SW_SHOW);
    SendBounded(target, WM_ACTIVATE, WA_CLICKACTIVE, 0);
  } else if (type == u"bottom") {
    Place(target, HWND_NOTOPMOST, 0, 0, 0, 0, kShowInPlace);
    Place(target, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SendBounded(target, WM_ACTIVATE, WA_CLICKACTIVE, 0);
  } else if (type == u"topmost") {
    Place(target, HWND_TOPMOST, 0, 0, 0, 0, kShowInPlace);
    BringToForeground(target);
    Show(target, SW_SHOW);
    SendBounded(target, WM_ACTIVATE, WA_CLICKACTIVE, 0);
  }
  if (notify != nullptr && type != u"hide" && type != u"min") {
    PostMessageW(notify, browser_window::kShowWindow, 0, 0);
  }
  return u"";
}

std::u16string InternalWndFun::SetWndCenter(const JsonPathValue& json) {
  const float scale = Scale();
  int32_t width = window_math::ToPhysical(json.GetInt("width", 0), scale);
  int32_t height = window_math::ToPhysical(json.GetInt("height", 0), scale);
  HWND target = Target(static_cast<uint32_t>(json.GetInt("handle", 0)));
  if (!IsWindow(target) || (GetWindowLongW(target, GWL_STYLE) & WS_CHILD) != 0) return u"";
  if (width == 0 || height == 0) {
    RECT current{};
    GetWindowRect(target, &current);
    width = current.right - current.left;
    height = current.bottom - current.top;
  }
  const window_math::Position p = window_math::Centered(PrimaryWorkArea(), width, height);
  Place(target, nullptr, p.x, p.y, width, height, SWP_NOZORDER);
  return u"";
}

std::u16string InternalWndFun::SetWindowTitle(const JsonPathValue& json) {
  const uint32_t handle = static_cast<uint32_t>(json.GetInt("handle", 0));
  HWND target = WindowFromHandleValue(handle);
  if (handle == 0 || !IsWindow(target)) {
    target = Target(0);
  } else if (Permitted(target) == nullptr) {
    return u"";
  }
  // WM_SETTEXT is what SetWindowTextW sends a window of another thread, here with a bound.
  const std::u16string title = json.GetText("title", u"");
  if (OfThisThread(target)) {
    SetWindowTextW(target, as_wcstr(title));
  } else {
    SendBounded(target, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(as_wcstr(title)));
  }
  return u"";
}

InternalWndFun::InternalWndFun(HWND window, const WindowSettings& settings)
    : BuiltinTable({
          {u"wnd_drag", [this](const auto&) { return WndDrag(); }},
          {u"set_wnd_rect", WithJson(this, &InternalWndFun::SetWndRect)},
          {u"get_wnd_rect", WithJson(this, &InternalWndFun::GetWndRect)},
          {u"set_wnd_rect_by_wnd", WithJson(this, &InternalWndFun::SetWndRectByWnd)},
          {u"get_desktop_workarea", [this](const auto&) { return GetDesktopWorkarea(); }},
          {u"show_wnd", WithJson(this, &InternalWndFun::ShowWnd)},
          {u"set_wnd_center", WithJson(this, &InternalWndFun::SetWndCenter)},
          {u"set_window_title", WithJson(this, &InternalWndFun::SetWindowTitle)},
          {u"get_scale", [this](const auto&) { return window_math::ScaleResult(Scale()); }},
          {u"get_web_wnd_handle", [this](const auto&) { return window_math::HandleResult(settings_.parent_wnd); }},
      }),
      window_(window),
      settings_(settings) {}

BuiltinHandler InternalWndFun::WithJson(InternalWndFun* self,
                                        std::u16string (InternalWndFun::*method)(const JsonPathValue&)) {
  return [self, method](const std::vector<std::u16string>& params) {
    const BuiltinJson read = ReadBuiltinJson(params);
    return read.early_result ? *read.early_result : (self->*method)(read.json);
  };
}
