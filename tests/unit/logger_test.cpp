#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <thread>

#include "fake_log_system.h"
#include "log/log_format.h"
#include "log/logger_impl.h"

namespace {

using LogUtils::LoggerImpl;
using LogUtils::LogLine;
using testing_log::FakeLogSystem;

const std::u16string kPath = u"C:\\Users\\User1\\AppData\\Roaming\\Tandrel\\log\\Corvane.log";
const std::string kPrefix = "03-14 09:26:53.058 [ 4120][ 7804]";

class LoggerTest : public testing::Test {
 protected:
  void SwitchOn() { system_.files[kPath + u".on"] = ""; }

  void Info(const std::string& message, int line = 76) {
    if (!logger_.IsLevelEnabled(LogUtils::kLevelInfo)) return;
    LogLine log_line(u"[I]", "C:\\src\\webview2\\main.cpp", line);
    log_line << message;
    logger_.Write(log_line);
  }

  std::vector<std::string> FileLines() const { return system_.Lines(kPath); }
  static std::string Marker(const std::string& text) { return kPrefix + text; }
  static std::string InfoLine(const std::string& text) { return kPrefix + "[I][  76][main] " + text; }

  FakeLogSystem system_;
  LoggerImpl logger_{system_};
};

TEST_F(LoggerTest, OffWithoutSwitchFileWritesNothingAtAll) {
  logger_.Init(kPath.c_str(), u"", 0, 0, LogUtils::kDefaultSizeCap);
  EXPECT_FALSE(logger_.IsLevelEnabled(LogUtils::kLevelInfo));
  Info("quit process");
  logger_.Uninit();
  EXPECT_EQ(system_.files.count(kPath), 0u);
  EXPECT_EQ(system_.open_calls, 0);
}

TEST_F(LoggerTest, FreshLoggerIsOffAndHasNoAppender) {
  EXPECT_FALSE(logger_.IsLevelEnabled(2));
  EXPECT_TRUE(logger_.IsLevelEnabled(3));
  LogLine line(u"[I]", "a.cpp", 1);
  line << "x";
  logger_.Write(line);  // no appender: nothing happens
  EXPECT_TRUE(system_.files.empty());
}

TEST_F(LoggerTest, SwitchFileEnablesEverythingAndStartMarkerComesFirst) {
  SwitchOn();
  logger_.Init(kPath.c_str(), u"", 0, 0, LogUtils::kDefaultSizeCap);
  EXPECT_TRUE(logger_.IsLevelEnabled(0));
  EXPECT_EQ(system_.open_calls, 0) << "the file opens lazily, at the first flush";
  Info("quit process");
  logger_.Uninit();
  EXPECT_EQ(FileLines(), (std::vector<std::string>{Marker("-------log start"),
                                                   InfoLine("quit process"),
                                                   Marker("-------log end")}));
  EXPECT_FALSE(logger_.IsLevelEnabled(LogUtils::kLevelInfo));
}

TEST_F(LoggerTest, EnableWithoutSwitchFileIsInfoLevel) {
  logger_.Init(kPath.c_str(), u"", 1, 0, LogUtils::kDefaultSizeCap);
  EXPECT_TRUE(logger_.IsLevelEnabled(1));
  EXPECT_FALSE(logger_.IsLevelEnabled(0));
}

TEST_F(LoggerTest, TagAppearsInPrefixOnlyWhenNotEmpty) {
  SwitchOn();
  logger_.Init(kPath.c_str(), u"web", 0, 0, LogUtils::kDefaultSizeCap);
  Info("hello");
  EXPECT_EQ(FileLines().at(1), kPrefix + "[web][I][  76][main] hello");
}

TEST_F(LoggerTest, LinesWaitWhileAnotherProcessHoldsTheFile) {
  SwitchOn();
  logger_.Init(kPath.c_str(), u"", 0, 0, LogUtils::kDefaultSizeCap);
  system_.mutex.held_elsewhere = true;
  Info("one");
  Info("two");
  EXPECT_EQ(FileLines().size(), 0u);
  system_.mutex.held_elsewhere = false;
  Info("three");
  EXPECT_EQ(FileLines(), (std::vector<std::string>{Marker("-------log start"), InfoLine("one"),
                                                   InfoLine("two"), InfoLine("three")}));
}

TEST_F(LoggerTest, LinesGoAfterWhatTheFileHeldAndWhatOthersWroteMeanwhile) {
  SwitchOn();
  system_.files[kPath] = "from an earlier run\r\n";
  logger_.Init(kPath.c_str(), u"", 0, 0, LogUtils::kDefaultSizeCap);
  Info("one");
  // Another process takes the file, writes and lets go; then this one's lines follow its.
  system_.mutex.held_elsewhere = true;
  system_.WriteElsewhere(kPath, "other process");
  Info("queued");
  system_.mutex.held_elsewhere = false;
  Info("two");
  system_.WriteElsewhere(kPath, "other again");
  logger_.Uninit();
  EXPECT_EQ(FileLines(),
            (std::vector<std::string>{"from an earlier run", Marker("-------log start"), InfoLine("one"),
                                      "other process", InfoLine("queued"), InfoLine("two"), "other again",
                                      Marker("-------log end")}));
}

TEST_F(LoggerTest, ForcedFlushWaitsForTheMutexAndWritesEverything) {
  SwitchOn();
  logger_.Init(kPath.c_str(), u"", 0, 0, LogUtils::kDefaultSizeCap);
  system_.mutex.held_elsewhere = true;
  Info("queued");
  logger_.Uninit();
  EXPECT_EQ(system_.mutex.lock_waits, 1);
  EXPECT_EQ(FileLines(), (std::vector<std::string>{Marker("-------log start"), InfoLine("queued"),
                                                   Marker("-------log end")}));
  EXPECT_FALSE(system_.mutex.owned_by_us);
}

TEST_F(LoggerTest, CapStartsTheFileOverWithResetMarker) {
  SwitchOn();
  const int cap = 200;
  logger_.Init(kPath.c_str(), u"", 0, 0, cap);
  // Each info line is 57 bytes with CR LF; the start marker 51.
  Info("line-1");
  Info("line-2");
  EXPECT_EQ(system_.files[kPath].size(), 165u);
  Info("line-3");  // 222 bytes: over the cap, but this line is in the old file
  EXPECT_EQ(system_.files.count(kPath), 0u) << "the full file is deleted";
  Info("line-4");
  EXPECT_EQ(FileLines(), (std::vector<std::string>{Marker("-------log full reset"),
                                                   InfoLine("line-4")}));
  EXPECT_TRUE(logger_.IsLevelEnabled(LogUtils::kLevelInfo));
}

TEST_F(LoggerTest, CapInNewFileModeEndsTheFileWithFullMarker) {
  SwitchOn();
  logger_.Init(kPath.c_str(), u"", 0, 1, 120);
  Info("line-1");
  Info("line-2");
  EXPECT_FALSE(logger_.IsLevelEnabled(LogUtils::kLevelInfo));
  Info("line-3");
  logger_.Uninit();
  EXPECT_EQ(FileLines(), (std::vector<std::string>{Marker("-------log start"), InfoLine("line-1"),
                                                   InfoLine("line-2"), Marker("-------log full")}));
}

TEST_F(LoggerTest, FailedDeletionAtCapStopsLogging) {
  SwitchOn();
  logger_.Init(kPath.c_str(), u"", 0, 0, 100);
  system_.fail_remove = true;
  Info("line-1");
  EXPECT_FALSE(logger_.IsLevelEnabled(LogUtils::kLevelInfo));
  // The failure line waits in the queue; a forced flush shows what it says.
  logger_.SetLevel(0);
  logger_.SetLevel(3);
  const std::vector<std::string> lines = FileLines();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[2], Marker("-------log full reset failed. 32:The file is in use."));
}

