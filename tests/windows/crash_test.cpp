// Crash reporting end to end under Wine: a program with the host's handler crashes, the uploader
// beside it writes a minidump of it, and a collector of the test's own receives it.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "base/text_win.h"
#include "child_process.h"
#include "crash/crash_handler_win.h"
#include "crash/dump_store.h"
#include "crash/minidump_reader.h"
#include "loopback_server.h"

namespace {

using testwin::ChildProcess;

constexpr DWORD kAccessViolation = 0xC0000005;
constexpr DWORD kRaisedCode = 0xE0001234;  // what crash_helper raises

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    at = end + 1;
  }
  return lines;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// A program folder with the crashing program in it, an uploader (or a stand-in) in its Utils
// folder, and a temporary folder of its own, so the per-user data directory is
// temp\Tandrel and the crash folder temp\Tandrel\crash.
class CrashScene {
 public:
  CrashScene() : root_(testwin::MakeTempFolder(L"crash")) {
    CreateDirectoryW(app().c_str(), nullptr);
    CreateDirectoryW(utils().c_str(), nullptr);
    CreateDirectoryW(temp().c_str(), nullptr);
    CopyFileW((ProgramFolder() + L"\\crash_helper.exe").c_str(), (app() + L"\\crash_helper.exe").c_str(), FALSE);
    // Logging on, so that the uploader's account of what it did can be read.
    testwin::WriteFileBytes(testwin::MakeHostLogPath(temp()) + L".on", "");
  }
  ~CrashScene() { testwin::RemoveTree(root_); }

  std::wstring app() const { return root_ + L"\\app"; }
  std::wstring utils() const { return app() + L"\\Utils"; }
  std::wstring temp() const { return root_ + L"\\temp"; }
  std::wstring crash_folder() const { return temp() + L"\\Tandrel\\crash"; }
  std::wstring uploader() const { return utils() + L"\\Wrenfall.exe"; }
  std::wstring record_file() const { return root_ + L"\\record.txt"; }

  // The real uploader, or the program that records its command line, as Utils\Wrenfall.exe.
  void PlaceUploader(const wchar_t* program) {
    ASSERT_TRUE(CopyFileW((ProgramFolder() + L"\\" + program).c_str(), uploader().c_str(), FALSE));
  }
  void WriteSettings(const std::string& text) { testwin::WriteFileBytes(utils() + L"\\Wrenfall.ini", text); }

