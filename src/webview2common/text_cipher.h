#pragma once
// Text enciphered with Blowfish (ECB, zero-padded to whole blocks) and carried as Base64.

#include <optional>
#include <string>
#include <string_view>

// The Base64 text of the enciphered bytes, padded with zero bytes to a multiple of 8.
std::string EncipherText(std::string_view plain, std::string_view key);
// The deciphered bytes up to the first zero byte; nothing when the text is not Base64 or its
// bytes are not whole blocks.
std::optional<std::string> DecipherText(std::string_view base64, std::string_view key);
