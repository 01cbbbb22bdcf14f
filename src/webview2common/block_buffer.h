#pragma once
// The 64-byte block buffering that MD5 and SHA-1 share: bytes are gathered into whole blocks,
// and each block is handed on as soon as it is full.

#include <cstddef>
#include <cstdint>
#include <cstring>

struct BlockBuffer {
  uint64_t length = 0;  // bytes fed so far
  uint8_t bytes[64] = {};
  size_t buffered = 0;  // bytes of the current block

  template <typename Process>
  void Feed(const void* data, size_t count, Process process) {
    const auto* in = static_cast<const uint8_t*>(data);
    length += count;
    while (count > 0) {
      const size_t take = count < 64 - buffered ? count : 64 - buffered;
      std::memcpy(bytes + buffered, in, take);
      buffered += take;
      in += take;
      count -= take;
      if (buffered == 64) {
        process(bytes);
        buffered = 0;
      }
    }
  }
};
