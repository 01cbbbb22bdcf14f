#include "webview2/internal_fun/system_builtins.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "base/text_convert.h"
#include "log/logger.h"

BuiltinJson ReadBuiltinJson(const std::vector<std::u16string>& params) {
  BuiltinJson read;
  if (params.empty()) {
    read.early_result = u"param_error";
  } else if (!read.json.Parse(params[0])) {
    read.early_result = u"format_error";
  }
  return read;
}

bool RefusedForNul(const char* builtin, std::initializer_list<std::u16string_view> texts) {
  for (const std::u16string_view text : texts) {
    if (text.find(u'\0') != std::u16string_view::npos) {
      LOG_INFO(builtin, " refused: a NUL inside a path or text");
      return true;
    }
  }
  return false;
}

std::optional<RegRoot> RegRootOf(const std::u16string& name) {
  if (name == u"HKEY_CLASSES_ROOT") return RegRoot::kClassesRoot;
  if (name == u"HKEY_CURRENT_USER") return RegRoot::kCurrentUser;
  if (name == u"HKEY_LOCAL_MACHINE") return RegRoot::kLocalMachine;
  if (name == u"HKEY_USERS") return RegRoot::kUsers;
  return std::nullopt;
}

namespace {

// The text as the inside of a JSON string.
std::u16string JsonEscaped(const std::u16string& text) {
  std::u16string out;
  out.reserve(text.size());
  for (char16_t c : text) {
    switch (c) {
      case u'"': out += u"\\\""; break;
      case u'\\': out += u"\\\\"; break;
      case u'\b': out += u"\\b"; break;
      case u'\f': out += u"\\f"; break;
      case u'\n': out += u"\\n"; break;
      case u'\r': out += u"\\r"; break;
      case u'\t': out += u"\\t"; break;
      default:
        if (c < 0x20) {
          char escape[8];
          std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
          out += text::AsciiToUtf16(escape);
        } else {
          out += c;
        }
    }
  }
  return out;
}

std::u16string Compact(const Json::Value& value) { return text::Utf8ToUtf16(WriteCompactJson(value)); }

}  // namespace

std::u16string RegeditReadResult(const std::u16string& value, bool read) {
  return u"{\"value\":\"" + JsonEscaped(value) + u"\",\"code\":\"" + (read ? u"1" : u"0") + u"\"}";
}

std::optional<uint64_t> QwordValue(const JsonPathValue& json, const std::string& path) {
  const Json::Value& value = json.Find(path);
  std::optional<int64_t> signed_number;  // a negative number
  std::optional<uint64_t> number;
  try {
    if (value.isUInt64()) {
      number = value.asUInt64();
    } else if (value.isInt64()) {
      signed_number = value.asInt64();
    } else if (value.isString()) {
      const std::string text = value.asString();
      if (text.empty()) return std::nullopt;
      char* end = nullptr;
      errno = 0;
      if (text[0] == '-') {
        signed_number = std::strtoll(text.c_str(), &end, 10);
      } else {
        number = std::strtoull(text.c_str(), &end, 10);
      }
      if (errno != 0 || end == text.c_str() || *end != '\0') return std::nullopt;
    }
  } catch (const Json::Exception&) {
    return std::nullopt;
  }
  // A value that fits 32 bits is that 32-bit integer, zero-extended; a larger one is kept whole.
  if (signed_number) {
    return *signed_number >= INT32_MIN ? static_cast<uint64_t>(static_cast<uint32_t>(*signed_number))
                                       : static_cast<uint64_t>(*signed_number);
  }
  return number;
}

std::u16string RegeditWriteResult(bool written) {
  return written ? u"{\"success\":\"1\"}" : u"{\"success\":\"0\"}";
}

std::u16string IniReadResult(const std::u16string& value) {
  Json::Value result(Json::objectValue);
  result["code"] = value.empty() ? "0" : "1";
  result["value"] = text::Utf16ToUtf8(value);
  return Compact(result);
}

