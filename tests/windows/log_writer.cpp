// A second process for the shared-log tests: opens the log like the host does and writes
// numbered lines.
//   log_writer.exe <log path> <lines> <new-file mode> <cap> [<go file>]
// With a go file, it writes half of its lines, then waits until that file exists.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "base/text_win.h"
#include "log/logger.h"

int wmain(int argc, wchar_t** argv) {
  if (argc < 5) return 2;
  const std::wstring path = argv[1];
  const int lines = _wtoi(argv[2]);
  const int new_file_mode = _wtoi(argv[3]);
  const int cap = _wtoi(argv[4]);
  const wchar_t* go_file = argc > 5 ? argv[5] : nullptr;
  LogUtils::InitLog(as_u16cstr(path.c_str()), 0, new_file_mode, cap, u"");
  const std::string padding(40, '.');
  for (int i = 0; i < lines; ++i) {
    if (go_file != nullptr && i == lines / 2) {
      while (GetFileAttributesW(go_file) == INVALID_FILE_ATTRIBUTES) Sleep(10);
    }
    LOG_INFO("writer ", GetCurrentProcessId(), " line ", i, " ", padding);
  }
  LogUtils::UninitLog();
  return 0;
}
