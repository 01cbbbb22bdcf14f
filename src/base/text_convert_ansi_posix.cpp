// The native build has no ANSI code page; UTF-8 stands in for it.
#include "base/text_convert.h"

namespace text {

std::string Utf16ToAnsi(std::u16string_view text) { return Utf16ToUtf8(text); }
std::u16string AnsiToUtf16(std::string_view text) { return Utf8ToUtf16(text); }

}  // namespace text
