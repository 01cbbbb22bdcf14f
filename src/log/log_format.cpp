#include "log/log_format.h"

#include <cstdio>

#include "base/text_convert.h"

namespace LogUtils {

namespace {

// value in decimal, at least width digits wide, padded on the left with pad ("%05u", "%5u").
void AppendPadded(std::u16string& out, uint32_t value, size_t width, char16_t pad) {
  char16_t digits[text::kMaxDecimalDigits];
  const size_t count = text::DecimalDigits(value, digits);
  if (count < width) out.append(width - count, pad);
  out.append(digits, count);
}

}  // namespace

std::u16string FormatPrefix(const LogTime& t, uint32_t pid, uint32_t tid,
                            std::u16string_view tag) {
  // Written digit by digit: this runs for every line, and a formatted print costs more than the
  // rest of the line. A negative field (never from a clock) goes the formatted way.
  std::u16string prefix;
  if (t.month < 0 || t.day < 0 || t.hour < 0 || t.minute < 0 || t.second < 0 || t.millisecond < 0) {
    char buffer[64];
    const int n = std::snprintf(buffer, sizeof buffer, "%02d-%02d %02d:%02d:%02d.%03d [%5u][%5u]", t.month,
                                t.day, t.hour, t.minute, t.second, t.millisecond, static_cast<unsigned>(pid),
                                static_cast<unsigned>(tid));
    prefix = text::AsciiToUtf16(std::string_view(buffer, n > 0 ? n : 0));
  } else {
    prefix.reserve(48);
    AppendPadded(prefix, static_cast<uint32_t>(t.month), 2, u'0');
    prefix += u'-';
    AppendPadded(prefix, static_cast<uint32_t>(t.day), 2, u'0');
    prefix += u' ';
    AppendPadded(prefix, static_cast<uint32_t>(t.hour), 2, u'0');
    prefix += u':';
    AppendPadded(prefix, static_cast<uint32_t>(t.minute), 2, u'0');
    prefix += u':';
    AppendPadded(prefix, static_cast<uint32_t>(t.second), 2, u'0');
    prefix += u'.';
    AppendPadded(prefix, static_cast<uint32_t>(t.millisecond), 3, u'0');
    prefix += u" [";
    AppendPadded(prefix, pid, 5, u' ');
    prefix += u"][";
    AppendPadded(prefix, tid, 5, u' ');
    prefix += u']';
  }
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
  std::u16string header;
  AppendCallSiteHeader(source_path, line, &header);
  return header;
}

void AppendCallSiteHeader(std::string_view source_path, int line, std::u16string* out) {
  std::u16string& header = *out;
  if (line >= 0) {
    header += u'[';
    AppendPadded(header, static_cast<uint32_t>(line), 4, u' ');
    header += u']';
  } else {
    char buffer[24];
    const int n = std::snprintf(buffer, sizeof buffer, "[%4d]", line);
    header += text::AsciiToUtf16(std::string_view(buffer, n > 0 ? n : 0));
  }
  const std::string base = SourceBaseName(source_path);
  if (!base.empty()) {
    header += u'[';
    text::AppendAnsiToUtf16(base, &header);
    header += u']';
  }
  header += u' ';
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
