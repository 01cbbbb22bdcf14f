#pragma once
// The text of one log line as a call site builds it: level tag, source position, then the
// message pieces streamed in.

#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

namespace LogUtils {

class LogLine {
 public:
  LogLine(const char16_t* tag, const char* source_path, int line);

  LogLine& operator<<(std::u16string_view text);
  LogLine& operator<<(const std::u16string& text) { return *this << std::u16string_view(text); }
  LogLine& operator<<(const char16_t* text);
  LogLine& operator<<(char16_t c);
  // Narrow text is in the ANSI code page.
  LogLine& operator<<(std::string_view text);
  LogLine& operator<<(const std::string& text) { return *this << std::string_view(text); }
  LogLine& operator<<(const char* text);
  LogLine& operator<<(char c);
  LogLine& operator<<(bool value);
  LogLine& operator<<(double value);
#ifdef _WIN32
  LogLine& operator<<(const wchar_t* text);
  LogLine& operator<<(const std::wstring& text);
#endif
  template <typename T, typename = std::enable_if_t<std::is_integral_v<T>>>
  LogLine& operator<<(T value) {
    if constexpr (std::is_signed_v<T>) {
      return AppendNumber(static_cast<long long>(value));
    } else {
      return AppendNumber(static_cast<unsigned long long>(value));
    }
  }

  template <typename... Pieces>
  LogLine& Add(Pieces&&... pieces) {
    (*this << ... << std::forward<Pieces>(pieces));
    return *this;
  }

  // Moves the finished text out; the line is empty afterwards.
  std::u16string TakeText() { return std::move(text_); }
  const std::u16string& text() const { return text_; }

 private:
  LogLine& AppendNumber(long long value);
  LogLine& AppendNumber(unsigned long long value);

  std::u16string text_;
};

}  // namespace LogUtils
