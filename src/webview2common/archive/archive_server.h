#pragma once
// What one browser window serves from local archives: the compound address it was last sent
// to, the archives it loaded (each read, deciphered and unpacked once, on its first request),
// and the entries that requests inside the archive's virtual folder ask for. Reading files is
// the platform's part, behind IArchiveFiles.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "webview2common/archive/archive_address.h"
#include "webview2common/archive/zip_reader.h"

// What tells one version of a file from another without reading it.
struct FileStamp {
  uint64_t size = 0;
  uint64_t modified = 0;  // the system's last-write time
  bool operator==(const FileStamp& other) const { return size == other.size && modified == other.modified; }
};

class IArchiveFiles {
 public:
  virtual ~IArchiveFiles() = default;
  // The whole file and the stamp of the version read; false when it cannot be read or is
  // 4 GiB or more.
  virtual bool ReadWholeFile(const std::u16string& path, std::string* bytes, FileStamp* stamp) = 0;
  // The file's present stamp, or nothing when it cannot be had.
  virtual std::optional<FileStamp> Stamp(const std::u16string& path) = 0;
};

class CArchiveServer {
 public:
  explicit CArchiveServer(IArchiveFiles* files) : files_(files) {}

  // A compound archive address becomes the window's archive, and the address to load instead
  // is returned; any other address leaves the window without an archive and returns nothing.
  std::optional<std::u16string> Rewrite(const std::u16string& url);
  // The entry that a request inside the archive's folder asks for, or null (outside the
  // folder, no such entry, or an archive that cannot be loaded).
  std::shared_ptr<const std::string> Content(const std::u16string& url);
  // Whether the address lies inside the current archive's virtual folder.
  bool InArchiveFolder(const std::u16string& url) const {
    return !address_.folder_name.empty() && url.find(address_.folder_name) != std::u16string::npos;
  }
  // The extension (".css") of the entry the last request inside the folder asked for.
  std::u16string LastEntryExtension() const;
  // One entry of an archive file under key, loading the archive on first use.
  std::shared_ptr<const std::string> Entry(const std::u16string& archive_path,
                                           const std::u16string& key,
                                           const std::u16string& entry_name);

 private:
  using ArchiveKey = std::pair<std::u16string, std::u16string>;  // the path and the key
  // Reads, deciphers and unpacks an archive; nothing when it cannot be loaded.
  std::optional<ArchiveEntries> Load(const ArchiveKey& archive);

  IArchiveFiles* files_;
  ArchiveAddress address_;
  std::map<ArchiveKey, ArchiveEntries> cache_;
  // Archives that failed to load, with the version of the file that failed: a page's many
  // requests into a broken archive fail at once until the file changes.
  std::map<ArchiveKey, FileStamp> failed_;
};
