#include "webview2common/text_cipher.h"

#include "webview2common/base64.h"
#include "webview2common/blowfish.h"

namespace {

Blowfish MakeCipher(std::string_view key) {
  return Blowfish(reinterpret_cast<const uint8_t*>(key.data()), key.size());
}

}  // namespace

std::string EncipherText(std::string_view plain, std::string_view key) {
  std::string bytes(plain);
  if (bytes.empty() || bytes.size() % 8 != 0) bytes.resize((bytes.size() + 7) / 8 * 8, '\0');
  if (bytes.empty()) bytes.resize(8, '\0');
  MakeCipher(key).EncryptEcb(reinterpret_cast<uint8_t*>(bytes.data()), bytes.size());
  return Base64Encode(bytes);
}

std::optional<std::string> DecipherText(std::string_view base64, std::string_view key) {
  std::optional<std::string> bytes = Base64Decode(base64);
  if (!bytes || bytes->size() % 8 != 0) return std::nullopt;
  MakeCipher(key).DecryptEcb(reinterpret_cast<uint8_t*>(bytes->data()), bytes->size());
  const size_t end = bytes->find('\0');
  if (end != std::string::npos) bytes->resize(end);
  return bytes;
}
