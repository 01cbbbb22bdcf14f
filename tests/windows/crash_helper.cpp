// A program that installs the host's crash handler and then fails the way it is told, for the
// crash-reporting tests:
//   crash_helper <kind> <version|-> <report mode> [replace]
// kind: access-violation, raise (exception code 0xE0001234, on the main thread),
// thread-raise (the same on a second thread), none (ends normally). "-" installs with no
// version. "replace" tries to install another filter after ours first. Facts for the test
// (the failing thread, the system function's first bytes, what the replacement returned) go to
// the file CORVANE_CRASH_FACTS names.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "crash/crash_handler_win.h"

namespace {

constexpr DWORD kRaisedCode = 0xE0001234;

void Fact(const std::string& line) {
  wchar_t path[MAX_PATH] = {};
  if (GetEnvironmentVariableW(L"CORVANE_CRASH_FACTS", path, MAX_PATH) == 0) return;
  FILE* file = _wfopen(path, L"ab");
  if (file == nullptr) return;
  std::fprintf(file, "%s\n", line.c_str());
  std::fclose(file);
}

LONG WINAPI OtherFilter(EXCEPTION_POINTERS*) {
  Fact("other filter ran");
  return EXCEPTION_EXECUTE_HANDLER;
}

void Fail(const std::wstring& kind) {
  Fact("tid=" + std::to_string(GetCurrentThreadId()));
  if (kind == L"access-violation") {
    *static_cast<volatile int*>(nullptr) = 1;
  } else {
    const ULONG_PTR arguments[2] = {1, 2};
    RaiseException(kRaisedCode, 0, 2, arguments);
  }
}

DWORD WINAPI FailingThread(void*) {
  Fail(L"raise");
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) return 2;
  const std::wstring kind = argv[1];
  const std::wstring version = argv[2];
  InstallCrashHandler(L"Corvane", _wtoi(argv[3]), version == L"-" ? nullptr : version.c_str());
  wchar_t wait[16] = {};
  if (GetEnvironmentVariableW(L"CORVANE_CRASH_WAIT_MS", wait, 16) > 0) crash::SetUploaderWait(_wtoi(wait));
  Fact(std::string("locked=") + (crash::FilterLocked() ? "1" : "0"));
  // The first bytes of the system function as they are now.
  const auto* code = reinterpret_cast<const unsigned char*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetUnhandledExceptionFilter"));
  std::string hex;
  for (int i = 0; code != nullptr && i < 5; ++i) {
    char pair[3];
    std::snprintf(pair, sizeof pair, "%02x", code[i]);
    hex += pair;
  }
  Fact("code=" + hex);
  if (argc > 4 && std::wstring(argv[4]) == L"replace") {
    char text[64];
    std::snprintf(text, sizeof text, "replace=%p", reinterpret_cast<void*>(SetUnhandledExceptionFilter(OtherFilter)));
    Fact(text);
    std::snprintf(text, sizeof text, "replace-again=%p",
                  reinterpret_cast<void*>(SetUnhandledExceptionFilter(OtherFilter)));
    Fact(text);
  }
  if (kind == L"none") return 0;
  if (kind == L"thread-raise") {
    HANDLE thread = CreateThread(nullptr, 0, FailingThread, nullptr, 0, nullptr);
    WaitForSingleObject(thread, INFINITE);
    return 3;
  }
  Fail(kind);
  return 4;
}
