// The logger's operating-system side on Win32 and the C runtime.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>

#include <cerrno>

#include "base/scoped_handle_win.h"
#include "base/text_win.h"
#include "log/log_system.h"

namespace LogUtils {
namespace {

class WinNamedMutex : public INamedMutex {
 public:
  explicit WinNamedMutex(HANDLE handle) : handle_(handle) {}
  // An abandoned mutex (its owner died while writing) is ours all the same.
  bool TryLock() override {
    const DWORD r = WaitForSingleObject(handle_.Get(), 0);
    return r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
  }
  void Lock() override { WaitForSingleObject(handle_.Get(), INFINITE); }
  void Unlock() override { ReleaseMutex(handle_.Get()); }

 private:
  ScopedHandle handle_;
};

class WinLogSystem : public ILogSystem {
 public:
  LogTime LocalTime() override {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return LogTime{st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
  }
  uint32_t ProcessId() override { return GetCurrentProcessId(); }
  // Taking and releasing a named mutex is a round trip to the kernel (to the Wine server there)
  // each; a busy process keeps it for bursts of lines instead.
  int MutexLeaseMs() override { return 20; }
  uint32_t ThreadId() override { return GetCurrentThreadId(); }

  bool FileExists(const std::u16string& path) override {
    return GetFileAttributesW(as_wcstr(path)) != INVALID_FILE_ATTRIBUTES;
  }

  std::unique_ptr<INamedMutex> CreateNamedMutex(const std::u16string& name,
                                                bool* created) override {
    HANDLE handle = CreateMutexW(nullptr, TRUE, as_wcstr(name));
    *created = handle != nullptr && GetLastError() != ERROR_ALREADY_EXISTS;
    if (handle == nullptr) return nullptr;
    return std::make_unique<WinNamedMutex>(handle);
  }

  int OpenForAppend(const std::u16string& path, int* error) override {
    // Opened for writing, not for appending only: the writes go where the appender moved the
    // file's position (the end, whenever it takes the file mutex), so each line costs one
    // plain write. An append-only handle makes the system find the end again on every write,
    // which costs more than twice as much.
    HANDLE file = CreateFileW(as_wcstr(path), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    const int fd = file == INVALID_HANDLE_VALUE ? -1 : _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_APPEND);
    if (fd != -1) {
      *error = 0;
      return fd;
    }
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    // The C runtime's way, for its error number (and in case it succeeds where this did not).
    const int fallback = _wsopen(as_wcstr(path), _O_WRONLY | _O_APPEND | _O_CREAT | _O_BINARY, _SH_DENYNO,
                                 _S_IREAD | _S_IWRITE);
    *error = fallback == -1 ? errno : 0;
    return fallback;
  }
  int64_t EndPosition(int fd) override {
    LARGE_INTEGER size{};
    return GetFileSizeEx(reinterpret_cast<HANDLE>(_get_osfhandle(fd)), &size) ? size.QuadPart : -1;
  }
  void MoveToEnd(int fd) override {
    SetFilePointerEx(reinterpret_cast<HANDLE>(_get_osfhandle(fd)), LARGE_INTEGER{}, nullptr, FILE_END);
  }
  int WriteBytes(int fd, const char* data, size_t size) override {
    DWORD written = 0;
    if (!WriteFile(reinterpret_cast<HANDLE>(_get_osfhandle(fd)), data, static_cast<DWORD>(size), &written, nullptr)) {
      return -1;
    }
    return static_cast<int>(written);
  }
  void CloseFile(int fd) override { _close(fd); }
  bool RemoveFile(const std::u16string& path) override {
    return DeleteFileW(as_wcstr(path)) != FALSE;
  }

  std::u16string LastErrorText() override {
    const DWORD code = GetLastError();
    std::u16string text = std::u16string(as_u16cstr(std::to_wstring(static_cast<int>(code)).c_str()));
    wchar_t* message = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
    if (length != 0 && message != nullptr) {
      std::u16string body(as_u16cstr(message), length);
      for (size_t at; (at = body.find(u"\r\n")) != std::u16string::npos;) body.erase(at, 2);
      text += u':';
      text += body;
    }
    if (message != nullptr) LocalFree(message);
    return text;
  }

  void DebugOutput(const std::u16string& text) override { OutputDebugStringW(as_wcstr(text)); }
};

}  // namespace

ILogSystem& DefaultLogSystem() {
  static WinLogSystem* const system = new WinLogSystem();
  return *system;
}

}  // namespace LogUtils