std::vector<std::u16string> FolderChain(const std::u16string& file_path) {
  std::vector<std::u16string> chain;
  const size_t last = file_path.find_last_of(u"\\/");
  if (last == std::u16string::npos) return chain;
  const std::u16string walk = file_path.substr(0, last) + u"\\";
  for (size_t at = 0; at < walk.size(); ++at) {
    if (walk[at] != u'\\' && walk[at] != u'/') continue;
    if (at > 0) chain.push_back(walk.substr(0, at));
  }
  return chain;
}

std::u16string IniWriteResult(bool written) { return written ? u"{\"success\":1}" : u"{\"success\":0}"; }

std::u16string FileVersionResult(int code, const std::u16string& version) {
  Json::Value result(Json::objectValue);
  result["code"] = code;
  if (code == 0) result["ver"] = text::Utf16ToUtf8(version);
  return Compact(result);
}

std::u16string FixedVersionText(uint32_t most_significant, uint32_t least_significant) {
  char text[64];
  std::snprintf(text, sizeof text, "%d.%d.%d.%d", static_cast<int>(most_significant >> 16),
                static_cast<int>(most_significant & 0xFFFF), static_cast<int>(least_significant >> 16),
                static_cast<int>(least_significant & 0xFFFF));
  return text::AsciiToUtf16(text);
}

std::u16string NormalizedVersionText(const std::u16string& text) {
  std::u16string out;
  for (char16_t c : text) {
    if (c == u',') {
      out += u'.';
    } else if (c != u' ' && c != u'\t') {
      out += c;
    }
  }
  return out;
}

std::u16string DiskInfoResult(const std::vector<DriveFacts>& drives) {
  Json::Value result;  // null until the first drive
  for (const DriveFacts& drive : drives) {
    Json::Value entry(Json::objectValue);
    entry["disk_id"] = text::Utf16ToUtf8(std::u16string{drive.letter, u':'});
    entry["free_space"] = std::to_string(drive.free_bytes);
    entry["type"] = drive.type;
    result.append(entry);
  }
  return Compact(result);
}

std::u16string SystemDiskResult(char16_t letter) {
  return u"{\"disk\":\"" + std::u16string(1, letter) + u"\"}";
}

std::vector<std::u16string> CreateDirCandidates(const std::u16string& path) {
  std::vector<std::u16string> names;
  for (int n = 1; n <= 10; ++n) {
    names.push_back(path + u"- \u526F\u672C (" + text::AsciiToUtf16(std::to_string(n)) + u")");
  }
  return names;
}

std::u16string CreateDirResult(const std::u16string& path, bool success) {
  Json::Value result(Json::objectValue);
  result["path"] = text::Utf16ToUtf8(success ? path : u"");
  result["success"] = success ? 1 : 0;
  return Compact(result);
}

std::u16string RunExeResult(bool started) {
  return started ? u"{\"success\":\"0\",\"code\":\"1\"}" : u"{\"success\":\"1\",\"code\":\"0\"}";
}

std::u16string SelectInExplorerParameters(const std::u16string& path) {
  return u" \"/select\", \"" + path + u"\"";
}

std::u16string QuotedDigitResult(bool success) {
  return success ? u"{\"success\":\"1\"}" : u"{\"success\":\"0\"}";
}

int FileAccessCode(bool granted, uint32_t mask) {
  constexpr uint32_t kGenericRead = 0x80000000u;
  constexpr uint32_t kGenericWrite = 0x40000000u;
  constexpr uint32_t kGenericAll = 0x10000000u;
  constexpr uint32_t kFileRead = 0x120089, kFileWrite = 0x120116, kFileAll = 0x1F01FF;
  int code = 1;
  if (!granted) return code;
  if ((mask & kGenericWrite) != 0 || (mask & kFileWrite) == kFileWrite) code += 2;
  if ((mask & kGenericRead) != 0 || (mask & kFileRead) == kFileRead) code += 4;
  if ((mask & kGenericAll) != 0 || (mask & kFileAll) == kFileAll) code += 8;
  return code;
}

std::u16string FileAccessResult(int code) {
  return u"{\"code\":\"" + text::AsciiToUtf16(std::to_string(code)) + u"\"}";
}
