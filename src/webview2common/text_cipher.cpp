#include "webview2common/text_cipher.h"

#include <algorithm>
#include <system_error>
#include <thread>

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

namespace {

// Text is decoded and deciphered in slices small enough to stay in the cache between the two
// steps. A slice is a whole number of quads that decode to whole cipher blocks: 32 characters
// make 24 bytes, three blocks.
constexpr size_t kSliceChars = 32 * 1024;
// Below this much text a second thread costs more than it saves.
constexpr size_t kParallelChars = 512 * 1024;

// Decodes and deciphers text[begin, end) into out at the matching offset; begin is a multiple of
// 32 characters, and so is end unless it is the end of the text.
bool DecipherRange(std::string_view text, size_t begin, size_t end, const Blowfish& cipher, char* out) {
  for (size_t at = begin; at < end; at += kSliceChars) {
    const std::string_view slice = text.substr(at, std::min(kSliceChars, end - at));
    // Padding belongs at the very end of the text only.
    if (at + slice.size() < text.size() && slice.back() == '=') return false;
    char* bytes = out + at / 4 * 3;
    if (!Base64DecodeTo(slice, bytes)) return false;
    cipher.DecryptEcb(reinterpret_cast<uint8_t*>(bytes), *Base64DecodedSize(slice));
  }
  return true;
}

}  // namespace

std::optional<std::string> DecipherBlocks(std::string_view base64, std::string_view key) {
  const std::optional<size_t> size = Base64DecodedSize(base64);
  if (!size || *size % 8 != 0) return std::nullopt;
  std::string bytes(*size, '\0');
  const Blowfish cipher = MakeCipher(key);
  // ECB blocks are independent: with more than one core, the first half is done on a second
  // thread while this one does the rest.
  size_t split = 0;
  if (base64.size() >= kParallelChars && std::thread::hardware_concurrency() > 1) {
    split = base64.size() / 2 / kSliceChars * kSliceChars;
  }
  bool first_ok = true;
  std::thread first;
  if (split > 0) {
    try {
      first = std::thread([&] { first_ok = DecipherRange(base64, 0, split, cipher, bytes.data()); });
    } catch (const std::system_error&) {
      split = 0;  // no thread to be had: all of it here
    }
  }
  const bool rest_ok = DecipherRange(base64, split, base64.size(), cipher, bytes.data());
  if (first.joinable()) first.join();
  if (!first_ok || !rest_ok) return std::nullopt;
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
