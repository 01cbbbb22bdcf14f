#include "webview2/internal_fun/json_path_value.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <sstream>

#include <json/reader.h>
#include <json/writer.h>

#include "base/text_convert.h"

namespace {

// A reader and a writer per thread, built once: building them from their builders costs far more
// than parsing or writing the small texts that pass through here, and neither may be shared
// between threads while in use.
Json::CharReader& Reader() {
  thread_local const std::unique_ptr<Json::CharReader> reader(Json::CharReaderBuilder().newCharReader());
  return *reader;
}

Json::StreamWriter& CompactWriter() {
  thread_local const std::unique_ptr<Json::StreamWriter> writer([] {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "";
    builder["emitUTF8"] = true;
    return builder.newStreamWriter();
  }());
  return *writer;
}

const Json::Value& Null() {
  static const Json::Value null;
  return null;
}

// Applies "[n]" suffixes starting at `at` of segment; null when any step fails.
const Json::Value* Index(const Json::Value* value, const std::string& segment, size_t at) {
  while (value != nullptr && at < segment.size()) {
    if (segment[at] != '[') return nullptr;
    const size_t close = segment.find(']', at);
    if (close == std::string::npos || close == at + 1) return nullptr;
    const std::string digits = segment.substr(at + 1, close - at - 1);
    if (digits.find_first_not_of("0123456789") != std::string::npos || digits.size() > 9) return nullptr;
    const unsigned index = static_cast<unsigned>(std::strtoul(digits.c_str(), nullptr, 10));
    if (!value->isArray() || index >= value->size()) return nullptr;
    value = &(*value)[index];
    at = close + 1;
  }
  return value;
}

}  // namespace

bool JsonPathValue::Parse(const std::u16string& text) {
  const std::string utf8 = text::Utf16ToUtf8(text);
  Json::Value root;
  std::string errors;
  try {
    if (!Reader().parse(utf8.data(), utf8.data() + utf8.size(), &root, &errors)) return false;
  } catch (const Json::Exception&) {
    return false;  // nesting beyond the reader's limit
  }
  if (!root.isObject() && !root.isArray()) return false;
  root_ = std::move(root);
  return true;
}

const Json::Value& JsonPathValue::Find(const std::string& path) const {
  if (path.size() >= 256) return Null();
  try {
    const Json::Value* value = &root_;
    size_t start = 0;
    while (!path.empty() && start <= path.size()) {
      const size_t dot = path.find('.', start);
      const std::string segment = path.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
      const size_t bracket = segment.find('[');
      const std::string member = segment.substr(0, bracket);
      if (!member.empty()) {
        if (!value->isObject() || !value->isMember(member)) return Null();
        value = &(*value)[member];
      } else if (bracket == std::string::npos) {
        return Null();  // an empty segment
      }
      if (bracket != std::string::npos) value = Index(value, segment, bracket);
      if (value == nullptr) return Null();
      if (dot == std::string::npos) break;
      start = dot + 1;
    }
    return *value;
  } catch (const Json::Exception&) {
    return Null();
  }
}

int JsonPathValue::GetInt(const std::string& path, int fallback) const {
  const Json::Value& value = Find(path);
  try {
    if (value.isInt() || value.isUInt() || value.isDouble() || value.isBool()) return value.asInt();
  } catch (const Json::Exception&) {
    return fallback;  // beyond the 32 bits
  }
  if (value.isString()) {
    // As atoi reads (leading blanks, a sign, digits; 0 without digits), but a number beyond the
    // 32 bits is the default, as it is for a JSON number, instead of undefined.
    errno = 0;
    const long long number = std::strtoll(value.asCString(), nullptr, 10);
    return errno == 0 && number >= INT_MIN && number <= INT_MAX ? static_cast<int>(number) : fallback;
  }
  return fallback;
}

std::u16string JsonPathValue::GetString(const std::string& path, const std::u16string& fallback) const {
  const Json::Value& value = Find(path);
  return value.isString() ? text::Utf8ToUtf16(value.asString()) : fallback;
}

std::u16string JsonPathValue::GetText(const std::string& path, const std::u16string& fallback) const {
  const Json::Value& value = Find(path);
  try {
    if (value.isString() || value.isInt() || value.isUInt() || value.isDouble() || value.isBool()) {
      return text::Utf8ToUtf16(value.asString());
    }
  } catch (const Json::Exception&) {
  }
  return fallback;
}

std::string WriteCompactJson(const Json::Value& value) {
  std::ostringstream out;
  CompactWriter().write(value, &out);
  return out.str();
}

std::string JsonPathValue::WriteJson(const std::string& path) const { return WriteCompactJson(Find(path)); }
