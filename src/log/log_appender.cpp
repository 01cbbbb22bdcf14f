#include "log/log_appender.h"

#include <climits>
#include <system_error>

#include "base/text_convert.h"
#include "log/log_format.h"

namespace LogUtils {
namespace {

// Sizes are kept in 32 bits; saturate instead of wrapping on huge files.
int SaturatingAdd(int a, int b) {
  const long long sum = static_cast<long long>(a) + b;
  if (sum > INT_MAX) return INT_MAX;
  if (sum < INT_MIN) return INT_MIN;
  return static_cast<int>(sum);
}

// Lines closer together than this make a burst, for which the mutex is leased; a lease ends
// after this long without a line.
constexpr std::chrono::milliseconds kBurstGap(2);

}  // namespace

LogAppender::LogAppender(ILogSystem& system, std::u16string path, std::u16string tag,
                         int new_file_mode)
    : system_(system),
      new_file_mode_(new_file_mode),
      path_(std::move(path)),
      mutex_name_(MutexNameFromPath(path_)),
      tag_(std::move(tag)),
      lease_ms_(system.MutexLeaseMs()) {
  bool created = false;
  file_mutex_ = system_.CreateNamedMutex(mutex_name_, &created);
  if (file_mutex_ && created) {
    // Only the first process to open this log file may start it afresh.
    if (new_file_mode_ != 0) system_.RemoveFile(path_);
    file_mutex_->Unlock();
  }
}

LogAppender::~LogAppender() {
  if (lease_thread_.joinable()) {
    {
      std::lock_guard<std::mutex> write(write_lock_);
      stopping_ = true;
    }
    lease_signal_.notify_all();
    lease_thread_.join();
  }
  if (fd_ != -1) system_.CloseFile(fd_);
}

void LogAppender::Append(const std::u16string& text) {
  // The prefix ends in an ASCII character, so converting it and the text one after the other
  // is converting the line.
  const std::u16string prefix =
      FormatPrefix(system_.LocalTime(), system_.ProcessId(), system_.ThreadId(), tag_);
  std::string bytes;
  bytes.reserve(prefix.size() + text.size() + 2);
  text::AppendUtf16ToAnsi(prefix, &bytes);
  text::AppendUtf16ToAnsi(text, &bytes);
  bytes += "\r\n";
  std::lock_guard<std::mutex> guard(queue_lock_);
  if (queued_bytes_ + bytes.size() > kMaxQueuedBytes) return;
  queued_bytes_ += bytes.size();
  queue_.push_back(std::move(bytes));
}

void LogAppender::OpenIfNeeded() {
  if (!needs_open_) return;
  int error = 0;
  fd_ = system_.OpenForAppend(path_, &error);
  if (fd_ == -1) {
    system_.DebugOutput(u"open " + path_ + u" error. [" +
                        text::AsciiToUtf16(std::to_string(error)) + u"]\r\n");
    size_ = -1;
  } else {
    const int64_t end = system_.EndPosition(fd_);
    size_ = end < 0 ? -1 : end > INT_MAX ? INT_MAX : static_cast<int>(end);
  }
  // A failed open is not retried until Reset: the lines are dropped at each flush instead.
  needs_open_ = false;
  at_end_ = false;
}

void LogAppender::UnlockFile() {
  at_end_ = false;
  file_mutex_->Unlock();
}

void LogAppender::WriteQueue() {
  OpenIfNeeded();
  {
    // The two lists trade places, each keeping its room: no list is allocated per line.
    std::lock_guard<std::mutex> guard(queue_lock_);
    writing_.swap(queue_);
    queued_bytes_ = 0;
  }
  if (fd_ != -1 && !at_end_ && !writing_.empty()) {
    system_.MoveToEnd(fd_);
    at_end_ = true;
  }
  for (const std::string& line : writing_) {
    const int written = fd_ == -1 ? -1 : system_.WriteBytes(fd_, line.data(), line.size());
    size_ = SaturatingAdd(size_, written);
  }
  writing_.clear();
}

int LogAppender::AppendAndFlush(const std::u16string& text, bool force) {
  Append(text);
  std::unique_lock<std::mutex> write(write_lock_);
  OpenIfNeeded();
  if (!file_mutex_) return size_;
  const Clock::time_point now = Clock::now();
  if (leased_) {
    // The lease thread holds the mutex for this process: the line goes out at once.
    WriteQueue();
    last_write_ = now;
    if (force) {
      end_lease_ = true;
      lease_signal_.notify_all();
    }
    return size_;
  }
  const bool burst = now - last_line_ < kBurstGap;
  last_line_ = now;
  if (!file_mutex_->TryLock()) {
    if (!force) {
      if (burst) RequestLease(write);
      return size_;
    }
    file_mutex_->Lock();
  }
  WriteQueue();
  UnlockFile();
  if (burst && !force) RequestLease(write);
  return size_;
}

void LogAppender::RequestLease(std::unique_lock<std::mutex>& write) {
  if (lease_ms_ <= 0 || stopping_) return;
  // After a full lease, others get their turn before the next one.
  if (Clock::now() - lease_ended_ < kBurstGap) return;
  lease_wanted_ = true;
  lease_tried_ = false;
  if (!lease_thread_.joinable()) {
    try {
      lease_thread_ = std::thread([this] { LeaseLoop(); });
    } catch (const std::system_error&) {
      lease_wanted_ = false;  // no thread: every line keeps taking the mutex itself
      return;
    }
  }
  lease_signal_.notify_all();
  // Hand over: the lease thread needs this lock for its try, and a caller that logs in a loop
  // would otherwise take it again and again first. The wait is for that thread's turn, never
  // for the file mutex (its try does not wait), and bounded in case the thread cannot run.
  lease_signal_.wait_for(write, std::chrono::milliseconds(50), [&] { return lease_tried_ || stopping_; });
}

void LogAppender::LeaseLoop() {
  std::unique_lock<std::mutex> write(write_lock_);
  for (;;) {
    lease_signal_.wait(write, [&] { return lease_wanted_ || stopping_; });
    if (stopping_) return;
    lease_wanted_ = false;
    // Without waiting: if another process writes now, this process's lines take their own turns.
    leased_ = file_mutex_ && file_mutex_->TryLock();
    lease_tried_ = true;
    lease_signal_.notify_all();
    if (!leased_) continue;
    const Clock::time_point start = Clock::now();
    last_write_ = start;
    WriteQueue();
    bool full = false;
    while (!stopping_) {
      lease_signal_.wait_for(write, kBurstGap);
      const Clock::time_point now = Clock::now();
      full = now - start >= std::chrono::milliseconds(lease_ms_);
      // A forced flush (the log closing) ends the lease as soon as it has written.
      if (full || now - last_write_ >= kBurstGap || end_lease_) break;
    }
    end_lease_ = false;
    WriteQueue();
    UnlockFile();
    leased_ = false;
    if (full) lease_ended_ = Clock::now();
  }
}

bool LogAppender::Reset() {
  std::lock_guard<std::mutex> write(write_lock_);
  if (fd_ != -1) {
    system_.CloseFile(fd_);
    fd_ = -1;
  }
  needs_open_ = true;
  std::lock_guard<std::mutex> guard(queue_lock_);
  size_ = 0;
  queue_.clear();
  queued_bytes_ = 0;
  if (system_.RemoveFile(path_)) return true;
  // Taken at once: later calls may overwrite the thread's last error.
  reset_error_ = system_.LastErrorText();
  return false;
}

}  // namespace LogUtils
