// The host program itself: start-up, log placement, shutdown order and exit code.
#include <gtest/gtest.h>

#include <regex>

#include "child_process.h"
#include "crlf_lines.h"
#include "host_program.h"

namespace {

using testwin::ChildProcess;

class HostEntry : public testing::Test {
 protected:
  void SetUp() override {
    temp_ = testwin::MakeTempFolder(L"host-entry");
    const std::wstring log = testwin::MakeHostLogPath(temp_);
    log_folder_ = log.substr(0, log.rfind(L'\\'));
  }
  void TearDown() override { testwin::RemoveTree(temp_); }

  // Runs the host with the temporary folder pointed at our own folder and tells it to quit.
  DWORD RunAndQuit(ChildProcess& host) {
    const ChildProcess::Environment env{{L"TMP", temp_ + L"\\"}, {L"TEMP", temp_ + L"\\"}};
    if (!host.Start(testwin::HostProgram(), L"--web_view_id=256", env)) return 1000;
    if (!host.PostToMainThread(WM_QUIT, 10000)) return 1001;
    return host.Wait(20000);
  }

  std::wstring temp_;
  std::wstring log_folder_;
};

TEST_F(HostEntry, LogsQuitBetweenStartAndEndAndExitsWithMinusOne) {
  ASSERT_TRUE(testwin::WriteFileBytes(log_folder_ + L"\\Corvane.log.on", ""));
  ChildProcess host;
  EXPECT_EQ(RunAndQuit(host), 0xFFFFFFFFu);

  const std::vector<std::string> lines =
      SplitCrLfLines(testwin::ReadFileBytes(log_folder_ + L"\\Corvane.log"));
  ASSERT_GE(lines.size(), 3u);
  const size_t n = lines.size();
  const std::string ids = "\\[ *" + std::to_string(host.pid()) + "\\]\\[ *\\d+\\]";
  const std::string stamp = "\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} ";
  for (const std::string& line : lines) {
    EXPECT_TRUE(std::regex_match(line, std::regex(stamp + ids + ".*"))) << line;
  }
  EXPECT_TRUE(std::regex_match(lines[0], std::regex(stamp + ids + "-------log start")))
      << lines[0];
  EXPECT_TRUE(std::regex_match(lines[n - 2], std::regex(stamp + ids + "\\[I\\]\\[ *\\d+\\]\\[main\\] quit process")))
      << lines[n - 2];
  EXPECT_TRUE(std::regex_match(lines[n - 1], std::regex(stamp + ids + "-------log end")))
      << lines[n - 1];
}

TEST_F(HostEntry, WithoutSwitchFileWritesNothing) {
  ChildProcess host;
  EXPECT_EQ(RunAndQuit(host), 0xFFFFFFFFu);
  EXPECT_FALSE(testwin::FileExists(log_folder_ + L"\\Corvane.log"));
}

TEST_F(HostEntry, StartsWithHighDpiSwitch) {
  ASSERT_TRUE(testwin::WriteFileBytes(log_folder_ + L"\\Corvane.log.on", ""));
  const ChildProcess::Environment env{{L"TMP", temp_ + L"\\"}, {L"TEMP", temp_ + L"\\"}};
  ChildProcess host;
  ASSERT_TRUE(host.Start(testwin::HostProgram(), L"--web_view_id=256 --enable_high_dpi", env));
  ASSERT_TRUE(host.PostToMainThread(WM_QUIT, 10000));
  EXPECT_EQ(host.Wait(20000), 0xFFFFFFFFu);
  const std::vector<std::string> lines =
      SplitCrLfLines(testwin::ReadFileBytes(log_folder_ + L"\\Corvane.log"));
  ASSERT_GE(lines.size(), 3u);
  EXPECT_NE(lines[lines.size() - 2].find("[main] quit process"), std::string::npos);
}

}  // namespace
