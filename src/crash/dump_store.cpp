#include "crash/dump_store.h"

#include <json/json.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "base/text_convert.h"

namespace crash {

namespace {

std::string Hex(uint64_t value, int digits) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%0*llX", digits, static_cast<unsigned long long>(value));
  return text;
}

bool ParseHex(const std::string& text, uint64_t max, uint64_t* value) {
  if (text.size() < 3 || text.size() > 18 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X')) return false;
  uint64_t result = 0;
  for (size_t i = 2; i < text.size(); ++i) {
    const char c = text[i];
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    if (digit < 0) return false;
    result = result << 4 | static_cast<uint64_t>(digit);
  }
  if (result > max) return false;
  *value = result;
  return true;
}

bool ParseTime(const std::string& text, UtcTime* time) {
  UtcTime t;
  char zone = 0;
  if (text.size() != 20 || std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c", &t.year, &t.month, &t.day, &t.hour,
                                       &t.minute, &t.second, &zone) != 7 || zone != 'Z') {
    return false;
  }
  *time = t;
  return true;
}

// The characters a dump's name may hold: nothing that means something to a file system or to
// an HTTP header.
bool IsPlainNameChar(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'.' ||
         c == u'_' || c == u'-';
}

}  // namespace

std::u16string DumpBaseName(const CrashMetadata& metadata) {
  std::u16string base;
  for (char16_t c : metadata.source) {
    if (base.size() == 64) break;
    if (IsPlainNameChar(c)) base += c;
  }
  // A name of dots alone would be a folder reference.
  if (base.find_first_not_of(u'.') == std::u16string::npos) base = u"crash";
  const UtcTime& t = metadata.time;
  char text[64];
  std::snprintf(text, sizeof text, "-%04d%02d%02d-%02d%02d%02d-%u", t.year, t.month, t.day, t.hour, t.minute,
                t.second, metadata.process_id);
  return base + text::AsciiToUtf16(text);
}

std::string TimeText(const UtcTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", t.year, t.month, t.day, t.hour, t.minute,
                t.second);
  return text;
}

std::vector<std::pair<std::string, std::string>> MetadataFields(const CrashMetadata& m) {
  std::vector<std::pair<std::string, std::string>> fields = {
      {"source", text::Utf16ToUtf8(m.source)},
      {"version", text::Utf16ToUtf8(m.version)},
      {"report_mode", std::to_string(m.report_mode)},
      {"process_id", std::to_string(m.process_id)},
      {"thread_id", std::to_string(m.thread_id)},
      {"time", TimeText(m.time)},
  };
  if (m.has_exception) {
    fields.emplace_back("exception_code", Hex(m.exception_code, 8));
    fields.emplace_back("exception_address", Hex(m.exception_address, 16));
  }
  if (!m.program.empty()) fields.emplace_back("program", text::Utf16ToUtf8(m.program));
  return fields;
}

std::string MetadataJson(const CrashMetadata& m) {
  Json::Value root(Json::objectValue);
  for (const auto& field : MetadataFields(m)) root[field.first] = field.second;
  // Numbers as numbers, for whoever reads the file by hand or with a tool.
  root["report_mode"] = m.report_mode;
  root["process_id"] = m.process_id;
  root["thread_id"] = m.thread_id;
  Json::StreamWriterBuilder builder;
  builder["indentation"] = "  ";
  return Json::writeString(builder, root) + "\n";
}

std::optional<CrashMetadata> ParseMetadataJson(std::string_view json) {
  // Ours are a few hundred bytes; anything far larger is not ours.
  if (json.size() > kMaxMetadataBytes) return std::nullopt;
  Json::CharReaderBuilder builder;
  const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  Json::Value root;
  std::string errors;
  try {
    if (!reader->parse(json.data(), json.data() + json.size(), &root, &errors) || !root.isObject()) {
      return std::nullopt;
    }
  } catch (const Json::Exception&) {
    return std::nullopt;  // nested deeper than the reader allows
  }
  auto text = [&](const char* name, std::string* out) {
    const Json::Value& v = root[name];
    if (!v.isString()) return false;
    *out = v.asString();
    return true;
  };
  auto number = [&](const char* name, int64_t low, int64_t high, int64_t* out) {
    const Json::Value& v = root[name];
    // isInt64 first: a number beyond 64 bits would make asInt64 throw.
    if (!v.isInt64() || v.asInt64() < low || v.asInt64() > high) return false;
    *out = v.asInt64();
    return true;
  };
  CrashMetadata m;
  std::string source, version, time, program, code, address;
  int64_t report_mode = 0, process_id = 0, thread_id = 0;
  if (!text("source", &source) || !text("version", &version) || !text("time", &time) ||
      !number("report_mode", INT32_MIN, INT32_MAX, &report_mode) ||
      !number("process_id", 0, UINT32_MAX, &process_id) || !number("thread_id", 0, UINT32_MAX, &thread_id) ||
      !ParseTime(time, &m.time)) {
    return std::nullopt;
  }
  m.source = text::Utf8ToUtf16(source);
  m.version = text::Utf8ToUtf16(version);
  m.report_mode = static_cast<int32_t>(report_mode);
  m.process_id = static_cast<uint32_t>(process_id);
  m.thread_id = static_cast<uint32_t>(thread_id);
  const bool has_code = text("exception_code", &code);
  const bool has_address = text("exception_address", &address);
  if (has_code || has_address) {
    uint64_t value = 0;
    if (!ParseHex(code, UINT32_MAX, &value)) return std::nullopt;
    m.exception_code = static_cast<uint32_t>(value);
    if (!ParseHex(address, UINT64_MAX, &m.exception_address)) return std::nullopt;
    m.has_exception = true;
  }
  if (text("program", &program)) m.program = text::Utf8ToUtf16(program);
  return m;
}

bool IsDumpBaseName(const std::u16string& base) {
  if (base.empty() || base.size() > 128 || base.find_first_not_of(u'.') == std::u16string::npos) return false;
  return std::all_of(base.begin(), base.end(), IsPlainNameChar);
}

std::vector<std::u16string> DumpsToRemove(std::vector<StoredDump> dumps, const FolderBounds& bounds,
                                          const std::u16string& keep) {
  std::sort(dumps.begin(), dumps.end(), [](const StoredDump& a, const StoredDump& b) {
    return a.written != b.written ? a.written > b.written : a.base > b.base;
  });
  std::vector<std::u16string> remove;
  uint64_t total = 0;
  bool full = false;
  for (size_t i = 0; i < dumps.size(); ++i) {
    const bool fits = i < bounds.max_count && dumps[i].bytes <= bounds.max_bytes - std::min(total, bounds.max_bytes);
    full = full || (i > 0 && !fits);
    if (full && dumps[i].base != keep) {
      remove.push_back(dumps[i].base);
    } else {
      total += dumps[i].bytes;
    }
  }
  return remove;
}

}  // namespace crash