TEST_F(LoggerTest, OnlyTheFirstProcessDeletesTheFileInNewFileMode) {
  system_.files[kPath] = "old contents\r\n";
  {
    LoggerImpl second_process(system_);
    system_.mutex_exists = true;  // another process created the mutex already
    second_process.Init(kPath.c_str(), u"", 0, 1, LogUtils::kDefaultSizeCap);
    EXPECT_EQ(system_.files.count(kPath), 1u);
  }
  system_.mutex_exists = false;
  logger_.Init(kPath.c_str(), u"", 0, 1, LogUtils::kDefaultSizeCap);
  EXPECT_EQ(system_.files.count(kPath), 0u);
  EXPECT_FALSE(system_.mutex.owned_by_us) << "the creator releases its initial ownership";
}

TEST_F(LoggerTest, MutexNameComesFromThePath) {
  logger_.Init(kPath.c_str(), u"", 0, 0, LogUtils::kDefaultSizeCap);
  ASSERT_EQ(system_.created_mutex_names.size(), 1u);
  EXPECT_EQ(system_.created_mutex_names[0], u"CUSERSUSER1APPDATAROAMINGTANDRELLOGCORVANELOG");
  logger_.Init(kPath.c_str(), u"", 0, 0, LogUtils::kDefaultSizeCap);
  EXPECT_EQ(system_.created_mutex_names.size(), 1u) << "a later Init keeps the appender";
}

