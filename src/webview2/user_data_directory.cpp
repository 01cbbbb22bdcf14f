#include "webview2/user_data_directory.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "webview2/data_directory.h"
#include "webview2common/win_text.h"

std::u16string ProgramPath() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) {
      buffer.resize(n);
      return to_u16(buffer.c_str());
    }
    if (buffer.size() >= 32768) return {};
    buffer.resize(buffer.size() * 2);
  }
}

std::u16string ProgramFolder() {
  std::u16string path = ProgramPath();
  const size_t cut = path.find_last_of(u"\\/");
  return cut == std::u16string::npos ? std::u16string() : path.substr(0, cut);
}

namespace {

std::u16string ProductDataFolder(const datadir::Choice& choice) {
  wchar_t base[MAX_PATH] = {};
  const int csidl = choice.local ? CSIDL_LOCAL_APPDATA : CSIDL_APPDATA;
  if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, base))) return {};
  if (!PathAppendW(base, as_wcstr(choice.folder))) return {};
  if (GetFileAttributesW(base) == INVALID_FILE_ATTRIBUTES) SHCreateDirectory(nullptr, base);
  return to_u16(base);
}

}  // namespace

std::u16string FindUserDataDirectory() {
  const datadir::Choice choice = datadir::ChooseProductFolder(
      ProgramFolder(), datadir::ShippedTables(), [](const std::u16string& file) {
        return GetFileAttributesW(as_wcstr(file)) != INVALID_FILE_ATTRIBUTES;
      });
  if (!choice.folder.empty()) {
    std::u16string folder = ProductDataFolder(choice);
    if (!folder.empty()) return folder;
  }
  wchar_t temp[MAX_PATH + 1] = {};
  const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
  if (n == 0 || n > MAX_PATH) return {};
  if (!PathAppendW(temp, L"Tandrel")) return {};
  return to_u16(temp);
}
