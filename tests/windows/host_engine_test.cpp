// The host's browser windows against the test engine: the creation chain, the options and
// page settings, page events, and what the host does with a missing runtime.
#include <gtest/gtest.h>

#include <algorithm>

#include "base/text_convert.h"
#include "crlf_lines.h"
#include "host_session.h"
#include "webview2/document_script.h"
#include "webview2common/md5.h"
#include "webview2common/message/ipc_protocol.h"
#include "webview2common/url_parts.h"
#include "webview2common/window_handle_win.h"

namespace {

using testwin::HostSession;
using Lines = std::vector<std::string>;

using testwin::FindLine;

int Count(const Lines& lines, const std::string& text) {
  return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const std::string& l) {
    return l.find(text) != std::string::npos;
  }));
}

std::string Narrow(const std::u16string& text) { return text::Utf16ToUtf8(text); }

corvane::HostWindowSettings Window(const HostSession& host, int32_t id, const char16_t* url) {
  corvane::HostWindowSettings s = host.MainSettings(id);
  if (url != nullptr) s.url = url;
  s.title = u"window " + text::AsciiToUtf16(std::to_string(id));
  return s;
}

// Starts a host whose main window opens url and waits until its web view exists.
std::string StartReady(HostSession& host, const char16_t* url) {
  EXPECT_TRUE(host.StartWith(Window(host, 256, url)));
  EXPECT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtCreated) == 1; }));
  if (host.events.Count(IPC::kEvtCreated) != 1) return "";
  const std::string view = std::to_string(host.events.Of(IPC::kEvtCreated)[0].number);
  EXPECT_TRUE(host.WaitFor([&] { return FindLine(host.EngineCalls(), view + " add_NewWindowRequested") >= 0; }));
  return view;
}

TEST(HostEngine, BlankWindowWaitsForLoadUrlAndReportsReadyBeforeNavigating) {
  HostSession host;
  ASSERT_TRUE(host.StartWith(Window(host, 256, u"about:blank")));
  ASSERT_TRUE(host.WaitFor([&] { return FindLine(host.EngineCalls(), "GetAvailableCoreWebView2BrowserVersionString") >= 0; }));
  host.WaitFor([] { return false; }, 300);
  EXPECT_EQ(FindLine(host.EngineCalls(), "CreateCoreWebView2EnvironmentWithOptions"), -1)
      << "about:blank creates no environment";
  EXPECT_EQ(host.events.Count(IPC::kEvtCreated), 0u);

  Lines calls_at_ready;
  host.events.on_ready = [&](int32_t, uint32_t) { calls_at_ready = host.EngineCalls(); };
  ASSERT_TRUE(host.link.Navigate(256, u"https://a.example/app/"));
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtCreated) == 1; }));
  EXPECT_GE(FindLine(calls_at_ready, "CreateCoreWebView2Controller"), 0);
  EXPECT_EQ(FindLine(calls_at_ready, "Navigate "), -1) << "event 1 reaches the parent first";

  const testwin::RecordedEvent ready = host.events.Of(IPC::kEvtCreated)[0];
  EXPECT_EQ(ready.window_id, 256);
  HWND window = host.FindBrowserWindow(L"window 256");
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(static_cast<uint32_t>(ready.number), WindowHandleValue(window));
  const std::string view = std::to_string(ready.number);
  ASSERT_TRUE(host.WaitFor([&] { return FindLine(host.EngineCalls(), view + " Navigate https://a.example/app/") >= 0; }));
}

