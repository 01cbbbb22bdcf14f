#include "host_session.h"

#include "crlf_lines.h"
#include "webview2common/message/channel.h"
#include "webview2common/win_text.h"

namespace testwin {

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
  CreateDirectoryW((temp_folder + L"\\Tandrel").c_str(), nullptr);
  CreateDirectoryW((temp_folder + L"\\Tandrel\\log").c_str(), nullptr);
  log_path = temp_folder + L"\\Tandrel\\log\\Corvane.log";
  WriteFileBytes(log_path + L".on", "");
}

HostSession::~HostSession() {
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
  s.parent_window = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(parent_window));
  s.rect = corvane::HostRect{0, 0, 800, 600};
  s.title = u"main window";
  s.channel = channel;
  return s;
}

bool HostSession::OpenLink() { return link.Open(channel); }

bool HostSession::Start(int32_t main_id, bool open_first, const std::u16string& extra) {
  if (open_first && !OpenLink()) return false;
  wchar_t saved_tmp[MAX_PATH] = {};
  GetEnvironmentVariableW(L"TMP", saved_tmp, MAX_PATH);
  SetEnvironmentVariableW(L"TMP", (temp_folder + L"\\").c_str());
  const bool started =
      link.StartHost(ProgramFolder() + L"\\Corvane.exe", MainSettings(main_id), extra);
  SetEnvironmentVariableW(L"TMP", saved_tmp[0] != 0 ? saved_tmp : nullptr);
  if (!started) return false;
  // The host is up once its channel window exists.
  return WaitFor([this] { return HostChannelWindow() != nullptr; });
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
