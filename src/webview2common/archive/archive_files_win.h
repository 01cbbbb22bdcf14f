#pragma once
// Archive files read through the system, for the archive server.

#include <string>

#include "webview2common/archive/archive_server.h"

class CWinArchiveFiles : public IArchiveFiles {
 public:
  bool ReadWholeFile(const std::u16string& path, std::string* bytes, FileStamp* stamp) override;
  std::optional<FileStamp> Stamp(const std::u16string& path) override;
};
