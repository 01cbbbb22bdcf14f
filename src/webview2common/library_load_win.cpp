#include "webview2common/library_load_win.h"

#include <objbase.h>

#include <string>

#include "webview2common/program_path_win.h"

namespace {

std::wstring SystemFolder() {
  wchar_t folder[MAX_PATH] = {};
  const UINT n = GetSystemDirectoryW(folder, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::wstring(folder, n) : std::wstring();
}

// The search flags need a system of 2012 or an update of Windows 7; without them (the call
// refuses the flags) a library is loaded by its full path, which searches nowhere.
bool FlagsRefused() { return GetLastError() == ERROR_INVALID_PARAMETER; }

HMODULE LoadFrom(const std::wstring& folder, const wchar_t* name) {
  if (folder.empty()) return nullptr;
  return LoadLibraryExW((folder + L"\\" + name).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace

HMODULE LoadSystemLibrary(const wchar_t* name) {
  HMODULE library = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (library == nullptr && FlagsRefused()) library = LoadFrom(SystemFolder(), name);
  return library;
}

HMODULE LoadProgramLibrary(const wchar_t* name) {
  HMODULE library = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (library != nullptr || !FlagsRefused()) return library;
  library = LoadFrom(ProgramFolder(), name);
  return library != nullptr ? library : LoadFrom(SystemFolder(), name);
}

bool LoaderBrowserVersion(HMODULE loader, std::wstring* version) {
  using GetVersion = HRESULT(STDMETHODCALLTYPE*)(PCWSTR, LPWSTR*);
  auto get = loader != nullptr ? reinterpret_cast<GetVersion>(reinterpret_cast<void*>(
                                     GetProcAddress(loader, "GetAvailableCoreWebView2BrowserVersionString")))
                               : nullptr;
  if (get == nullptr) return false;
  LPWSTR text = nullptr;
  const HRESULT hr = get(nullptr, &text);
  const bool found = hr == S_OK && text != nullptr;
  if (found) *version = text;
  if (text != nullptr) CoTaskMemFree(text);
  return found;
}
