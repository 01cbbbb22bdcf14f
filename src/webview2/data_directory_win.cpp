#include "webview2/data_directory_win.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "base/text_win.h"
#include "webview2/data_directory.h"
#include "webview2common/program_path_win.h"

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
      to_u16(ProgramFolder().c_str()), datadir::ShippedTables(), [](const std::u16string& file) {
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
