#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstring>
#include <vector>

#include "log/logger.h"
#include "webview2/internal_fun/cipher_builtins.h"
#include "webview2/internal_fun/internal_fun.h"
#include "webview2/internal_fun/json_path_value.h"
#include "webview2/internal_fun/system_builtins.h"
#include "base/text_convert.h"
#include "base/text_win.h"

namespace {

std::u16string WriteLog(const std::vector<std::u16string>& params) {
  if (params.empty()) return u"param_error";
  JsonPathValue json;
  if (!json.Parse(params[0])) return u"format_error";
  LOG_INFO("[web] ", json.GetString("content", u""));
  return u"";
}

std::u16string FilePathExist(const std::vector<std::u16string>& params) {
  if (params.empty()) return u"param_error";
  const int exists = PathFileExistsW(as_wcstr(params[0])) ? 1 : 0;
  return text::AsciiToUtf16("{\"success\":\"" + std::to_string(exists) + "\"}");
}

std::u16string CopyClip(const std::vector<std::u16string>& params) {
  if (params.empty()) return u"param_error";
  JsonPathValue json;
  if (!json.Parse(params[0])) return u"format_error";
  const std::u16string content = json.GetString("content", u"");
  int success = 0;
  if (OpenClipboard(nullptr)) {
    EmptyClipboard();
    const size_t bytes = (content.size() + 1) * sizeof(char16_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, bytes);
    if (void* target = memory != nullptr ? GlobalLock(memory) : nullptr) {
      std::memcpy(target, content.c_str(), bytes);
      GlobalUnlock(memory);
      if (SetClipboardData(CF_UNICODETEXT, memory) != nullptr) {
        success = 1;
      } else {
        GlobalFree(memory);
      }
    }
    CloseClipboard();
  }
  return text::AsciiToUtf16("{\"success\":" + std::to_string(success) + "}");
}

std::u16string GetSpecialDir(const std::vector<std::u16string>& params) {
  const BuiltinJson read = ReadBuiltinJson(params);
  if (read.early_result) return *read.early_result;
  const std::u16string which = read.json.GetText("dir_sid", u"");
  wchar_t path[MAX_PATH] = {};
  if (which == u"CSIDL_APPDATA") {
    if (!SHGetSpecialFolderPathW(nullptr, path, CSIDL_APPDATA, TRUE)) return u"";
    return to_u16(path);
  }
  if (which == u"CSIDL_TEMP") {
    const DWORD length = GetTempPathW(MAX_PATH, path);
    return length > 0 && length < MAX_PATH ? to_u16(path) : u"";
  }
  return u"";
}

// The system's own version numbers, whatever the program's manifest says; kept once read.
struct OsFacts {
  DWORD major = 0;
  DWORD minor = 0;
  DWORD build = 0;
  bool is_64bit = false;
};

const OsFacts& Os() {
  static const OsFacts facts = [] {
    OsFacts f;
    using VersionNumbers = void(WINAPI*)(DWORD*, DWORD*, DWORD*);
    if (HMODULE ntdll = GetModuleHandleW(L"ntdll.dll")) {
      if (auto numbers = reinterpret_cast<VersionNumbers>(
              reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetNtVersionNumbers")))) {
        numbers(&f.major, &f.minor, &f.build);
        f.build &= 0xFFFF;
      }
    }
    SYSTEM_INFO info{};
    GetNativeSystemInfo(&info);
    const WORD arch = info.wProcessorArchitecture;
    f.is_64bit = arch == PROCESSOR_ARCHITECTURE_AMD64 || arch == PROCESSOR_ARCHITECTURE_IA64 || arch == 12;
    using Wow64Process2 = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);
    if (auto wow = reinterpret_cast<Wow64Process2>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "IsWow64Process2")))) {
      USHORT process = 0, native = 0;
      if (wow(GetCurrentProcess(), &process, &native) && native == 0xAA64) f.is_64bit = true;
    }
    return f;
  }();
  return facts;
}

// The version text of a file, or nothing when it has no version resource.
std::optional<std::u16string> FileVersion(const std::u16string& path) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(as_wcstr(path), &ignored);
  if (size == 0) return std::nullopt;
  std::vector<BYTE> block(size);
  if (!GetFileVersionInfoW(as_wcstr(path), 0, size, block.data())) return std::nullopt;
  const OsFacts& os = Os();
  const bool windows10 = (os.major == 6 && os.minor == 4) || os.major > 9;
  if (windows10 && !os.is_64bit) {
    struct Translation {
      WORD language;
      WORD code_page;
    };
    Translation* translations = nullptr;
    UINT bytes = 0;
    if (VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations), &bytes)) {
      for (UINT i = 0; i < bytes / sizeof(Translation); ++i) {
        wchar_t query[64];
        swprintf(query, 64, L"\\StringFileInfo\\%04x%04x\\FileVersion", translations[i].language,
                 translations[i].code_page);
        wchar_t* text = nullptr;
        UINT length = 0;
        if (VerQueryValueW(block.data(), query, reinterpret_cast<void**>(&text), &length) && text != nullptr) {
          return NormalizedVersionText(to_u16(text));
        }
      }
    }
  }
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || fixed == nullptr) {
    return std::nullopt;
  }
  return FixedVersionText(fixed->dwFileVersionMS, fixed->dwFileVersionLS);
}

std::u16string GetPathFileVer(const std::vector<std::u16string>& params) {
  const BuiltinJson read = ReadBuiltinJson(params);
  if (read.early_result) return *read.early_result;
  const std::u16string path = read.json.GetText("path", u"");
  if (!PathFileExistsW(as_wcstr(path))) return FileVersionResult(3, u"");
  const std::optional<std::u16string> version = FileVersion(path);
  return version ? FileVersionResult(0, *version) : FileVersionResult(2, u"");
}

std::u16string GetDiskInfo(const std::vector<std::u16string>&) {
  std::vector<DriveFacts> drives;
  for (char16_t letter = u'c'; letter <= u'z'; ++letter) {
    const std::u16string drive{letter, u':'};
    if (!PathFileExistsW(as_wcstr(drive))) continue;
    ULARGE_INTEGER free_bytes{};
    GetDiskFreeSpaceExW(as_wcstr(drive), nullptr, nullptr, &free_bytes);
    // The drive type needs the root folder, with its backslash.
    const std::u16string root = drive + u"\\";
    drives.push_back(DriveFacts{letter, free_bytes.QuadPart, GetDriveTypeW(as_wcstr(root))});
  }
  return DiskInfoResult(drives);
}

std::u16string GetSysDisk(const std::vector<std::u16string>&) {
  wchar_t folder[MAX_PATH] = {};
  GetSystemDirectoryW(folder, MAX_PATH);
  return SystemDiskResult(static_cast<char16_t>(folder[0]));
}

}  // namespace

// The miscellaneous built-ins implemented so far, in their lookup order.
InternalMiscFun::InternalMiscFun()
    : BuiltinTable({{u"get_special_dir", &GetSpecialDir},
                    {u"encry_with_key", &EncryptWithKey},
                    {u"decry_with_key", &DecryptWithKey},
                    {u"copy_clip", &CopyClip},
                    {u"get_path_filever", &GetPathFileVer},
                    {u"write_log", &WriteLog},
                    {u"get_disk_info", &GetDiskInfo},
                    {u"get_sys_disk", &GetSysDisk},
                    {u"file_path_exist", &FilePathExist}}) {}
