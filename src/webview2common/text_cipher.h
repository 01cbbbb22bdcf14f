#pragma once
// Bytes enciphered with Blowfish (ECB, zero-padded to whole blocks) and carried as Base64: the
// form of enciphered texts, of the document script and of archives.

#include <optional>
#include <string>
#include <string_view>

// The Base64 text of bytes padded with zero bytes to a multiple of 8 and enciphered.
std::string EncipherBlocks(std::string bytes, std::string_view key);
// The deciphered bytes, padding included; nothing when the text is not Base64 of whole blocks.
std::optional<std::string> DecipherBlocks(std::string_view base64, std::string_view key);

// Text: an empty text still makes one block; deciphering keeps the bytes up to the first zero.
std::string EncipherText(std::string_view plain, std::string_view key);
std::optional<std::string> DecipherText(std::string_view base64, std::string_view key);
