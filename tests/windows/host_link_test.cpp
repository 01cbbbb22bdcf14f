// The real host driven by a test parent through the parent library.
#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "base/text_win.h"
#include "crlf_lines.h"
#include "host_session.h"
#include "webview2common/message/ipc_protocol.h"
#include "webview2common/window_handle_win.h"

namespace {

using testwin::HostSession;

RECT RectInParent(HWND window, HWND parent) {
  RECT rect{};
  GetWindowRect(window, &rect);
  MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

corvane::HostWindowSettings Second(const HostSession& host, int32_t id, const char16_t* title) {
  corvane::HostWindowSettings s;
  s.window_id = id;
  s.parent_window = WindowHandleValue(host.parent_window);
  s.rect = corvane::HostRect{50, 60, 200, 100};
  s.title = title;
  return s;
}

// Starts the host and creates window 512 titled "second" with immediate delivery, so that the
// window exists when the command returns; null when any step fails.
HWND StartWithSecondWindow(HostSession& host) {
  if (!host.Start()) return nullptr;
  host.link.set_delivery(corvane::ParentLink::Delivery::kImmediate);
  if (!host.link.CreateBrowser(Second(host, 512, u"second"))) return nullptr;
  return host.FindBrowserWindow(L"second");
}

TEST(HostLink, MainWindowIsAChildOfTheParentWindow) {
  HostSession host;
  ASSERT_TRUE(host.Start());
  HWND main = nullptr;
  ASSERT_TRUE(host.WaitFor([&] {
    main = host.FindBrowserWindow(L"main window");
    return main != nullptr && HostSession::Shown(main);
  }));
  EXPECT_EQ(GetParent(main), host.parent_window);
  const RECT rect = RectInParent(main, host.parent_window);
  EXPECT_EQ(rect.right - rect.left, 800);
  EXPECT_EQ(rect.bottom - rect.top, 600);
  DWORD pid = 0;
  GetWindowThreadProcessId(main, &pid);
  EXPECT_EQ(pid, host.link.host_process_id());
}

TEST(HostLink, ImmediateCreateReturnsAfterTheWindowExists) {
  HostSession host;
  // No pumping: the host handled the command inside our send.
  HWND second = StartWithSecondWindow(host);
  ASSERT_NE(second, nullptr);
  const RECT rect = RectInParent(second, host.parent_window);
  EXPECT_EQ(rect.left, 50);
  EXPECT_EQ(rect.top, 60);
  EXPECT_EQ(rect.right, 250);
  EXPECT_EQ(rect.bottom, 160);
}

TEST(HostLink, BoundsShowAndHide) {
  HostSession host;
  HWND second = StartWithSecondWindow(host);
  ASSERT_NE(second, nullptr);

  // Type 0x0203 with (10, 20, 300, 200) gives the rectangle (10, 20, 310, 220).
  ASSERT_TRUE(host.link.SetBounds(512, 10, 20, 300, 200));
  RECT rect = RectInParent(second, host.parent_window);
  EXPECT_EQ(rect.left, 10);
  EXPECT_EQ(rect.top, 20);
  EXPECT_EQ(rect.right, 310);
  EXPECT_EQ(rect.bottom, 220);

  ASSERT_TRUE(host.link.Show(512, false));
  EXPECT_FALSE(HostSession::Shown(second));
  ASSERT_TRUE(host.link.Show(512, true));
  EXPECT_TRUE(HostSession::Shown(second));
  // Show places the window at the parent's origin with its size kept.
  rect = RectInParent(second, host.parent_window);
  EXPECT_EQ(rect.left, 0);
  EXPECT_EQ(rect.top, 0);
  EXPECT_EQ(rect.right, 300);
  EXPECT_EQ(rect.bottom, 200);

  // A window id nobody has changes nothing.
  ASSERT_TRUE(host.link.Show(768, false));
  EXPECT_TRUE(HostSession::Shown(second));
}

TEST(HostLink, CloseRemovesTheWindowOnceAndReportsClosed) {
  HostSession host;
  ASSERT_NE(StartWithSecondWindow(host), nullptr);
  ASSERT_TRUE(host.link.Close(512));
  EXPECT_EQ(host.FindBrowserWindow(L"second"), nullptr);
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtClosed) == 1; }));
  EXPECT_EQ(host.events.events.back().window_id, 512);
  ASSERT_TRUE(host.link.Close(512));
  host.WaitFor([] { return false; }, 300);
  EXPECT_EQ(host.events.Count(IPC::kEvtClosed), 1u) << "a second close does nothing";
  // The id is free again.
  ASSERT_TRUE(host.link.CreateBrowser(Second(host, 512, u"again")));
  EXPECT_NE(host.FindBrowserWindow(L"again"), nullptr);
  EXPECT_EQ(WaitForSingleObject(host.link.host_process(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

TEST(HostLink, CreateForAnExistingIdChangesNothing) {
  HostSession host;
  ASSERT_TRUE(host.Start());
  host.link.set_delivery(corvane::ParentLink::Delivery::kImmediate);
  ASSERT_TRUE(host.link.CreateBrowser(Second(host, 256, u"duplicate")));
  EXPECT_EQ(host.FindBrowserWindow(L"duplicate"), nullptr);
  EXPECT_NE(host.FindBrowserWindow(L"main window"), nullptr);
  EXPECT_EQ(host.CountLogLinesEndingWith("webview exist"), 1u);
}

TEST(HostLink, PageCallForUnknownWindowAnswersStatusFive) {
  HostSession host;
  ASSERT_TRUE(host.Start());
  ASSERT_TRUE(host.link.CallPageFunction(1024, 77, u"fn", {u"a"}));
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtPageCallResult) == 1; }));
  const testwin::RecordedEvent& e = host.events.events.back();
  EXPECT_EQ(e.window_id, 1024);
  EXPECT_EQ(e.number, 77);
  EXPECT_EQ(e.status, IPC::kCallNoWindow);
  EXPECT_EQ(e.texts, std::vector<std::u16string>{u""});
}

