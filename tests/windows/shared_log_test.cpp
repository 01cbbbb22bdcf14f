// The log file shared by several processes: whole lines, none lost, each writer's own process
// id, and the size cap in both modes.
#include <gtest/gtest.h>

#include <map>
#include <regex>

#include "child_process.h"
#include "crlf_lines.h"

namespace {

using testwin::ChildProcess;

const std::regex kLinePattern(
    R"(^(\d\d)-(\d\d) (\d\d):(\d\d):(\d\d)\.(\d{3}) \[( *\d+)\]\[( *\d+)\](.*)$)");
const std::regex kWriterText(R"(^\[I\]\[ *\d+\]\[log_writer\] writer (\d+) line (\d+) \.{40}$)");

struct ParsedLine {
  unsigned pid = 0;
  std::string text;
};

ParsedLine Parse(const std::string& line) {
  std::smatch m;
  if (!std::regex_match(line, m, kLinePattern)) {
    ADD_FAILURE() << "malformed line: " << line;
    return {};
  }
  EXPECT_GE(m[7].str().size(), 5u) << "process id right-aligned in five places: " << line;
  EXPECT_GE(m[8].str().size(), 5u) << "thread id right-aligned in five places: " << line;
  return ParsedLine{static_cast<unsigned>(std::stoul(m[7].str())), m[9].str()};
}

class SharedLog : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = testwin::MakeTempFolder(L"shared-log");
    log_ = folder_ + L"\\Corvane.log";
    ASSERT_TRUE(testwin::WriteFileBytes(log_ + L".on", ""));
  }
  void TearDown() override { testwin::RemoveTree(folder_); }

  bool StartWriter(ChildProcess& child, int lines, int new_file_mode, int cap,
                   const std::wstring& go_file = L"") {
    std::wstring args = L"\"" + log_ + L"\" " + std::to_wstring(lines) + L" " +
                        std::to_wstring(new_file_mode) + L" " + std::to_wstring(cap);
    if (!go_file.empty()) args += L" \"" + go_file + L"\"";
    return child.Start(ProgramFolder() + L"\\log_writer.exe", args);
  }

  std::vector<std::string> Lines() const {
    return SplitCrLfLines(testwin::ReadFileBytes(log_));
  }

  std::wstring folder_;
  std::wstring log_;
};

TEST_F(SharedLog, TwoProcessesAppendWholeLinesAndLoseNone) {
  const int kLines = 1500;
  ChildProcess a;
  ChildProcess b;
  ASSERT_TRUE(StartWriter(a, kLines, 0, 0));
  ASSERT_TRUE(StartWriter(b, kLines, 0, 0));
  ASSERT_EQ(a.Wait(60000), 0u);
  ASSERT_EQ(b.Wait(60000), 0u);

  std::map<unsigned, std::vector<int>> numbers;
  std::map<unsigned, std::vector<std::string>> markers;
  const std::vector<std::string> lines = Lines();
  ASSERT_EQ(lines.size(), 2u * (kLines + 2));
  for (const std::string& line : lines) {
    const ParsedLine parsed = Parse(line);
    std::smatch m;
    if (std::regex_match(parsed.text, m, kWriterText)) {
      EXPECT_EQ(std::stoul(m[1].str()), parsed.pid) << "a line carries its writer's process id";
      numbers[parsed.pid].push_back(std::stoi(m[2].str()));
    } else {
      markers[parsed.pid].push_back(parsed.text);
    }
  }
  ASSERT_EQ(numbers.size(), 2u);
  EXPECT_EQ(numbers.count(a.pid()), 1u);
  EXPECT_EQ(numbers.count(b.pid()), 1u);
  for (const auto& [pid, seen] : numbers) {
    ASSERT_EQ(seen.size(), static_cast<size_t>(kLines));
    for (int i = 0; i < kLines; ++i) EXPECT_EQ(seen[i], i) << "process " << pid;
    EXPECT_EQ(markers[pid],
              (std::vector<std::string>{"-------log start", "-------log end"}));
  }
}

TEST_F(SharedLog, AProcessContinuesTheFileItFinds) {
  const std::string earlier = "left over from an earlier run\r\n";
  ASSERT_TRUE(testwin::WriteFileBytes(log_, earlier));
  for (int run = 0; run < 2; ++run) {
    ChildProcess writer;
    ASSERT_TRUE(StartWriter(writer, 30, 0, 0));
    ASSERT_EQ(writer.Wait(30000), 0u);
  }
  const std::string bytes = testwin::ReadFileBytes(log_);
  ASSERT_EQ(bytes.rfind(earlier, 0), 0u) << "the earlier lines stay where they were";
  const std::vector<std::string> lines = SplitCrLfLines(bytes.substr(earlier.size()));
  ASSERT_EQ(lines.size(), 2u * (30 + 2));
  for (const std::string& line : lines) Parse(line);
}

TEST_F(SharedLog, CapStartsTheFileOverWithResetMarkerFirst) {
  ChildProcess writer;
  ASSERT_TRUE(StartWriter(writer, 100, 0, 3000));
  ASSERT_EQ(writer.Wait(30000), 0u);
  const std::vector<std::string> lines = Lines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(Parse(lines.front()).text, "-------log full reset");
  EXPECT_EQ(Parse(lines.back()).text, "-------log end");
  EXPECT_LE(testwin::ReadFileBytes(log_).size(), 3000u + 200u);
  // The new file holds the newest lines, consecutive up to the last one.
  std::vector<int> numbers;
  for (const std::string& line : lines) {
    std::smatch m;
    const std::string text = Parse(line).text;
    if (std::regex_match(text, m, kWriterText)) numbers.push_back(std::stoi(m[2].str()));
  }
  for (size_t i = 0; i < numbers.size(); ++i) {
    EXPECT_EQ(numbers[i], 100 - static_cast<int>(numbers.size() - i));
  }
}

TEST_F(SharedLog, NewFileModeEndsTheFileWithFullMarker) {
  ASSERT_TRUE(testwin::WriteFileBytes(log_, "left over from an earlier run\r\n"));
  ChildProcess writer;
  ASSERT_TRUE(StartWriter(writer, 100, 1, 3000));
  ASSERT_EQ(writer.Wait(30000), 0u);
  const std::vector<std::string> lines = Lines();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(Parse(lines.front()).text, "-------log start") << "the first process starts afresh";
  EXPECT_EQ(Parse(lines.back()).text, "-------log full");
  EXPECT_GT(testwin::ReadFileBytes(log_).size(), 3000u);
}

TEST_F(SharedLog, NewFileModeSecondProcessKeepsTheRunningOnesFile) {
  const std::wstring go = folder_ + L"\\go";
  ChildProcess first;
  ASSERT_TRUE(StartWriter(first, 20, 1, 0, go));
  // Wait until the first writer has flushed half of its lines.
  for (int i = 0; i < 1000 && Lines().size() < 11; ++i) Sleep(10);
  ASSERT_GE(Lines().size(), 11u);
  ChildProcess second;
  ASSERT_TRUE(StartWriter(second, 20, 1, 0));
  ASSERT_EQ(second.Wait(30000), 0u);
  ASSERT_TRUE(testwin::WriteFileBytes(go, ""));
  ASSERT_EQ(first.Wait(30000), 0u);
  std::map<unsigned, int> count;
  for (const std::string& line : Lines()) ++count[Parse(line).pid];
  EXPECT_EQ(count[first.pid()], 22);
  EXPECT_EQ(count[second.pid()], 22);
}

}  // namespace
