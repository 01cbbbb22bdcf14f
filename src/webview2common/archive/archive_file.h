#pragma once
// The enciphered archive format: Base64 text of the Blowfish-enciphered (ECB) bytes of a zip
// archive, under the UTF-8 bytes of a key.

#include <string>
#include <string_view>

#include "webview2common/archive/zip_reader.h"

struct ArchiveLoadResult {
  bool loaded = false;  // at least one entry was read
  ArchiveEntries entries;
  std::string failure;  // why nothing was loaded
  ZipReadReport report;
};

ArchiveLoadResult LoadArchiveText(std::string_view file_text, std::string_view key);

// Enciphers zip bytes into the archive format (zero-padded to whole blocks).
std::string EncipherArchive(const std::string& zip_bytes, std::string_view key);
// The zip bytes inside archive text; false when it is not Base64 of whole blocks.
bool DecipherArchive(std::string_view file_text, std::string_view key, std::string* zip_bytes);
