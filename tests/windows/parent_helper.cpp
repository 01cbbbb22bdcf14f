// A parent in a process of its own, for the test that kills the parent:
//   parent_helper.exe <file to write the host's process id into>
#include <windows.h>

#include <string>

#include "base/scoped_handle_win.h"
#include "base/text_win.h"
#include "corvane_parent.h"
#include "host_program.h"
#include "webview2common/window_handle_win.h"

int wmain(int argc, wchar_t** argv) {
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
