#pragma once
// The portable part of the registry, INI and system-fact built-ins: reading their parameters
// and building their result texts. The Windows side (internal_reg_fun.cpp and the
// miscellaneous table) makes the system calls between the two.

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "webview2/internal_fun/json_path_value.h"

// The parameter of a built-in that takes JSON: the parsed text, or the result to answer at
// once ("param_error" without a parameter, "format_error" for a text that is no JSON object or
// array).
struct BuiltinJson {
  JsonPathValue json;
  std::optional<std::u16string> early_result;
};
BuiltinJson ReadBuiltinJson(const std::vector<std::u16string>& params);

// True, with a log line naming the built-in, when a text bound for a system call holds a NUL:
// the call would stop there while the built-in's checks saw the whole text.
bool RefusedForNul(const char* builtin, std::initializer_list<std::u16string_view> texts);

// Registry value types of "read_regedit" and "write_regedit".
enum RegValueType { kRegDword = 1, kRegQword = 2, kRegSz = 3 };

// The registry roots by their exact names; nothing for any other text.
enum class RegRoot { kClassesRoot, kCurrentUser, kLocalMachine, kUsers };
std::optional<RegRoot> RegRootOf(const std::u16string& name);

// {"value":"...","code":"N"}: the value text escaped for JSON (a quote, a backslash or a control
// character would otherwise make the result invalid); ordinary values stay as they are.
std::u16string RegeditReadResult(const std::u16string& value, bool read);
// What "write_regedit" stores as REG_QWORD from a JSON number or a numeric text: a value that
// fits 32 bits (-1 among them) zero-extended, a larger one whole; nothing when "value" is neither.
std::optional<uint64_t> QwordValue(const JsonPathValue& json, const std::string& path);
std::u16string RegeditWriteResult(bool written);

// {"code":"1","value":"..."} ("0" when nothing was read), in the JSON library's key order.
std::u16string IniReadResult(const std::u16string& value);
// The folders to make sure of, in order, for a file path: at every "\" or "/" of the folder
// path followed by "\", the prefix up to it (those that exist already, a drive among them, are
// left alone by the caller).
std::vector<std::u16string> FolderChain(const std::u16string& file_path);
// Values of 4096 characters or more are not written.
constexpr size_t kMaxIniValueChars = 4096;
std::u16string IniWriteResult(bool written);

// "get_path_filever": {"code":3} for a missing path, {"code":2} without a version,
// {"code":0,"ver":"..."} with one.
std::u16string FileVersionResult(int code, const std::u16string& version);
// "a.b.c.d" from the fixed version's two halves.
std::u16string FixedVersionText(uint32_t most_significant, uint32_t least_significant);
// A version resource's FileVersion text: every "," becomes "." and every blank goes.
std::u16string NormalizedVersionText(const std::u16string& text);

struct DriveFacts {
  char16_t letter;  // lower case
  uint64_t free_bytes;
  uint32_t type;
};
// The JSON array of drives, "null" when there is none.
std::u16string DiskInfoResult(const std::vector<DriveFacts>& drives);
// {"disk":"C"}.
std::u16string SystemDiskResult(char16_t letter);

// "create_dir": the names tried, in order, when the path is a file: P + "- 副本 (n)", n = 1..10.
std::vector<std::u16string> CreateDirCandidates(const std::u16string& path);
// {"path":"...","success":N}, in the JSON library's key order.
std::u16string CreateDirResult(const std::u16string& path, bool success);
// "run_exe": a started program gives {"success":"0","code":"1"}, anything else the opposite.
std::u16string RunExeResult(bool started);
// "file_path_jump": the parameters that show a file selected in Explorer.
std::u16string SelectInExplorerParameters(const std::u16string& path);
std::u16string QuotedDigitResult(bool success);  // {"success":"1"} or {"success":"0"}
// "file_path_access": 1, plus 2 for write, 4 for read and 8 for all access in the granted mask.
int FileAccessCode(bool granted, uint32_t mask);
std::u16string FileAccessResult(int code);  // {"code":"N"}