TEST(HostEngine, EmptyUrlAlsoWaits) {
  HostSession host;
  ASSERT_TRUE(host.StartWith(Window(host, 256, nullptr)));
  ASSERT_TRUE(host.WaitFor([&] { return FindLine(host.EngineCalls(), "GetAvailableCoreWebView2BrowserVersionString") >= 0; }));
  host.WaitFor([] { return false; }, 300);
  EXPECT_EQ(FindLine(host.EngineCalls(), "CreateCoreWebView2EnvironmentWithOptions"), -1);

  // Without a web view the navigation commands do nothing; an empty function name is ignored.
  host.link.set_delivery(corvane::ParentLink::Delivery::kImmediate);
  host.link.GoBack(256);
  host.link.GoForward(256);
  host.link.Reload(256);
  host.link.Stop(256);
  host.link.Mute(256, true);
  host.link.RegisterParentFunction(256, u"");
  host.link.RegisterParentFunction(256, u"named");
  const std::vector<std::string> calls = host.EngineCalls();
  for (const char* verb : {"GoBack", "GoForward", "Reload", "Stop", "put_IsMuted"}) {
    EXPECT_EQ(FindLine(calls, std::string(" ") + verb), -1) << verb;
  }
  EXPECT_EQ(host.CountLogLinesEndingWith("register funname:"), 0u);
  EXPECT_EQ(host.CountLogLinesEndingWith("register funname:named"), 1u);
}

TEST(HostEngine, OptionsPageSettingsScriptAndEventOrder) {
  HostSession host;
  corvane::HostWindowSettings main = Window(host, 256, u"https://a.example/app/index.html?q=1");
  main.browser_arguments = u"--disable-gpu --lang=de";
  ASSERT_TRUE(host.StartWith(main));
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtCreated) == 1; }));
  const std::string view = std::to_string(host.events.Of(IPC::kEvtCreated)[0].number);
  ASSERT_TRUE(host.WaitFor([&] { return FindLine(host.EngineCalls(), view + " add_NewWindowRequested") >= 0; }));
  const Lines calls = host.EngineCalls();

  const int environment = FindLine(calls, "CreateCoreWebView2EnvironmentWithOptions");
  ASSERT_GE(environment, 0);
  EXPECT_NE(calls[environment].find(
                "AdditionalBrowserArguments=--disable-gpu --lang=de|Language=zh-cn"
                "|TargetCompatibleBrowserVersion=131.0.2895.0"
                "|AllowSingleSignOnUsingOSPrimaryAccount=1|ExclusiveUserDataFolderAccess=0"
                "|IsCustomCrashReportingEnabled=0|CustomSchemeRegistrations=0"
                "|EnableTrackingPrevention=1|AreBrowserExtensionsEnabled=0|ChannelSearchKind=0"
                "|ReleaseChannels=31|ScrollBarStyle=0"),
            std::string::npos)
      << calls[environment];
  const std::string profile = Narrow(ProfileFolderDigest(u"https://a.example/app/index.html?q=1"));
  EXPECT_EQ(profile, Md5::HexDigest(std::string("a\0.\0e\0x\0a\0m\0p\0l\0e\0/\0a\0p\0p\0/\0i\0n\0d\0e\0x\0.\0h\0t\0m\0l\0", 48)));
  EXPECT_NE(calls[environment].find("\\webview_cache\\" + profile + " "), std::string::npos)
      << calls[environment];

  for (const char* setting :
       {"AreDevToolsEnabled=0", "AreDefaultContextMenusEnabled=0", "AreDefaultScriptDialogsEnabled=0",
        "IsBuiltInErrorPageEnabled=0", "IsStatusBarEnabled=0", "AreHostObjectsAllowed=1",
        "IsWebMessageEnabled=1", "IsZoomControlEnabled=0", "AreBrowserAcceleratorKeysEnabled=0"}) {
    EXPECT_GE(FindLine(calls, view + " Settings." + setting), 0) << setting;
  }
  EXPECT_GE(FindLine(calls, view + " Settings.UserAgent=Mozilla/5.0 (Windows NT 10.0; Win64; x64) "
                             "AppleWebKit/537.36 (KHTML, like Gecko) Chrome/130.0.0.0 "
                             "Safari/537.36 Edg/130.0.0.0/69.0.3497.100 KRV"),
            0);
  const int script = FindLine(calls, view + " AddScriptToExecuteOnDocumentCreated handler=0 ");
  ASSERT_GE(script, 0);
  EXPECT_NE(calls[script].find("hostObjects.sync.external"), std::string::npos)
      << "the deciphered document script is installed";

  // Registration order after the first navigation.
  int at = FindLine(calls, view + " Navigate https://a.example/app/index.html?q=1");
  ASSERT_GT(at, script);
  for (const char* step : {"add_NavigationStarting", "add_DocumentTitleChanged", "add_SourceChanged",
                           "add_ContentLoading", "add_NavigationCompleted",
                           "add_FrameNavigationCompleted", "AddWebResourceRequestedFilter * 0",
                           "add_WebResourceRequested", "add_NewWindowRequested"}) {
    const int next = FindLine(calls, view + " " + step, at + 1);
    EXPECT_GT(next, at) << step;
    at = next;
  }
  EXPECT_GE(FindLine(calls, view + " put_Bounds 0,0,800,600", at), 0) << "bounds follow the client area";
}

