#include "webview2common/archive/archive_files_win.h"

#include <algorithm>
#include <new>

#include "base/scoped_handle_win.h"
#include "base/text_win.h"

bool CWinArchiveFiles::ReadWholeFile(const std::u16string& path, std::string* bytes) {
  const ScopedHandle file(CreateFileW(as_wcstr(path), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid()) return false;
  LARGE_INTEGER size{};
  bool ok = GetFileSizeEx(file.Get(), &size) && size.QuadPart < (1LL << 32) &&
            static_cast<unsigned long long>(size.QuadPart) < bytes->max_size();
  if (ok) {
    try {
      bytes->resize(static_cast<size_t>(size.QuadPart));
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
