// A program that records how it was started, for the tests of built-ins that start programs
// or reach the shell: appends its command line, as one UTF-8 line, to the file that
// CORVANE_RECORD_FILE names. With CORVANE_RECORD_HOLD naming an event, it then waits (at most
// five minutes) until the event is set, as a program that hangs would.
#include <windows.h>

#include <string>

#include "base/scoped_handle_win.h"

int wmain() {
  wchar_t file[MAX_PATH] = {};
  if (GetEnvironmentVariableW(L"CORVANE_RECORD_FILE", file, MAX_PATH) == 0) return 2;
  const wchar_t* command = GetCommandLineW();
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, command, -1, nullptr, 0, nullptr, nullptr);
  std::string line(bytes > 0 ? bytes - 1 : 0, '\0');
  if (bytes > 1) WideCharToMultiByte(CP_UTF8, 0, command, -1, line.data(), bytes, nullptr, nullptr);
  line += "\n";
  const ScopedHandle out(CreateFileW(file, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!out.IsValid()) return 3;
  DWORD written = 0;
  WriteFile(out.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  wchar_t hold[MAX_PATH] = {};
  if (GetEnvironmentVariableW(L"CORVANE_RECORD_HOLD", hold, MAX_PATH) != 0) {
    const ScopedHandle event(OpenEventW(SYNCHRONIZE, FALSE, hold));
    if (event.IsValid()) WaitForSingleObject(event.Get(), 5 * 60 * 1000);
  }
  return 0;
}