  ChildProcess::Environment Environment() const {
    return {{L"TMP", temp() + L"\\"},
            {L"TEMP", temp() + L"\\"},
            {L"CORVANE_CRASH_FACTS", root_ + L"\\facts.txt"},
            {L"CORVANE_RECORD_FILE", record_file()}};
  }
  // Runs crash_helper and waits for it; its exit code.
  DWORD Crash(const std::wstring& arguments, DWORD timeout_ms = 20000,
              const ChildProcess::Environment& extra = {}) {
    DeleteFileW((root_ + L"\\facts.txt").c_str());
    ChildProcess helper;
    ChildProcess::Environment environment = Environment();
    environment.insert(environment.end(), extra.begin(), extra.end());
    if (!helper.Start(app() + L"\\crash_helper.exe", arguments, environment)) return 0xFFFFFFFF;
    pid_ = helper.pid();
    return helper.Wait(timeout_ms);
  }
  DWORD RunUploader(const std::wstring& arguments) {
    ChildProcess uploader_process;
    if (!uploader_process.Start(uploader(), arguments, Environment())) return 0xFFFFFFFF;
    return uploader_process.Wait(60000);
  }
  DWORD pid() const { return pid_; }
  std::vector<std::string> Facts() const { return Lines(testwin::ReadFileBytes(root_ + L"\\facts.txt")); }
  std::string Fact(const std::string& name) const {
    for (const std::string& line : Facts()) {
      if (line.rfind(name + "=", 0) == 0) return line.substr(name.size() + 1);
    }
    return "<none>";
  }
  std::vector<std::string> Log() const {
    return Lines(testwin::ReadFileBytes(temp() + L"\\Tandrel\\log\\Corvane.log"));
  }
  // "name size" of every file in the crash folder, for failure messages.
  std::string Listing() const {
    std::string text;
    for (const std::wstring& name : Files(L"")) {
      text += Narrow(name) + " " + std::to_string(testwin::ReadFileBytes(crash_folder() + L"\\" + name).size()) + "\n";
    }
    return text;
  }
  // The names in the crash folder that end with suffix.
  std::vector<std::wstring> Files(const wchar_t* suffix) const {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((crash_folder() + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
      const std::wstring name = data.cFileName;
      if (name.size() > wcslen(suffix) && name.compare(name.size() - wcslen(suffix), std::wstring::npos, suffix) == 0) {
        names.push_back(name);
      }
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return names;
  }

 private:
  std::wstring root_;
  DWORD pid_ = 0;
};

// The parts of a multipart/form-data body by name.
std::map<std::string, std::string> FormParts(const testwin::HttpRequest& request) {
  std::map<std::string, std::string> parts;
  const std::string type = request.Header("Content-Type");
  const size_t eq = type.find("boundary=");
  if (type.rfind("multipart/form-data;", 0) != 0 || eq == std::string::npos) return parts;
  const std::string delimiter = "--" + type.substr(eq + 9);
  const std::string& body = request.body;
  size_t at = body.find(delimiter);
  while (at != std::string::npos && body.compare(at + delimiter.size(), 2, "--") != 0) {
    const size_t head = at + delimiter.size() + 2;
    const size_t head_end = body.find("\r\n\r\n", head);
    const size_t next = body.find("\r\n" + delimiter, head_end);
    if (head_end == std::string::npos || next == std::string::npos) break;
    const std::string headers = body.substr(head, head_end - head);
    const size_t name = headers.find("name=\"") + 6;
    parts[headers.substr(name, headers.find('"', name) - name)] = body.substr(head_end + 4, next - head_end - 4);
    at = next + 2;
  }
  if (at == std::string::npos || body.substr(at) != delimiter + "--\r\n") parts["<malformed>"] = body;
  return parts;
}

TEST(CrashHandler, TheUploaderInUtilsGetsTheExactParameterLine) {
  CrashScene scene;
  scene.PlaceUploader(L"args_recorder.exe");
  // An explicit version wins over the program's version resource (3.1.4.1); the failing thread is
  // a second one, and its id is the one passed on.
  EXPECT_EQ(scene.Crash(L"thread-raise 7.7.7.7 5"), kRaisedCode);
  const std::string prefix = "\"" + Narrow(scene.uploader()) + "\" --pep=";
  std::vector<std::string> recorded = Lines(testwin::ReadFileBytes(scene.record_file()));
  ASSERT_EQ(recorded.size(), 1u);
  ASSERT_EQ(recorded[0].rfind(prefix, 0), 0u) << recorded[0];
  const std::string rest = recorded[0].substr(prefix.size());
  const size_t space = rest.find(' ');
  EXPECT_GT(std::stoull(rest.substr(0, space)), 0u) << rest;
  EXPECT_EQ(rest.substr(space), " --pid=" + std::to_string(scene.pid()) + " --tid=" + scene.Fact("tid") +
                                    " --src=Corvane --ver=7.7.7.7 --rep=5");
  EXPECT_NE(scene.Fact("tid"), "<none>");

  // Without a version: the program file's own, "%d.%d.%d.%d".
  DeleteFileW(scene.record_file().c_str());
  EXPECT_EQ(scene.Crash(L"access-violation - 0"), kAccessViolation);
  recorded = Lines(testwin::ReadFileBytes(scene.record_file()));
  ASSERT_EQ(recorded.size(), 1u);
  EXPECT_NE(recorded[0].find(" --pid=" + std::to_string(scene.pid()) + " --tid=" + scene.Fact("tid") +
                             " --src=Corvane --ver=3.1.4.1 --rep=0"),
            std::string::npos)
      << recorded[0];
}

TEST(CrashHandler, AnUploaderOfTheHostsOwnArchitectureIsPreferred) {
  CrashScene scene;
  scene.PlaceUploader(L"args_recorder.exe");
  // Beside the program, where it is looked for first: a program file for the other
  // architecture (only its headers: the system could not start it anyway).
  std::string other(0x100, '\0');
  other[0] = 'M';
  other[1] = 'Z';
  other[0x3C] = static_cast<char>(0x80);
  other.replace(0x80, 4, std::string("PE\0\0", 4));
  const uint16_t machine = sizeof(void*) == 4 ? 0x8664 : 0x14C;
  other[0x84] = static_cast<char>(machine & 0xFF);
  other[0x85] = static_cast<char>(machine >> 8);
  testwin::WriteFileBytes(scene.app() + L"\\Wrenfall.exe", other);
  EXPECT_EQ(scene.Crash(L"access-violation - 0"), kAccessViolation);
  const std::vector<std::string> recorded = Lines(testwin::ReadFileBytes(scene.record_file()));
  ASSERT_EQ(recorded.size(), 1u) << "the uploader in Utils was started";
  EXPECT_EQ(recorded[0].rfind("\"" + Narrow(scene.uploader()) + "\" --pep=", 0), 0u) << recorded[0];
}

TEST(CrashHandler, OtherCodeCannotReplaceTheFilterOnceInstalled) {
  CrashScene scene;
  scene.PlaceUploader(L"args_recorder.exe");
  EXPECT_EQ(scene.Crash(L"access-violation - 0 replace"), kAccessViolation);
  EXPECT_EQ(scene.Fact("locked"), "1");
  // xor eax, eax; then ret 4 in the 32-bit build (one stack argument removed), ret in the 64-bit one.
  if (sizeof(void*) == 4) {
    EXPECT_EQ(scene.Fact("code"), "33c0c20400");
  } else {
    EXPECT_EQ(scene.Fact("code").substr(0, 6), "33c0c3");
  }
  // SetUnhandledExceptionFilter answers null, again and again, and our filter still runs.
  EXPECT_EQ(std::stoull(scene.Fact("replace"), nullptr, 16), 0u);
  EXPECT_EQ(std::stoull(scene.Fact("replace-again"), nullptr, 16), 0u);
  for (const std::string& line : scene.Facts()) EXPECT_NE(line, "other filter ran");
  EXPECT_EQ(Lines(testwin::ReadFileBytes(scene.record_file())).size(), 1u) << "the uploader was started";
}

TEST(CrashHandler, WithNoUploaderAnywhereTheProcessEndsAtOnce) {
  CrashScene scene;
  const DWORD start = GetTickCount();
  EXPECT_EQ(scene.Crash(L"access-violation - 0", 10000), kAccessViolation);
  EXPECT_LT(GetTickCount() - start, 8000u) << "no error dialog, no wait";
}

TEST(CrashHandler, AHungUploaderDoesNotKeepTheProcessBeyondTheBound) {
  CrashScene scene;
  scene.PlaceUploader(L"args_recorder.exe");
  const std::wstring hold = L"corvane-crash-hold-" + std::to_wstring(GetCurrentProcessId());
  const ScopedHandle release(CreateEventW(nullptr, TRUE, FALSE, hold.c_str()));
  // The helper's bound is 4 s instead of the product's 30 s, to keep the run short; the waits
  // of the product and the helper are the same code.
  constexpr DWORD kBound = 4000;
  const DWORD start = GetTickCount();
  const DWORD code = scene.Crash(L"access-violation - 0", kBound + 20000,
                                 {{L"CORVANE_RECORD_HOLD", hold}, {L"CORVANE_CRASH_WAIT_MS", std::to_wstring(kBound)}});
  const DWORD elapsed = GetTickCount() - start;
  SetEvent(release.Get());
  EXPECT_EQ(code, kAccessViolation);
  EXPECT_GE(elapsed, kBound - 1000) << "the process waited for its uploader";
  EXPECT_LT(elapsed, kBound + 10000);
}

TEST(Wrenfall, WritesAMinidumpOfTheCrashedProcessWithItsException) {
  CrashScene scene;
  scene.PlaceUploader(L"Wrenfall.exe");
  struct Case {
    const wchar_t* arguments;
    DWORD code;
  };
  for (const Case& c : {Case{L"thread-raise - 1", kRaisedCode}, Case{L"access-violation - 0", kAccessViolation}}) {
    SCOPED_TRACE(Narrow(c.arguments));
    for (const std::wstring& name : scene.Files(L"")) DeleteFileW((scene.crash_folder() + L"\\" + name).c_str());
    EXPECT_EQ(scene.Crash(c.arguments), c.code);
    const std::vector<std::wstring> dumps = scene.Files(L".dmp");
    ASSERT_EQ(dumps.size(), 1u);
    const std::wstring base = scene.crash_folder() + L"\\" + dumps[0].substr(0, dumps[0].size() - 4);
    EXPECT_EQ(dumps[0].rfind(L"Corvane-", 0), 0u);

    const std::string bytes = testwin::ReadFileBytes(base + L".dmp");
    std::string error;
    const auto summary = crash::ReadMinidump(bytes, &error);
    ASSERT_TRUE(summary) << error;
    ASSERT_TRUE(summary->exception) << "an exception stream";
    const uint32_t tid = static_cast<uint32_t>(std::stoul(scene.Fact("tid")));
    EXPECT_EQ(summary->exception->code, c.code);
    EXPECT_EQ(summary->exception->thread_id, tid);
    EXPECT_NE(std::find(summary->thread_ids.begin(), summary->thread_ids.end(), tid), summary->thread_ids.end());
    EXPECT_GT(summary->module_count, 0u);

    const auto metadata = crash::ParseMetadataJson(testwin::ReadFileBytes(base + L".json"));
    ASSERT_TRUE(metadata);
    EXPECT_EQ(metadata->source, u"Corvane");
    EXPECT_EQ(metadata->version, u"3.1.4.1");
    EXPECT_EQ(metadata->process_id, scene.pid());
    EXPECT_EQ(metadata->thread_id, tid);
    EXPECT_TRUE(metadata->has_exception);
    EXPECT_EQ(metadata->exception_code, c.code);
    EXPECT_EQ(metadata->exception_address, summary->exception->address);
    EXPECT_EQ(metadata->program, to_u16((scene.app() + L"\\crash_helper.exe").c_str()));
    EXPECT_TRUE(scene.Files(L".tmp").empty());
  }
  bool logged = false;
  for (const std::string& line : scene.Log()) {
    logged = logged || (line.find("[Wrenfall]") != std::string::npos && line.find("dump written: ") != std::string::npos);
  }
  EXPECT_TRUE(logged) << "the uploader logs under its own name";
}

TEST(Wrenfall, RefusesMissingOrMalformedParameters) {
  CrashScene scene;
  scene.PlaceUploader(L"Wrenfall.exe");
  EXPECT_EQ(scene.RunUploader(L"--pid=1"), 2u);
  EXPECT_EQ(scene.RunUploader(L"--pep=1 --pid=x --tid=1 --src=Corvane --ver= --rep=0"), 2u);
  EXPECT_EQ(scene.RunUploader(L""), 2u);
  // Well formed, but there is no such process: no dump, and a failure.
  EXPECT_EQ(scene.RunUploader(L"--pep=1 --pid=2147483647 --tid=1 --src=Corvane --ver= --rep=0"), 4u);
  EXPECT_TRUE(scene.Files(L".dmp").empty());
  std::string log;
  for (const std::string& line : scene.Log()) log += line + "\n";
  EXPECT_NE(log.find("refused: missing parameter --pep"), std::string::npos) << log;
  EXPECT_NE(log.find("refused: malformed parameter --pid=x"), std::string::npos) << log;
  EXPECT_NE(log.find("no dump for process 2147483647: cannot open the crashed process"), std::string::npos) << log;
}

TEST(Wrenfall, TheCollectorGetsTheDumpWholeAndWhatItRefusesStays) {
  bool accept = false;
  testwin::LoopbackServer server([&](const testwin::HttpRequest&) {
    return testwin::HttpAnswer{accept ? 200 : 500, accept ? "ok" : "try later"};
  });
  CrashScene scene;
  scene.PlaceUploader(L"Wrenfall.exe");
  EXPECT_EQ(scene.Crash(L"access-violation - 0"), kAccessViolation);
  ASSERT_EQ(scene.Files(L".dmp").size(), 1u) << "no collector: the dump stays on disk";
  const std::wstring dump = scene.crash_folder() + L"\\" + scene.Files(L".dmp")[0];
  const std::string bytes = testwin::ReadFileBytes(dump);

  // Unreachable: kept.
  scene.WriteSettings("[Collector]\r\nUrl=http://127.0.0.1:1/submit\r\nTimeoutSeconds=5\r\n");
  EXPECT_EQ(scene.RunUploader(L"--send"), 5u);
  EXPECT_TRUE(testwin::FileExists(dump));

  // Refused: kept, and what arrived was the whole dump with its metadata.
  const std::string url = Narrow(as_wcstr(server.Url("/submit?product=corvane")));
  scene.WriteSettings("[Collector]\r\nUrl=" + url + "\r\n");
  EXPECT_EQ(scene.RunUploader(L"--send"), 5u);
  EXPECT_TRUE(testwin::FileExists(dump));
  ASSERT_EQ(server.Requests().size(), 1u);
  const testwin::HttpRequest refused = server.Requests()[0];
  EXPECT_EQ(refused.method, "POST");
  EXPECT_EQ(refused.target, "/submit?product=corvane");
  std::map<std::string, std::string> parts = FormParts(refused);
  EXPECT_EQ(parts.count("<malformed>"), 0u);
  EXPECT_TRUE(parts["upload_file_minidump"] == bytes) << "the dump arrived changed";
  EXPECT_EQ(parts["source"], "Corvane");
  EXPECT_EQ(parts["version"], "3.1.4.1");
  EXPECT_EQ(parts["process_id"], std::to_string(scene.pid()));
  EXPECT_EQ(parts["exception_code"], "0xC0000005");

  // Accepted: sent again, whole, then removed with its metadata.
  accept = true;
  EXPECT_EQ(scene.RunUploader(L"--send"), 0u);
  ASSERT_EQ(server.Requests().size(), 2u);
  EXPECT_TRUE(FormParts(server.Requests()[1])["upload_file_minidump"] == bytes);
  EXPECT_TRUE(scene.Files(L".dmp").empty());
  EXPECT_TRUE(scene.Files(L".json").empty());
}

TEST(Wrenfall, DamagedMetadataAndForeignFilesDoNotStopTheSender) {
  testwin::LoopbackServer server([](const testwin::HttpRequest&) { return testwin::HttpAnswer{200, "ok"}; });
  CrashScene scene;
  scene.PlaceUploader(L"Wrenfall.exe");
  scene.WriteSettings("[Collector]\r\nUrl=" + Narrow(as_wcstr(server.Url("/submit"))) + "\r\n");
  const std::wstring folder = scene.crash_folder() + L"\\";
  CreateDirectoryW((scene.temp() + L"\\Tandrel").c_str(), nullptr);
  CreateDirectoryW(scene.crash_folder().c_str(), nullptr);
  testwin::WriteFileBytes(folder + L"damaged.dmp", "MDMP and more");
  testwin::WriteFileBytes(folder + L"damaged.json", "{\"process_id\": 18446744073709551615, \"x\": [[[[");
  // A name no uploader gives: it must not reach the request's headers.
  ASSERT_TRUE(testwin::WriteFileBytes(folder + L"x y \u010d\u010a\u0122.dmp", "MDMP"));
  EXPECT_EQ(scene.RunUploader(L"--send"), 0u);
  ASSERT_EQ(server.Requests().size(), 1u);
  std::map<std::string, std::string> parts = FormParts(server.Requests()[0]);
  EXPECT_EQ(parts["upload_file_minidump"], "MDMP and more") << "sent without its metadata";
  EXPECT_EQ(parts.count("process_id"), 0u);
  EXPECT_FALSE(testwin::FileExists(folder + L"damaged.dmp"));
  EXPECT_EQ(scene.Files(L".dmp").size(), 1u) << "the foreign file is left alone";
}

TEST(Wrenfall, AfterACrashTheDumpIsSentWithoutHoldingTheCrashedProcess) {
  // A slow collector, answering 8 s after a request: the crashed process must have ended before
  // any answer came (however long writing the dump itself took on this machine).
  testwin::LoopbackServer server([](const testwin::HttpRequest&) { return testwin::HttpAnswer{200, "ok", 8000}; });
  CrashScene scene;
  scene.PlaceUploader(L"Wrenfall.exe");
  scene.WriteSettings("[Collector]\r\nUrl=" + Narrow(as_wcstr(server.Url("/submit"))) + "\r\n");
  EXPECT_EQ(scene.Crash(L"access-violation - 0", 60000), kAccessViolation);
  EXPECT_EQ(server.served(), 0) << "the crashed process waited for the collector";
  for (int i = 0; i < 400 && !(server.served() == 1 && scene.Files(L".dmp").empty()); ++i) Sleep(100);
  EXPECT_EQ(server.served(), 1);
  EXPECT_TRUE(scene.Files(L".dmp").empty()) << "an accepted dump is removed";
}

// Moves a file's last write age_minutes into the past.
void SetAge(const std::wstring& path, int age_minutes) {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER when{{now.dwLowDateTime, now.dwHighDateTime}};
  when.QuadPart -= static_cast<ULONGLONG>(age_minutes) * 60 * 10000000;
  const FILETIME time{when.LowPart, when.HighPart};
  const ScopedHandle file(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  SetFileTime(file.Get(), nullptr, nullptr, &time);
}

// A crash of an earlier run: its dump of the given size and its metadata, written long ago.
void PlantCrash(const CrashScene& scene, const std::wstring& base, size_t bytes, int age_minutes) {
  CreateDirectoryW(scene.crash_folder().c_str(), nullptr);
  for (const wchar_t* suffix : {L".dmp", L".json"}) {
    const std::wstring path = scene.crash_folder() + L"\\" + base + suffix;
    testwin::WriteFileBytes(path, std::string(suffix[1] == L'd' ? bytes : 10, 'x'));
    SetAge(path, age_minutes);
  }
}

TEST(Wrenfall, TheCrashFolderStaysWithinItsBounds) {
  CrashScene scene;
  scene.PlaceUploader(L"Wrenfall.exe");
  // By count: three crashes at most, the new one among them.
  scene.WriteSettings("[Dumps]\r\nMaxCount=3\r\nMaxTotalMB=1\r\n");
  PlantCrash(scene, L"old-1", 1000, 50);
  PlantCrash(scene, L"old-2", 1000, 40);
  PlantCrash(scene, L"old-3", 1000, 30);
  PlantCrash(scene, L"old-4", 1000, 20);
  EXPECT_EQ(scene.Crash(L"access-violation - 0"), kAccessViolation);
  std::vector<std::wstring> dumps = scene.Files(L".dmp");
  std::sort(dumps.begin(), dumps.end());
  ASSERT_EQ(dumps.size(), 3u) << scene.Listing();
  EXPECT_EQ(dumps[0].rfind(L"Corvane-", 0), 0u);
  EXPECT_EQ(dumps[1], L"old-3.dmp");
  EXPECT_EQ(dumps[2], L"old-4.dmp");
  EXPECT_EQ(scene.Files(L".json").size(), 3u) << "metadata goes with its dump";

  // By size: two new crashes and a small old one fit in two megabytes, the older, large one no
  // longer does (its size is chosen from the size of this architecture's dumps).
  const std::wstring first = scene.crash_folder() + L"\\" + dumps[0].substr(0, dumps[0].size() - 4);
  const size_t crash_bytes =
      testwin::ReadFileBytes(first + L".dmp").size() + testwin::ReadFileBytes(first + L".json").size();
  const size_t limit = 2u << 20;
  ASSERT_LT(2 * crash_bytes + (100u << 10), limit - (64u << 10));
  scene.WriteSettings("[Dumps]\r\nMaxCount=10\r\nMaxTotalMB=2\r\n");
  PlantCrash(scene, L"large-1", limit - 2 * crash_bytes - (100u << 10) + (64u << 10), 15);
  PlantCrash(scene, L"large-2", 100u << 10, 10);
  // An abandoned partial dump or lone metadata goes once it is old; fresh ones may still be
  // being written by another uploader.
  const std::wstring folder = scene.crash_folder() + L"\\";
  for (const wchar_t* name : {L"fresh.dmp.tmp", L"fresh.json", L"abandoned.dmp.tmp", L"lone.json"}) {
    testwin::WriteFileBytes(folder + name, "x");
  }
  SetAge(folder + L"abandoned.dmp.tmp", 120);
  SetAge(folder + L"lone.json", 120);
  EXPECT_EQ(scene.Crash(L"access-violation - 0"), kAccessViolation);
  dumps = scene.Files(L".dmp");
  std::sort(dumps.begin(), dumps.end());
  ASSERT_EQ(dumps.size(), 3u) << scene.Listing();
  EXPECT_EQ(dumps[0].rfind(L"Corvane-", 0), 0u);
  EXPECT_EQ(dumps[1].rfind(L"Corvane-", 0), 0u);
  EXPECT_EQ(dumps[2], L"large-2.dmp");
  EXPECT_TRUE(testwin::FileExists(folder + L"fresh.dmp.tmp"));
  EXPECT_TRUE(testwin::FileExists(folder + L"fresh.json"));
  EXPECT_FALSE(testwin::FileExists(folder + L"abandoned.dmp.tmp"));
  EXPECT_FALSE(testwin::FileExists(folder + L"lone.json"));
  std::string log;
  for (const std::string& line : scene.Log()) log += line + "\n";
  EXPECT_NE(log.find("removed old crash large-1"), std::string::npos) << log;
}

}  // namespace
