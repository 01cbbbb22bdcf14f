#pragma once
// Reads every file entry of a zip archive held in memory. The archive comes from outside and
// is treated as hostile: no read leaves the buffer, sizes are checked in 64 bits, and no entry
// is allocated beyond a fixed bound whatever its header declares (a zip bomb is refused, not
// inflated). An entry whose data, size or CRC-32 does not check out is left out.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

using ArchiveEntries = std::map<std::u16string, std::shared_ptr<const std::string>>;

struct ZipReadLimits {
  uint64_t max_entry_size = 256ull << 20;   // one entry
  uint64_t max_total_size = 1024ull << 20;  // all entries together
  unsigned max_threads = 4;                  // threads that inflate entries, the caller's included
};

struct ZipReadReport {
  bool found_directory = false;  // an end record was found and the directory walked
  int entries = 0;               // file entries read
  std::vector<std::string> refused;  // one line per entry or structure left out, for the log
};

// Fills entries (keyed by their names, forward slashes kept); the report says what was left out.
ZipReadReport ReadZip(const uint8_t* data, size_t size, ArchiveEntries& entries,
                      const ZipReadLimits& limits = ZipReadLimits());
