#pragma once
// Stamps lines, queues them in memory and writes the queue to the shared log file whenever it
// holds the file's named mutex. Several processes append to one file this way.
//
// Where the system asks for it (MutexLeaseMs), a thread of the appender takes the mutex when
// lines start to come and keeps it while they keep coming (at most the lease, released after a
// short pause), so that each line is written at once without a take and release of its own.
// Lines are still only ever written while this process holds the mutex.

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "log/log_system.h"

namespace LogUtils {

class LogAppender {
 public:
  // Lines held while the file cannot be written are bounded by this many bytes; lines beyond it
  // are dropped so that a mutex that can never be taken does not exhaust memory.
  static constexpr size_t kMaxQueuedBytes = 16u << 20;

  LogAppender(ILogSystem& system, std::u16string path, std::u16string tag, int new_file_mode);
  virtual ~LogAppender();  // ends the lease, if any
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
  using Clock = std::chrono::steady_clock;

  void OpenIfNeeded();
  // Gives the file mutex back; the next holder may write before this process writes again.
  void UnlockFile();
  // Writes and empties the queue; the caller holds write_lock_ and the file mutex.
  void WriteQueue();
  // Asks the lease thread to take the file mutex and waits until it has tried; write holds
  // write_lock_.
  void RequestLease(std::unique_lock<std::mutex>& write);
  void LeaseLoop();

  ILogSystem& system_;
  std::unique_ptr<INamedMutex> file_mutex_;
  int size_ = 0;
  bool needs_open_ = true;
  int new_file_mode_;
  std::u16string path_;
  std::u16string mutex_name_;
  std::u16string tag_;
  int fd_ = -1;
  // The file's position is at its end as this process last saw it while holding the file
  // mutex; false once the mutex is given up or the file is opened anew.
  bool at_end_ = false;
  std::mutex queue_lock_;
  std::vector<std::string> queue_;
  std::vector<std::string> writing_;  // the lines being written; only under write_lock_
  size_t queued_bytes_ = 0;
  std::u16string reset_error_;

  // Held while the file, its size or the lease change; taken before the queue lock. Only a
  // forced flush waits for the file mutex while holding it, and then the lease thread does not
  // hold the file mutex (it takes it only under this lock, without waiting).
  std::mutex write_lock_;
  const int lease_ms_;
  bool leased_ = false;            // the lease thread holds the file mutex for this process
  bool lease_wanted_ = false;      // lines came in a burst: the lease thread should take it
  bool lease_tried_ = false;       // the lease thread has tried since the last request
  bool end_lease_ = false;         // a forced flush asks for the mutex to be given back
  bool stopping_ = false;
  Clock::time_point last_line_;    // the last line written without the lease
  Clock::time_point last_write_;   // the last line written under the lease
  Clock::time_point lease_ended_;  // when the last full-length lease ended
  std::condition_variable lease_signal_;
  std::thread lease_thread_;
};

}  // namespace LogUtils
