#pragma once
// Standard Base64 with "=" padding.

#include <optional>
#include <string>
#include <string_view>

std::string Base64Encode(std::string_view bytes);
// The URL-safe alphabet ("-" and "_"), without padding.
std::string Base64UrlEncode(std::string_view bytes);
// Strict: the length is a multiple of 4, only the standard alphabet, at most two "=" and only
// at the end. Anything else is refused.
std::optional<std::string> Base64Decode(std::string_view text);
// The same rules in two steps, for decoding into a buffer of one's own: the decoded size (nothing
// when the length or the padding is wrong), then the decoding into out, which must have room for
// that many bytes (false on a character outside the alphabet).
std::optional<size_t> Base64DecodedSize(std::string_view text);
bool Base64DecodeTo(std::string_view text, char* out);
