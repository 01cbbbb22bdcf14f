// The native build has no ANSI code page; UTF-8 stands in for it.
#include "base/text_convert.h"

namespace text {

std::string Utf16ToAnsi(std::u16string_view text) { return Utf16ToUtf8(text); }
std::u16string AnsiToUtf16(std::string_view text) { return Utf8ToUtf16(text); }

void AppendUtf16ToAnsi(std::u16string_view text, std::string* out) {
  for (const char16_t c : text) {
    if (c >= 0x80) {
      out->append(Utf16ToUtf8(text));
      return;
    }
  }
  const size_t at = out->size();
  out->resize(at + text.size());
  for (size_t i = 0; i < text.size(); ++i) (*out)[at + i] = static_cast<char>(text[i]);
}

void AppendAnsiToUtf16(std::string_view text, std::u16string* out) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) {
      out->append(Utf8ToUtf16(text));
      return;
    }
  }
  const size_t at = out->size();
  out->resize(at + text.size());
  for (size_t i = 0; i < text.size(); ++i) (*out)[at + i] = static_cast<char16_t>(text[i]);
}

}  // namespace text
