#pragma once
// Blowfish (16 rounds) in ECB mode; each 8-byte block is two big-endian 32-bit halves.

#include <cstddef>
#include <cstdint>

class Blowfish {
 public:
  // A key of any length, cycled into the P-array; an empty key leaves it as published.
  Blowfish(const uint8_t* key, size_t key_length);

  // In place; false (and nothing changed) when length is not a multiple of 8.
  bool EncryptEcb(uint8_t* data, size_t length) const;
  bool DecryptEcb(uint8_t* data, size_t length) const;

  void EncryptBlock(uint32_t& left, uint32_t& right) const;
  void DecryptBlock(uint32_t& left, uint32_t& right) const;

 private:
  uint32_t F(uint32_t x) const;
  bool ApplyEcb(uint8_t* data, size_t length, void (Blowfish::*block)(uint32_t&, uint32_t&) const) const;

  uint32_t p_[18];
  uint32_t s_[4][256];
};
