#pragma once
// The built-ins "encry_with_key" and "decry_with_key": JSON {"data": ..., "key": ...} in, the
// enciphered Base64 text (or the deciphered text) out; "error" for empty data.

#include <string>
#include <vector>

std::u16string EncryptWithKey(const std::vector<std::u16string>& params);
std::u16string DecryptWithKey(const std::vector<std::u16string>& params);