TEST_F(LoggerTest, SetLevelMarkers) {
  struct Case {
    int from;
    int to;
    const char* marker;  // null: none
  };
  const Case cases[] = {{0, 3, "-------log off"},        {1, 3, "-------log off"},
                        {1, 2, "-------log lev change"}, {0, 1, "-------log lev change"},
                        {1, 1, "-------log lev change"}, {3, 1, "-------log lev change"},
                        {2, 0, "-------log lev change"}, {3, 2, nullptr},
                        {2, 3, nullptr}};
  for (const Case& c : cases) {
    FakeLogSystem system;
    LoggerImpl logger(system);
    logger.Init(kPath.c_str(), u"", 0, 0, LogUtils::kDefaultSizeCap);
    logger.SetLevel(c.from);
    system.files.clear();
    logger.SetLevel(c.to);
    const std::vector<std::string> lines = system.Lines(kPath);
    if (c.marker == nullptr) {
      EXPECT_TRUE(lines.empty()) << c.from << "->" << c.to;
    } else {
      ASSERT_FALSE(lines.empty()) << c.from << "->" << c.to;
      EXPECT_EQ(lines.back(), Marker(c.marker)) << c.from << "->" << c.to;
    }
    EXPECT_EQ(logger.IsLevelEnabled(c.to), true);
    EXPECT_EQ(logger.IsLevelEnabled(c.to - 1), false);
  }
}

TEST_F(LoggerTest, LevelLockFreezesThreshold) {
  SwitchOn();
  logger_.Init(kPath.c_str(), u"", 1, 0, LogUtils::kDefaultSizeCap);  // switch file + enable
  Info("x");
  const std::string before = system_.files[kPath];
  logger_.SetLevel(3);
  EXPECT_TRUE(logger_.IsLevelEnabled(0));
  EXPECT_EQ(system_.files[kPath], before);
  logger_.ProcessCommand(u"--set_log_lev=3");
  EXPECT_TRUE(logger_.IsLevelEnabled(0));
}

TEST_F(LoggerTest, ProcessCommandAppliesFirstSwitchInTableOrder) {
  logger_.Init(kPath.c_str(), u"", 0, 0, LogUtils::kDefaultSizeCap);
  logger_.ProcessCommand(u"x --set_log_lev=2 y --set_log_lev=0");
  EXPECT_TRUE(logger_.IsLevelEnabled(0));
  logger_.ProcessCommand(u"--SET_LOG_LEV=2 --reload_log_switch");
  EXPECT_FALSE(logger_.IsLevelEnabled(1));
  EXPECT_TRUE(logger_.IsLevelEnabled(2));
  logger_.ProcessCommand(nullptr);
  logger_.ProcessCommand(u"unrelated");
  EXPECT_TRUE(logger_.IsLevelEnabled(2));
  EXPECT_FALSE(logger_.IsLevelEnabled(1));
}

