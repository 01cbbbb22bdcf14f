#pragma once
// Stamps lines, queues them in memory and writes the queue to the shared log file whenever it
// holds the file's named mutex. Several processes append to one file this way.

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "log/log_system.h"

namespace LogUtils {

class LogAppender {
 public:
  // Lines held while the file cannot be written are bounded by this many bytes; lines beyond it
  // are dropped so that a mutex that can never be taken does not exhaust memory.
  static constexpr size_t kMaxQueuedBytes = 16u << 20;

  LogAppender(ILogSystem& system, std::u16string path, std::u16string tag, int new_file_mode);
  virtual ~LogAppender();
  LogAppender(const LogAppender&) = delete;
  LogAppender& operator=(const LogAppender&) = delete;

  virtual void Append(const std::u16string& text);
  // Queues the line, then writes the queue if the file mutex can be had (waiting for it when
  // forced). Returns the file size as this process knows it.
  virtual int AppendAndFlush(const std::u16string& text, bool force);
  // Closes and deletes the file and drops the queue; true when the deletion succeeded.
  virtual bool Reset();

  const std::u16string& mutex_name() const { return mutex_name_; }
  size_t queued_bytes() {
    std::lock_guard<std::mutex> guard(queue_lock_);
    return queued_bytes_;
  }
  // The system's error text for the last failed deletion by Reset.
  const std::u16string& reset_error() const { return reset_error_; }

 private:
  void OpenIfNeeded();

  ILogSystem& system_;
  std::unique_ptr<INamedMutex> file_mutex_;
  int size_ = 0;
  bool needs_open_ = true;
  int new_file_mode_;
  std::u16string path_;
  std::u16string mutex_name_;
  std::u16string tag_;
  int fd_ = -1;
  std::mutex queue_lock_;
  std::vector<std::string> queue_;
  size_t queued_bytes_ = 0;
  std::u16string reset_error_;
};

}  // namespace LogUtils
