#pragma once
// The enciphered archive format: Base64 text of the Blowfish-enciphered (ECB) bytes of a zip
// archive, under the UTF-8 bytes of a key. EncipherBlocks (text_cipher.h) makes one.

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