TEST_F(LoggerTest, ReloadSwitchFollowsTheSwitchFile) {
  logger_.Init(kPath.c_str(), u"", 0, 0, LogUtils::kDefaultSizeCap);
  logger_.ProcessCommand(u"--reload_log_switch");
  EXPECT_FALSE(logger_.IsLevelEnabled(2));
  SwitchOn();
  logger_.ProcessCommand(u"--Reload_Log_Switch");
  EXPECT_TRUE(logger_.IsLevelEnabled(0));
  logger_.Uninit();
  EXPECT_EQ(FileLines(), (std::vector<std::string>{Marker("-------log reload switch"),
                                                   Marker("-------log end")}));
  system_.files.erase(kPath + u".on");
  logger_.ProcessCommand(u"--reload_log_switch");
  EXPECT_FALSE(logger_.IsLevelEnabled(2));
}

TEST_F(LoggerTest, ResetDeletesFileAndQueuesMarker) {
  SwitchOn();
  logger_.Init(kPath.c_str(), u"", 0, 0, LogUtils::kDefaultSizeCap);
  Info("before");
  logger_.Reset();
  EXPECT_EQ(system_.files.count(kPath), 0u);
  Info("after");
  EXPECT_EQ(FileLines(), (std::vector<std::string>{Marker("-------log reset"), InfoLine("after")}));
}

TEST_F(LoggerTest, OpenFailureIsReportedOnceAndRetriedOnlyAfterReset) {
  SwitchOn();
  system_.fail_open = true;
  logger_.Init(kPath.c_str(), u"", 0, 0, LogUtils::kDefaultSizeCap);
  Info("a");
  Info("b");
  EXPECT_EQ(system_.open_calls, 1);
  ASSERT_EQ(system_.debug_output.size(), 1u);
  EXPECT_EQ(system_.debug_output[0], u"open " + kPath + u" error. [13]\r\n");
  system_.fail_open = false;
  logger_.Reset();
  Info("c");
  EXPECT_EQ(system_.open_calls, 2);
  EXPECT_EQ(FileLines(), (std::vector<std::string>{Marker("-------log reset"), InfoLine("c")}));
}

TEST_F(LoggerTest, WithoutMutexNothingIsWritten) {
  SwitchOn();
  system_.fail_mutex = true;
  logger_.Init(kPath.c_str(), u"", 0, 0, LogUtils::kDefaultSizeCap);
  for (int i = 0; i < 10; ++i) Info("line");
  logger_.Uninit();
  EXPECT_TRUE(system_.files[kPath].empty());
  EXPECT_EQ(system_.write_calls, 0);
}

TEST(LogAppenderQueue, StaysBoundedWhenTheFileCanNeverBeWritten) {
  FakeLogSystem system;
  system.fail_mutex = true;
  LogUtils::LogAppender appender(system, kPath, u"", 0);
  const std::u16string big(64 * 1024, u'x');
  for (int i = 0; i < 400; ++i) appender.AppendAndFlush(big, i % 2 == 0);
  EXPECT_LE(appender.queued_bytes(), LogUtils::LogAppender::kMaxQueuedBytes);
  EXPECT_GT(appender.queued_bytes(), LogUtils::LogAppender::kMaxQueuedBytes - big.size() - 64);
}

