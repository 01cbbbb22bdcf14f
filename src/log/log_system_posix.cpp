// The logger's operating-system side for the native build. The named mutex is process-local
// here: the native build exists for testing the portable code, not for sharing a log file.
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>

#include "base/text_convert.h"
#include "log/log_system.h"

namespace LogUtils {
namespace {

class ProcessMutex : public INamedMutex {
 public:
  explicit ProcessMutex(std::shared_ptr<std::mutex> mutex) : mutex_(std::move(mutex)) {}
  bool TryLock() override { return mutex_->try_lock(); }
  void Lock() override { mutex_->lock(); }
  void Unlock() override { mutex_->unlock(); }

 private:
  std::shared_ptr<std::mutex> mutex_;
};

std::string NativePath(const std::u16string& path) { return text::Utf16ToUtf8(path); }

class PosixLogSystem : public ILogSystem {
 public:
  LogTime LocalTime() override {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    return LogTime{local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                   static_cast<int>(now.tv_nsec / 1000000)};
  }
  uint32_t ProcessId() override { return static_cast<uint32_t>(getpid()); }
  uint32_t ThreadId() override { return static_cast<uint32_t>(gettid()); }

  bool FileExists(const std::u16string& path) override {
    struct stat st {};
    return stat(NativePath(path).c_str(), &st) == 0;
  }

  std::unique_ptr<INamedMutex> CreateNamedMutex(const std::u16string& name,
                                                bool* created) override {
    std::lock_guard<std::mutex> guard(registry_lock_);
    auto& slot = registry_[name];
    *created = !slot;
    if (!slot) {
      slot = std::make_shared<std::mutex>();
      slot->lock();  // initial ownership of a new mutex
    }
    return std::make_unique<ProcessMutex>(slot);
  }

  int OpenForAppend(const std::u16string& path, int* error) override {
    const int fd = open(NativePath(path).c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    *error = fd == -1 ? errno : 0;
    return fd;
  }
  int64_t EndPosition(int fd) override { return lseek(fd, 0, SEEK_END); }
  int WriteBytes(int fd, const char* data, size_t size) override {
    const ssize_t n = write(fd, data, size);
    return n < 0 ? -1 : static_cast<int>(n);
  }
  void CloseFile(int fd) override { close(fd); }
  bool RemoveFile(const std::u16string& path) override {
    return unlink(NativePath(path).c_str()) == 0;
  }

  std::u16string LastErrorText() override {
    const int code = errno;
    return text::AsciiToUtf16(std::to_string(code)) + u":" +
           text::Utf8ToUtf16(std::strerror(code));
  }
  void DebugOutput(const std::u16string& text) override {
    std::fputs(text::Utf16ToUtf8(text).c_str(), stderr);
  }

 private:
  std::mutex registry_lock_;
  std::map<std::u16string, std::shared_ptr<std::mutex>> registry_;
};

}  // namespace

ILogSystem& DefaultLogSystem() {
  static PosixLogSystem* const system = new PosixLogSystem();
  return *system;
}

}  // namespace LogUtils
