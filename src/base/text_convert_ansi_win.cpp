// The ANSI code page conversions of the Windows build.
#include <windows.h>

#include <climits>
#include <string_view>
#include <type_traits>

#include "base/text_convert.h"
#include "base/text_win.h"

namespace text {

namespace {

// Every ANSI code page agrees with ASCII below 0x80, and most text is ASCII: such text is
// converted here, without the two calls to the system a conversion otherwise takes.
template <typename Char>
bool IsAscii(std::basic_string_view<Char> text) {
  for (Char c : text) {
    if (static_cast<std::make_unsigned_t<Char>>(c) >= 0x80) return false;
  }
  return true;
}

// Appends ASCII text character by character into room made at once (appending an iterator
// range of another character type would build a temporary string first).
template <typename From, typename To>
void AppendAscii(std::basic_string_view<From> text, std::basic_string<To>* out) {
  const size_t at = out->size();
  out->resize(at + text.size());
  To* to = out->data() + at;
  for (From c : text) *to++ = static_cast<To>(c);
}

}  // namespace

std::string Utf16ToAnsi(std::u16string_view text) {
  if (IsAscii(text)) return std::string(text.begin(), text.end());
  if (text.size() > INT_MAX) return {};
  const int in_len = static_cast<int>(text.size());
  // Ask for the size first: a code page such as UTF-8 needs more than two bytes a character.
  const int needed = WideCharToMultiByte(CP_ACP, 0, as_wcstr(text.data()), in_len, nullptr, 0,
                                         nullptr, nullptr);
  if (needed <= 0) return {};
  std::string out(static_cast<size_t>(needed), '\0');
  const int written = WideCharToMultiByte(CP_ACP, 0, as_wcstr(text.data()), in_len, out.data(),
                                          needed, nullptr, nullptr);
  out.resize(written > 0 ? static_cast<size_t>(written) : 0);
  return out;
}

std::u16string AnsiToUtf16(std::string_view text) {
  if (IsAscii(text)) return std::u16string(text.begin(), text.end());
  if (text.size() > INT_MAX) return {};
  const int in_len = static_cast<int>(text.size());
  const int needed = MultiByteToWideChar(CP_ACP, 0, text.data(), in_len, nullptr, 0);
  if (needed <= 0) return {};
  std::u16string out(static_cast<size_t>(needed), u'\0');
  const int written =
      MultiByteToWideChar(CP_ACP, 0, text.data(), in_len, as_wcstr(out.data()), needed);
  out.resize(written > 0 ? static_cast<size_t>(written) : 0);
  return out;
}

void AppendUtf16ToAnsi(std::u16string_view text, std::string* out) {
  if (IsAscii(text)) {
    AppendAscii(text, out);
  } else {
    out->append(Utf16ToAnsi(text));
  }
}

void AppendAnsiToUtf16(std::string_view text, std::u16string* out) {
  if (IsAscii(text)) {
    AppendAscii(text, out);
  } else {
    out->append(AnsiToUtf16(text));
  }
}

}  // namespace text