TEST(HostLink, PageCallBeforeThereIsAPageIsNotCalled) {
  HostSession host;
  ASSERT_TRUE(host.Start());
  ASSERT_TRUE(host.link.CallPageFunction(256, 5, u"fn", {}));
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtPageCallResult) == 1; }));
  EXPECT_EQ(host.events.events.back().status, IPC::kCallNotCalled);
  EXPECT_EQ(host.events.events.back().number, 5);
}

// Calls into a page that never registers anything wait for it, but only so many: the rest are
// answered "not called" at once, the host's memory stays flat, and closing the window answers
// every call still waiting.
TEST(HostLink, PageCallsWaitingForThePageAreBoundedAndAnsweredAtClose) {
  HostSession host;
  ASSERT_TRUE(host.StartAt(256, u"https://never-registers.example/"));
  host.link.set_delivery(corvane::ParentLink::Delivery::kImmediate);
  const int kCalls = 40000;
  const int kWaiting = 4096;  // the host's bound
  SIZE_T after_bound = 0;
  const DWORD start = GetTickCount();
  for (int i = 1; i <= kCalls; ++i) {
    ASSERT_TRUE(host.link.CallPageFunction(256, i, u"neverRegistered", {u"some argument text"}));
    if (i == 2 * kWaiting) {
      ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtPageCallResult) == size_t(i - kWaiting); }));
      after_bound = testwin::ProcessMemory(host.link.host_process()).PagefileUsage;
    }
  }
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtPageCallResult) == size_t(kCalls - kWaiting); }, 30000))
      << host.events.Count(IPC::kEvtPageCallResult);
  const SIZE_T after_all = testwin::ProcessMemory(host.link.host_process()).PagefileUsage;
  ASSERT_NE(after_bound, 0u);
  EXPECT_LT(after_all, after_bound + (2 << 20)) << "memory grew with calls beyond the bound";
  std::set<int64_t> answered;
  for (const testwin::RecordedEvent& e : host.events.Of(IPC::kEvtPageCallResult)) {
    EXPECT_EQ(e.status, IPC::kCallNotCalled);
    answered.insert(e.number);
  }
  EXPECT_EQ(*answered.begin(), kWaiting + 1) << "the first calls wait";
  const size_t seconds = (GetTickCount() - start) / 1000 + 1;
  EXPECT_LE(host.CountLogLinesEndingWith("calls wait for the page already"), 5 * seconds) << "a few lines a second";

  ASSERT_TRUE(host.link.Close(256));
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtPageCallResult) == size_t(kCalls); }))
      << host.events.Count(IPC::kEvtPageCallResult);
  for (const testwin::RecordedEvent& e : host.events.Of(IPC::kEvtPageCallResult)) answered.insert(e.number);
  EXPECT_EQ(answered.size(), static_cast<size_t>(kCalls)) << "every call is answered once";
  EXPECT_EQ(host.WaitForHostExit(), 0xFFFFFFFFu);
}

