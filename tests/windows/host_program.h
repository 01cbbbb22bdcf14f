#pragma once
// The host program that the Windows tests start: Corvane.exe beside the tests, or the one that
// CORVANE_TEST_HOST names. The test command sets it (with CORVANE_TEST_HOST_ARCH, "x86" or
// "x64") to run the host tests against a host of the other bitness, so that a 64-bit parent
// drives a 32-bit host and the other way round.

#include <windows.h>

#include <string>

#include "webview2common/program_path_win.h"

namespace testwin {

inline std::wstring EnvironmentText(const wchar_t* name) {
  wchar_t value[MAX_PATH] = {};
  const DWORD n = GetEnvironmentVariableW(name, value, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::wstring(value, n) : std::wstring();
}

inline std::wstring HostProgram() {
  const std::wstring chosen = EnvironmentText(L"CORVANE_TEST_HOST");
  return chosen.empty() ? ProgramFolder() + L"\\Corvane.exe" : chosen;
}

// The size of a pointer in the host under test.
inline size_t HostPointerSize() {
  const std::wstring arch = EnvironmentText(L"CORVANE_TEST_HOST_ARCH");
  if (arch == L"x86") return 4;
  if (arch == L"x64") return 8;
  return sizeof(void*);
}

}  // namespace testwin
