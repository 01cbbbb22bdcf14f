// The host's life cycle against the parent and the test engine: a parent window that is not
// there yet, hostile create commands and window ids, a navigation or a close while a window is
// still being created, creation failures, a close while queued page calls run, and a crash.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "base/text_convert.h"
#include "base/text_win.h"
#include "crash/dump_store.h"
#include "crash/minidump_reader.h"
#include "host_session.h"
#include "webview2common/message/ipc_protocol.h"
#include "webview2common/window_handle_win.h"

namespace {

using testwin::FindLine;
using testwin::HostSession;
using Lines = std::vector<std::string>;

int Count(const Lines& lines, const std::string& text) {
  return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const std::string& l) {
    return l.find(text) != std::string::npos;
  }));
}

// The CPU time (user and system, in 1/100 s) of the Unix process whose command line contains
// marker, or -1. Wine shows a Windows program's own command line there; its own process-time
// figures for another process are not kept current.
long long CpuTicksOf(const std::string& marker) {
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileW(L"Z:\\proc\\*", &entry);
  if (find == INVALID_HANDLE_VALUE) return -1;
  long long ticks = -1;
  do {
    const std::wstring pid = entry.cFileName;
    if (pid.empty() || pid.find_first_not_of(L"0123456789") != std::wstring::npos) continue;
    const std::string command = testwin::ReadFileBytes(L"Z:\\proc\\" + pid + L"\\cmdline");
    if (command.find(marker) == std::string::npos || command.find("Corvane") == std::string::npos) continue;
    const std::string stat = testwin::ReadFileBytes(L"Z:\\proc\\" + pid + L"\\stat");
    // Fields after the command name in parentheses: state is field 3, utime 14, stime 15.
    size_t at = stat.rfind(')');
    if (at == std::string::npos) continue;
    unsigned long long utime = 0, stime = 0;
    if (std::sscanf(stat.c_str() + at + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu",
                    &utime, &stime) == 2) {
      ticks = static_cast<long long>(utime + stime);
    }
  } while (FindNextFileW(find, &entry));
  FindClose(find);
  return ticks;
}

void SendRaw(HWND sender, HWND target, const IPC::Message& message, ULONG_PTR tag) {
  COPYDATASTRUCT record{tag, static_cast<DWORD>(message.size()), const_cast<uint8_t*>(message.data())};
  DWORD_PTR answer = 0;
  SendMessageTimeoutW(target, WM_COPYDATA, reinterpret_cast<WPARAM>(sender), reinterpret_cast<LPARAM>(&record),
                      SMTO_NOTIMEOUTIFNOTHUNG, 5000, &answer);
}

TEST(Lifecycle, AnswersWaitQuietlyForAMissingParentWindowAndArriveInOrder) {
  HostSession host;
  ASSERT_TRUE(host.Start(256, /*open_first=*/false));
  const HWND target = host.HostChannelWindow();
  ASSERT_NE(target, nullptr);
  // Page calls for a window that does not exist: each is answered with event 11, and the
  // answers queue up while the parent has no channel window.
  const int kCalls = 30;
  for (int i = 1; i <= kCalls; ++i) {
    IPC::Message call = corvane::MakeCommand(0x0F00, IPC::kCmdCallPageFunction);
    ASSERT_TRUE(call.WriteInt64(i));
    ASSERT_TRUE(call.WriteString16(u"f"));
    SendRaw(host.parent_window, target, call, 0x8889);  // handled before the send returns: answers queue in this order
  }
  host.WaitFor([] { return false; }, 300);
  const std::string marker = text::Utf16ToUtf8(host.channel);
  const long long before = CpuTicksOf(marker);
  ASSERT_GE(before, 0) << "the host's process is found";
  host.WaitFor([] { return false; }, 1000);
  const long long used = CpuTicksOf(marker) - before;
  EXPECT_LT(used, 15) << "the sender waits instead of spinning: " << used << " ticks in one second";

  ASSERT_TRUE(host.OpenLink());
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtPageCallResult) == kCalls; }));
  host.WaitFor([] { return false; }, 200);
  const auto answers = host.events.Of(IPC::kEvtPageCallResult);
  ASSERT_EQ(answers.size(), static_cast<size_t>(kCalls)) << "none lost, none twice";
  for (int i = 0; i < kCalls; ++i) EXPECT_EQ(answers[i].number, i + 1) << "in the order asked";
}

