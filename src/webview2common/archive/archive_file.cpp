#include "webview2common/archive/archive_file.h"

#include "webview2common/base64.h"
#include "webview2common/blowfish.h"

bool DecipherArchive(std::string_view file_text, std::string_view key, std::string* zip_bytes) {
  std::optional<std::string> bytes = Base64Decode(file_text);
  if (!bytes || bytes->size() % 8 != 0) return false;
  Blowfish cipher(reinterpret_cast<const uint8_t*>(key.data()), key.size());
  cipher.DecryptEcb(reinterpret_cast<uint8_t*>(bytes->data()), bytes->size());
  *zip_bytes = std::move(*bytes);
  return true;
}

std::string EncipherArchive(const std::string& zip_bytes, std::string_view key) {
  std::string bytes = zip_bytes;
  bytes.resize((bytes.size() + 7) / 8 * 8, '\0');
  Blowfish cipher(reinterpret_cast<const uint8_t*>(key.data()), key.size());
  cipher.EncryptEcb(reinterpret_cast<uint8_t*>(bytes.data()), bytes.size());
  return Base64Encode(bytes);
}

ArchiveLoadResult LoadArchiveText(std::string_view file_text, std::string_view key) {
  ArchiveLoadResult result;
  std::string zip;
  if (!DecipherArchive(file_text, key, &zip)) {
    result.failure = "not Base64 text of whole cipher blocks";
    return result;
  }
  result.report = ReadZip(reinterpret_cast<const uint8_t*>(zip.data()), zip.size(), result.entries);
  result.loaded = !result.entries.empty();
  if (!result.loaded) {
    result.failure = result.report.found_directory ? "no readable entry (wrong key or damaged archive)"
                                                   : "no zip archive inside (wrong key?)";
  }
  return result;
}