TEST(LogFormat, SourceBaseNameWhateverTheSeparator) {
  EXPECT_EQ(LogUtils::SourceBaseName("C:\\src\\webview2\\main.cpp"), "main");
  EXPECT_EQ(LogUtils::SourceBaseName("/usr/src/corvane/src/webview2/main.cpp"), "main");
  EXPECT_EQ(LogUtils::SourceBaseName("src/webview2\\main.cc"), "main");
  EXPECT_EQ(LogUtils::SourceBaseName("main.cpp"), "main");
  EXPECT_EQ(LogUtils::SourceBaseName("a/b.c.cpp"), "b.c");
  EXPECT_EQ(LogUtils::SourceBaseName("src/webview2/main"), "");
  EXPECT_EQ(LogUtils::SourceBaseName("src/.cpp"), "");
  EXPECT_EQ(LogUtils::SourceBaseName("src.d/main"), "");
  EXPECT_EQ(LogUtils::SourceBaseName(""), "");
}

TEST(LogFormat, CallSiteHeader) {
  EXPECT_EQ(LogUtils::CallSiteHeader("x/main.cpp", 76), u"[  76][main] ");
  EXPECT_EQ(LogUtils::CallSiteHeader("x/main", 76), u"[  76] ");
  EXPECT_EQ(LogUtils::CallSiteHeader("x\\.h", 5), u"[   5] ");
  EXPECT_EQ(LogUtils::CallSiteHeader("a.cpp", 123456), u"[123456][a] ");
}

TEST(LogFormat, PrefixFieldsAndTagBound) {
  const LogUtils::LogTime t{12, 31, 23, 5, 9, 7};
  EXPECT_EQ(LogUtils::FormatPrefix(t, 4, 123456, u""), u"12-31 23:05:09.007 [    4][123456]");
  EXPECT_EQ(LogUtils::FormatPrefix(t, 4, 5, u"t"), u"12-31 23:05:09.007 [    4][    5][t]");
  const std::u16string long_tag(300, u'g');
  const std::u16string bounded = LogUtils::FormatPrefix(t, 4294967295u, 4294967295u, long_tag);
  EXPECT_EQ(bounded.size(), LogUtils::kPrefixBufferChars - 1);
  EXPECT_EQ(bounded.back(), u']');
}

TEST(LogFormat, MutexNameKeepsOnlyLettersAndDigits) {
  EXPECT_EQ(LogUtils::MutexNameFromPath(u"c:\\a b\\x-1_\u00e9z.log"), u"CABX1ZLOG");
  EXPECT_EQ(LogUtils::MutexNameFromPath(u""), u"");
}

TEST(LogLineText, StreamsPiecesInOrder) {
  LogLine line(u"[I]", "dir/webview2ipc.cpp", 9);
  line.Add("id ", 256, u" url ", std::u16string(u"about:blank"), ' ', -5, ' ', 4294967295u, ' ',
           true, ' ', 1.5, ' ', static_cast<const char*>(nullptr), ' ',
           static_cast<const char16_t*>(nullptr));
  EXPECT_EQ(line.text(),
            u"[I][   9][webview2ipc] id 256 url about:blank -5 4294967295 1 1.5 (null) (null)");
  EXPECT_EQ(line.TakeText().size(), 79u);
  EXPECT_TRUE(line.text().empty());
}

}  // namespace

namespace {

// The in-memory system, safe for the lease thread: every call is serialised, and the named
// mutex behaves as a real one does (owned by one thread at a time, released only by its owner).
class LeasingLogSystem : public FakeLogSystem {
 public:
  class ThreadMutex : public LogUtils::INamedMutex {
   public:
    explicit ThreadMutex(LeasingLogSystem& system) : system_(system) {}
    bool TryLock() override {
      std::lock_guard<std::mutex> guard(system_.lock);
      if (system_.mutex.held_elsewhere) return false;
      if (system_.owner != std::thread::id() && system_.owner != std::this_thread::get_id()) return false;
      system_.owner = std::this_thread::get_id();
      ++system_.takes;
      return true;
    }
    void Lock() override {
      for (;;) {
        {
          std::lock_guard<std::mutex> guard(system_.lock);
          if (system_.owner == std::thread::id()) {
            system_.mutex.held_elsewhere = false;
            system_.owner = std::this_thread::get_id();
            ++system_.takes;
            return;
          }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(100));
      }
    }
    void Unlock() override {
      std::lock_guard<std::mutex> guard(system_.lock);
      if (system_.owner != std::this_thread::get_id()) ++system_.foreign_unlocks;
      system_.owner = std::thread::id();
    }