TEST(HostLink, RoutingSelectsListeners) {
  HostSession host;
  HWND second = StartWithSecondWindow(host);
  ASSERT_NE(second, nullptr);

  // Routing 2 is the parent's own route: the host's dispatcher (route 1) ignores it.
  IPC::Message hide(IPC::kHostRouting, 512 | IPC::kCmdShow, IPC::kPriority);
  ASSERT_TRUE(hide.WriteInt(0));
  ASSERT_TRUE(corvane::Send(host.link, hide));
  EXPECT_TRUE(HostSession::Shown(second));
  EXPECT_EQ(host.events.Count(IPC::kCmdShow), 0u);

  // Routing 0 reaches every listener: the host's, and our own.
  IPC::Message hide_all(0, 512 | IPC::kCmdShow, IPC::kPriority);
  ASSERT_TRUE(hide_all.WriteInt(0));
  ASSERT_TRUE(corvane::Send(host.link, hide_all));
  EXPECT_FALSE(HostSession::Shown(second));
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kCmdShow) == 1; }));
}

TEST(HostLink, CommandsComeFromTheLinksThreadAsWholeMessages) {
  HostSession host;
  HWND second = StartWithSecondWindow(host);
  ASSERT_NE(second, nullptr);
  bool sent_from_another_thread = true;
  std::thread([&] { sent_from_another_thread = host.link.Show(512, false); }).join();
  EXPECT_FALSE(sent_from_another_thread) << "a link belongs to the thread that made it";

  IPC::Message hide = corvane::MakeCommand(512, IPC::kCmdShow);
  ASSERT_TRUE(hide.WriteInt(0));
  const std::string whole(reinterpret_cast<const char*>(hide.data()), hide.size());
  for (const std::string& wrong : {whole.substr(0, 15), whole.substr(0, whole.size() - 1), whole + '\0'}) {
    EXPECT_FALSE(host.link.SendMessageBytes(wrong.data(), wrong.size())) << wrong.size() << " bytes";
  }
  EXPECT_FALSE(host.link.SendMessageBytes(nullptr, whole.size()));
  EXPECT_TRUE(HostSession::Shown(second));
  ASSERT_TRUE(host.link.SendMessageBytes(whole.data(), whole.size()));
  EXPECT_FALSE(HostSession::Shown(second));
}

TEST(HostLink, HostStartedBeforeTheParentWindowFindsItLater) {
  HostSession host;
  ASSERT_TRUE(host.Start(256, /*open_first=*/false));
  ASSERT_TRUE(host.OpenLink());
  ASSERT_TRUE(host.link.CallPageFunction(4096, 9, u"fn", {}));
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtPageCallResult) == 1; }));
  EXPECT_EQ(host.events.events.back().number, 9);
}

