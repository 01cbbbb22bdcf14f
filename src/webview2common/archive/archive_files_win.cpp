#include "webview2common/archive/archive_files_win.h"

#include <algorithm>
#include <new>

#include "base/scoped_handle_win.h"
#include "base/text_win.h"

namespace {

FileStamp StampOf(DWORD size_high, DWORD size_low, const FILETIME& written) {
  FileStamp stamp;
  stamp.size = (static_cast<uint64_t>(size_high) << 32) | size_low;
  stamp.modified = (static_cast<uint64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
  return stamp;
}

}  // namespace

bool CWinArchiveFiles::ReadWholeFile(const std::u16string& path, std::string* bytes, FileStamp* stamp) {
  const ScopedHandle file(CreateFileW(as_wcstr(path), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid()) return false;
  // The stamp of the version about to be read, from the same handle.
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(file.Get(), &info)) return false;
  *stamp = StampOf(info.nFileSizeHigh, info.nFileSizeLow, info.ftLastWriteTime);
  bool ok = stamp->size < (1ull << 32) && stamp->size < bytes->max_size();
  if (ok) {
    try {
      bytes->resize(static_cast<size_t>(stamp->size));
    } catch (const std::bad_alloc&) {
      ok = false;
    }
  }
  size_t done = 0;
  while (ok && done < bytes->size()) {
    DWORD read = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes->size() - done, 1u << 30));
    ok = ReadFile(file.Get(), bytes->data() + done, chunk, &read, nullptr) && read > 0;
    done += read;
  }
  return ok;
}

std::optional<FileStamp> CWinArchiveFiles::Stamp(const std::u16string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(as_wcstr(path), GetFileExInfoStandard, &data)) return std::nullopt;
  return StampOf(data.nFileSizeHigh, data.nFileSizeLow, data.ftLastWriteTime);
}
