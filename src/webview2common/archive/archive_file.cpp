#include "webview2common/archive/archive_file.h"

#include "webview2common/text_cipher.h"

ArchiveLoadResult LoadArchiveText(std::string_view file_text, std::string_view key) {
  ArchiveLoadResult result;
  const std::optional<std::string> zip = DecipherBlocks(file_text, key);
  if (!zip) {
    result.failure = "not Base64 text of whole cipher blocks";
    return result;
  }
  result.report = ReadZip(reinterpret_cast<const uint8_t*>(zip->data()), zip->size(), result.entries);
  result.loaded = !result.entries.empty();
  if (!result.loaded) {
    result.failure = result.report.found_directory ? "no readable entry (wrong key or damaged archive)"
                                                   : "no zip archive inside (wrong key?)";
  }
  return result;
}