TEST(HostLink, ClosingTheMainWindowEndsTheHost) {
  HostSession host;
  ASSERT_TRUE(host.Start());
  ASSERT_TRUE(host.link.Close(256));
  EXPECT_EQ(host.WaitForHostExit(), 0xFFFFFFFFu);
  ASSERT_TRUE(host.WaitFor([&] { return host.events.host_exits == 1; }));
  EXPECT_EQ(host.events.exit_code_, 0xFFFFFFFFu);
  EXPECT_EQ(host.CountLogLinesEndingWith("[main] quit process"), 1u);
  const std::vector<std::string> lines = host.LogLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_NE(lines[lines.size() - 2].find("quit process"), std::string::npos);
  EXPECT_NE(lines.back().find("-------log end"), std::string::npos);
}

TEST(HostLink, ParentWindowThatIsNoWindowEndsTheHostAtOnce) {
  HostSession host;
  ASSERT_TRUE(host.OpenLink());
  corvane::HostWindowSettings s = host.MainSettings(256);
  s.parent_window = 0x7FFFFFF0;  // no such window
  wchar_t saved[MAX_PATH] = {};
  GetEnvironmentVariableW(L"TMP", saved, MAX_PATH);
  SetEnvironmentVariableW(L"TMP", (host.temp_folder + L"\\").c_str());
  ASSERT_TRUE(host.link.StartHost(testwin::HostProgram(), s));
  SetEnvironmentVariableW(L"TMP", saved);
  EXPECT_EQ(host.WaitForHostExit(), 0xFFFFFFFFu);
  EXPECT_EQ(host.CountLogLinesEndingWith("[main] quit process"), 1u);
}

TEST(HostLink, KillingTheParentEndsTheHostOnce) {
  // The parent is a process of its own here, so that it can be killed.
  const std::wstring folder = testwin::MakeTempFolder(L"killed-parent");
  const std::wstring log = testwin::MakeHostLogPath(folder);
  testwin::WriteFileBytes(log + L".on", "");
  const std::wstring pid_file = folder + L"\\host.pid";
  testwin::ChildProcess parent;
  ASSERT_TRUE(parent.Start(ProgramFolder() + L"\\parent_helper.exe", L"\"" + pid_file + L"\"",
                           {{L"TMP", folder + L"\\"}, {L"TEMP", folder + L"\\"}}));
  std::string pid_text;
  for (int i = 0; i < 500 && (pid_text = testwin::ReadFileBytes(pid_file)).empty(); ++i) Sleep(20);
  ASSERT_FALSE(pid_text.empty());
  const ScopedHandle host(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, std::stoul(pid_text)));
  ASSERT_TRUE(host.IsValid());
  Sleep(300);
  parent.Kill();
  ASSERT_EQ(WaitForSingleObject(host.Get(), 10000), static_cast<DWORD>(WAIT_OBJECT_0));
  DWORD code = 0;
  GetExitCodeProcess(host.Get(), &code);
  EXPECT_EQ(code, 0xFFFFFFFFu);
  size_t quits = 0, uninits = 0, ends = 0;
  for (const std::string& line : SplitCrLfLines(testwin::ReadFileBytes(log))) {
    quits += line.find("browser process quit") != std::string::npos;
    uninits += line.find("ipc channel uninit end") != std::string::npos;
    ends += line.find("[main] quit process") != std::string::npos;
  }
  EXPECT_EQ(quits, 1u);
  EXPECT_EQ(uninits, 1u) << "the parent's exit is handled exactly once";
  EXPECT_EQ(ends, 1u);
  testwin::RemoveTree(folder);
}