TEST(HostEngine, ProfileFoldersFollowHostAndPath) {
  HostSession host;
  ASSERT_TRUE(host.StartWith(Window(host, 256, u"about:blank")));
  host.link.set_delivery(corvane::ParentLink::Delivery::kImmediate);
  // The main window never made an environment, so each later window makes its own.
  ASSERT_TRUE(host.link.CreateBrowser(Window(host, 512, u"https://a.example/app/")));
  ASSERT_TRUE(host.link.CreateBrowser(Window(host, 768, u"https://a.example/app/#part")));
  ASSERT_TRUE(host.link.CreateBrowser(Window(host, 1024, u"https://a.example/other/")));
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtCreated) == 3; }));
  std::vector<std::string> folders;
  for (const std::string& line : host.EngineCalls()) {
    if (line.find("CreateCoreWebView2EnvironmentWithOptions") == std::string::npos) continue;
    const size_t at = line.find("userDataFolder=");
    folders.push_back(line.substr(at, line.find(' ', at) - at));
  }
  ASSERT_EQ(folders.size(), 3u);
  EXPECT_EQ(folders[0], folders[1]);
  EXPECT_NE(folders[0], folders[2]);
}

TEST(HostEngine, LaterWindowsShareTheMainEnvironment) {
  HostSession host;
  StartReady(host, u"https://a.example/");
  host.link.set_delivery(corvane::ParentLink::Delivery::kImmediate);
  ASSERT_TRUE(host.link.CreateBrowser(Window(host, 512, u"https://b.example/x")));
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtCreated) == 2; }));
  const Lines calls = host.EngineCalls();
  EXPECT_EQ(Count(calls, "CreateCoreWebView2EnvironmentWithOptions"), 1);
  EXPECT_EQ(Count(calls, "CreateCoreWebView2Controller window="), 2);
}

TEST(HostEngine, NavigationEvents) {
  HostSession host;
  const std::string view = StartReady(host, u"https://a.example/start");
  ASSERT_FALSE(view.empty());
  // A redirect changes the source; event 5 still names the URL given to LoadUrl.
  EXPECT_EQ(host.Engine("source-changed\t" + view + "\thttps://a.example/redirected\t1"), "ok");
  EXPECT_EQ(host.Engine("navigation-completed\t" + view + "\t1\t0"), "ok");
  EXPECT_EQ(host.Engine("navigation-completed\t" + view + "\t0\t13"), "ok");
  EXPECT_EQ(host.Engine("frame-navigation-completed\t" + view + "\t1\t0"), "ok");
  EXPECT_EQ(host.Engine("frame-navigation-completed\t" + view + "\t0\t7"), "ok");
  EXPECT_EQ(host.Engine("title-changed\t" + view + "\tHello \xE4\xB8\xAD"), "ok");
  EXPECT_EQ(host.Engine("new-window\t" + view + "\thttps://a.example/blank-target"), "handled=1");
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtNewWindow) == 1; }));

  const auto source = host.events.Of(IPC::kEvtSourceChanged);
  ASSERT_EQ(source.size(), 1u);
  EXPECT_EQ(source[0].texts, std::vector<std::u16string>{u"https://a.example/redirected"});
  const auto loaded = host.events.Of(IPC::kEvtPageLoaded);
  ASSERT_EQ(loaded.size(), 1u);
  EXPECT_EQ(loaded[0].texts, std::vector<std::u16string>{u"https://a.example/start"});
  const auto failed = host.events.Of(IPC::kEvtLoadFailed);
  ASSERT_EQ(failed.size(), 2u);
  EXPECT_EQ(failed[0].texts, (std::vector<std::u16string>{u"https://a.example/start", u"@StatusCode=13"}));
  EXPECT_EQ(failed[1].texts, (std::vector<std::u16string>{u"https://a.example/start", u"@StatusCode=7"}));
  const auto frame = host.events.Of(IPC::kEvtFrameLoaded);
  ASSERT_EQ(frame.size(), 1u);
  EXPECT_EQ(frame[0].texts, std::vector<std::u16string>{u"https://a.example/start"});
  const auto title = host.events.Of(IPC::kEvtTitleChanged);
  ASSERT_EQ(title.size(), 1u);
  EXPECT_EQ(title[0].texts, std::vector<std::u16string>{u"Hello \u4e2d"});
  EXPECT_EQ(host.events.Of(IPC::kEvtNewWindow)[0].texts,
            std::vector<std::u16string>{u"https://a.example/blank-target"});
  EXPECT_EQ(FindWindowExW(host.parent_window, nullptr, nullptr, nullptr) != nullptr, true);
  for (const auto& e : host.events.events) EXPECT_EQ(e.window_id, 256);
  EXPECT_EQ(host.CountLogLinesEndingWith("is NewDocument:1, uri:https://a.example/redirected"), 1u);
  EXPECT_EQ(host.CountLogLinesEndingWith("NavigationCompleted fail:@StatusCode=13"), 1u);
}

