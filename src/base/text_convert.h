#pragma once
// Conversions between the process's UTF-16 text and the byte encodings used at its edges:
// UTF-8 (JSON, digests, cipher input) and the system's ANSI code page (the log file).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace text {

// Invalid sequences (lone surrogates, malformed UTF-8) become U+FFFD; nothing is dropped silently.
std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view text);

// The ANSI code page of the system. Characters it cannot represent become its default
// character. On the native build the "ANSI" page is UTF-8.
std::string Utf16ToAnsi(std::u16string_view text);
std::u16string AnsiToUtf16(std::string_view text);
// The same conversions appended to out, without a temporary for ASCII text (most of a log).
void AppendUtf16ToAnsi(std::u16string_view text, std::string* out);
void AppendAnsiToUtf16(std::string_view text, std::u16string* out);

// Blank, tab, line feed, vertical tab, form feed or carriage return.
inline bool IsAsciiSpace(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

// The decimal digits of value, most significant first, into out (room for kMaxDecimalDigits);
// returns how many. Allocates nothing, so that it serves where the heap may not be trusted.
inline constexpr size_t kMaxDecimalDigits = 20;
size_t DecimalDigits(uint64_t value, char16_t* out);

// Widens text known to be ASCII (numbers, fixed texts).
std::u16string AsciiToUtf16(std::string_view text);

// Text from outside made safe for one line of a log: CR, LF and tab as \r, \n and \t, other
// control characters (below 0x20, and 0x7F) as \xHH, so that it cannot start a line of its own.
std::u16string EscapeControlCharacters(std::u16string_view text);

}  // namespace text
