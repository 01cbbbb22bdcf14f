// The window built-ins on real windows: a default window (the parent's), a browser window that
// runs tasks handed to it, and a notify window that counts the "show yourself" message.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <thread>

#include "base/text_convert.h"
#include "child_process.h"
#include "host_session.h"
#include "corvane_parent.h"
#include "webview2/browser_window_messages.h"
#include "webview2/dpi_win.h"
#include "webview2/internal_fun/internal_fun.h"
#include "webview2common/window_handle_win.h"

namespace {

int g_show_messages = 0;
int g_drag_messages = 0;

LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == browser_window::kShowWindow) {
    ++g_show_messages;
    return 0;
  }
  if (message == browser_window::kRunCallable) {
    // As the browser window does: run the task handed to it.
    if (auto task = browser_window::Tasks().Claim(static_cast<uintptr_t>(wparam))) (*task)();
    return 0;
  }
  if (message == WM_NCLBUTTONDOWN && wparam == HTCAPTION) {
    ++g_drag_messages;
    return 0;  // no real move loop in a test
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

HWND MakeWindow(const wchar_t* title, DWORD style, HWND parent = nullptr) {
  static const ATOM atom = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &TestWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"CorvaneWindowBuiltinsTest";
    return RegisterClassExW(&wc);
  }();
  (void)atom;
  return CreateWindowExW(0, L"CorvaneWindowBuiltinsTest", title, style, 100, 100, 300, 200, parent, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

void Pump() { corvane::ParentLink::PumpUntil([] { return false; }, 100); }

class WindowBuiltins : public testing::Test {
 protected:
  void SetUp() override {
    parent_ = MakeWindow(L"default window", WS_POPUP);  // no minimum size
    browser_ = MakeWindow(L"browser", WS_POPUP);
    WindowSettings settings;
    settings.parent_wnd = WindowHandleValue(parent_);
    settings.window = WindowHandleValue(browser_);
    table_ = std::make_unique<InternalWndFun>(browser_, settings);
    scale_ = dpi::MonitorScaleFactor(browser_);
    g_show_messages = 0;
    g_drag_messages = 0;
  }
  void TearDown() override {
    table_.reset();
    DestroyWindow(browser_);
    DestroyWindow(parent_);
  }
  std::u16string Call(const char16_t* name, const std::u16string& json) {
    const BuiltinEntry* entry = table_->Find(name);
    EXPECT_NE(entry, nullptr) << text::Utf16ToUtf8(name);
    return entry != nullptr ? entry->handler({json}) : u"";
  }
  static std::u16string Handle(HWND window) {
    return text::AsciiToUtf16(std::to_string(static_cast<int32_t>(WindowHandleValue(window))));
  }

  HWND parent_ = nullptr;
  HWND browser_ = nullptr;
  std::unique_ptr<InternalWndFun> table_;
  float scale_ = 1.0f;
};

TEST_F(WindowBuiltins, HandleScaleTitleAndParameters) {
  EXPECT_EQ(Call(u"get_web_wnd_handle", u""), u"{\"handle\":" + Handle(parent_) + u"}");
  char scale[32];
  std::snprintf(scale, sizeof scale, "%f", static_cast<double>(scale_));
  EXPECT_EQ(Call(u"get_scale", u""), text::AsciiToUtf16(scale));
  EXPECT_EQ(Call(u"set_window_title", u"{\"handle\":" + Handle(browser_) + u",\"title\":\"named\"}"), u"");
  wchar_t title[64] = {};
  GetWindowTextW(browser_, title, 64);
  EXPECT_STREQ(title, L"named");
  // A handle that is no window titles the default window; numbers are taken as their text.
  Call(u"set_window_title", u"{\"handle\":12345,\"title\":42}");
  GetWindowTextW(parent_, title, 64);
  EXPECT_STREQ(title, L"42");
  EXPECT_EQ(Call(u"set_wnd_rect", u"not json"), u"format_error");
  EXPECT_EQ(table_->Find(u"show_wnd")->handler({}), u"param_error");
  EXPECT_EQ(table_->Find(u"wnd_drag")->handler({}), u"") << "the drag takes no parameter";
}

TEST_F(WindowBuiltins, RectanglesInLogicalPixels) {
  ASSERT_EQ(Call(u"set_wnd_rect", u"{\"rect\":{\"x\":10,\"y\":20,\"width\":101,\"height\":50}}"), u"");
  RECT r{};
  GetWindowRect(parent_, &r);
  EXPECT_EQ(r.left, static_cast<LONG>(std::ceil(10 * scale_)));
  EXPECT_EQ(r.right, static_cast<LONG>(std::ceil(111 * scale_)));
  EXPECT_EQ(r.bottom, static_cast<LONG>(std::ceil(70 * scale_)));

  ShowWindow(parent_, SW_SHOWNOACTIVATE);
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  SetWindowPos(parent_, nullptr, work.left, work.top, 200, 100, SWP_NOZORDER | SWP_NOACTIVATE);
  const std::u16string flush = Call(u"get_wnd_rect", u"{\"handle\":0}");
  EXPECT_NE(flush.find(u"\"next_to_screen_edge\":3"), std::u16string::npos) << text::Utf16ToUtf8(flush);
  EXPECT_NE(flush.find(u"\"visibled\":1,\"wnd_exist\":1"), std::u16string::npos);
  SetWindowPos(parent_, nullptr, work.left + 50, work.bottom - 100, 200, 100, SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_NE(Call(u"get_wnd_rect", u"{}").find(u"\"next_to_screen_edge\":0"), std::u16string::npos)
      << "touching only the bottom edge";
  EXPECT_EQ(Call(u"get_wnd_rect", u"{\"handle\":12345}"),
            u"{\"next_to_screen_edge\":0,\"rect\":{\"height\":0,\"width\":0,\"x\":0,\"y\":0},\"visibled\":0,\"wnd_exist\":0}");

  // Another window's rectangle, as it is.
  SetWindowPos(browser_, nullptr, 33, 44, 123, 45, SWP_NOZORDER | SWP_NOACTIVATE);
  Call(u"set_wnd_rect_by_wnd", u"{\"handle\":0,\"rect_from_wnd\":" + Handle(browser_) + u"}");
  GetWindowRect(parent_, &r);
  EXPECT_EQ(r.left, 33);
  EXPECT_EQ(r.bottom, 89);
  Call(u"set_wnd_rect_by_wnd", u"{\"handle\":0,\"rect_from_wnd\":12345}");
  GetWindowRect(parent_, &r);
  EXPECT_EQ(r.left, 33) << "no source rectangle: the window stays";

  const std::u16string area = Call(u"get_desktop_workarea", u"");
  char expected[128];
  std::snprintf(expected, sizeof expected, "{\"x\":%d,\"y\":%d,\"width\":%d,\"height\":%d}",
                static_cast<int>(std::ceil(work.left / scale_)), static_cast<int>(std::ceil(work.top / scale_)),
                static_cast<int>(std::ceil(work.right / scale_) - std::ceil(work.left / scale_)),
                static_cast<int>(std::ceil(work.bottom / scale_) - std::ceil(work.top / scale_)));
  EXPECT_EQ(area, text::AsciiToUtf16(expected));
}

TEST_F(WindowBuiltins, CentringKeepsLargeWindowsAtTheWorkAreaEdge) {
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  Call(u"set_wnd_center", u"{\"width\":5000,\"height\":4000}");
  RECT r{};
  GetWindowRect(parent_, &r);
  EXPECT_EQ(r.left, work.left);
  EXPECT_EQ(r.top, work.top);
  SetWindowPos(parent_, nullptr, 0, 0, 200, 100, SWP_NOZORDER | SWP_NOACTIVATE);
  Call(u"set_wnd_center", u"{\"width\":0,\"height\":0}");
  GetWindowRect(parent_, &r);
  EXPECT_EQ(r.right - r.left, 200) << "no size given: the window keeps its size";
  EXPECT_EQ(r.left, work.left + (work.right - work.left - 200) / 2);
  HWND child = MakeWindow(L"child", WS_CHILD, parent_);
  SetWindowPos(child, nullptr, 1, 2, 30, 40, SWP_NOZORDER);
  Call(u"set_wnd_center", u"{\"handle\":" + Handle(child) + u",\"width\":100,\"height\":100}");
  GetWindowRect(child, &r);
  EXPECT_EQ(r.right - r.left, 30) << "child windows are left alone";
}

TEST_F(WindowBuiltins, ShowTellsTheBrowserWindowOnlyForTheDefaultWindow) {
  struct Case {
    const char16_t* json;
    int notified;
  };
  const Case cases[] = {
      {u"{\"show_type\":\"show\"}", 1},     {u"{\"show_type\":\"hide\"}", 0},
      {u"{\"show_type\":\"min\"}", 0},      {u"{\"show_type\":\"restore\"}", 1},
      {u"{\"show_type\":\"bottom\"}", 1},   {u"{\"show_type\":\"other\"}", 1},
      {u"{\"show_type\":\"topmost\"}", 1},  {u"{\"show_type\":\"max\"}", 1},
  };
  for (const Case& c : cases) {
    g_show_messages = 0;
    Call(u"show_wnd", c.json);
    Pump();
    EXPECT_EQ(g_show_messages, c.notified) << text::Utf16ToUtf8(c.json);
  }
  g_show_messages = 0;
  Call(u"show_wnd", u"{\"handle\":" + Handle(parent_) + u",\"show_type\":\"show\"}");
  Pump();
  EXPECT_EQ(g_show_messages, 0) << "an explicit handle never notifies";
  Call(u"show_wnd", u"{\"show_type\":\"hide\"}");
  EXPECT_FALSE(IsWindowVisible(parent_));
  Call(u"show_wnd", u"{\"show_type\":\"show\"}");
  EXPECT_TRUE(IsWindowVisible(parent_));
}

TEST_F(WindowBuiltins, DragRunsItsTaskInTheBrowserWindowBeforeReturning) {
  EXPECT_EQ(Call(u"wnd_drag", u""), u"");
  MSG message;
  EXPECT_TRUE(PeekMessageW(&message, parent_, WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_NOREMOVE))
      << "the caption drag was posted to the default window before the call returned";
  Pump();
  EXPECT_EQ(g_drag_messages, 1);
  EXPECT_EQ(browser_window::Tasks().pending(), 0u);
}

}  // namespace

// A default window on a thread that stops pumping messages for up to five seconds, as a hung
// parent's: each built-in returns within a second, and once the thread pumps again the window
// ends up where the built-ins put it.
TEST_F(WindowBuiltins, AParentThatStopsPumpingDoesNotHoldTheBuiltins) {
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::atomic<HWND> hung{nullptr};
  std::thread parent_thread([&] {
    HWND window = MakeWindow(L"hung parent", WS_POPUP);
    hung = window;
    WaitForSingleObject(release, 5000);  // not pumping
    MSG message;
    while (IsWindow(window) && GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  });
  while (hung.load() == nullptr) Sleep(1);
  WindowSettings settings;
  settings.parent_wnd = WindowHandleValue(hung.load());
  settings.window = WindowHandleValue(browser_);
  InternalWndFun table(browser_, settings);
  const char16_t* calls[][2] = {
      {u"show_wnd", u"{\"show_type\":\"show\"}"},   {u"show_wnd", u"{\"show_type\":\"topmost\"}"},
      {u"show_wnd", u"{\"show_type\":\"bottom\"}"}, {u"set_window_title", u"{\"title\":\"late\"}"},
      {u"set_wnd_center", u"{\"width\":0}"},        {u"set_wnd_rect", u"{\"rect\":{\"x\":7,\"y\":8,\"width\":90,\"height\":60}}"},
  };
  for (const auto& call : calls) {
    const DWORD start = GetTickCount();
    table.Find(call[0])->handler({call[1]});
    EXPECT_LT(GetTickCount() - start, 1000u) << text::Utf16ToUtf8(call[0]) << " " << text::Utf16ToUtf8(call[1]);
  }
  SetEvent(release);
  RECT r{};
  const DWORD start = GetTickCount();
  while ((GetWindowRect(hung.load(), &r), r.left != static_cast<LONG>(std::ceil(7 * scale_))) && GetTickCount() - start < 5000) {
    Sleep(10);
  }
  EXPECT_EQ(r.left, static_cast<LONG>(std::ceil(7 * scale_))) << "the last placement, carried out once the thread pumped";
  EXPECT_EQ(r.right, static_cast<LONG>(std::ceil(97 * scale_)));
  EXPECT_TRUE(IsWindowVisible(hung.load()));
  // A parent thread that pumps gets its title at once.
  table.Find(u"set_window_title")->handler({u"{\"title\":\"well\"}"});
  wchar_t title[32] = {};
  GetWindowTextW(hung.load(), title, 32);
  EXPECT_STREQ(title, L"well");
  PostMessageW(hung.load(), WM_CLOSE, 0, 0);
  parent_thread.join();
  CloseHandle(release);
}

// Another application's window is not the page's: nothing moves, hides or retitles it, and it
// reads as no window at all.
TEST_F(WindowBuiltins, WindowsOfOtherProcessesAreLeftAlone) {
  testwin::ChildProcess other;
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  ASSERT_TRUE(other.Start(std::wstring(system) + L"\\notepad.exe", L""));
  HWND foreign = nullptr;
  const DWORD start = GetTickCount();
  while (foreign == nullptr && GetTickCount() - start < 10000) {
    foreign = testwin::FindWindowOfProcess(other.pid(), [](HWND window) { return IsWindowVisible(window) != FALSE; });
    Pump();
  }
  ASSERT_NE(foreign, nullptr) << "no window of the other process";
  wchar_t before[128] = {};
  GetWindowTextW(foreign, before, 128);
  RECT placed{};
  GetWindowRect(foreign, &placed);
  const std::u16string handle = Handle(foreign);
  Call(u"set_wnd_rect", u"{\"handle\":" + handle + u",\"rect\":{\"x\":1,\"y\":2,\"width\":50,\"height\":40}}");
  Call(u"set_wnd_center", u"{\"handle\":" + handle + u",\"width\":70,\"height\":70}");
  Call(u"set_wnd_rect_by_wnd", u"{\"handle\":" + handle + u",\"rect_from_wnd\":" + Handle(browser_) + u"}");
  Call(u"set_window_title", u"{\"handle\":" + handle + u",\"title\":\"taken\"}");
  Call(u"show_wnd", u"{\"handle\":" + handle + u",\"show_type\":\"hide\"}");
  Pump();
  wchar_t after[128] = {};
  GetWindowTextW(foreign, after, 128);
  EXPECT_STREQ(after, before);
  RECT now{};
  GetWindowRect(foreign, &now);
  EXPECT_TRUE(EqualRect(&now, &placed));
  EXPECT_TRUE(IsWindowVisible(foreign));
  EXPECT_NE(Call(u"get_wnd_rect", u"{\"handle\":" + handle + u"}").find(u"\"wnd_exist\":0"), std::u16string::npos);
  wchar_t own[64] = {};
  GetWindowTextW(parent_, own, 64);
  EXPECT_STREQ(own, L"default window") << "a refused handle does not fall back to the default window";
  // The parent's process is the page's to drive, whatever window of it is named.
  WindowSettings settings;
  settings.parent_wnd = WindowHandleValue(foreign);
  InternalWndFun parent_table(browser_, settings);
  parent_table.Find(u"set_window_title")->handler({u"{\"handle\":" + handle + u",\"title\":\"parent's\"}"});
  for (int i = 0; i < 50 && (GetWindowTextW(foreign, after, 128), std::wstring(after) != L"parent's"); ++i) Pump();
  EXPECT_STREQ(after, L"parent's");
  other.Kill();
}
