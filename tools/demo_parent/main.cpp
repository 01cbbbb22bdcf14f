// The demo parent: starts the host beside it, shows that it runs and logs, then stops it.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::wstring Folder(const std::wstring& path) { return path.substr(0, path.find_last_of(L"\\/")); }

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return Folder(path);
}

void Print(const std::wstring& text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string bytes(n > 0 ? n - 1 : 0, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes.data(), n, nullptr, nullptr);
  std::printf("%s\n", bytes.c_str());
  std::fflush(stdout);
}

std::string ReadAll(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
  CloseHandle(file);
  return bytes;
}

}  // namespace

int wmain() {
  // Logging is on only while the switch file beside the log exists.
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring log_folder = std::wstring(temp) + L"Tandrel\\log";
  CreateDirectoryW((std::wstring(temp) + L"Tandrel").c_str(), nullptr);
  CreateDirectoryW(log_folder.c_str(), nullptr);
  const std::wstring log_path = log_folder + L"\\Corvane.log";
  CloseHandle(CreateFileW((log_path + L".on").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr));
  DeleteFileW(log_path.c_str());

  const std::wstring host = ProgramFolder() + L"\\Corvane.exe";
  std::wstring command = L"\"" + host + L"\"";
  STARTUPINFOW startup{sizeof(startup)};
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(host.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    Print(L"could not start " + host);
    return 1;
  }
  Print(L"started Corvane.exe, process " + std::to_wstring(process.dwProcessId));
  Sleep(1000);
  const DWORD still = WaitForSingleObject(process.hProcess, 0);
  Print(still == WAIT_TIMEOUT ? L"host is running its message loop" : L"host ended early");

  // Until the channel exists, the host is told to quit through its main thread's queue.
  for (int i = 0; i < 100 && !PostThreadMessageW(process.dwThreadId, WM_QUIT, 0, 0); ++i) Sleep(20);
  WaitForSingleObject(process.hProcess, 10000);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  Print(L"host exited with code " + std::to_wstring(static_cast<int>(code)));
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);

  Print(L"log file " + log_path + L":");
  std::printf("%s", ReadAll(log_path).c_str());
  return code == 0xFFFFFFFFu ? 0 : 1;
}
