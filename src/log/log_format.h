#pragma once
// Pure text rules of the log: line prefix, call-site header and mutex name.

#include <cstdint>
#include <string>
#include <string_view>

#include "log/log_system.h"

namespace LogUtils {

// The prefix kept within a buffer of this many wide characters, terminator included.
constexpr size_t kPrefixBufferChars = 100;

// "MM-DD hh:mm:ss.mmm [  pid][  tid]" and "[tag]" when the tag is not empty. A tag too long
// for the prefix buffer is cut.
std::u16string FormatPrefix(const LogTime& time, uint32_t pid, uint32_t tid,
                            std::u16string_view tag);

// The base name of a source path ("main" for ".../src/webview2/main.cpp"), whichever path
// separator the compiler used; empty when there is no dot after the last separator or the name
// before it is empty.
std::string SourceBaseName(std::string_view path);

// "[%4d][name] " or, without a base name, "[%4d] ".
std::u16string CallSiteHeader(std::string_view source_path, int line);
// The same, appended to out.
void AppendCallSiteHeader(std::string_view source_path, int line, std::u16string* out);

// The path reduced to ASCII letters and digits, letters in upper case.
std::u16string MutexNameFromPath(std::u16string_view path);

}  // namespace LogUtils
