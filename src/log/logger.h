#pragma once
// The process-wide leveled logger and its call-site front end.
//
//   LOG_INFO("created window ", id, " for ", url);
//
// writes "[I][line][file] created window 256 for ..." when logging is on, and builds nothing
// when it is off.

#include "log/log_line.h"

namespace LogUtils {

constexpr int kLevelAll = 0;
constexpr int kLevelInfo = 1;
constexpr int kLevelOff = 3;
constexpr int kDefaultSizeCap = 0x6400000;  // 100 MiB

class Logger {
 public:
  virtual ~Logger() = default;
  virtual void SetLevel(int level) = 0;
  virtual bool IsLevelEnabled(int level) = 0;
  virtual void Init(const char16_t* path, const char16_t* tag, int enable, int new_file_mode,
                    int cap) = 0;
  virtual void Reset() = 0;
  virtual void Uninit() = 0;
  virtual void ProcessCommand(const char16_t* text) = 0;
  virtual void Write(LogLine& line) = 0;
};

// The singleton, created on first use and never destroyed.
Logger* GetLogger();
// A cap of 0 means the default cap.
void InitLog(const char16_t* path, int enable, int new_file_mode, int cap, const char16_t* tag);
void UninitLog();

}  // namespace LogUtils

#define LOG_INFO(...)                                                              \
  do {                                                                             \
    ::LogUtils::Logger* corvane_logger_ = ::LogUtils::GetLogger();                 \
    if (corvane_logger_->IsLevelEnabled(::LogUtils::kLevelInfo)) {                 \
      ::LogUtils::LogLine corvane_line_(u"[I]", __FILE__, __LINE__);               \
      corvane_line_.Add(__VA_ARGS__);                                              \
      corvane_logger_->Write(corvane_line_);                                       \
    }                                                                              \
  } while (false)
