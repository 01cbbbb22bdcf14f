#pragma once
// Standard Base64 with "=" padding.

#include <optional>
#include <string>
#include <string_view>

std::string Base64Encode(std::string_view bytes);
// Strict: the length is a multiple of 4, only the standard alphabet, at most two "=" and only
// at the end. Anything else is refused.
std::optional<std::string> Base64Decode(std::string_view text);