// Another process on the desktop knows the channel's name: it sends the host commands and puts
// up a window of the parent's name. The host obeys neither it nor sends it anything, and the
// real parent works on.
TEST(HostLink, AForeignSenderAndASquattingWindowAreRefused) {
  HostSession host;
  ASSERT_TRUE(host.StartAt(256, u"https://first.example/"));
  HWND window = nullptr;
  ASSERT_TRUE(host.WaitFor([&] { return (window = host.FindBrowserWindow(L"main window")) != nullptr; }));
  const std::wstring tag = std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount());
  const std::wstring ready_name = L"corvane-intruder-ready-" + tag, stop_name = L"corvane-intruder-stop-" + tag;
  const ScopedHandle ready(CreateEventW(nullptr, TRUE, FALSE, ready_name.c_str()));
  const ScopedHandle stop(CreateEventW(nullptr, TRUE, FALSE, stop_name.c_str()));
  const std::wstring record = host.temp_folder + L"\\intruder.txt";
  testwin::ChildProcess intruder;
  ASSERT_TRUE(intruder.Start(ProgramFolder() + L"\\parent_helper.exe",
                             L"--intrude " + std::wstring(as_wcstr(host.channel)) + L" " + ready_name + L" " +
                                 stop_name + L" \"" + record + L"\"",
                             {}));
  ASSERT_TRUE(host.WaitFor([&] { return WaitForSingleObject(ready.Get(), 0) == WAIT_OBJECT_0; }, 20000));
  // While the squatter's window is up, the host reports to the parent: a new title.
  const std::string view = std::to_string(host.events.Of(IPC::kEvtCreated)[0].number);
  EXPECT_EQ(host.Engine("title-changed\t" + view + "\tafter the intruder"), "ok");
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtTitleChanged) == 1; }));
  SetEvent(stop.Get());
  EXPECT_EQ(intruder.Wait(20000), 0u);
  EXPECT_EQ(testwin::ReadFileBytes(record), "0") << "nothing was sent to the squatter";
  EXPECT_TRUE(IsWindow(window)) << "the foreign close was refused";
  EXPECT_TRUE(HostSession::Shown(window)) << "the foreign hide was refused";
  EXPECT_EQ(host.events.Count(IPC::kEvtClosed), 0u);
  size_t refusals = 0;
  for (const std::string& line : host.LogLines()) refusals += line.find("ipc channel refused a message") != std::string::npos;
  EXPECT_EQ(refusals, 2u) << "the hide and the close";
  // The parent's own commands still work.
  ASSERT_TRUE(host.link.Close(256));
  EXPECT_EQ(host.WaitForHostExit(), 0xFFFFFFFFu);
  EXPECT_EQ(host.events.Count(IPC::kEvtClosed), 1u);
}

TEST(HostLink, AChannelNameInUseIsRefusedByTheParent) {
  HostSession host;
  ASSERT_TRUE(host.OpenLink());
  corvane::ParentLink second{&host.events};
  EXPECT_FALSE(second.Open(host.channel)) << "another parent's channel";
  EXPECT_EQ(second.channel_window(), nullptr);
}