TEST(Lifecycle, EverythingQueuedBeforeTheMainWindowClosesReachesTheParent) {
  HostSession host;
  ASSERT_TRUE(host.Start());
  host.link.set_delivery(corvane::ParentLink::Delivery::kDeferred);
  // Answers queued ahead of the close: the host is shutting down while its sender still has
  // them and event 2 to send.
  const int kCalls = 300;
  for (int i = 1; i <= kCalls; ++i) ASSERT_TRUE(host.link.CallPageFunction(4096, i, u"f", {}));
  ASSERT_TRUE(host.link.Close(256));
  EXPECT_EQ(host.WaitForHostExit(), 0xFFFFFFFFu);
  host.WaitFor([&] { return host.events.Count(IPC::kEvtClosed) == 1; }, 2000);
  EXPECT_EQ(host.events.Count(IPC::kEvtPageCallResult), static_cast<size_t>(kCalls));
  EXPECT_EQ(host.events.Count(IPC::kEvtClosed), 1u) << "event 2 of the main window is sent";
}

TEST(Lifecycle, CreateCommandsThatNameAnotherOrAnInvalidWindowCreateNothing) {
  HostSession host;
  ASSERT_TRUE(host.Start());
  HWND main_window = nullptr;
  ASSERT_TRUE(host.WaitFor([&] { return (main_window = host.FindBrowserWindow(L"main window")) != nullptr; }));
  char hex[16];
  std::snprintf(hex, sizeof hex, "%X", WindowHandleValue(host.parent_window));
  const std::u16string parent = text::AsciiToUtf16(hex);
  struct Case {
    int32_t command_id;
    const char16_t* settings_id;
  };
  // The live main window's id, under another id and under window 0; ids no message can carry.
  for (const Case& c : {Case{512, u"256"}, Case{0, u"256"}, Case{512, u"300"}, Case{768, u"70000"}}) {
    IPC::Message create = corvane::MakeCommand(c.command_id, IPC::kCmdCreateBrowser);
    const IPC::CreateBrowserCommand body{u"--web_view_id=" + std::u16string(c.settings_id) + u" --parent_wnd=" +
                                         parent + u" --tab_rect=0,0,100,100 --class_name=hostile"};
    ASSERT_TRUE(IPC::WriteBody(create, body));
    ASSERT_TRUE(corvane::Send(host.link, create));
  }
  host.WaitFor([] { return false; }, 500);
  EXPECT_EQ(host.FindBrowserWindow(L"hostile"), nullptr) << "nothing was created";
  EXPECT_TRUE(IsWindow(main_window)) << "the main window is untouched";
  EXPECT_EQ(host.events.Count(IPC::kEvtClosed), 0u);
  EXPECT_EQ(host.CountLogLinesEndingWith("create webview refused: web_view_id=256 exists"), 2u);
  EXPECT_EQ(host.CountLogLinesEndingWith("create webview refused: invalid web_view_id=300"), 1u);
  EXPECT_EQ(host.CountLogLinesEndingWith("create webview refused: invalid web_view_id=65535"), 0u);

  // The main window still obeys the parent, and its close still ends the host.
  ASSERT_TRUE(host.link.SetBounds(256, 5, 6, 200, 100));
  ASSERT_TRUE(host.WaitFor([&] {
    RECT r{};
    GetClientRect(main_window, &r);
    return r.right == 200 && r.bottom == 100;
  }));
  ASSERT_TRUE(host.link.Close(256));
  EXPECT_EQ(host.WaitForHostExit(), 0xFFFFFFFFu);
}

// The create command's own id only picks the window that must not exist yet: a parent may send
// it as type 13 alone (window 0, none yet) and name the new window in the text.
TEST(Lifecycle, CreateCommandRegistersTheWindowNamedInItsText) {
  HostSession host;
  ASSERT_TRUE(host.Start());
  corvane::HostWindowSettings second = host.MainSettings(512);
  second.title = u"second";
  second.url = u"https://second.example/";
  std::u16string text;
  ASSERT_TRUE(corvane::BuildSettingsText(second, &text));
  IPC::Message create = corvane::MakeCommand(0, IPC::kCmdCreateBrowser);
  ASSERT_EQ(create.type(), 0x000Du);
  ASSERT_TRUE(IPC::WriteBody(create, IPC::CreateBrowserCommand{text}));
  ASSERT_TRUE(corvane::Send(host.link, create));
  // The main window has no address, so its browser is never created: event 1 is the new one's.
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtCreated) == 1; }));
  EXPECT_EQ(host.events.Of(IPC::kEvtCreated)[0].window_id, 512);
  EXPECT_NE(host.FindBrowserWindow(L"second"), nullptr);
  ASSERT_TRUE(host.link.Close(512));
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtClosed) == 1; }));
  EXPECT_EQ(host.events.Of(IPC::kEvtClosed)[0].window_id, 512) << "it obeys commands under its id";
}

