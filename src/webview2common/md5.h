#pragma once
// MD5 (RFC 1321). Used for folder names derived from text, never for security.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "webview2common/block_buffer.h"

class Md5 {
 public:
  Md5();
  void Update(const void* data, size_t length);
  std::array<uint8_t, 16> Finish();
  // The machine identifier's digest: the finalisation step applied twice to the same state.
  // The second pass counts the first one's padding (not its 8 length bytes), so it processes
  // the first 56 bytes of the last block followed by 0x80 and seven zeros, then a block of
  // zeros with the new bit count.
  std::array<uint8_t, 16> FinishTwice();

  // 32 lower-case hexadecimal digits of the digest of bytes.
  static std::string HexDigest(std::string_view bytes);
  // 32 lower-case hexadecimal digits of FinishTwice over bytes.
  static std::string MidDigestHex(std::string_view bytes);

 private:
  void Block(const uint8_t* block);
  // Pads to 56 bytes past a block boundary and processes the block with the bit count, without
  // counting those 8 bytes: the buffer keeps its first 56 bytes, as a second pass finds them.
  void PadAndCount();
  std::array<uint8_t, 16> State() const;

  uint32_t state_[4];
  BlockBuffer input_;
};
