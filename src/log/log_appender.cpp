#include "log/log_appender.h"

#include <climits>

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

}  // namespace

LogAppender::LogAppender(ILogSystem& system, std::u16string path, std::u16string tag,
                         int new_file_mode)
    : system_(system),
      new_file_mode_(new_file_mode),
      path_(std::move(path)),
      mutex_name_(MutexNameFromPath(path_)),
      tag_(std::move(tag)) {
  bool created = false;
  file_mutex_ = system_.CreateNamedMutex(mutex_name_, &created);
  if (file_mutex_ && created) {
    // Only the first process to open this log file may start it afresh.
    if (new_file_mode_ != 0) system_.RemoveFile(path_);
    file_mutex_->Unlock();
  }
}

LogAppender::~LogAppender() {
  if (fd_ != -1) system_.CloseFile(fd_);
}

void LogAppender::Append(const std::u16string& text) {
  std::u16string line =
      FormatPrefix(system_.LocalTime(), system_.ProcessId(), system_.ThreadId(), tag_);
  line += text;
  std::string bytes = text::Utf16ToAnsi(line);
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
}

int LogAppender::AppendAndFlush(const std::u16string& text, bool force) {
  Append(text);
  OpenIfNeeded();
  if (!file_mutex_) return size_;
  if (!file_mutex_->TryLock()) {
    if (!force) return size_;
    file_mutex_->Lock();
  }
  std::vector<std::string> lines;
  {
    std::lock_guard<std::mutex> guard(queue_lock_);
    lines.swap(queue_);
    queued_bytes_ = 0;
  }
  for (const std::string& line : lines) {
    const int written = fd_ == -1 ? -1 : system_.WriteBytes(fd_, line.data(), line.size());
    size_ = SaturatingAdd(size_, written);
  }
  file_mutex_->Unlock();
  return size_;
}

bool LogAppender::Reset() {
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
