#pragma once

#include <optional>
#include <string>
#include <string_view>

// Decodes "%HH" escapes of UTF-8 text; "+" stays as it is. A malformed escape, an escape of
// the zero byte or a result longer than 2084 bytes gives nothing.
std::optional<std::string> PercentDecode(std::string_view text);
