#include "webview2common/text_cipher.h"

#include "webview2common/base64.h"
#include "webview2common/blowfish.h"

namespace {

Blowfish MakeCipher(std::string_view key) {
  return Blowfish(reinterpret_cast<const uint8_t*>(key.data()), key.size());
}

}  // namespace

std::string EncipherBlocks(std::string bytes, std::string_view key) {
  bytes.resize((bytes.size() + 7) / 8 * 8, '\0');
  MakeCipher(key).EncryptEcb(reinterpret_cast<uint8_t*>(bytes.data()), bytes.size());
  return Base64Encode(bytes);
}

std::optional<std::string> DecipherBlocks(std::string_view base64, std::string_view key) {
  std::optional<std::string> bytes = Base64Decode(base64);
  if (!bytes || bytes->size() % 8 != 0) return std::nullopt;
  MakeCipher(key).DecryptEcb(reinterpret_cast<uint8_t*>(bytes->data()), bytes->size());
  return bytes;
}

std::string EncipherText(std::string_view plain, std::string_view key) {
  return EncipherBlocks(plain.empty() ? std::string(8, '\0') : std::string(plain), key);
}

std::optional<std::string> DecipherText(std::string_view base64, std::string_view key) {
  std::optional<std::string> bytes = DecipherBlocks(base64, key);
  if (bytes) {
    const size_t end = bytes->find('\0');
    if (end != std::string::npos) bytes->resize(end);
  }
  return bytes;
}
