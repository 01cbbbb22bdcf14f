#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "log/log_appender.h"
#include "log/logger.h"

namespace LogUtils {

class LoggerImpl : public Logger {
 public:
  explicit LoggerImpl(ILogSystem& system);

  void SetLevel(int level) override;
  bool IsLevelEnabled(int level) override;
  void Init(const char16_t* path, const char16_t* tag, int enable, int new_file_mode,
            int cap) override;
  void Reset() override;
  void Uninit() override;
  void ProcessCommand(const char16_t* text) override;
  void Write(LogLine& line) override;

 private:
  void ReloadSwitch();
  bool SwitchFileExists() { return system_.FileExists(path_ + u".on"); }

  ILogSystem& system_;
  // Re-entrant: operations that hold it ask IsLevelEnabled, which takes it again.
  std::recursive_mutex lock_;
  int threshold_ = kLevelOff;
  int level_lock_ = 0;
  int new_file_mode_ = 0;
  std::unique_ptr<LogAppender> appender_;
  std::u16string path_;
  int size_cap_ = kDefaultSizeCap;
};

}  // namespace LogUtils
