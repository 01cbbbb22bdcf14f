// The demo parent: starts the host, drives a second browser window through the parent library
// and prints every event it receives. With --browser it runs the host over the browser engine
// instead: a real page from an enciphered archive calls the parent and two built-ins, and its
// screenshot is saved.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/scoped_handle_win.h"
#include "base/text_convert.h"
#include "base/text_win.h"
#include "corvane_parent_messages.h"
#include "chromium_client.h"
#include "webview2common/message/channel_win.h"
#include "webview2common/program_path_win.h"
#include "webview2common/window_handle_win.h"

namespace {

std::string Utf8(const std::u16string& text) { return text::Utf16ToUtf8(text); }
std::string Utf8(const std::wstring& text) { return Utf8(to_u16(text.c_str())); }

void Say(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vprintf(format, args);
  va_end(args);
  std::printf("\n");
  std::fflush(stdout);
}

class PrintingEvents : public corvane::HostEvents {
 public:
  void OnWindowReady(int32_t id, uint32_t handle) override {
    Say("event 1  window %d ready, handle 0x%X", id, handle);
    if (id == 256) ready = handle;
  }
  void OnWindowClosed(int32_t id) override {
    Say("event 2  window %d closed", id);
    ++closed;
  }
  void OnLoadFailed(int32_t id, const std::u16string& url, const std::u16string& reason) override {
    Say("event 4  window %d failed to load %s: %s", id, Utf8(url).c_str(), Utf8(reason).c_str());
    ++page_events;
  }
  void OnPageLoaded(int32_t id, const std::u16string& url) override {
    Say("event 5  window %d loaded %s", id, Utf8(url).c_str());
    ++page_events;
  }
  void OnSourceChanged(int32_t id, const std::u16string& uri) override {
    Say("event 6  window %d source %s", id, Utf8(uri).c_str());
  }
  void OnTitleChanged(int32_t id, const std::u16string& title) override {
    Say("event 7  window %d title %s", id, Utf8(title).c_str());
    ++page_events;
  }
  void OnNewWindowRequested(int32_t id, const std::u16string& uri) override {
    Say("event 8  window %d asks for a new window: %s", id, Utf8(uri).c_str());
    ++page_events;
  }
  void OnPageCall(int32_t id, const corvane::PageCall& call) override {
    std::string arguments;
    for (const std::u16string& argument : call.arguments) arguments += " \"" + Utf8(argument) + "\"";
    Say("event 10 window %d page calls %s(%s ) as call %lld, answer to %s", id, Utf8(call.function).c_str(),
        arguments.c_str(), static_cast<long long>(call.call_id), Utf8(call.key).c_str());
    page_calls.push_back(call);
  }
  void OnPageCallResult(int32_t id, int64_t call_id, int32_t status,
                        const std::u16string& result) override {
    Say("event 11 window %d call %lld: status %d, result \"%s\"", id,
        static_cast<long long>(call_id), status, Utf8(result).c_str());
    ++results;
  }
  void OnCookies(int32_t id, const std::u16string& url, const std::u16string& listing) override {
    Say("event 13 window %d cookies of %s: %s", id, Utf8(url).c_str(), Utf8(listing).c_str());
  }
  void OnFrameLoaded(int32_t id, const std::u16string& url) override {
    Say("event 18 window %d frame loaded %s", id, Utf8(url).c_str());
  }
  void OnOtherEvent(int32_t id, uint32_t code, const std::vector<uint8_t>&) override {
    Say("event %u window %d", code, id);
  }
  void OnHostExited(uint32_t code) override {
    Say("host exited with code %d", static_cast<int>(code));
    exited = true;
  }

