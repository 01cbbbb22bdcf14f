#pragma once
// Writes a zip archive in memory: each entry stored or raw-deflated, whichever is smaller,
// with its CRC-32, local headers and a central directory. Names are UTF-8 (flag bit 11).

#include <string>
#include <vector>

class ZipWriter {
 public:
  void Add(const std::string& utf8_name, const std::string& bytes);
  // The whole archive; false when it would pass the format's 32-bit sizes.
  bool Finish(std::string* archive);

 private:
  struct Entry {
    std::string name;
    uint32_t crc;
    uint16_t method;
    uint32_t compressed;
    uint32_t size;
    uint32_t offset;
  };
  std::string body_;
  std::vector<Entry> entries_;
  bool too_large_ = false;
};
