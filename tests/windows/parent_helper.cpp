// A parent in a process of its own, for the test that kills the parent:
//   parent_helper.exe <file to write the host's process id into>
// or a foreign process on a live channel, for the test that the host heeds only its parent:
//   parent_helper.exe --intrude <channel> <ready event> <stop event> <record file>
// It makes a window of the parent's channel name, sends the host "hide" and "close" for window
// 256 from that window, sets the ready event, and then, until the stop event, counts the
// messages its window receives, writing the count to the record file.
#include <windows.h>

#include <string>

#include "base/scoped_handle_win.h"
#include "base/text_win.h"
#include "corvane_parent_messages.h"
#include "host_program.h"
#include "webview2common/message/channel_win.h"
#include "webview2common/message/ipc_protocol.h"
#include "webview2common/window_handle_win.h"

namespace {

int g_received = 0;

LRESULT CALLBACK SquatterProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_COPYDATA) {
    ++g_received;
    return TRUE;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

int Intrude(const std::u16string& channel, const wchar_t* ready, const wchar_t* stop, const wchar_t* record) {
  const std::wstring name = CChannel::ProxyWindowName(channel);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = SquatterProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = name.c_str();
  RegisterClassExW(&wc);
  HWND squatter = CreateWindowExW(0, name.c_str(), name.c_str(), WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                  wc.hInstance, nullptr);
  const std::wstring host_name = CChannel::BrowserWindowName(channel);
  HWND host = FindWindowW(host_name.c_str(), host_name.c_str());
  if (squatter == nullptr || host == nullptr) return 5;
  IPC::Message hide = corvane::MakeCommand(256, IPC::kCmdShow);
  if (!IPC::WriteBody(hide, IPC::ShowCommand{0})) return 6;
  const IPC::Message close = corvane::MakeCommand(256, IPC::kCmdClose);
  const IPC::Message* const messages[] = {&hide, &close};
  for (const IPC::Message* message : messages) {
    COPYDATASTRUCT data{0x8889, static_cast<DWORD>(message->size()), const_cast<uint8_t*>(message->data())};
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(host, WM_COPYDATA, reinterpret_cast<WPARAM>(squatter), reinterpret_cast<LPARAM>(&data),
                        SMTO_NOTIMEOUTIFNOTHUNG, 5000, &answer);
  }
  const ScopedHandle ready_event(OpenEventW(EVENT_MODIFY_STATE, FALSE, ready));
  const ScopedHandle stop_event(OpenEventW(SYNCHRONIZE, FALSE, stop));
  if (!ready_event.IsValid() || !stop_event.IsValid()) return 7;
  SetEvent(ready_event.Get());
  HANDLE waited = stop_event.Get();
  while (MsgWaitForMultipleObjects(1, &waited, FALSE, 30000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  const std::string count = std::to_string(g_received);
  const ScopedHandle file(CreateFileW(record, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD written = 0;
  WriteFile(file.Get(), count.data(), static_cast<DWORD>(count.size()), &written, nullptr);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 6 && std::wstring(argv[1]) == L"--intrude") return Intrude(to_u16(argv[2]), argv[3], argv[4], argv[5]);
  if (argc < 2) return 2;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"CorvaneHelperParent";
  RegisterClassExW(&wc);
  HWND window = CreateWindowExW(0, wc.lpszClassName, L"helper parent", WS_OVERLAPPEDWINDOW, 0, 0,
                                640, 480, nullptr, nullptr, wc.hInstance, nullptr);
  corvane::HostEvents events;
  corvane::ParentLink link(&events);
  const std::u16string channel = u"helper-" + to_u16(std::to_wstring(GetCurrentProcessId()).c_str());
  if (!link.Open(channel)) return 3;
  corvane::HostWindowSettings main;
  main.window_id = 256;
  main.parent_window = WindowHandleValue(window);
  main.rect = corvane::HostRect{0, 0, 320, 240};
  if (!link.StartHost(testwin::HostProgram(), main)) return 4;
  const std::string pid = std::to_string(link.host_process_id());
  const ScopedHandle file(CreateFileW(argv[1], GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD written = 0;
  WriteFile(file.Get(), pid.data(), static_cast<DWORD>(pid.size()), &written, nullptr);
  corvane::ParentLink::PumpUntil([] { return false; }, 60000);
  return 0;
}