  std::vector<corvane::PageCall> page_calls;
  int closed = 0;
  int results = 0;
  uint32_t ready = 0;
  int page_events = 0;
  bool exited = false;
};

void Describe(HWND parent, const wchar_t* title) {
  HWND window = FindWindowExW(parent, nullptr, nullptr, title);
  if (window == nullptr) {
    Say("         \"%s\": no such window", Utf8(std::wstring(title)).c_str());
    return;
  }
  RECT r{};
  GetWindowRect(window, &r);
  MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
  const bool shown = (GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0;
  Say("         \"%s\": at (%ld, %ld), %ld x %ld, %s", Utf8(std::wstring(title)).c_str(), r.left,
      r.top, r.right - r.left, r.bottom - r.top, shown ? "shown" : "hidden");
}

std::wstring PrepareLog() {
  // Logging is on only while the switch file beside the log exists.
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"Tandrel";
  CreateDirectoryW(folder.c_str(), nullptr);
  CreateDirectoryW((folder + L"\\log").c_str(), nullptr);
  const std::wstring log = folder + L"\\log\\Corvane.log";
  const ScopedHandle on(CreateFileW((log + L".on").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr));
  DeleteFileW(log.c_str());
  return log;
}

void PrintLog(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  std::string bytes;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
  CloseHandle(file);
  Say("host log %s:", Utf8(path).c_str());
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}

// Opens the parent's end of a channel named after this process; says so when it cannot.
bool OpenChannel(corvane::ParentLink& link, std::u16string* channel) {
  *channel = u"demo-" + to_u16(std::to_wstring(GetCurrentProcessId()).c_str());
  if (link.Open(*channel)) return true;
  Say("could not open channel %s", Utf8(*channel).c_str());
  return false;
}

// The main window (256), 800 x 600 inside the parent window, at url.
corvane::HostWindowSettings MainWindow(HWND parent, std::u16string url) {
  corvane::HostWindowSettings main;
  main.window_id = 256;
  main.parent_window = WindowHandleValue(parent);
  main.rect = corvane::HostRect{0, 0, 800, 600};
  main.title = u"main";
  main.url = std::move(url);
  return main;
}

// The page of an archive in a real browser: what it calls and shows, and its screenshot.
int BrowserDemo(HWND parent, const std::wstring& archive, const std::wstring& key, const std::wstring& png,
                const std::wstring& log) {
  PrintingEvents events;
  corvane::ParentLink link(&events);
  std::u16string channel;
  if (!OpenChannel(link, &channel)) return 1;
  const corvane::HostWindowSettings main =
      MainWindow(parent, u"zip://" + to_u16(key.c_str()) + u"|" + to_u16(archive.c_str()) + u"|/index.html");
  const std::wstring host = ProgramFolder() + L"\\..\\chromium-engine\\Corvane.exe";
  Say("the host over the browser engine (%s), main window at %s", Utf8(host).c_str(), Utf8(*main.url).c_str());
  if (!link.StartHost(host, main)) {
    Say("could not start %s", Utf8(host).c_str());
    return 1;
  }
  link.PumpUntil([&] { return !events.page_calls.empty(); }, 30000);
  bool ok = !events.page_calls.empty();
  if (!ok) {
    Say("the page never called the parent");
  } else {
    Say("command 7: the parent answers getUser with (\"Alice\", \"30\")");
    link.AnswerPageCall(256, events.page_calls[0], {u"Alice", u"30"});
    link.PumpUntil([&] { return events.results >= 1; }, 10000);
    const std::string view = std::to_string(events.ready);
    const std::string shown = ChromiumEngineRequest(
        link.host_process_id(),
        "evaluate\t" + view + "\tArray.from(document.querySelectorAll('tr')).map(r => r.innerText.replace('\\t', ': ')).join('\\n')");
    Say("what the page shows:\n%s", shown.c_str());
    const std::string saved = ChromiumEngineRequest(link.host_process_id(), "screenshot\t" + view + "\t" + Utf8(png));
    ok = saved == "ok";
    Say(ok ? "screenshot of the page: %s" : "no screenshot of the page (%s)", ok ? Utf8(png).c_str() : saved.c_str());
  }
  Say("command 5: close the main window");
  link.Close(256);
  link.PumpUntil([&] { return events.exited; }, 10000);
  PrintLog(log);
  return ok && events.exited ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring log = PrepareLog();
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"CorvaneDemoParent";
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  RegisterClassExW(&wc);
  HWND parent = CreateWindowExW(0, wc.lpszClassName, L"Corvane demo", WS_OVERLAPPEDWINDOW, 0, 0,
                                1024, 768, nullptr, nullptr, wc.hInstance, nullptr);

  if (argc == 5 && std::wstring(argv[1]) == L"--browser") {
    const int code = BrowserDemo(parent, argv[2], argv[3], argv[4], log);
    DestroyWindow(parent);
    return code;
  }
  if (argc != 1) {
    Say("usage: demo_parent [--browser <archive> <key> <screenshot.png>]");
    return 2;
  }

  PrintingEvents events;
  corvane::ParentLink link(&events);
  std::u16string channel;
  if (!OpenChannel(link, &channel)) return 1;
  corvane::HostWindowSettings main = MainWindow(parent, u"about:blank");
  // The demo's pages come from example.com: they may call getUser and the window and log
  // built-ins, and nothing else.
  corvane::PagePolicy policy;
  policy.origins = std::vector<std::string>{"https://example.com"};
  policy.builtins = std::vector<std::pair<std::string, std::vector<std::string>>>{{"https://example.com", {"window", "log"}}};
  policy.parent_functions = std::vector<std::string>{"getUser"};
  main.policy = policy;
  if (!link.StartHost(ProgramFolder() + L"\\Corvane.exe", main)) {
    Say("could not start Corvane.exe");
    return 1;
  }
  Say("started Corvane.exe (process %lu) on channel %s", link.host_process_id(), Utf8(channel).c_str());
  const std::wstring host_window = CChannel::BrowserWindowName(channel);
  link.PumpUntil([&] { return FindWindowW(host_window.c_str(), host_window.c_str()) != nullptr; }, 10000);
  link.PumpUntil([&] {
    HWND window = FindWindowExW(parent, nullptr, nullptr, L"main");
    return window != nullptr && (GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0;
  }, 5000);
  Describe(parent, L"main");
  const bool engine = GetFileAttributesW((ProgramFolder() + L"\\WebView2Loader.dll").c_str()) !=
                      INVALID_FILE_ATTRIBUTES;
  if (engine) {
    // The WebView2 runtime cannot be installed on every machine; the tests' engine stands in
    // for it when it lies beside the host, and its control pipe plays the page's part.
    Say("WebView2Loader.dll beside the host: the test engine stands in for the browser runtime");
    Say("command 1: navigate window 256 to https://example.com/app/");
    link.Navigate(256, u"https://example.com/app/");
    link.PumpUntil([&] { return events.ready != 0; }, 5000);
    const std::string view = std::to_string(events.ready);
    Say("the engine plays the page: it loads, changes its title, asks for a new window, then a link fails to load:");
    EngineRequest(link.host_process_id(), "navigation-starting\t" + view + "\thttps://example.com/app/");
    EngineRequest(link.host_process_id(), "navigation-completed\t" + view + "\t1\t0");
    EngineRequest(link.host_process_id(), "title-changed\t" + view + "\tExample app");
    EngineRequest(link.host_process_id(), "new-window\t" + view + "\thttps://example.com/popup");
    // A failed navigation leaves the page shown, and its external, as they were.
    EngineRequest(link.host_process_id(), "navigation-starting\t" + view + "\thttps://example.com/missing");
    EngineRequest(link.host_process_id(), "navigation-completed\t" + view + "\t0\t13");
    link.PumpUntil([&] { return events.page_events >= 4; }, 5000);

    Say("the page calls the parent: external.Execute(\"getUser\", onUser, \"alice\")");
    const std::string answer = EngineRequest(link.host_process_id(),
                                             "script\t" + view + "\tExecute\ts:getUser\tf:onUser\ts:alice");
    const size_t at = answer.find("result=8:");
    Say("         Execute returned call id %s to the page", at == std::string::npos ? "?" : answer.substr(at + 9).c_str());
    link.PumpUntil([&] { return !events.page_calls.empty(); }, 5000);
    if (!events.page_calls.empty()) {
      Say("command 7: the parent answers (\"Alice\", \"30\")");
      link.AnswerPageCall(256, events.page_calls[0], {u"Alice", u"30"});
      link.PumpUntil([&] { return events.results >= 1; }, 5000);
      Say("         the page's onUser(\"Alice\", \"30\") ran; its return value went back as the result");
    }
    const std::string refused = EngineRequest(
        link.host_process_id(), "script\t" + view + "\tCallBuiltinSync\ts:run_exe\ts:{\"path\":\"C:\\\\windows\\\\notepad.exe\"}");
    const size_t result = refused.find("result=8:");
    Say("the window's policy at work: external.CallBuiltinSync(\"run_exe\", ...) answers %s",
        result == std::string::npos ? refused.c_str() : refused.substr(result + 9).c_str());
  }

  // Immediate delivery: each call returns after the host has carried it out.
  link.set_delivery(corvane::ParentLink::Delivery::kImmediate);
  corvane::HostWindowSettings second;
  second.window_id = 512;
  second.parent_window = main.parent_window;
  second.rect = corvane::HostRect{100, 100, 320, 240};
  second.title = u"second";
  Say("command 13: create window 512");
  link.CreateBrowser(second);
  Describe(parent, L"second");
  Say("command 3: move window 512 to (40, 50), 400 x 300");
  link.SetBounds(512, 40, 50, 400, 300);
  Describe(parent, L"second");
  Say("command 4: hide window 512");
  link.Show(512, false);
  Describe(parent, L"second");
  Say("command 4: show window 512 (it returns to the parent's origin)");
  link.Show(512, true);
  Describe(parent, L"second");
  Say("command 7: call page function \"hello\" in window 1024, which does not exist");
  const int results_before = events.results;
  link.CallPageFunction(1024, 1, u"hello", {u"a"});
  link.PumpUntil([&] { return events.results > results_before; }, 5000);
  Say("command 5: close window 512");
  link.Close(512);
  link.PumpUntil([&] { return events.closed == 1; }, 5000);
  Describe(parent, L"second");
  Say("command 5: close the main window");
  link.set_delivery(corvane::ParentLink::Delivery::kDeferred);
  link.Close(256);
  link.PumpUntil([&] { return events.exited; }, 10000);
  PrintLog(log);
  DestroyWindow(parent);
  return events.exited ? 0 : 1;
}