   private:
    LeasingLogSystem& system_;
  };

  // Longer than any burst here, so that a burst is one lease.
  int MutexLeaseMs() override { return 5000; }
  std::unique_ptr<LogUtils::INamedMutex> CreateNamedMutex(const std::u16string&, bool* created) override {
    *created = false;
    return std::make_unique<ThreadMutex>(*this);
  }
  int OpenForAppend(const std::u16string& path, int* error) override {
    std::lock_guard<std::mutex> guard(lock);
    return FakeLogSystem::OpenForAppend(path, error);
  }
  int64_t EndPosition(int fd) override {
    std::lock_guard<std::mutex> guard(lock);
    return FakeLogSystem::EndPosition(fd);
  }
  void MoveToEnd(int fd) override {
    std::lock_guard<std::mutex> guard(lock);
    FakeLogSystem::MoveToEnd(fd);
  }
  int WriteBytes(int fd, const char* data, size_t size) override {
    std::lock_guard<std::mutex> guard(lock);
    if (owner == std::thread::id()) ++unguarded_writes;
    return FakeLogSystem::WriteBytes(fd, data, size);
  }
  bool FileExists(const std::u16string& path) override {
    std::lock_guard<std::mutex> guard(lock);
    return FakeLogSystem::FileExists(path);
  }
  std::vector<std::string> SafeLines(const std::u16string& path) {
    std::lock_guard<std::mutex> guard(lock);
    return Lines(path);
  }
  bool Owned() {
    std::lock_guard<std::mutex> guard(lock);
    return owner != std::thread::id();
  }
  int Writes() {
    std::lock_guard<std::mutex> guard(lock);
    return write_calls;
  }