TEST(HostEngine, ExternalFollowsNavigationStarts) {
  HostSession host;
  const std::string view = StartReady(host, u"https://a.example/");
  ASSERT_EQ(host.Engine("navigation-starting\t" + view + "\thttps://a.example/one"), "ok");
  ASSERT_EQ(host.Engine("navigation-starting\t" + view + "\t"), "ok");
  ASSERT_EQ(host.Engine("navigation-starting\t" + view + "\thttps://a.example/two"), "ok");
  const Lines calls = host.EngineCalls();
  const int first = FindLine(calls, view + " AddHostObjectToScript external vt=9");
  const int removed = FindLine(calls, view + " RemoveHostObjectFromScript external", first);
  const int again = FindLine(calls, view + " AddHostObjectToScript external vt=9", removed);
  EXPECT_GE(first, 0);
  EXPECT_GT(removed, first);
  EXPECT_GT(again, removed);
}

TEST(HostEngine, BoundsVisibilityMuteAndNavigationCommands) {
  HostSession host;
  const std::string view = StartReady(host, u"https://a.example/");
  host.link.set_delivery(corvane::ParentLink::Delivery::kImmediate);
  ASSERT_TRUE(host.Engine("clear") == "ok");
  host.link.SetBounds(256, 10, 10, 100, 50);
  host.link.Show(256, false);
  host.link.Show(256, true);
  host.link.Mute(256, true);
  host.link.GoBack(256);
  host.link.GoForward(256);
  host.link.Reload(256);
  host.link.Stop(256);
  const Lines expected{view + " put_Bounds 10,10,110,60",
                       view + " put_Bounds 0,0,100,50",
                       view + " put_IsVisible 0",
                       view + " put_Bounds 0,0,100,50",
                       view + " put_IsVisible 1",
                       view + " put_IsMuted 1",
                       view + " GoBack",
                       view + " GoForward",
                       view + " Reload",
                       view + " Stop"};
  EXPECT_EQ(host.EngineCalls(), expected);
}