// 0 is the settings' default id and names a window like any other multiple of 256.
TEST(Lifecycle, MainWindowZeroIsReadyAndItsCloseEndsTheHost) {
  HostSession host;
  ASSERT_TRUE(host.StartAt(0, u"https://first.example/"));
  EXPECT_EQ(host.events.Of(IPC::kEvtCreated)[0].window_id, 0);
  ASSERT_TRUE(host.link.Close(0));
  EXPECT_EQ(host.WaitForHostExit(), 0xFFFFFFFFu);
  ASSERT_EQ(host.events.Count(IPC::kEvtClosed), 1u);
  EXPECT_EQ(host.events.Of(IPC::kEvtClosed)[0].window_id, 0);
}

TEST(Lifecycle, InvalidWindowIdOnTheCommandLineEndsTheHost) {
  for (int32_t id : {300, 65536, -256}) {
    HostSession host;
    ASSERT_TRUE(host.StartWith(host.MainSettings(id)));
    EXPECT_EQ(host.WaitForHostExit(), 0xFFFFFFFFu) << id;
    EXPECT_EQ(host.CountLogLinesEndingWith("invalid web_view_id=" + std::to_string(id) + ", quit"), 1u);
    EXPECT_EQ(host.CountLogLinesEndingWith("[main] quit process"), 1u);
  }
}

corvane::HostWindowSettings Window(const HostSession& host, const char16_t* url) {
  corvane::HostWindowSettings s = host.MainSettings(256);
  s.url = url;
  return s;
}

TEST(Lifecycle, NavigationWhileTheBrowserIsCreatedStartsNoSecondOne) {
  HostSession host;
  // The parent library's own usage: start with an address, then navigate at once.
  host.link.set_delivery(corvane::ParentLink::Delivery::kImmediate);
  ASSERT_TRUE(host.StartWith(Window(host, u"https://first.example/")));
  ASSERT_TRUE(host.link.Navigate(256, u"https://second.example/"));
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtCreated) >= 1; }));
  const std::string view = std::to_string(host.events.Of(IPC::kEvtCreated)[0].number);
  ASSERT_TRUE(host.WaitFor([&] { return FindLine(host.EngineCalls(), view + " Navigate ") >= 0; }));
  host.WaitFor([] { return false; }, 500);
  const Lines calls = host.EngineCalls();
  EXPECT_EQ(Count(calls, "CreateCoreWebView2EnvironmentWithOptions"), 1);
  EXPECT_EQ(Count(calls, "CreateCoreWebView2Controller window="), 1);
  EXPECT_EQ(host.events.Count(IPC::kEvtCreated), 1u);
  EXPECT_EQ(Count(calls, " Navigate "), 1);
  EXPECT_GE(FindLine(calls, view + " Navigate https://second.example/"), 0) << "the latest address is loaded";
}

TEST(Lifecycle, NavigationFromTheReadyEventLoadsOnlyTheNewAddress) {
  HostSession host;
  host.link.set_delivery(corvane::ParentLink::Delivery::kImmediate);
  host.events.on_ready = [&](int32_t id, uint32_t) { host.link.Navigate(id, u"https://from-ready.example/"); };
  ASSERT_TRUE(host.StartWith(Window(host, u"https://first.example/")));
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtCreated) == 1; }));
  const std::string view = std::to_string(host.events.Of(IPC::kEvtCreated)[0].number);
  ASSERT_TRUE(host.WaitFor([&] { return FindLine(host.EngineCalls(), view + " add_NewWindowRequested") >= 0; }));
  const Lines calls = host.EngineCalls();
  EXPECT_EQ(Count(calls, " Navigate "), 1);
  EXPECT_GE(FindLine(calls, view + " Navigate https://from-ready.example/"), 0);
  EXPECT_EQ(Count(calls, "CreateCoreWebView2Controller window="), 1);
}

