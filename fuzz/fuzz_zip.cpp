// Archive bytes from outside: the zip reader must stay inside them and never inflate past its
// limits.
#include <cstddef>
#include <cstdint>

#include "webview2common/archive/zip_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ArchiveEntries entries;
  ZipReadLimits limits;
  limits.max_entry_size = 1 << 20;
  limits.max_total_size = 4 << 20;
  ReadZip(data, size, entries, limits);
  return 0;
}
