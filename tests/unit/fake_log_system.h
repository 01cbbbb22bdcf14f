#pragma once
// An in-memory operating system for the logger: files are byte strings, the named mutex can be
// held by "another process", and opening or deleting can be made to fail. A descriptor writes
// at its own position, from the start of the file until moved to its end, as a Windows write
// handle does: lines land after another process's only when the appender moves there first.

#include <map>
#include <string>
#include <vector>

#include "crlf_lines.h"
#include "log/log_system.h"

namespace testing_log {

class FakeLogSystem : public LogUtils::ILogSystem {
 public:
  struct MutexState {
    bool owned_by_us = false;
    bool held_elsewhere = false;
    int lock_waits = 0;
  };

  class FakeMutex : public LogUtils::INamedMutex {
   public:
    explicit FakeMutex(MutexState& state) : state_(state) {}
    bool TryLock() override {
      if (state_.held_elsewhere) return false;
      state_.owned_by_us = true;
      return true;
    }
    // A forced wait: the other holder is assumed to let go eventually.
    void Lock() override {
      ++state_.lock_waits;
      state_.held_elsewhere = false;
      state_.owned_by_us = true;
    }
    void Unlock() override { state_.owned_by_us = false; }

   private:
    MutexState& state_;
  };

  LogUtils::LogTime LocalTime() override { return time; }
  uint32_t ProcessId() override { return pid; }
  uint32_t ThreadId() override { return tid; }

  bool FileExists(const std::u16string& path) override { return files.count(path) != 0; }

  std::unique_ptr<LogUtils::INamedMutex> CreateNamedMutex(const std::u16string& name,
                                                          bool* created) override {
    created_mutex_names.push_back(name);
    if (fail_mutex) {
      *created = false;
      return nullptr;
    }
    *created = !mutex_exists;
    mutex_exists = true;
    if (*created) mutex.owned_by_us = true;
    return std::make_unique<FakeMutex>(mutex);
  }

  int OpenForAppend(const std::u16string& path, int* error) override {
    ++open_calls;
    if (fail_open) {
      *error = 13;
      return -1;
    }
    files[path];  // created when missing
    open_fds[next_fd] = path;
    positions[next_fd] = 0;
    return next_fd++;
  }
  void MoveToEnd(int fd) override {
    auto it = open_fds.find(fd);
    if (it != open_fds.end()) positions[fd] = files[it->second].size();
  }
  int64_t EndPosition(int fd) override {
    return static_cast<int64_t>(files[open_fds.at(fd)].size());
  }
  int WriteBytes(int fd, const char* data, size_t size) override {
    auto it = open_fds.find(fd);
    if (it == open_fds.end()) return -1;
    std::string& file = files[it->second];
    size_t& position = positions[fd];
    if (file.size() < position) file.resize(position, '\0');
    file.replace(position, size, data, size);
    position += size;
    ++write_calls;
    return static_cast<int>(size);
  }
  void CloseFile(int fd) override {
    open_fds.erase(fd);
    positions.erase(fd);
  }
  // Another process appending a line while it holds the file.
  void WriteElsewhere(const std::u16string& path, const std::string& line) { files[path] += line + "\r\n"; }
  bool RemoveFile(const std::u16string& path) override {
    if (fail_remove) return false;
    return files.erase(path) != 0;
  }

  std::u16string LastErrorText() override { return u"32:The file is in use."; }
  void DebugOutput(const std::u16string& text) override { debug_output.push_back(text); }

  // The lines of a file without their CR LF.
  std::vector<std::string> Lines(const std::u16string& path) const {
    auto it = files.find(path);
    return it == files.end() ? std::vector<std::string>() : SplitCrLfLines(it->second);
  }

  LogUtils::LogTime time{3, 14, 9, 26, 53, 58};
  uint32_t pid = 4120;
  uint32_t tid = 7804;
  std::map<std::u16string, std::string> files;
  std::map<int, std::u16string> open_fds;
  std::map<int, size_t> positions;
  int next_fd = 3;
  int open_calls = 0;
  int write_calls = 0;
  bool fail_open = false;
  bool fail_remove = false;
  bool fail_mutex = false;
  bool mutex_exists = false;
  MutexState mutex;
  std::vector<std::u16string> created_mutex_names;
  std::vector<std::u16string> debug_output;
};

}  // namespace testing_log
