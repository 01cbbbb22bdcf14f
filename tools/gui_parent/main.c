/*
 * A small parent application written in C against corvane_parent.dll: one visible window
 * whose client area is the browser. The browser follows the window's size and its display's
 * scale, and the host is closed, and waited for, before the window goes.
 *
 *   gui_parent.exe [url]       (https://example.com/ when none is given)
 *
 * The host (Corvane.exe) is looked for beside this program. Exit code 0 after a normal
 * session, 2 without a browser runtime, 3 when the host could not start.
 */
#include <windows.h>

#include <stdio.h>

#include "corvane_parent_c.h"

enum { kMainWindow = 256, kCloseTimer = 1, kCloseTimeoutMs = 5000 };

typedef struct app {
  HWND window;
  corvane_link* link;
  int ready;        /* the browser window exists: bounds can be sent */
  int closing;      /* the user closed the window: the host is asked to end first */
  int host_ended;
} app;

static void Report(const wchar_t* what, const wchar_t* detail) {
  fwprintf(stderr, L"gui_parent: %ls%ls%ls\n", what, detail != NULL ? L": " : L"", detail != NULL ? detail : L"");
  fflush(stderr);
}

/* The browser fills the client area, in the window's own pixels. */
static void FitBrowser(app* a) {
  RECT client;
  if (!a->ready || a->host_ended || !GetClientRect(a->window, &client)) return;
  if (corvane_set_bounds(a->link, kMainWindow, 0, 0, client.right, client.bottom) != CORVANE_OK) {
    Report(L"the browser keeps its size", corvane_link_last_error_text(a->link));
  }
}

static void CORVANE_CALL OnReady(void* user, int32_t window_id, uint32_t window_handle) {
  app* a = (app*)user;
  (void)window_handle;
  if (window_id != kMainWindow) return;
  a->ready = 1;
  FitBrowser(a); /* the window may have changed size while the host started */
}

static void CORVANE_CALL OnTitle(void* user, int32_t window_id, const wchar_t* title) {
  app* a = (app*)user;
  if (window_id == kMainWindow) SetWindowTextW(a->window, title);
}

static void CORVANE_CALL OnClosed(void* user, int32_t window_id, corvane_close_reason reason) {
  app* a = (app*)user;
  if (window_id != kMainWindow) return;
  if (reason == CORVANE_CLOSED_RUNTIME_MISSING) Report(L"the browser runtime is missing", NULL);
  a->ready = 0;
}

static void CORVANE_CALL OnHostExited(void* user, uint32_t exit_code) {
  app* a = (app*)user;
  (void)exit_code;
  a->host_ended = 1;
  a->ready = 0;
  /* Whether the user closed the window or the host ended on its own, the window goes now. */
  if (IsWindow(a->window)) DestroyWindow(a->window);
}

static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  app* a = (app*)GetWindowLongPtrW(window, GWLP_USERDATA);
  switch (message) {
    case WM_NCCREATE:
      SetWindowLongPtrW(window, GWLP_USERDATA, (LONG_PTR)((CREATESTRUCTW*)lparam)->lpCreateParams);
      break;
    case WM_SIZE:
      if (a != NULL && wparam != SIZE_MINIMIZED) FitBrowser(a);
      return 0;
    case WM_DPICHANGED: {
      /* The system suggests the window's new place at the new scale; WM_SIZE follows. */
      const RECT* suggested = (const RECT*)lparam;
      SetWindowPos(window, NULL, suggested->left, suggested->top, suggested->right - suggested->left,
                   suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_CLOSE:
      /* The browser window is a child of ours in another process: end the host first, so that
       * it closes its windows and its browser's files itself, and go when it has. */
      if (a != NULL && a->closing) return 0; /* waiting for the host already */
      if (a != NULL && !a->host_ended && corvane_link_host_process_id(a->link) != 0) {
        a->closing = 1;
        ShowWindow(window, SW_HIDE);
        if (corvane_close(a->link, kMainWindow) == CORVANE_OK) {
          SetTimer(window, kCloseTimer, kCloseTimeoutMs, NULL);
          return 0;
        }
      }
      DestroyWindow(window);
      return 0;
    case WM_TIMER:
      if (wparam == kCloseTimer) {
        Report(L"the host did not end in time", NULL);
        DestroyWindow(window);
      }
      return 0;
    case WM_DESTROY:
      KillTimer(window, kCloseTimer);
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

/* Per-monitor scaling where the system has it, so that WM_DPICHANGED arrives. */
static void FollowDisplayScale(void) {
  typedef BOOL(WINAPI * SetContext)(HANDLE);
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  FARPROC set = user32 != NULL ? GetProcAddress(user32, "SetProcessDpiAwarenessContext") : NULL;
  if (set == NULL || !((SetContext)(void*)set)((HANDLE)-4 /* per monitor v2 */)) {
    if (set == NULL || !((SetContext)(void*)set)((HANDLE)-3 /* per monitor */)) SetProcessDPIAware();
  }
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR command_line, int show) {
  (void)previous;
  wchar_t host[MAX_PATH];
  DWORD n = GetModuleFileNameW(NULL, host, MAX_PATH);
  while (n > 0 && host[n - 1] != L'\\') --n;
  if (n == 0 || n + 12 > MAX_PATH) return 3;
  host[n] = 0;
  wchar_t runtime[64];
  if (corvane_runtime_version(host, runtime, 64) == CORVANE_E_RUNTIME_MISSING) {
    Report(L"no browser runtime is installed", NULL);
    return 2;
  }
  wcscat(host, L"Corvane.exe");

  FollowDisplayScale();
  WNDCLASSW window_class = {0};
  window_class.lpfnWndProc = WindowProc;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(NULL, (LPCWSTR)IDC_ARROW);
  window_class.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
  window_class.lpszClassName = L"CorvaneGuiParent";
  RegisterClassW(&window_class);
  app a = {0};
  a.window = CreateWindowExW(0, window_class.lpszClassName, L"Corvane", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                             CW_USEDEFAULT, CW_USEDEFAULT, 900, 650, NULL, NULL, instance, &a);
  if (a.window == NULL) return 3;

  corvane_events events = {sizeof events};
  events.window_ready = OnReady;
  events.title_changed = OnTitle;
  events.window_closed = OnClosed;
  events.host_exited = OnHostExited;
  wchar_t channel[32];
  _snwprintf(channel, 32, L"gui-parent-%lu", GetCurrentProcessId());
  channel[31] = 0;
  RECT client;
  GetClientRect(a.window, &client);
  corvane_window_settings main = {sizeof main};
  main.window_id = kMainWindow;
  /* A window without a page would make its browser only at the first navigation. */
  main.url = command_line != NULL && *command_line != 0 ? command_line : L"https://example.com/";
  main.parent_window = (uint32_t)(uintptr_t)a.window;
  main.has_rect = 1;
  main.width = client.right;
  main.height = client.bottom;
  main.title = L"browser";
  if (corvane_link_create(&events, &a, &a.link) != CORVANE_OK || corvane_link_open(a.link, channel) != CORVANE_OK ||
      corvane_link_start_host(a.link, host, &main, L"--enable_high_dpi") != CORVANE_OK) {
    Report(L"could not start the host", a.link != NULL ? corvane_link_last_error_text(a.link) : NULL);
    DestroyWindow(a.window);
    corvane_link_destroy(a.link);
    return 3;
  }
  ShowWindow(a.window, show);

  MSG message;
  while (GetMessageW(&message, NULL, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  corvane_link_destroy(a.link);
  return a.host_ended ? 0 : 1;
}