TEST(HostEngine, ClosingALaterWindowRemovesHandlersAndReportsOnlyClosed) {
  HostSession host;
  StartReady(host, u"https://a.example/");
  host.link.set_delivery(corvane::ParentLink::Delivery::kImmediate);
  ASSERT_TRUE(host.link.CreateBrowser(Window(host, 512, u"https://a.example/second")));
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtCreated) == 2; }));
  const std::string view = std::to_string(host.events.Of(IPC::kEvtCreated)[1].number);
  ASSERT_TRUE(host.WaitFor([&] { return FindLine(host.EngineCalls(), view + " add_NewWindowRequested") >= 0; }));
  const size_t before = host.events.events.size();
  ASSERT_TRUE(host.link.Close(512));
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtClosed) == 1; }));
  host.WaitFor([] { return false; }, 200);
  EXPECT_EQ(host.events.events.size(), before + 1) << "only the closed event";
  const Lines calls = host.EngineCalls();
  int at = FindLine(calls, view + " add_NewWindowRequested");
  for (const char* removal : {"remove_DocumentTitleChanged", "remove_SourceChanged",
                              "remove_NavigationCompleted", "remove_NavigationStarting",
                              "remove_FrameNavigationCompleted", "remove_WebResourceRequested"}) {
    const int next = FindLine(calls, view + " " + removal, at + 1);
    EXPECT_GT(next, at) << removal;
    if (next > 0) {
      EXPECT_EQ(calls[next].find("(unknown)"), std::string::npos) << calls[next];
    }
    at = next;
  }
  EXPECT_EQ(FindLine(calls, view + " remove_ContentLoading"), -1);
  EXPECT_EQ(FindLine(calls, view + " remove_NewWindowRequested"), -1);
  EXPECT_EQ(WaitForSingleObject(host.link.host_process(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

TEST(HostEngine, MissingRuntimeClosesThePrimaryWindowAndEndsTheHost) {
  HostSession host;
  ASSERT_TRUE(host.StartWith(Window(host, 256, u"https://a.example/"), {{L"CORVANE_ENGINE_RUNTIME", L"missing"}}));
  EXPECT_EQ(host.WaitForHostExit(), 0xFFFFFFFFu);
  EXPECT_EQ(host.CountLogLinesEndingWith("need install webview2 runtime"), 1u);
  EXPECT_EQ(host.CountLogLinesEndingWith("[main] quit process"), 1u);
}

// The loader is looked for beside the host and in the system folder only: a copy in the
// current directory or on PATH, where another program may have put one, is never loaded.
TEST(HostEngine, TheLoaderIsNeverTakenFromTheCurrentDirectoryOrPath) {
  const std::wstring folder = testwin::MakeTempFolder(L"loader-lookup");
  const std::wstring alone = folder + L"\\host";
  const std::wstring planted = folder + L"\\planted";
  CreateDirectoryW(alone.c_str(), nullptr);
  CreateDirectoryW(planted.c_str(), nullptr);
  const std::wstring program = testwin::HostProgram();
  const std::wstring beside = program.substr(0, program.find_last_of(L'\\'));
  ASSERT_TRUE(CopyFileW(program.c_str(), (alone + L"\\Corvane.exe").c_str(), FALSE));
  ASSERT_TRUE(CopyFileW((beside + L"\\WebView2Loader.dll").c_str(), (planted + L"\\WebView2Loader.dll").c_str(), FALSE));
  // The test's own directory and host come back, and the folder goes, however the test ends.
  struct Restore {
    explicit Restore(std::wstring made) : folder(std::move(made)) { GetCurrentDirectoryW(MAX_PATH, directory); }
    ~Restore() {
      SetCurrentDirectoryW(directory);
      SetEnvironmentVariableW(L"CORVANE_TEST_HOST", host.empty() ? nullptr : host.c_str());
      testwin::RemoveTree(folder);
    }
    std::wstring folder;
    std::wstring host = testwin::EnvironmentText(L"CORVANE_TEST_HOST");
    wchar_t directory[MAX_PATH] = {};
  } restore(folder);
  SetEnvironmentVariableW(L"CORVANE_TEST_HOST", (alone + L"\\Corvane.exe").c_str());
  ASSERT_TRUE(SetCurrentDirectoryW(planted.c_str()));
  HostSession host;
  ASSERT_TRUE(host.StartWith(Window(host, 256, u"https://a.example/"),
                             {{L"PATH", planted + L";" + testwin::EnvironmentText(L"PATH")}}));
  EXPECT_EQ(host.WaitForHostExit(), 0xFFFFFFFFu);
  EXPECT_EQ(host.events.Count(IPC::kEvtCreated), 0u) << "the planted loader was used";
  EXPECT_EQ(host.CountLogLinesEndingWith("need install webview2 runtime"), 1u);
}

TEST(HostEngine, MissingRuntimeForALaterWindowIsReportedWithItsUrl) {
  HostSession host;
  StartReady(host, u"https://a.example/");
  ASSERT_EQ(host.Engine("set\truntime\tmissing"), "ok");
  host.link.set_delivery(corvane::ParentLink::Delivery::kImmediate);
  ASSERT_TRUE(host.link.CreateBrowser(Window(host, 512, u"https://a.example/later")));
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtLoadFailed) == 1; }));
  const testwin::RecordedEvent failed = host.events.Of(IPC::kEvtLoadFailed)[0];
  EXPECT_EQ(failed.window_id, 512);
  // The message carries the URL alone: the parent library reads no reason.
  EXPECT_EQ(failed.texts, (std::vector<std::u16string>{u"https://a.example/later", u""}));
  EXPECT_EQ(WaitForSingleObject(host.link.host_process(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

TEST(HostEngine, ControllerFailureIsReportedWithItsCode) {
  HostSession host;
  ASSERT_TRUE(host.StartWith(Window(host, 256, u"about:blank")));
  ASSERT_TRUE(host.WaitFor([&] { return FindLine(host.EngineCalls(), "GetAvailable") >= 0; }));
  ASSERT_EQ(host.Engine("set\tcontroller-result\t0x80004005"), "ok");
  ASSERT_TRUE(host.link.Navigate(256, u"https://a.example/"));
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtLoadFailed) == 1; }));
  EXPECT_EQ(host.events.Of(IPC::kEvtLoadFailed)[0].texts,
            (std::vector<std::u16string>{u"https://a.example/",
                                         u"CreateCoreWebView2Controller fail, error: -2147467259"}));
  EXPECT_EQ(host.events.Count(IPC::kEvtCreated), 0u);
}