// Another process can post the private message numbers with any values; none may crash the
// host or take its windows away.
TEST(HostLink, ForeignPrivateMessagesAreIgnored) {
  HostSession host;
  ASSERT_TRUE(host.Start());
  HWND channel = host.HostChannelWindow();
  HWND browser = nullptr;
  ASSERT_TRUE(host.WaitFor([&] { return (browser = host.FindBrowserWindow(L"main window")) != nullptr; }));
  HWND ui = testwin::FindWindowOfProcess(host.link.host_process_id(), [](HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return std::wstring(name) == L"CorvaneUIThreadWindow";
  });
  ASSERT_NE(ui, nullptr);
  const UINT dispatch = RegisterWindowMessageW(L"uithread_message-{AABF64BC-B6B7-46DC-8253-AFC460777BAB}");
  for (uintptr_t garbage : {uintptr_t{0x12345678}, uintptr_t{0x7FFE0000}, uintptr_t{1}}) {
    PostMessageW(channel, WM_USER + 100, 0, static_cast<LPARAM>(garbage));
    PostMessageW(channel, WM_USER + 102, static_cast<WPARAM>(garbage), 0);
    PostMessageW(ui, dispatch, static_cast<WPARAM>(garbage), 0);
    PostMessageW(browser, WM_USER + 101, static_cast<WPARAM>(garbage), 0);
  }
  PostMessageW(channel, WM_USER + 101, 0, 0);
  ASSERT_TRUE(host.link.CallPageFunction(4096, 3, u"f", {}));
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtPageCallResult) == 1; }));
  EXPECT_TRUE(IsWindow(channel)) << "the channel window was not destroyed";
  EXPECT_EQ(WaitForSingleObject(host.link.host_process(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

TEST(HostLink, FloodWithMalformedBuffersLosesNoValidMessage) {
  HostSession host;
  ASSERT_TRUE(host.Start());
  HWND target = host.HostChannelWindow();
  ASSERT_NE(target, nullptr);
  const int kValid = 3000;
  int malformed = 0;
  auto send_raw = [&](const void* data, DWORD size, ULONG_PTR tag) {
    COPYDATASTRUCT record{tag, size, const_cast<void*>(data)};
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(target, WM_COPYDATA, reinterpret_cast<WPARAM>(host.link.channel_window()),
                        reinterpret_cast<LPARAM>(&record), SMTO_NOTIMEOUTIFNOTHUNG, 5000, &answer);
  };
  const DWORD start = GetTickCount();
  for (int i = 1; i <= kValid; ++i) {
    // A valid call for a window that does not exist: answered with event 11, status 5.
    IPC::Message valid = corvane::MakeCommand(0x0F00, IPC::kCmdCallPageFunction);
    ASSERT_TRUE(valid.WriteInt64(i));
    ASSERT_TRUE(valid.WriteString16(u"f"));
    send_raw(valid.data(), static_cast<DWORD>(valid.size()), i % 2 ? 0x8888 : 0x8889);

    const uint8_t short_bytes[3] = {1, 2, 3};
    send_raw(short_bytes, sizeof short_bytes, 0x8888);
    IPC::Message lying = corvane::MakeCommand(256, IPC::kCmdNavigate);
    ASSERT_TRUE(lying.WriteString16(u"https://x/"));
    std::string bytes(reinterpret_cast<const char*>(lying.data()), lying.size());
    bytes[0] = static_cast<char>(0xF0);  // body length beyond the buffer
    send_raw(bytes.data(), static_cast<DWORD>(bytes.size()), 0x8889);
    IPC::Message huge = corvane::MakeCommand(256, IPC::kCmdNavigate);
    ASSERT_TRUE(huge.WriteInt(0x7FFFFFFF));  // a text count far past the end
    ASSERT_TRUE(huge.WriteInt(0x00410041));
    send_raw(huge.data(), static_cast<DWORD>(huge.size()), 0x8888);
    IPC::Message negative = corvane::MakeCommand(256, IPC::kCmdCreateBrowser);
    ASSERT_TRUE(negative.WriteInt(-5));
    send_raw(negative.data(), static_cast<DWORD>(negative.size()), 0x8889);
    send_raw(nullptr, 0, 0x8888);
    send_raw(valid.data(), static_cast<DWORD>(valid.size()), 0x1234);  // unknown tag
    malformed += 6;
    if (i % 100 == 0) host.WaitFor([] { return false; }, 1);
  }
  const DWORD sent_ms = GetTickCount() - start;
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtPageCallResult) >= kValid; }, 60000))
      << host.events.Count(IPC::kEvtPageCallResult) << " answers";
  const DWORD answered_ms = GetTickCount() - start;
  std::set<int64_t> ids;
  for (const testwin::RecordedEvent& e : host.events.events) {
    if (e.code != IPC::kEvtPageCallResult) continue;
    EXPECT_EQ(e.status, IPC::kCallNoWindow);
    EXPECT_EQ(e.window_id, 0x0F00);
    ids.insert(e.number);
  }
  EXPECT_EQ(ids.size(), static_cast<size_t>(kValid));
  EXPECT_EQ(*ids.begin(), 1);
  EXPECT_EQ(*ids.rbegin(), kValid);
  EXPECT_EQ(host.FindBrowserWindow(L"main window") != nullptr, true) << "the host is still serving";
  EXPECT_EQ(WaitForSingleObject(host.link.host_process(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
  std::printf("flood: %d valid and %d malformed messages sent in %lu ms, all answered after %lu ms\n",
              kValid, malformed, static_cast<unsigned long>(sent_ms),
              static_cast<unsigned long>(answered_ms));
}

}  // namespace
