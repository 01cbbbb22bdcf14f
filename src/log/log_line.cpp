#include "log/log_line.h"

#include <cstdio>

#include "base/text_convert.h"
#include "log/log_format.h"

namespace LogUtils {

LogLine::LogLine(const char16_t* tag, const char* source_path, int line) {
  // Room for a typical line at once: growing piece by piece would reallocate several times.
  text_.reserve(256);
  if (tag != nullptr) text_ = tag;
  AppendCallSiteHeader(source_path != nullptr ? source_path : "", line, &text_);
}

LogLine& LogLine::operator<<(std::u16string_view text) {
  text_ += text;
  return *this;
}

LogLine& LogLine::operator<<(const char16_t* text) {
  return *this << (text != nullptr ? std::u16string_view(text) : std::u16string_view(u"(null)"));
}

LogLine& LogLine::operator<<(char16_t c) {
  text_ += c;
  return *this;
}

LogLine& LogLine::operator<<(std::string_view text) {
  text::AppendAnsiToUtf16(text, &text_);
  return *this;
}

LogLine& LogLine::operator<<(const char* text) {
  return *this << (text != nullptr ? std::string_view(text) : std::string_view("(null)"));
}

LogLine& LogLine::operator<<(char c) { return *this << std::string_view(&c, 1); }

LogLine& LogLine::operator<<(bool value) { return AppendNumber(value ? 1LL : 0LL); }

LogLine& LogLine::operator<<(double value) {
  char buffer[32];
  const int n = std::snprintf(buffer, sizeof buffer, "%g", value);
  text_ += text::AsciiToUtf16(std::string_view(buffer, n > 0 ? static_cast<size_t>(n) : 0));
  return *this;
}

#ifdef _WIN32
LogLine& LogLine::operator<<(const wchar_t* text) {
  return *this << reinterpret_cast<const char16_t*>(text);
}

LogLine& LogLine::operator<<(const std::wstring& text) {
  return *this << std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size());
}
#endif

LogLine& LogLine::AppendNumber(long long value) {
  if (value < 0) {
    text_ += u'-';
    // Negated in unsigned arithmetic, so that the smallest value does not overflow.
    return AppendNumber(0ull - static_cast<unsigned long long>(value));
  }
  return AppendNumber(static_cast<unsigned long long>(value));
}

LogLine& LogLine::AppendNumber(unsigned long long value) {
  char16_t digits[text::kMaxDecimalDigits];
  text_.append(digits, text::DecimalDigits(value, digits));
  return *this;
}

}  // namespace LogUtils
