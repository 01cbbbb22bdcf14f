#pragma once
// What the logger needs from the operating system: clock, ids, the shared log file and the
// named mutex that serialises writers across processes. The Windows build implements it on
// Win32 and the C runtime; the native build on POSIX; tests use an in-memory double.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace LogUtils {

struct LogTime {
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

class INamedMutex {
 public:
  virtual ~INamedMutex() = default;
  virtual bool TryLock() = 0;
  virtual void Lock() = 0;
  virtual void Unlock() = 0;
};

class ILogSystem {
 public:
  virtual ~ILogSystem() = default;

  virtual LogTime LocalTime() = 0;
  virtual uint32_t ProcessId() = 0;
  virtual uint32_t ThreadId() = 0;

  virtual bool FileExists(const std::u16string& path) = 0;

  // Creates or opens the mutex, asking for initial ownership. Null when it cannot be had.
  // *created is true only when this call created it; the caller then owns it.
  virtual std::unique_ptr<INamedMutex> CreateNamedMutex(const std::u16string& name,
                                                        bool* created) = 0;

  // Opens for appending (write only, created when missing, shared with other writers).
  // Returns a descriptor, or -1 with *error set to the C runtime's error number.
  virtual int OpenForAppend(const std::u16string& path, int* error) = 0;
  virtual int64_t EndPosition(int fd) = 0;
  // Puts the next write at the file's current end. The appender calls it whenever it has
  // taken the file mutex, before its first write: other processes may have written since.
  // Nothing to do where the descriptor appends by itself.
  virtual void MoveToEnd(int /*fd*/) {}
  // Bytes written, or -1.
  virtual int WriteBytes(int fd, const char* data, size_t size) = 0;
  virtual void CloseFile(int fd) = 0;
  virtual bool RemoveFile(const std::u16string& path) = 0;

  // How long (milliseconds) a process may keep the file mutex once a burst of lines begins, so
  // that the burst costs one take and release of the mutex instead of one per line. 0: the
  // mutex is taken and released around every write.
  virtual int MutexLeaseMs() { return 0; }

  // The last system error of this thread as "code" or "code:message".
  virtual std::u16string LastErrorText() = 0;
  virtual void DebugOutput(const std::u16string& text) = 0;
};

// The system of the build: Win32 on Windows, POSIX natively.
ILogSystem& DefaultLogSystem();

}  // namespace LogUtils