TEST(Lifecycle, CloseFromTheReadyEventEndsTheCreation) {
  HostSession host;
  host.link.set_delivery(corvane::ParentLink::Delivery::kImmediate);
  host.events.on_ready = [&](int32_t id, uint32_t) { host.link.Close(id); };
  ASSERT_TRUE(host.StartWith(Window(host, u"https://first.example/")));
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtCreated) == 1; }));
  EXPECT_EQ(host.WaitForHostExit(), 0xFFFFFFFFu);
  EXPECT_EQ(host.events.Count(IPC::kEvtCreated), 1u);
  EXPECT_EQ(host.CountLogLinesEndingWith("[main] quit process"), 1u);
  EXPECT_EQ(host.CountLogLinesEndingWith("parse original url:https://first.example/"), 0u)
      << "nothing after event 1 ran on the closed window";
}

// Starts a host whose main window waits for a navigation, with the engine up.
void StartBlank(HostSession& host) {
  ASSERT_TRUE(host.StartWith(Window(host, u"about:blank")));
  ASSERT_TRUE(host.WaitFor([&] { return FindLine(host.EngineCalls(), "GetAvailableCoreWebView2BrowserVersionString") >= 0; }));
  host.link.set_delivery(corvane::ParentLink::Delivery::kImmediate);
}

TEST(Lifecycle, CreationFailuresAfterTheRequestAreReportedToTheParent) {
  struct Case {
    const char* setting;  // the engine setting that makes the step fail, with E_FAIL/E_ACCESSDENIED
    const char* result;
    const char16_t* reason;
  };
  const Case cases[] = {
      {"environment-completion-result", "0x80004005", u"CreateCoreWebView2EnvironmentWithOptions fail"},
      {"controller-request-result", "0x80070005", u"CreateCoreWebView2Controller fail, error: -2147024891"},
  };
  for (const Case& c : cases) {
    HostSession host;
    StartBlank(host);
    ASSERT_EQ(host.Engine(std::string("set\t") + c.setting + "\t" + c.result), "ok");
    ASSERT_TRUE(host.link.Navigate(256, u"https://a.example/"));
    ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtLoadFailed) == 1; })) << c.setting;
    EXPECT_EQ(host.events.Of(IPC::kEvtLoadFailed)[0].texts,
              (std::vector<std::u16string>{u"https://a.example/", c.reason}));
    EXPECT_EQ(host.events.Count(IPC::kEvtCreated), 0u);

    // A failed chain is started again by the next navigation.
    ASSERT_EQ(host.Engine(std::string("set\t") + c.setting + "\t0"), "ok");
    ASSERT_TRUE(host.link.Navigate(256, u"https://b.example/"));
    ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtCreated) == 1; })) << c.setting;
  }
}

TEST(Lifecycle, CloseWhileQueuedPageCallsRunKeepsTheWindowUntilTheyAreDone) {
  HostSession host;
  // Freed memory is filled by Wine's heap checks here, so that a window used after it was
  // freed cannot go unnoticed.
  ASSERT_TRUE(host.StartWith(Window(host, u"https://app.example/"), {{L"WINEDEBUG", L"warn+heap"}}));
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtCreated) == 1; }));
  const std::string view = std::to_string(host.events.Of(IPC::kEvtCreated)[0].number);
  ASSERT_TRUE(host.WaitFor([&] { return FindLine(host.EngineCalls(), view + " add_NavigationStarting") >= 0; }));
  ASSERT_EQ(host.Engine("navigation-starting\t" + view + "\thttps://app.example/"), "ok");

  // Two parent calls wait for the page's first registration; the first page function runs
  // long enough for the parent's close to arrive in the middle.
  ASSERT_TRUE(host.link.CallPageFunction(256, 1, u"slowFn", {}));
  ASSERT_TRUE(host.link.CallPageFunction(256, 2, u"slowFn", {}));
  host.WaitFor([] { return false; }, 200);
  ASSERT_NE(host.Engine("script\t" + view + "\tRegisterFunction\tf:slowFn\ts:slowFn").find("hr=0x00000000"),
            std::string::npos);
  ASSERT_TRUE(host.WaitFor([&] { return FindLine(host.EngineCalls(), view + " page-function slowFn(") >= 0; }));
  ASSERT_TRUE(host.link.Close(256));

  EXPECT_EQ(host.WaitForHostExit(), 0xFFFFFFFFu) << "the host ends normally, it does not crash";
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtPageCallResult) == 2; }, 3000));
  const auto answers = host.events.Of(IPC::kEvtPageCallResult);
  EXPECT_EQ(answers[0].number, 1);
  EXPECT_EQ(answers[0].status, IPC::kCallDone);
  EXPECT_EQ(answers[1].number, 2);
  EXPECT_EQ(host.events.Count(IPC::kEvtClosed), 1u);
}

