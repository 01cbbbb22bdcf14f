// Archive bytes from outside: the zip reader must stay inside them, never inflate past its
// limits and allocate only as the data inflates (run with -malloc_limit_mb to hold it to that),
// under the limits the host uses.
#include <cstddef>
#include <cstdint>

#include "webview2common/archive/zip_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ArchiveEntries entries;
  ReadZip(data, size, entries);
  return 0;
}
