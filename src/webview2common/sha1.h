#pragma once
// SHA-1 (FIPS 180-4), for the machine identifier's hardware digest; never for security.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "webview2common/block_buffer.h"

class Sha1 {
 public:
  Sha1();
  void Update(const void* data, size_t length);
  std::array<uint8_t, 20> Finish();

  // 40 lower-case hexadecimal digits of the digest of bytes.
  static std::string HexDigest(std::string_view bytes);

 private:
  void Block(const uint8_t* block);

  uint32_t state_[5];
  BlockBuffer input_;
};

// CRC-8 with the reflected polynomial 0x8C (the 1-Wire CRC-8), initial value 0, no final XOR.
inline uint8_t Crc8(std::string_view bytes) {
  uint8_t crc = 0;
  for (unsigned char byte : bytes) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) != 0 ? static_cast<uint8_t>((crc >> 1) ^ 0x8C) : static_cast<uint8_t>(crc >> 1);
  }
  return crc;
}