// A close that cannot finish (the engine stops answering inside it): past the bound the parent
// hears event 2 and the host ends as after any close.
TEST(Lifecycle, AMainWindowThatCannotCloseIsTornDownWithinTheBound) {
  HostSession host;
  ASSERT_TRUE(host.StartAt(256, u"https://first.example/", {{L"CORVANE_ENGINE_HANG", L"remove-events"}}));
  const DWORD start = GetTickCount();
  ASSERT_TRUE(host.link.Close(256));
  EXPECT_EQ(host.WaitForHostExit(30000), 0xFFFFFFFFu);
  EXPECT_LT(GetTickCount() - start, 25000u);
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtClosed) == 1; }, 2000));
  EXPECT_EQ(host.events.Of(IPC::kEvtClosed)[0].window_id, 256);
  EXPECT_EQ(host.CountLogLinesEndingWith("the main window did not close in time, the host ends"), 1u);
}

}  // namespace

// The real uploader lies beside the host: a crash of the host leaves its minidump in the crash
// folder under the host's data directory, and the parent sees the host end as any other end.
// So too for a fault in a call the system makes from frames that would swallow it: inside
// WM_CREATE (sent from CreateWindowEx) and inside a COM completion handler.
TEST(Lifecycle, ACrashOfTheHostLeavesItsDumpAndTheParentSeesTheHostEnd) {
  for (const char* point : {"request", "create-environment", "create-controller"}) {
    SCOPED_TRACE(point);
    HostSession host;
    const bool by_request = std::string(point) == "request";
    testwin::ChildProcess::Environment env;
    if (!by_request) env.push_back({L"CORVANE_ENGINE_CRASH", std::wstring(point, point + strlen(point))});
    ASSERT_TRUE(host.StartWith(Window(host, u"https://first.example/"), env));
    if (by_request) {
      ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtCreated) == 1; }));
      EXPECT_EQ(host.Engine("crash\taccess-violation"), "ok");
    }
    const DWORD pid = host.link.host_process_id();
    EXPECT_EQ(host.WaitForHostExit(20000), 0xC0000005u);
    EXPECT_TRUE(host.WaitFor([&] { return host.events.host_exits == 1; }));
    EXPECT_EQ(host.events.exit_code_, 0xC0000005u);

    const std::wstring folder = host.temp_folder + L"\\Tandrel\\crash\\";
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"Corvane-*.dmp").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE) << "no dump";
    const std::wstring dump = data.cFileName;
    EXPECT_FALSE(FindNextFileW(find, &data)) << "one crash, one dump";
    FindClose(find);
    std::string error;
    const auto summary = crash::ReadMinidump(testwin::ReadFileBytes(folder + dump), &error);
    ASSERT_TRUE(summary) << error;
    ASSERT_TRUE(summary->exception);
    EXPECT_EQ(summary->exception->code, 0xC0000005u);
    const auto& threads = summary->thread_ids;
    EXPECT_NE(std::find(threads.begin(), threads.end(), summary->exception->thread_id), threads.end());
    const auto metadata =
        crash::ParseMetadataJson(testwin::ReadFileBytes(folder + dump.substr(0, dump.size() - 4) + L".json"));
    ASSERT_TRUE(metadata);
    EXPECT_EQ(metadata->source, u"Corvane");
    EXPECT_EQ(metadata->version, u"1.0.0.1") << "the host's own version resource";
    EXPECT_EQ(metadata->report_mode, 0);
    EXPECT_EQ(metadata->process_id, pid);
    EXPECT_EQ(metadata->thread_id, summary->exception->thread_id);
  }
}