TEST(HostEngine, RefusedEnvironmentIsReported) {
  HostSession host;
  ASSERT_TRUE(host.StartWith(Window(host, 256, u"about:blank")));
  ASSERT_TRUE(host.WaitFor([&] { return FindLine(host.EngineCalls(), "GetAvailable") >= 0; }));
  ASSERT_EQ(host.Engine("set\tenvironment-result\t0x80070005"), "ok");
  ASSERT_TRUE(host.link.Navigate(256, u"https://a.example/"));
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtLoadFailed) == 1; }));
  EXPECT_EQ(host.events.Of(IPC::kEvtLoadFailed)[0].texts,
            (std::vector<std::u16string>{u"https://a.example/", u"CreateCoreWebView2EnvironmentWithOptions fail"}));
}

}  // namespace

namespace {

// A renderer that exits and a browser process that exits: each is reported as event 4 naming
// the failure, the page is loaded again (a reload, or a new web view that navigates to it
// without a second event 1), and a crash loop is not followed for ever.
TEST(HostEngine, AFailedBrowserProcessIsReportedAndTheWindowRecovers) {
  HostSession host;
  const std::string view = StartReady(host, u"https://a.example/page");
  ASSERT_FALSE(view.empty());
  auto failures = [&] { return host.events.Of(IPC::kEvtLoadFailed); };

  EXPECT_EQ(host.Engine("process-failed\t" + view + "\t1"), "ok");
  ASSERT_TRUE(host.WaitFor([&] { return failures().size() == 1; }));
  ASSERT_EQ(failures()[0].texts.size(), 2u);
  EXPECT_EQ(Narrow(failures()[0].texts[1]), "process failed: render process exited");
  ASSERT_TRUE(host.WaitFor([&] { return Count(host.EngineCalls(), view + " Reload") == 1; }));

  // The page has moved on when the browser fails: the new web view loads it, in the profile
  // the window had (not one named after the new address).
  ASSERT_TRUE(host.link.Navigate(256, u"https://b.example/other"));
  ASSERT_TRUE(host.WaitFor([&] { return Count(host.EngineCalls(), " Navigate https://b.example/other") == 1; }));
  EXPECT_EQ(host.Engine("process-failed\t" + view + "\t0"), "ok");
  ASSERT_TRUE(host.WaitFor([&] { return failures().size() == 2; }));
  EXPECT_EQ(Narrow(failures()[1].texts[1]), "process failed: browser process exited");
  ASSERT_TRUE(host.WaitFor([&] { return Count(host.EngineCalls(), " Navigate https://b.example/other") == 2; }));
  const Lines calls = host.EngineCalls();
  EXPECT_EQ(Count(calls, "CreateCoreWebView2EnvironmentWithOptions"), 2) << "a new browser";
  const int first = FindLine(calls, "CreateCoreWebView2EnvironmentWithOptions");
  const int second = FindLine(calls, "CreateCoreWebView2EnvironmentWithOptions", first + 1);
  ASSERT_GE(second, 0);
  auto folder = [&](int line) {
    const std::string& text = calls[line];
    const size_t at = text.find("userDataFolder=");
    return at == std::string::npos ? std::string() : text.substr(at, text.find(' ', at) - at);
  };
  EXPECT_FALSE(folder(first).empty());
  EXPECT_EQ(folder(second), folder(first)) << "the same profile";
  EXPECT_EQ(Count(calls, view + " Controller.Close"), 1) << "the dead web view is let go";
  EXPECT_EQ(host.events.Count(IPC::kEvtCreated), 1u) << "the parent is not told of a new window";
  // The new web view (under the same window) reports its page events.
  EXPECT_EQ(host.Engine("title-changed\t" + view + "\tback again"), "ok");
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtTitleChanged) == 1; }));

  // A third recovery within the minute is the last: later failures are only reported.
  for (int i = 0; i < 2; ++i) EXPECT_EQ(host.Engine("process-failed\t" + view + "\t1"), "ok");
  ASSERT_TRUE(host.WaitFor([&] { return failures().size() == 4; }));
  host.WaitFor([] { return false; }, 200);
  EXPECT_EQ(Count(host.EngineCalls(), view + " Reload"), 2);
  EXPECT_EQ(host.CountLogLinesEndingWith("process failed too often, the window is not recovered"), 1u);
  // A frame's renderer is reported and left to the runtime.
  EXPECT_EQ(host.Engine("process-failed\t" + view + "\t3"), "ok");
  ASSERT_TRUE(host.WaitFor([&] { return failures().size() == 5; }));
  EXPECT_EQ(Narrow(failures()[4].texts[1]), "process failed: frame render process exited");
  // A GPU process the runtime restarts by itself is only logged.
  EXPECT_EQ(host.Engine("process-failed\t" + view + "\t6"), "ok");
  ASSERT_TRUE(host.WaitFor([&] { return Count(host.LogLines(), "process failed, kind=6 (gpu process exited)") == 1; }));
  EXPECT_EQ(failures().size(), 5u);
}

