#pragma once
// MD5 (RFC 1321). Used for folder names derived from text, never for security.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class Md5 {
 public:
  Md5();
  void Update(const void* data, size_t length);
  std::array<uint8_t, 16> Finish();

  // 32 lower-case hexadecimal digits of the digest of bytes.
  static std::string HexDigest(std::string_view bytes);

 private:
  void Block(const uint8_t* block);

  uint32_t state_[4];
  uint64_t length_ = 0;
  uint8_t buffer_[64];
  size_t buffered_ = 0;
};
