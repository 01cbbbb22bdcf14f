// The registry and INI built-ins: the system calls between reading the parameter and building
// the result (system_builtins.h).
#include <windows.h>
#include <shlwapi.h>

#include <cstdio>

#include "base/text_convert.h"
#include "base/text_win.h"
#include "webview2/internal_fun/internal_fun.h"
#include "webview2/internal_fun/system_builtins.h"

namespace {

HKEY RootKey(RegRoot root) {
  switch (root) {
    case RegRoot::kClassesRoot: return HKEY_CLASSES_ROOT;
    case RegRoot::kCurrentUser: return HKEY_CURRENT_USER;
    case RegRoot::kLocalMachine: return HKEY_LOCAL_MACHINE;
    case RegRoot::kUsers: return HKEY_USERS;
  }
  return HKEY_CURRENT_USER;
}

// The value a registry built-in names, read from its parameter; or the result to answer at once
// ("param_error", "format_error", "error" for an unknown root, or the refusal given for a NUL
// inside the key or value name).
struct RegValue {
  BuiltinJson read;
  HKEY root = nullptr;
  std::u16string sub_key;
  std::u16string name;
  std::optional<std::u16string> early_result;
};

RegValue ReadRegValue(const char* builtin, const std::vector<std::u16string>& params,
                      const std::u16string& refusal) {
  RegValue v;
  v.read = ReadBuiltinJson(params);
  v.early_result = v.read.early_result;
  if (v.early_result) return v;
  const std::optional<RegRoot> root = RegRootOf(v.read.json.GetText("hkey", u""));
  if (!root) {
    v.early_result = u"error";
    return v;
  }
  v.root = RootKey(*root);
  v.sub_key = v.read.json.GetText("sub_key", u"");
  v.name = v.read.json.GetText("key_name", u"");
  if (RefusedForNul(builtin, {v.sub_key, v.name})) v.early_result = refusal;
  return v;
}

std::u16string ReadRegedit(const std::vector<std::u16string>& params) {
  const RegValue v = ReadRegValue("read_regedit", params, RegeditReadResult(u"", false));
  if (v.early_result) return *v.early_result;
  const JsonPathValue& json = v.read.json;
  const auto get = [&](void* buffer, DWORD bytes) {
    DWORD type = 0;
    return SHGetValueW(v.root, as_wcstr(v.sub_key), as_wcstr(v.name), &type, buffer, &bytes) == ERROR_SUCCESS;
  };
  std::u16string value;
  bool ok = false;
  char number[32];
  switch (json.GetInt("value_type", 0)) {
    case kRegDword: {
      int32_t dword = 0;
      ok = get(&dword, sizeof dword);
      std::snprintf(number, sizeof number, "%d", ok ? dword : 0);
      value = text::AsciiToUtf16(number);
      break;
    }
    case kRegQword: {
      uint64_t qword = 0;
      ok = get(&qword, sizeof qword);
      std::snprintf(number, sizeof number, "%llu", static_cast<unsigned long long>(ok ? qword : 0));
      value = text::AsciiToUtf16(number);
      break;
    }
    case kRegSz: {
      // 520 bytes offered: at most 259 characters and the terminating zero.
      wchar_t text[4096] = {};
      ok = get(text, 520);
      if (ok) value = to_u16(text);
      break;
    }
    default:
      break;
  }
  return RegeditReadResult(value, ok);
}

std::u16string WriteRegedit(const std::vector<std::u16string>& params) {
  const RegValue v = ReadRegValue("write_regedit", params, RegeditWriteResult(false));
  if (v.early_result) return *v.early_result;
  const JsonPathValue& json = v.read.json;
  const auto set = [&](DWORD type, const void* data, DWORD bytes) {
    return SHSetValueW(v.root, as_wcstr(v.sub_key), as_wcstr(v.name), type, data, bytes) == ERROR_SUCCESS;
  };
  bool written = true;  // a type that writes nothing still answers as a write
  switch (json.GetInt("value_type", 0)) {
    case kRegDword: {
      const int32_t dword = json.GetInt("value", 0);
      written = set(REG_DWORD, &dword, sizeof dword);
      break;
    }
    case kRegQword: {
      const uint64_t qword =
          QwordValue(json, "value").value_or(static_cast<uint32_t>(json.GetInt("value", 0)));
      written = set(REG_QWORD, &qword, sizeof qword);
      break;
    }
    case kRegSz: {
      const std::u16string text = json.GetText("value", u"");
      written = set(REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(char16_t)));
      break;
    }
    default:
      break;
  }
  return RegeditWriteResult(written);
}

std::u16string ReadIniFile(const std::vector<std::u16string>& params) {
  const BuiltinJson read = ReadBuiltinJson(params);
  if (read.early_result) return *read.early_result;
  const JsonPathValue& json = read.json;
  const std::u16string section = json.GetText("sections", u"");
  const std::u16string key = json.GetText("key", u"");
  const std::u16string file_path = json.GetText("file_path", u"");
  if (RefusedForNul("read_ini_file", {section, key, file_path})) return IniReadResult(u"");
  std::vector<wchar_t> buffer(kMaxIniValueChars, L'\0');
  const DWORD length = GetPrivateProfileStringW(as_wcstr(section), as_wcstr(key), L"", buffer.data(),
                                                static_cast<DWORD>(buffer.size()), as_wcstr(file_path));
  return IniReadResult(std::u16string(as_u16cstr(buffer.data()), length));
}

std::u16string WriteIniFile(const std::vector<std::u16string>& params) {
  const BuiltinJson read = ReadBuiltinJson(params);
  if (read.early_result) return *read.early_result;
  const JsonPathValue& json = read.json;
  const std::u16string value = json.GetText("value", u"");
  const std::u16string file_path = json.GetText("file_path", u"");
  const std::u16string section = json.GetText("sections", u"");
  const std::u16string key = json.GetText("key", u"");
  if (value.size() >= kMaxIniValueChars || RefusedForNul("write_ini_file", {value, file_path, section, key})) {
    return IniWriteResult(false);
  }
  for (const std::u16string& folder : FolderChain(file_path)) {
    if (PathFileExistsW(as_wcstr(folder))) continue;
    if (!CreateDirectoryW(as_wcstr(folder), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
      return IniWriteResult(false);
    }
  }
  const bool written =
      WritePrivateProfileStringW(as_wcstr(section), as_wcstr(key), as_wcstr(value), as_wcstr(file_path)) != FALSE;
  return IniWriteResult(written);
}

}  // namespace

InternalRegFun::InternalRegFun()
    : BuiltinTable({{u"read_regedit", &ReadRegedit},
                    {u"write_regedit", &WriteRegedit},
                    {u"read_ini_file", &ReadIniFile},
                    {u"write_ini_file", &WriteIniFile}}) {}
