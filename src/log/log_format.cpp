#include "log/log_format.h"

#include <cstdio>

#include "base/text_convert.h"

namespace LogUtils {

std::u16string FormatPrefix(const LogTime& t, uint32_t pid, uint32_t tid,
                            std::u16string_view tag) {
  char buffer[64];
  const int n = std::snprintf(buffer, sizeof buffer, "%02d-%02d %02d:%02d:%02d.%03d [%5u][%5u]",
                              t.month, t.day, t.hour, t.minute, t.second, t.millisecond,
                              static_cast<unsigned>(pid), static_cast<unsigned>(tid));
  std::u16string prefix = text::AsciiToUtf16(std::string_view(buffer, n > 0 ? n : 0));
  if (!tag.empty()) {
    const size_t limit = kPrefixBufferChars - 1;
    const size_t room = prefix.size() + 2 < limit ? limit - prefix.size() - 2 : 0;
    prefix += u'[';
    prefix += tag.substr(0, room);
    prefix += u']';
  }
  return prefix;
}

std::string SourceBaseName(std::string_view path) {
  const size_t slash = path.find_last_of("\\/");
  const size_t dot = path.find_last_of('.');
  const size_t start = slash == std::string_view::npos ? 0 : slash + 1;
  if (dot == std::string_view::npos || dot < start || dot == start) return {};
  return std::string(path.substr(start, dot - start));
}

std::u16string CallSiteHeader(std::string_view source_path, int line) {
  const std::string base = SourceBaseName(source_path);
  char buffer[24];
  const int n = std::snprintf(buffer, sizeof buffer, "[%4d]", line);
  std::u16string header = text::AsciiToUtf16(std::string_view(buffer, n > 0 ? n : 0));
  if (!base.empty()) {
    header += u'[';
    header += text::AnsiToUtf16(base);
    header += u']';
  }
  header += u' ';
  return header;
}

std::u16string MutexNameFromPath(std::u16string_view path) {
  std::u16string name;
  for (char16_t c : path) {
    if (c >= u'a' && c <= u'z') {
      name += static_cast<char16_t>(c - u'a' + u'A');
    } else if ((c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')) {
      name += c;
    }
  }
  return name;
}

}  // namespace LogUtils