  std::mutex lock;
  std::thread::id owner;
  int takes = 0;
  int foreign_unlocks = 0;
  int unguarded_writes = 0;  // writes while no thread of this process held the mutex
};

std::string LeaseLine(const std::string& text) { return kPrefix + "[I][  76][main] " + text; }

void WriteInfo(LoggerImpl& logger, const std::string& message) {
  LogLine line(u"[I]", "C:\\src\\webview2\\main.cpp", 76);
  line << message;
  logger.Write(line);
}

TEST(LogLease, ABurstTakesTheMutexOnceAndEveryLineIsWrittenAtOnce) {
  LeasingLogSystem system;
  system.files[kPath + u".on"] = "";
  LoggerImpl logger(system);
  logger.Init(kPath.c_str(), u"", 0, 0, LogUtils::kDefaultSizeCap);
  constexpr int kLines = 3000;
  for (int i = 0; i < kLines; ++i) {
    WriteInfo(logger, "line " + std::to_string(i));
    // Written before Write returned: the lease thread holds the mutex for this process, or the
    // line took it itself.
    ASSERT_EQ(system.Writes(), i + 2) << i;
  }
  // The line that finds the burst hands over to the lease thread: a few takes at most.
  EXPECT_LT(system.takes, kLines / 100) << "the mutex is leased for the burst, not taken per line";
  // The lease ends shortly after the burst, and the mutex is free for other processes.
  for (int i = 0; i < 200 && system.Owned(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_FALSE(system.Owned());
  logger.Uninit();
  const std::vector<std::string> lines = system.SafeLines(kPath);
  ASSERT_EQ(lines.size(), static_cast<size_t>(kLines) + 2);
  for (int i = 0; i < kLines; ++i) EXPECT_EQ(lines[i + 1], LeaseLine("line " + std::to_string(i)));
  EXPECT_EQ(system.foreign_unlocks, 0) << "only the owning thread releases the mutex";
  EXPECT_EQ(system.unguarded_writes, 0) << "no line is written without the mutex";
}

TEST(LogLease, ThreadsInABurstKeepTheirOrderAndAHeldMutexStillHoldsLinesBack) {
  LeasingLogSystem system;
  system.files[kPath + u".on"] = "";
  LoggerImpl logger(system);
  logger.Init(kPath.c_str(), u"", 0, 0, LogUtils::kDefaultSizeCap);
  std::vector<std::thread> writers;
  for (int t = 0; t < 4; ++t) {
    writers.emplace_back([&, t] {
      for (int i = 0; i < 500; ++i) WriteInfo(logger, "t" + std::to_string(t) + " " + std::to_string(i));
    });
  }
  for (std::thread& w : writers) w.join();
  for (int i = 0; i < 200 && system.Owned(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  const std::vector<std::string> lines = system.SafeLines(kPath);
  ASSERT_EQ(lines.size(), 2001u);
  std::vector<int> next(4, 0);
  for (size_t i = 1; i < lines.size(); ++i) {
    const std::string text = lines[i].substr(LeaseLine("").size());
    const int t = text[1] - '0';
    EXPECT_EQ(text, "t" + std::to_string(t) + " " + std::to_string(next[t]++));
  }
  EXPECT_EQ(system.unguarded_writes, 0);

  // Another process holds the file: no lease can be had, and lines wait in memory as before.
  {
    std::lock_guard<std::mutex> guard(system.lock);
    system.mutex.held_elsewhere = true;
  }
  for (int i = 0; i < 50; ++i) WriteInfo(logger, "held " + std::to_string(i));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(system.SafeLines(kPath).size(), 2001u);
  logger.Uninit();  // a forced flush waits for the mutex and writes everything
  EXPECT_EQ(system.SafeLines(kPath).size(), 2001u + 50 + 1);
  EXPECT_EQ(system.foreign_unlocks, 0);
}

}  // namespace

namespace {

std::u16string Ascii(const std::string& text) { return std::u16string(text.begin(), text.end()); }

// The prefix, the call-site header and numbers are written digit by digit; they must read as the
// formatted prints they replaced, at every width.
TEST(LogFormat, DigitsAsTheFormattedPrintWrote) {
  const uint32_t ids[] = {0, 7, 42, 99999, 100000, 4294967295u};
  const int fields[] = {0, 1, 9, 10, 59, 99, 100, 999, 1000, 12345};
  for (uint32_t pid : ids) {
    for (int field : fields) {
      const LogUtils::LogTime t{field, field % 32, field % 24, field % 60, field, field};
      char expected[96];
      std::snprintf(expected, sizeof expected, "%02d-%02d %02d:%02d:%02d.%03d [%5u][%5u]", t.month, t.day, t.hour,
                    t.minute, t.second, t.millisecond, pid, pid / 3);
      EXPECT_EQ(LogUtils::FormatPrefix(t, pid, pid / 3, u""), Ascii(expected));
    }
  }
  EXPECT_EQ(LogUtils::FormatPrefix({-1, 2, 3, 4, 5, 6}, 1, 2, u"web"), u"-1-02 03:04:05.006 [    1][    2][web]");
  for (int line : {0, 7, 76, 9999, 10000, 2147483647, -5}) {
    char expected[32];
    std::snprintf(expected, sizeof expected, "[%4d][main] ", line);
    EXPECT_EQ(LogUtils::CallSiteHeader("C:\\src\\main.cpp", line), Ascii(expected));
  }
  LogLine numbers(u"", "", 1);
  const std::u16string start = numbers.text();
  numbers << INT64_MIN << " " << INT64_MAX << " " << UINT64_MAX << " " << 0 << " " << -1 << " " << 'x';
  EXPECT_EQ(numbers.text().substr(start.size()),
            u"-9223372036854775808 9223372036854775807 18446744073709551615 0 -1 x");
}

}  // namespace