// When the browser both windows share fails, the later window waits for the main window's new
// browser and makes its web view there: one new browser, two new web views.
TEST(HostEngine, WindowsSharingABrowserShareTheNewOne) {
  HostSession host;
  const std::string main_view = StartReady(host, u"https://a.example/main");
  ASSERT_FALSE(main_view.empty());
  ASSERT_TRUE(host.link.CreateBrowser(Window(host, 512, u"https://a.example/second")));
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtCreated) == 2; }));
  const std::string second_view = std::to_string(host.events.Of(IPC::kEvtCreated)[1].number);
  ASSERT_TRUE(host.WaitFor([&] { return FindLine(host.EngineCalls(), second_view + " add_NewWindowRequested") >= 0; }));
  // The later window hears of the failure first, as may happen.
  EXPECT_EQ(host.Engine("process-failed\t" + second_view + "\t0"), "ok");
  EXPECT_EQ(host.Engine("process-failed\t" + main_view + "\t0"), "ok");
  ASSERT_TRUE(host.WaitFor([&] {
    const Lines calls = host.EngineCalls();
    return Count(calls, " Navigate https://a.example/main") == 2 && Count(calls, " Navigate https://a.example/second") == 2;
  }));
  const Lines calls = host.EngineCalls();
  EXPECT_EQ(Count(calls, "CreateCoreWebView2EnvironmentWithOptions"), 2) << "one new browser for both";
  EXPECT_EQ(Count(calls, "CreateCoreWebView2Controller window="), 4);
  EXPECT_EQ(host.events.Count(IPC::kEvtCreated), 2u);
}

}  // namespace
