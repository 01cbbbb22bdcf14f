#include "host_session.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <regex>

#include "base/text_win.h"
#include "crlf_lines.h"
#include "engine_client.h"
#include "webview2common/message/channel_win.h"
#include "webview2common/window_handle_win.h"

namespace testwin {

namespace {

struct WindowSearch {
  DWORD pid;
  const std::function<bool(HWND)>* match;
  HWND found;
};

BOOL CALLBACK SearchWindow(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<WindowSearch*>(data);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != search->pid || !(*search->match)(window)) return TRUE;
  search->found = window;
  return FALSE;
}

}  // namespace

HWND FindWindowOfProcess(DWORD pid, const std::function<bool(HWND)>& match) {
  WindowSearch search{pid, &match, nullptr};
  EnumWindows(&SearchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

PROCESS_MEMORY_COUNTERS ProcessMemory(HANDLE process) {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof(counters);
  if (!K32GetProcessMemoryInfo(process, &counters, sizeof(counters))) counters = PROCESS_MEMORY_COUNTERS{};
  return counters;
}

int FindLine(const std::vector<std::string>& lines, const std::string& text, int from) {
  for (int i = from < 0 ? 0 : from; i < static_cast<int>(lines.size()); ++i) {
    if (lines[i].find(text) != std::string::npos) return i;
  }
  return -1;
}

std::vector<RecordedEvent> EventRecorder::Of(uint32_t code) const {
  std::vector<RecordedEvent> out;
  for (const RecordedEvent& e : events) {
    if (e.code == code) out.push_back(e);
  }
  return out;
}

size_t EventRecorder::Count(uint32_t code) const {
  size_t n = 0;
  for (const RecordedEvent& e : events) n += e.code == code ? 1 : 0;
  return n;
}

namespace {

const wchar_t kParentClass[] = L"CorvaneTestParentWindow";

void RegisterParentClass() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  if (GetClassInfoExW(GetModuleHandleW(nullptr), kParentClass, &wc)) return;
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kParentClass;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  RegisterClassExW(&wc);
}

}  // namespace

HostSession::HostSession() {
  static LONG counter = 0;
  channel = u"test-" + std::u16string(as_u16cstr(std::to_wstring(GetCurrentProcessId()).c_str())) +
            u"-" + std::u16string(as_u16cstr(std::to_wstring(InterlockedIncrement(&counter)).c_str()));
  RegisterParentClass();
  // Not shown: under Xvfb without a window manager, Wine waits a second for every visible
  // top-level window it destroys. The browser windows' own visibility is their WS_VISIBLE bit.
  parent_window = CreateWindowExW(0, kParentClass, L"test parent", WS_OVERLAPPEDWINDOW,
                                  0, 0, 1000, 800, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  // The host logs under the temporary folder it inherits from us.
  temp_folder = MakeTempFolder(L"host");
  log_path = MakeHostLogPath(temp_folder);
  WriteFileBytes(log_path + L".on", "");
}

HostSession::~HostSession() {
  if (testing::Test::HasFailure() && link.host_process() != nullptr) {
    // What the host did, for the failure report.
    DWORD code = 0;
    GetExitCodeProcess(link.host_process(), &code);
    std::printf("host process %lu, exit code %lu, log:\n", static_cast<unsigned long>(link.host_process_id()),
                static_cast<unsigned long>(code));
    for (const std::string& line : LogLines()) std::printf("  %s\n", line.c_str());
  }
  if (link.host_process() != nullptr && WaitForSingleObject(link.host_process(), 0) == WAIT_TIMEOUT) {
    TerminateProcess(link.host_process(), 99);
    WaitForSingleObject(link.host_process(), 5000);
  }
  if (parent_window != nullptr) DestroyWindow(parent_window);
  RemoveTree(temp_folder);
}

corvane::HostWindowSettings HostSession::MainSettings(int32_t id) const {
  corvane::HostWindowSettings s;
  s.window_id = id;
  s.parent_window = WindowHandleValue(parent_window);
  s.rect = corvane::HostRect{0, 0, 800, 600};
  s.title = u"main window";
  s.channel = channel;
  return s;
}

bool HostSession::OpenLink() { return link.Open(channel); }

bool HostSession::Start(int32_t main_id, bool open_first, const std::u16string& extra) {
  if (open_first && !OpenLink()) return false;
  if (!Launch(MainSettings(main_id), {}, extra)) return false;
  // The host is up once its channel window exists.
  return WaitFor([this] { return HostChannelWindow() != nullptr; });
}

bool HostSession::StartWith(const corvane::HostWindowSettings& main,
                            const ChildProcess::Environment& env) {
  if (!OpenLink() || !Launch(main, env, u"")) return false;
  // Up once its channel window exists, unless it has already ended.
  return WaitFor([this] {
    return HostChannelWindow() != nullptr ||
           WaitForSingleObject(link.host_process(), 0) == WAIT_OBJECT_0;
  });
}

bool HostSession::StartAt(int32_t main_id, const std::u16string& url, const ChildProcess::Environment& env) {
  corvane::HostWindowSettings main = MainSettings(main_id);
  main.url = url;
  return StartWith(main, env) && WaitFor([this] { return events.Count(IPC::kEvtCreated) == 1; });
}

bool HostSession::Launch(const corvane::HostWindowSettings& main,
                         const ChildProcess::Environment& env, const std::u16string& extra) {
  // The host inherits our environment: the temporary folder points at this session's folder.
  ChildProcess::Environment all = env;
  all.emplace_back(L"TMP", temp_folder + L"\\");
  std::vector<std::pair<std::wstring, std::wstring>> saved;
  for (const auto& [name, value] : all) {
    wchar_t old[1024] = {};
    const DWORD n = GetEnvironmentVariableW(name.c_str(), old, 1024);
    saved.emplace_back(name, n > 0 && n < 1024 ? old : L"\x01");
    SetEnvironmentVariableW(name.c_str(), value.c_str());
  }
  const bool started = link.StartHost(HostProgram(), main, extra);
  for (const auto& [name, value] : saved) {
    SetEnvironmentVariableW(name.c_str(), value == L"\x01" ? nullptr : value.c_str());
  }
  return started;
}

std::string HostSession::Engine(const std::string& request) const {
  return EngineRequest(link.host_process_id(), request);
}

std::string HostSession::Script(const std::string& view, const std::string& method,
                                std::initializer_list<std::string> args) const {
  std::string request = "script\t" + view + "\t" + method;
  for (const std::string& a : args) request += "\t" + a;
  return Engine(request);
}

std::string HostSession::ResultText(const std::string& answer) {
  std::smatch m;
  return std::regex_search(answer, m, std::regex("result=\\d+:(.*?)( scode=|$)")) ? m[1].str() : "<none>";
}

std::vector<std::string> HostSession::EngineCalls() const {
  std::vector<std::string> lines;
  const std::string text = Engine("calls");
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find('\n', start);
    if (end == std::string::npos) break;
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

HWND HostSession::HostChannelWindow() const {
  const std::wstring name = CChannel::BrowserWindowName(channel);
  return FindWindowW(name.c_str(), name.c_str());
}

DWORD HostSession::WaitForHostExit(DWORD timeout_ms) {
  DWORD code = STILL_ACTIVE;
  WaitFor([&] {
    return WaitForSingleObject(link.host_process(), 0) == WAIT_OBJECT_0;
  }, timeout_ms);
  GetExitCodeProcess(link.host_process(), &code);
  return code;
}

HWND HostSession::FindBrowserWindow(const std::wstring& title) const {
  return FindWindowExW(parent_window, nullptr, nullptr, title.c_str());
}

std::vector<std::string> HostSession::LogLines() const {
  return SplitCrLfLines(ReadFileBytes(log_path));
}

size_t HostSession::CountLogLinesEndingWith(const std::string& text) const {
  size_t n = 0;
  for (const std::string& line : LogLines()) {
    n += line.size() >= text.size() && line.compare(line.size() - text.size(), text.size(), text) == 0;
  }
  return n;
}

}  // namespace testwin
