#pragma once

#include <string>

// Lower-case hexadecimal digits of bytes.
inline std::string HexOf(const std::string& bytes) {
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += kHex[c >> 4];
    out += kHex[c & 15];
  }
  return out;
}
