#include "statistic/statistic_win.h"

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
#include <shlobj.h>
#include <urlmon.h>
#include <wininet.h>

#include <string>
#include <vector>

#include "base/text_win.h"
#include "mid/machine_id_win.h"
#include "statistic/products.h"
#include "webview2/data_directory.h"
#include "webview2/internal_fun/system_builtins.h"
#include "webview2common/program_path_win.h"

namespace {

// "a.b.c.d" of a file's fixed version, or empty.
std::u16string FixedFileVersion(const std::u16string& path) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(as_wcstr(path), &ignored);
  if (size == 0) return u"";
  std::vector<BYTE> block(size);
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!GetFileVersionInfoW(as_wcstr(path), 0, size, block.data()) ||
      !VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || fixed == nullptr) {
    return u"";
  }
  return FixedVersionText(fixed->dwFileVersionMS, fixed->dwFileVersionLS);
}

class CWinStatisticSystem : public IStatisticSystem {
 public:
  std::u16string MachineId() override {
    wchar_t id[260] = {};
    return GetMachineId(id, 260) ? to_u16(id) : u"";
  }
  std::u16string MachineId2() override {
    wchar_t id[260] = {};
    return SUCCEEDED(GetMachineId2(id, 260)) ? to_u16(id) : u"";
  }
  std::u16string ReadM2Origin() override {
    wchar_t value[260] = {};
    DWORD bytes = sizeof value - sizeof(wchar_t);
    // The 32-bit view in both builds, as for the identifiers themselves (opened with the view
    // flag: older systems ignore a view asked of RegGetValue).
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\ComOstra", 0, KEY_QUERY_VALUE | KEY_WOW64_32KEY, &key) !=
        ERROR_SUCCESS) {
      return u"";
    }
    const LONG read = RegGetValueW(key, nullptr, L"m2_origin", RRF_RT_REG_SZ, nullptr, value, &bytes);
    RegCloseKey(key);
    return read == ERROR_SUCCESS ? to_u16(value) : u"";
  }
  void WriteM2Origin(const std::u16string& value) override {
    // Without administrator rights this fails, and the identifier is used all the same.
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\ComOstra", 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_32KEY,
                        nullptr, &key, nullptr) != ERROR_SUCCESS) {
      return;
    }
    RegSetValueExW(key, L"m2_origin", 0, REG_SZ, reinterpret_cast<const BYTE*>(as_wcstr(value)),
                   static_cast<DWORD>((value.size() + 1) * sizeof(char16_t)));
    RegCloseKey(key);
  }
  std::optional<DetectedProduct> DetectProduct(int depth) override {
    // The first product whose marker file lies `depth` folders above the program's folder.
    const std::u16string folder = datadir::AncestorFolder(to_u16(ProgramFolder().c_str()), depth);
    wchar_t app_data[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, app_data, CSIDL_APPDATA, FALSE)) app_data[0] = L'\0';
    return DetectProductIn(
        folder, to_u16(app_data),
        [](const std::u16string& path) { return GetFileAttributesW(as_wcstr(path)) != INVALID_FILE_ATTRIBUTES; },
        [](const std::u16string& path) { return FixedFileVersion(path); });
  }

  std::u16string ProgramFileVersion() override {
    const std::wstring path = ProgramPath();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return u"";
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, block.data())) return u"";
    struct Translation {
      WORD language;
      WORD code_page;
    };
    Translation* translations = nullptr;
    UINT bytes = 0;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations), &bytes) ||
        bytes < sizeof(Translation)) {
      return u"";
    }
    wchar_t query[64];
    swprintf(query, 64, L"\\StringFileInfo\\%04x%04x\\FileVersion", translations[0].language,
             translations[0].code_page);
    wchar_t* text = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), query, reinterpret_cast<void**>(&text), &length) || text == nullptr) return u"";
    return to_u16(text);
  }
  int ReadSettingsInt(const std::u16string& file, const std::u16string& section, const std::u16string& key) override {
    return static_cast<int>(GetPrivateProfileIntW(as_wcstr(section), as_wcstr(key), 0, as_wcstr(file)));
  }
  void WriteSettingsText(const std::u16string& file, const std::u16string& section, const std::u16string& key,
                         const std::u16string& value) override {
    WritePrivateProfileStringW(as_wcstr(section), as_wcstr(key), as_wcstr(value), as_wcstr(file));
  }
  uint32_t TickCount() override { return GetTickCount(); }

  bool Connected() override {
    DWORD flags = 0;
    if (InternetGetConnectedState(&flags, 0) &&
        (flags & (INTERNET_CONNECTION_MODEM | INTERNET_CONNECTION_LAN | INTERNET_CONNECTION_PROXY)) != 0) {
      return true;
    }
    // No connection reported: an adapter with a gateway will do.
    ULONG size = 0;
    if (GetAdaptersInfo(nullptr, &size) != ERROR_BUFFER_OVERFLOW || size == 0) return false;
    std::vector<unsigned char> buffer(size);
    auto* adapters = reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data());
    if (GetAdaptersInfo(adapters, &size) != NO_ERROR) return false;
    for (const IP_ADAPTER_INFO* a = adapters; a != nullptr; a = a->Next) {
      const char* gateway = a->GatewayList.IpAddress.String;
      if (gateway[0] != '\0' && std::string(gateway) != "0.0.0.0") return true;
    }
    return false;
  }

  bool RequestUrl(const std::u16string& url, const std::u16string* file) override {
    if (file != nullptr) return SUCCEEDED(URLDownloadToFileW(nullptr, as_wcstr(url), as_wcstr(*file), 0, nullptr));
    // Without a file the response goes to a temporary file of the system's naming, deleted at
    // once.
    wchar_t folder[MAX_PATH] = {};
    wchar_t temporary[MAX_PATH] = {};
    if (GetTempPathW(MAX_PATH, folder) == 0 || GetTempFileNameW(folder, L"rpt", 0, temporary) == 0) return false;
    const bool completed = SUCCEEDED(URLDownloadToFileW(nullptr, as_wcstr(url), temporary, 0, nullptr));
    DeleteFileW(temporary);
    return completed;
  }
};

}  // namespace

IStatisticSystem& WinStatisticSystem() {
  static CWinStatisticSystem system;
  return system;
}

CStatisticImpl& StatisticReporter() {
  static CStatisticImpl reporter(&WinStatisticSystem());  // built once, safely under concurrent first use
  return reporter;
}
