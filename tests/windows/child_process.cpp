#include "child_process.h"

#include <shellapi.h>

#include <cwctype>

namespace testwin {

ChildProcess::~ChildProcess() {
  if (process_.IsValid() && Wait(0) == STILL_ACTIVE) Kill();
}

namespace {

bool SameName(const std::wstring& a, const std::wstring& b) {
  return _wcsicmp(a.c_str(), b.c_str()) == 0;
}

std::wstring BuildEnvironment(const ChildProcess::Environment& overrides) {
  std::wstring block;
  wchar_t* current = GetEnvironmentStringsW();
  for (const wchar_t* entry = current; *entry != L'\0'; entry += wcslen(entry) + 1) {
    const std::wstring text(entry);
    const size_t eq = text.find(L'=', 1);
    const std::wstring name = text.substr(0, eq);
    bool replaced = false;
    for (const auto& o : overrides) replaced = replaced || SameName(o.first, name);
    if (!replaced) block += text + L'\0';
  }
  FreeEnvironmentStringsW(current);
  for (const auto& o : overrides) block += o.first + L'=' + o.second + L'\0';
  block += L'\0';
  return block;
}

}  // namespace

bool ChildProcess::Start(const std::wstring& program, const std::wstring& arguments,
                         const Environment& overrides) {
  std::wstring command = L"\"" + program + L"\" " + arguments;
  std::wstring environment = BuildEnvironment(overrides);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE,
                      CREATE_UNICODE_ENVIRONMENT, environment.data(), nullptr, &startup, &info)) {
    return false;
  }
  process_.Reset(info.hProcess);
  thread_.Reset(info.hThread);
  pid_ = info.dwProcessId;
  tid_ = info.dwThreadId;
  return true;
}

DWORD ChildProcess::Wait(DWORD timeout_ms) {
  if (!process_.IsValid()) return STILL_ACTIVE;
  if (WaitForSingleObject(process_.Get(), timeout_ms) != WAIT_OBJECT_0) return STILL_ACTIVE;
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(process_.Get(), &code);
  return code;
}

bool ChildProcess::PostToMainThread(UINT message, DWORD timeout_ms) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < timeout_ms) {
    if (PostThreadMessageW(tid_, message, 0, 0)) return true;
    Sleep(20);
  }
  return false;
}

void ChildProcess::Kill() {
  if (!process_.IsValid()) return;
  TerminateProcess(process_.Get(), 99);
  WaitForSingleObject(process_.Get(), 5000);
}

std::wstring MakeTempFolder(const std::wstring& prefix) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  static LONG counter = 0;
  const std::wstring folder = std::wstring(temp) + prefix + L"-" +
                              std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(InterlockedIncrement(&counter));
  RemoveTree(folder);
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

std::wstring MakeHostLogPath(const std::wstring& temp) {
  CreateDirectoryW((temp + L"\\Tandrel").c_str(), nullptr);
  CreateDirectoryW((temp + L"\\Tandrel\\log").c_str(), nullptr);
  return temp + L"\\Tandrel\\log\\Corvane.log";
}

void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  RemoveDirectoryW(folder.c_str());
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  const ScopedHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid()) return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  return ok && written == bytes.size();
}

std::string ReadFileBytes(const std::wstring& path) {
  const ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid()) return {};
  std::string bytes;
  char buffer[65536];
  DWORD read = 0;
  while (ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
  return bytes;
}

std::u16string JsonText(const std::wstring& text) {
  std::u16string out;
  for (wchar_t c : text) {
    if (c == L'\\' || c == L'"') out += u'\\';
    out += static_cast<char16_t>(c);
  }
  return out;
}

std::string MachineRegistryText(const wchar_t* key, const char* name, REGSAM view) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_READ | view, &opened) != ERROR_SUCCESS) return "";
  char text[256] = {};
  DWORD bytes = sizeof text - 1;
  RegQueryValueExA(opened, name, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &bytes);
  RegCloseKey(opened);
  return text;
}

bool FileExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace testwin
