#include <windows.h>
#include <shlobj.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "base/callback_guard_win.h"
#include "base/scoped_handle_win.h"
#include "base/text_convert.h"
#include "base/text_win.h"
#include "log/logger.h"
#include "statistic/statistic_win.h"
#include "webview2/internal_fun/cipher_builtins.h"
#include "webview2/internal_fun/internal_fun.h"
#include "webview2/internal_fun/json_path_value.h"
#include "webview2/internal_fun/system_builtins.h"

namespace {

std::u16string WriteLog(const std::vector<std::u16string>& params) {
  if (params.empty()) return u"param_error";
  JsonPathValue json;
  if (!json.Parse(params[0])) return u"format_error";
  // The page's text cannot forge lines of its own.
  LOG_INFO("[web] ", text::EscapeControlCharacters(json.GetString("content", u"")));
  return u"";
}

std::u16string FilePathExist(const std::vector<std::u16string>& params) {
  if (params.empty()) return u"param_error";
  const int exists = !RefusedForNul("file_path_exist", {params[0]}) && PathFileExistsW(as_wcstr(params[0])) ? 1 : 0;
  return text::AsciiToUtf16("{\"success\":\"" + std::to_string(exists) + "\"}");
}

// The clipboard is opened with a window of ours: EmptyClipboard makes the opening window the
// owner, and without one Windows refuses the data that follows. One hidden message window per
// thread that copies.
HWND ClipboardOwner() {
  struct Owner {
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ~Owner() {
      if (window != nullptr) DestroyWindow(window);
    }
  };
  thread_local Owner owner;
  return owner.window;
}

std::u16string CopyClip(const std::vector<std::u16string>& params) {
  if (params.empty()) return u"param_error";
  JsonPathValue json;
  if (!json.Parse(params[0])) return u"format_error";
  const std::u16string content = json.GetString("content", u"");
  int success = 0;
  if (OpenClipboard(ClipboardOwner())) {
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

std::u16string GetStatisticParam(const std::vector<std::u16string>&) {
  CStatisticImpl& reporter = StatisticReporter();
  reporter.Init(1, u"", nullptr);
  wchar_t program[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, program, MAX_PATH);
  const std::u16string modver = FileVersion(to_u16(program)).value_or(u"");
  char osver[48];
  std::snprintf(osver, sizeof osver, "%d.%d.%d", static_cast<int>(Os().major), static_cast<int>(Os().minor),
                static_cast<int>(Os().build));
  return StatisticParamResult(reporter, modver, text::AsciiToUtf16(osver));
}

std::u16string GetPathFileVer(const std::vector<std::u16string>& params) {
  const BuiltinJson read = ReadBuiltinJson(params);
  if (read.early_result) return *read.early_result;
  const std::u16string path = read.json.GetText("path", u"");
  if (RefusedForNul("get_path_filever", {path}) || !PathFileExistsW(as_wcstr(path))) return FileVersionResult(3, u"");
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

std::u16string OpenUrl(const std::vector<std::u16string>& params) {
  const BuiltinJson read = ReadBuiltinJson(params);
  if (read.early_result) return *read.early_result;
  const std::u16string url = read.json.GetText("url", u"");
  if (RefusedForNul("open_url", {url})) return u"";
  ShellExecuteW(nullptr, L"open", as_wcstr(url), nullptr, nullptr, SW_SHOWNORMAL);
  return u"";
}

// Keeps the OK button of the folder dialog off for anything but a folder on a fixed drive.
int FolderDialogSelectionChanged(HWND dialog, LPARAM lparam);

// Called from the dialog's frames: a fault goes to the crash handler.
int CALLBACK FolderDialogEvent(HWND dialog, UINT message, LPARAM lparam, LPARAM) {
  if (message != BFFM_SELCHANGED) return 0;
  return guard::Guarded([&] { return FolderDialogSelectionChanged(dialog, lparam); });
}

int FolderDialogSelectionChanged(HWND dialog, LPARAM lparam) {
  wchar_t path[MAX_PATH] = {};
  if (lparam != 0) SHGetPathFromIDListW(reinterpret_cast<PCIDLIST_ABSOLUTE>(lparam), path);
  bool usable = path[0] != L'\0';
  if (usable && path[1] == L':') {
    const wchar_t root[4] = {path[0], L':', L'\\', L'\0'};
    usable = GetDriveTypeW(root) == DRIVE_FIXED;
  }
  if (!usable) SendMessageW(dialog, BFFM_ENABLEOK, 0, 0);
  return 0;
}

std::u16string ChangePath(const std::vector<std::u16string>&) {
  BROWSEINFOW info{};
  info.lpszTitle = L"\u8BF7\u9009\u62E9\u76EE\u5F55";
  info.ulFlags = 0x59;  // only file-system folders and their ancestors, an edit box, the new style
  info.lpfn = &FolderDialogEvent;
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
  if (chosen == nullptr) return u"";
  wchar_t path[MAX_PATH] = {};
  const bool ok = SHGetPathFromIDListW(chosen, path) != FALSE;
  CoTaskMemFree(chosen);
  return ok ? to_u16(path) : u"";
}

enum class PathKind { kMissing, kFolder, kFile };

PathKind KindOf(const std::u16string& path) {
  const DWORD attributes = GetFileAttributesW(as_wcstr(path));
  if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::kMissing;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::kFolder : PathKind::kFile;
}

std::u16string CreateDir(const std::vector<std::u16string>& params) {
  if (params.empty()) return u"param_error";
  const std::u16string& path = params[0];
  if (path.empty() || RefusedForNul("create_dir", {path})) return CreateDirResult(u"", false);
  switch (KindOf(path)) {
    case PathKind::kMissing:
      return CreateDirResult(path, CreateDirectoryW(as_wcstr(path), nullptr) != FALSE);
    case PathKind::kFolder:
      return CreateDirResult(path, true);
    case PathKind::kFile:
      break;
  }
  // A file has the name: the folder gets the first free copy name.
  for (const std::u16string& name : CreateDirCandidates(path)) {
    const PathKind kind = KindOf(name);
    if (kind == PathKind::kFolder) return CreateDirResult(name, true);
    if (kind == PathKind::kMissing && CreateDirectoryW(as_wcstr(name), nullptr)) return CreateDirResult(name, true);
  }
  return CreateDirResult(u"", false);
}

std::u16string FilePathJump(const std::vector<std::u16string>& params) {
  if (params.empty()) return u"param_error";
  const std::u16string& path = params[0];
  if (path.empty() || RefusedForNul("file_path_jump", {path})) return QuotedDigitResult(false);
  // A quote would end the path inside Explorer's command line and add switches of the page's
  // choosing.
  if (path.find(u'"') != std::u16string::npos) {
    LOG_INFO("file_path_jump refused: a quote in the path");
    return QuotedDigitResult(false);
  }
  HINSTANCE result = nullptr;
  if (KindOf(path) == PathKind::kFolder) {
    result = ShellExecuteW(nullptr, L"open", as_wcstr(path), nullptr, nullptr, SW_SHOWNORMAL);
  } else {
    const std::u16string parameters = SelectInExplorerParameters(path);
    result = ShellExecuteW(nullptr, L"open", L"explorer.exe", as_wcstr(parameters), nullptr, SW_SHOWDEFAULT);
  }
  // Values up to 32 are the shell's error codes.
  const INT_PTR code = reinterpret_cast<INT_PTR>(result);
  if (code <= 32) LOG_INFO("file_path_jump failed: shell code ", static_cast<long long>(code));
  return QuotedDigitResult(code > 32);
}

std::u16string RunExe(const std::vector<std::u16string>& params) {
  const BuiltinJson read = ReadBuiltinJson(params);
  if (read.early_result) return *read.early_result;
  const std::u16string path = read.json.GetText("path", u"");
  const std::u16string parameters = read.json.GetText("param", u"");
  bool started = false;
  if (!path.empty() && !RefusedForNul("run_exe", {path, parameters}) && PathFileExistsW(as_wcstr(path))) {
    const HINSTANCE result =
        ShellExecuteW(nullptr, nullptr, as_wcstr(path), as_wcstr(parameters), nullptr, SW_SHOWDEFAULT);
    started = reinterpret_cast<INT_PTR>(result) > 32;
  }
  return RunExeResult(started);
}

// Whether this process's user may do everything with the path, by the path's own security.
std::u16string FilePathAccess(const std::vector<std::u16string>& params) {
  if (params.empty()) return u"param_error";
  const std::u16string& path = params[0];
  if (path.empty() || RefusedForNul("file_path_access", {path}) || !PathFileExistsW(as_wcstr(path))) {
    return FileAccessResult(FileAccessCode(false, 0));
  }
  ScopedHandle process_token;
  ScopedHandle token;
  HANDLE raw = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_IMPERSONATE | TOKEN_QUERY | TOKEN_DUPLICATE | READ_CONTROL, &raw)) {
    return FileAccessResult(FileAccessCode(false, 0));
  }
  process_token.Reset(raw);
  raw = nullptr;
  if (!DuplicateToken(process_token.Get(), SecurityImpersonation, &raw)) {
    return FileAccessResult(FileAccessCode(false, 0));
  }
  token.Reset(raw);
  const SECURITY_INFORMATION wanted = OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
  DWORD needed = 0;
  GetFileSecurityW(as_wcstr(path), wanted, nullptr, 0, &needed);
  if (needed == 0) return FileAccessResult(FileAccessCode(false, 0));
  std::vector<BYTE> descriptor(needed);
  if (!GetFileSecurityW(as_wcstr(path), wanted, descriptor.data(), needed, &needed)) {
    return FileAccessResult(FileAccessCode(false, 0));
  }
  GENERIC_MAPPING mapping{0x120089, 0x120116, 0x1200A0, 0x1F01FF};
  DWORD desired = 0x1F01FF;
  MapGenericMask(&desired, &mapping);
  PRIVILEGE_SET privileges{};
  DWORD privileges_size = sizeof privileges;
  DWORD granted = 0;
  BOOL status = FALSE;
  const bool checked = AccessCheck(descriptor.data(), token.Get(), desired, &mapping, &privileges,
                                   &privileges_size, &granted, &status) != FALSE;
  return FileAccessResult(FileAccessCode(checked && status, granted));
}

}  // namespace

// The miscellaneous built-ins implemented so far, in their lookup order.
InternalMiscFun::InternalMiscFun()
    : BuiltinTable({{u"get_special_dir", &GetSpecialDir},
                    {u"open_url", &OpenUrl},
                    {u"encry_with_key", &EncryptWithKey},
                    {u"decry_with_key", &DecryptWithKey},
                    {u"copy_clip", &CopyClip},
                    {u"get_statistic_param", &GetStatisticParam},
                    {u"get_path_filever", &GetPathFileVer},
                    {u"write_log", &WriteLog},
                    {u"change_path", &ChangePath},
                    {u"create_dir", &CreateDir},
                    {u"get_disk_info", &GetDiskInfo},
                    {u"get_sys_disk", &GetSysDisk},
                    {u"file_path_jump", &FilePathJump},
                    {u"run_exe", &RunExe},
                    {u"file_path_access", &FilePathAccess},
                    {u"file_path_exist", &FilePathExist}}) {}
