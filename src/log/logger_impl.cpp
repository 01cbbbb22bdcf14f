#include "log/logger_impl.h"

#include <algorithm>

namespace LogUtils {
namespace {

using Guard = std::lock_guard<std::recursive_mutex>;

bool ContainsIgnoringCase(std::u16string_view text, std::u16string_view needle) {
  auto lower = [](char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
  };
  return std::search(text.begin(), text.end(), needle.begin(), needle.end(),
                     [&](char16_t a, char16_t b) { return lower(a) == lower(b); }) != text.end();
}

}  // namespace

LoggerImpl::LoggerImpl(ILogSystem& system) : system_(system) {}

bool LoggerImpl::IsLevelEnabled(int level) {
  Guard guard(lock_);
  return level >= threshold_;
}

void LoggerImpl::Init(const char16_t* path, const char16_t* tag, int enable, int new_file_mode,
                      int cap) {
  Guard guard(lock_);
  path_ = path != nullptr ? path : u"";
  size_cap_ = cap;
  new_file_mode_ = new_file_mode;
  if (!appender_) {
    appender_ = std::make_unique<LogAppender>(system_, path_, tag != nullptr ? tag : u"",
                                              new_file_mode);
  }
  threshold_ = enable != 0 ? kLevelInfo : kLevelOff;
  if (SwitchFileExists()) {
    threshold_ = kLevelAll;
    level_lock_ = enable;
  }
  if (appender_ && IsLevelEnabled(kLevelInfo)) appender_->Append(u"-------log start");
}

void LoggerImpl::SetLevel(int level) {
  Guard guard(lock_);
  if (level_lock_ != 0) return;
  if (appender_) {
    const bool was_on = threshold_ == 0 || threshold_ == 1;
    const bool was_off = threshold_ == 2 || threshold_ == 3;
    if (was_on && level == kLevelOff) {
      appender_->AppendAndFlush(u"-------log off", true);
    } else if (was_on || (was_off && (level == 0 || level == 1))) {
      appender_->AppendAndFlush(u"-------log lev change", false);
    }
  }
  threshold_ = level;
}

void LoggerImpl::Reset() {
  Guard guard(lock_);
  if (appender_) appender_->Reset();
  if (appender_ && IsLevelEnabled(kLevelInfo)) appender_->Append(u"-------log reset");
}

void LoggerImpl::Uninit() {
  Guard guard(lock_);
  if (!appender_) return;
  if (IsLevelEnabled(kLevelInfo)) appender_->AppendAndFlush(u"-------log end", true);
  threshold_ = kLevelOff;
}

void LoggerImpl::ReloadSwitch() {
  threshold_ = kLevelOff;
  if (SwitchFileExists()) threshold_ = kLevelAll;
  if (appender_ && IsLevelEnabled(kLevelInfo)) appender_->Append(u"-------log reload switch");
}

void LoggerImpl::ProcessCommand(const char16_t* text) {
  if (text == nullptr) return;
  Guard guard(lock_);
  static constexpr std::u16string_view kLevels[] = {u"--set_log_lev=0", u"--set_log_lev=1",
                                                    u"--set_log_lev=2", u"--set_log_lev=3"};
  for (int level = 0; level < 4; ++level) {
    if (ContainsIgnoringCase(text, kLevels[level])) {
      SetLevel(level);
      return;
    }
  }
  if (ContainsIgnoringCase(text, u"--reload_log_switch")) ReloadSwitch();
}

void LoggerImpl::Write(LogLine& line) {
  const std::u16string text = line.TakeText();
  Guard guard(lock_);
  if (!appender_) return;
  const int size = appender_->AppendAndFlush(text, false);
  if (size <= size_cap_) return;
  if (new_file_mode_ != 0) {
    appender_->AppendAndFlush(u"-------log full", true);
    threshold_ = kLevelOff;
    return;
  }
  if (appender_->Reset()) {
    appender_->Append(u"-------log full reset");
    return;
  }
  appender_->Append(u"-------log full reset failed. " + appender_->reset_error());
  threshold_ = kLevelOff;
}

Logger* GetLogger() {
  // A function-local static is created once, thread-safely, on first use; it is deliberately
  // never destroyed so that logging during static destruction stays safe.
  static LoggerImpl* const logger = new LoggerImpl(DefaultLogSystem());
  return logger;
}

void InitLog(const char16_t* path, int enable, int new_file_mode, int cap, const char16_t* tag) {
  GetLogger()->Init(path, tag, enable, new_file_mode, cap == 0 ? kDefaultSizeCap : cap);
}

void UninitLog() { GetLogger()->Uninit(); }

}  // namespace LogUtils
