#pragma once
// Reads every file entry of a zip archive held in memory. The archive comes from outside and
// is treated as hostile: no read leaves the buffer, sizes are checked in 64 bits, memory grows
// with the bytes an entry really inflates to, never with the size its header declares, and all
// entries together stay within a bound in proportion to the archive's own size (a zip bomb is
// refused, not inflated). An entry whose data, size or CRC-32 does not check out is left out,
// as is one that memory cannot be found for.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

using ArchiveEntries = std::map<std::u16string, std::shared_ptr<const std::string>>;

struct ZipReadLimits {
  uint64_t max_entry_size = 256ull << 20;   // one entry
  uint64_t max_total_size = 1024ull << 20;  // all entries together
  // All entries together also inflate to at most this many times the archive's size: deflate
  // cannot do better, so only a hostile archive (lying sizes, entries sharing data) reaches it.
  uint64_t max_ratio = 1032;
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
