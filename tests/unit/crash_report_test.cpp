// The crash handler's command line to the uploader (both ends), the crash folder's names,
// metadata and bounds, the collector's form body and the minidump reader.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/text_convert.h"
#include "crash/dump_store.h"
#include "crash/form_body.h"
#include "crash/minidump_reader.h"
#include "crash/uploader_command.h"

namespace {

using crash::CrashMetadata;
using crash::CrashRequest;
using crash::ParseUploaderArguments;

std::string N(const std::u16string& text) { return text::Utf16ToUtf8(text); }

std::vector<std::u16string> Split(const std::u16string& line) {
  std::vector<std::u16string> words;
  size_t start = 0;
  for (size_t at = 0; at <= line.size(); ++at) {
    if (at == line.size() || line[at] == u' ') {
      words.push_back(line.substr(start, at - start));
      start = at + 1;
    }
  }
  return words;
}

std::u16string Format(uint64_t pep, uint32_t pid, uint32_t tid, const char16_t* src, const char16_t* ver, int32_t rep,
                      size_t capacity = crash::kParameterCapacity) {
  std::vector<char16_t> out(capacity + 1, u'#');
  if (!crash::FormatUploaderParameters(out.data(), capacity, pep, pid, tid, src, ver, rep)) return u"<failed>";
  EXPECT_EQ(out[capacity], u'#') << "wrote past the capacity";
  return out.data();
}

TEST(UploaderCommand, FormatsTheParameterLineAsTheUploaderExpects) {
  EXPECT_EQ(Format(23721896, 32, 264, u"Corvane", u"1.0.0.1", 0),
            u"--pep=23721896 --pid=32 --tid=264 --src=Corvane --ver=1.0.0.1 --rep=0");
  // Extremes: a 64-bit address, ids written as "%d" writes them, the smallest report mode, no
  // source and no version.
  EXPECT_EQ(Format(UINT64_MAX, 0x80000001u, 7, nullptr, u"", INT32_MIN),
            u"--pep=18446744073709551615 --pid=-2147483647 --tid=7 --src= --ver= --rep=-2147483648");
  // The longest source and version fit the fixed buffer.
  const std::u16string longest(crash::kInfoCapacity - 1, u'v');
  EXPECT_NE(Format(UINT64_MAX, 0x7FFFFFFF, 0x7FFFFFFF, longest.c_str(), longest.c_str(), INT32_MIN), u"<failed>");
}

TEST(UploaderCommand, ALineThatDoesNotFitIsRefusedWhole) {
  const std::u16string line = u"--pep=1 --pid=2 --tid=3 --src=S --ver=V --rep=4";
  EXPECT_EQ(Format(1, 2, 3, u"S", u"V", 4, line.size() + 1), line);
  std::vector<char16_t> out(line.size() + 1, u'#');
  EXPECT_FALSE(crash::FormatUploaderParameters(out.data(), line.size(), 1, 2, 3, u"S", u"V", 4));
  EXPECT_EQ(out[0], u'\0') << "no half line is left behind";
  EXPECT_EQ(out[line.size()], u'#');
  EXPECT_FALSE(crash::FormatUploaderParameters(out.data(), 0, 1, 2, 3, u"S", u"V", 4));
}

TEST(UploaderCommand, CandidatesGoUpTwoFoldersWithAndWithoutUtils) {
  const auto c = crash::UploaderCandidates(u"C:\\Program Files\\Tandrel\\bin");
  EXPECT_EQ(N(c[0]), "C:\\Program Files\\Tandrel\\bin\\Wrenfall.exe");
  EXPECT_EQ(N(c[1]), "C:\\Program Files\\Tandrel\\bin\\Utils\\Wrenfall.exe");
  EXPECT_EQ(N(c[2]), "C:\\Program Files\\Tandrel\\Wrenfall.exe");
  EXPECT_EQ(N(c[3]), "C:\\Program Files\\Tandrel\\Utils\\Wrenfall.exe");
  EXPECT_EQ(N(c[4]), "C:\\Program Files\\Wrenfall.exe");
  // Nothing in or below a drive or share root but the program's own folder: any user may
  // create C:\\Utils.
  for (const char16_t* dir : {u"C:\\app", u"\\\\srv\\share\\app", u"\\\\?\\C:\\app"}) {
    const auto near_root = crash::UploaderCandidates(dir);
    EXPECT_EQ(near_root[0], std::u16string(dir) + u"\\Wrenfall.exe");
    EXPECT_EQ(N(near_root[1]), N(std::u16string(dir) + u"\\Utils\\Wrenfall.exe"));
    for (int i : {2, 3, 4}) EXPECT_EQ(near_root[i], u"") << N(dir) << " " << i;
  }
  const auto root = crash::UploaderCandidates(u"C:");
  EXPECT_EQ(N(root[0]), "C:\\Wrenfall.exe");
  for (int i : {1, 2, 3, 4}) EXPECT_EQ(root[i], u"") << i;
  EXPECT_EQ(crash::UploaderCandidates(u"C:\\a\\b")[4], u"") << "the grandparent is the root";
  for (const char16_t* folder : {u"C:", u"C:\\", u"c:/", u"\\\\srv\\share", u"\\\\srv\\share\\", u"\\\\?\\C:\\",
                                 u"\\\\?\\UNC\\srv\\share"}) {
    EXPECT_TRUE(crash::IsRootFolder(folder)) << N(folder);
  }
  for (const char16_t* folder : {u"C:\\a", u"\\\\srv\\share\\a", u"\\\\?\\C:\\a", u"\\\\?\\UNC\\srv\\share\\a"}) {
    EXPECT_FALSE(crash::IsRootFolder(folder)) << N(folder);
  }
}

TEST(UploaderCommand, TheMachineOfAProgramFileIsReadFromItsHeader) {
  std::vector<uint8_t> file(0x100, 0);
  file[0] = 'M';
  file[1] = 'Z';
  file[0x3C] = 0x80;
  file[0x80] = 'P';
  file[0x81] = 'E';
  file[0x84] = 0x64;
  file[0x85] = 0x86;
  EXPECT_EQ(crash::PeMachine(file.data(), file.size()), crash::kMachineX64);
  file[0x84] = 0x4C;
  file[0x85] = 0x01;
  EXPECT_EQ(crash::PeMachine(file.data(), file.size()), crash::kMachineX86);
  EXPECT_EQ(crash::PeMachine(file.data(), 0x85), 0) << "header cut short";
  EXPECT_EQ(crash::PeMachine(file.data(), 0x3F), 0);
  file[0x3C] = 0xFC;  // the header offset points past the bytes read
  EXPECT_EQ(crash::PeMachine(file.data(), file.size()), 0);
  file[0x3C] = 0x80;
  file[0x81] = 'X';
  EXPECT_EQ(crash::PeMachine(file.data(), file.size()), 0) << "no PE signature";
  file[0] = 'Z';
  EXPECT_EQ(crash::PeMachine(file.data(), file.size()), 0) << "no MZ header";
  EXPECT_EQ(crash::PeMachine(nullptr, 0), 0);
}

TEST(UploaderCommand, TheUploaderReadsBackWhatTheHandlerWrote) {
  const std::u16string line = Format(UINT64_MAX, 0x7FFFFFFF, 264, u"Corvane", u"1.0.0.1", INT32_MIN);
  const crash::UploaderArguments parsed = ParseUploaderArguments(Split(line));
  ASSERT_TRUE(parsed.crash) << parsed.error;
  EXPECT_EQ(parsed.crash->exception_pointers, UINT64_MAX);
  EXPECT_EQ(parsed.crash->process_id, 0x7FFFFFFFu);
  EXPECT_EQ(parsed.crash->thread_id, 264u);
  EXPECT_EQ(parsed.crash->source, u"Corvane");
  EXPECT_EQ(parsed.crash->version, u"1.0.0.1");
  EXPECT_EQ(parsed.crash->report_mode, INT32_MIN);
  EXPECT_FALSE(parsed.send_pending);
  // Order does not matter; empty source and version are allowed (no version resource).
  const auto reordered = ParseUploaderArguments({u"--rep=2", u"--ver=", u"--src=", u"--tid=1", u"--pid=2", u"--pep=3"});
  ASSERT_TRUE(reordered.crash) << reordered.error;
  EXPECT_EQ(reordered.crash->report_mode, 2);
  EXPECT_EQ(reordered.crash->version, u"");

  const auto send = ParseUploaderArguments({u"--send"});
  EXPECT_TRUE(send.send_pending);
  EXPECT_FALSE(send.crash);
  EXPECT_EQ(send.error, "");
}

TEST(UploaderCommand, MissingRepeatedUnknownAndMalformedParametersAreNamed) {
  const std::vector<std::u16string> good = Split(u"--pep=1 --pid=2 --tid=3 --src=S --ver=V --rep=0");
  auto with = [&](size_t index, const std::u16string& replacement) {
    std::vector<std::u16string> args = good;
    args[index] = replacement;
    return ParseUploaderArguments(args).error;
  };
  EXPECT_EQ(ParseUploaderArguments({}).error, "missing parameter --pep");
  EXPECT_EQ(ParseUploaderArguments(std::vector<std::u16string>(good.begin(), good.end() - 1)).error,
            "missing parameter --rep");
  EXPECT_EQ(with(1, u"--tid=3"), "parameter --tid given twice");
  EXPECT_EQ(with(5, u"--report=0"), "unknown parameter \"--report=0\"");
  EXPECT_EQ(with(5, u"--rep"), "unknown parameter \"--rep\"");
  EXPECT_EQ(with(0, u"--send"), "unknown parameter \"--send\"");
  EXPECT_EQ(with(0, u"--pep=0"), "malformed parameter --pep=0");
  EXPECT_EQ(with(0, u"--pep=18446744073709551616"), "malformed parameter --pep=18446744073709551616");
  EXPECT_EQ(with(0, u"--pep=0x1000"), "malformed parameter --pep=0x1000");
  EXPECT_EQ(with(0, u"--pep="), "malformed parameter --pep=");
  EXPECT_EQ(with(1, u"--pid=-1"), "malformed parameter --pid=-1");
  EXPECT_EQ(with(1, u"--pid=2147483648"), "malformed parameter --pid=2147483648");
  EXPECT_EQ(with(2, u"--tid=12a"), "malformed parameter --tid=12a");
  EXPECT_EQ(with(2, u"--tid=+3"), "malformed parameter --tid=+3");
  EXPECT_EQ(with(5, u"--rep=2147483648"), "malformed parameter --rep=2147483648");
  EXPECT_EQ(with(5, u"--rep=-2147483649"), "malformed parameter --rep=-2147483649");
  EXPECT_EQ(with(5, u"--rep=-"), "malformed parameter --rep=-");
  EXPECT_EQ(with(3, u"--src=" + std::u16string(crash::kInfoCapacity, u's')).substr(0, 27), "malformed parameter --src=s");
  EXPECT_EQ(ParseUploaderArguments({u"--send", u"--pid=2"}).error, "unknown parameter \"--send\"");
  // Texts that cannot be printed are not copied into the message as they are.
  EXPECT_EQ(with(5, u"--x\x01\u00e9=1"), "unknown parameter \"--x?\?=1\"");
}

CrashMetadata SampleMetadata() {
  CrashMetadata m;
  m.source = u"Corvane";
  m.version = u"1.0.0.1";
  m.report_mode = -3;
  m.process_id = 4294967295u;
  m.thread_id = 264;
  m.time = {2026, 12, 8, 22, 18, 5};
  m.has_exception = true;
  m.exception_code = 0xC0000005;
  m.exception_address = 0xFFFFF80012345678ull;
  m.program = u"C:\\Program Files\\\u00c9t\u00e9\\Corvane.exe";
  return m;
}

TEST(DumpStore, MetadataSurvivesTheRoundTripAndStrangersAreRefused) {
  const CrashMetadata m = SampleMetadata();
  const std::string json = crash::MetadataJson(m);
  EXPECT_NE(json.find("\"exception_code\" : \"0xC0000005\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"exception_address\" : \"0xFFFFF80012345678\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"time\" : \"2026-12-08T22:18:05Z\""), std::string::npos) << json;
  const auto back = crash::ParseMetadataJson(json);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->source, m.source);
  EXPECT_EQ(back->version, m.version);
  EXPECT_EQ(back->report_mode, -3);
  EXPECT_EQ(back->process_id, 4294967295u);
  EXPECT_EQ(back->thread_id, 264u);
  EXPECT_EQ(crash::TimeText(back->time), "2026-12-08T22:18:05Z");
  EXPECT_TRUE(back->has_exception);
  EXPECT_EQ(back->exception_code, 0xC0000005u);
  EXPECT_EQ(back->exception_address, 0xFFFFF80012345678ull);
  EXPECT_EQ(back->program, m.program);

  CrashMetadata plain = m;
  plain.has_exception = false;
  plain.program.clear();
  const std::string plain_json = crash::MetadataJson(plain);
  EXPECT_EQ(plain_json.find("exception"), std::string::npos);
  const auto plain_back = crash::ParseMetadataJson(plain_json);
  ASSERT_TRUE(plain_back);
  EXPECT_FALSE(plain_back->has_exception);

  for (const char* bad : {"", "[]", "{}", "not json",
                          R"({"source":"a","version":"b","time":"2026-12-08T22:18:05Z","report_mode":0,"process_id":-1,"thread_id":1})",
                          R"({"source":"a","version":"b","time":"yesterday","report_mode":0,"process_id":1,"thread_id":1})",
                          R"({"source":1,"version":"b","time":"2026-12-08T22:18:05Z","report_mode":0,"process_id":1,"thread_id":1})",
                          R"({"source":"a","version":"b","time":"2026-12-08T22:18:05Z","report_mode":0,"process_id":1,"thread_id":1,"exception_code":"0xC0000005"})",
                          R"({"source":"a","version":"b","time":"2026-12-08T22:18:05Z","report_mode":0,"process_id":1,"thread_id":1,"exception_code":"0x1FFFFFFFF","exception_address":"0x1"})",
                          // Numbers beyond 64 bits, which the JSON library refuses to convert.
                          R"({"source":"a","version":"b","time":"2026-12-08T22:18:05Z","report_mode":0,"process_id":18446744073709551615,"thread_id":1})",
                          R"({"source":"a","version":"b","time":"2026-12-08T22:18:05Z","report_mode":1e19,"process_id":1,"thread_id":1})"}) {
    EXPECT_FALSE(crash::ParseMetadataJson(bad)) << bad;
  }
  // Deeper than the JSON reader goes, and larger than any metadata of ours.
  EXPECT_FALSE(crash::ParseMetadataJson(std::string(5000, '[') + std::string(5000, ']')));
  EXPECT_FALSE(crash::ParseMetadataJson(json + std::string(crash::kMaxMetadataBytes, ' ')));
}

TEST(DumpStore, NamesStayInsideTheFolder) {
  CrashMetadata m = SampleMetadata();
  m.process_id = 32;
  EXPECT_EQ(N(crash::DumpBaseName(m)), "Corvane-20261208-221805-32");
  m.source = u"..\\..\\Windows\\evil:stream*?";
  EXPECT_EQ(N(crash::DumpBaseName(m)), "....Windowsevilstream-20261208-221805-32");
  m.source = u"..";
  EXPECT_EQ(N(crash::DumpBaseName(m)), "crash-20261208-221805-32");
  m.source = u"";
  EXPECT_EQ(N(crash::DumpBaseName(m)), "crash-20261208-221805-32");
  m.source = std::u16string(300, u'a');
  EXPECT_EQ(crash::DumpBaseName(m), std::u16string(64, u'a') + u"-20261208-221805-32");
}

TEST(DumpStore, OnlyNamesOfOursAreSent) {
  CrashMetadata m = SampleMetadata();
  EXPECT_TRUE(crash::IsDumpBaseName(crash::DumpBaseName(m)));
  EXPECT_TRUE(crash::IsDumpBaseName(u"old-1"));
  for (const char16_t* foreign : {u"", u"..", u"a b", u"a\"b", u"\u010d\u010a", u"x\r\ny", u"a/b"}) {
    EXPECT_FALSE(crash::IsDumpBaseName(foreign)) << N(foreign);
  }
  EXPECT_FALSE(crash::IsDumpBaseName(std::u16string(129, u'a')));
}

TEST(DumpStore, TheOldestGoBeyondTheCountOrTheSize) {
  using crash::StoredDump;
  const std::vector<StoredDump> dumps = {{u"d", 10, 4}, {u"a", 10, 1}, {u"c", 10, 3}, {u"b", 10, 2}};
  EXPECT_EQ(crash::DumpsToRemove(dumps, {4, 1000}), std::vector<std::u16string>{});
  EXPECT_EQ(crash::DumpsToRemove(dumps, {2, 1000}), (std::vector<std::u16string>{u"b", u"a"}));
  EXPECT_EQ(crash::DumpsToRemove(dumps, {10, 30}), (std::vector<std::u16string>{u"a"}));
  EXPECT_EQ(crash::DumpsToRemove(dumps, {10, 29}), (std::vector<std::u16string>{u"b", u"a"}));
  // A large one in the middle ends the kept run: nothing older than it stays either.
  const std::vector<StoredDump> mixed = {{u"new", 10, 9}, {u"big", 500, 8}, {u"old", 1, 7}};
  EXPECT_EQ(crash::DumpsToRemove(mixed, {10, 100}), (std::vector<std::u16string>{u"big", u"old"}));
  // The newest stays even when it alone is over the size.
  EXPECT_EQ(crash::DumpsToRemove({{u"huge", 5000, 2}, {u"small", 1, 1}}, {10, 100}),
            (std::vector<std::u16string>{u"small"}));
  // The crash just written stays even if another file claims a later time.
  EXPECT_EQ(crash::DumpsToRemove({{u"future", 1, 99}, {u"just-written", 1, 5}}, {1, 100}, u"just-written"),
            std::vector<std::u16string>{});
  // Same time: the name decides, so the choice does not depend on the listing's order.
  EXPECT_EQ(crash::DumpsToRemove({{u"x-1", 1, 5}, {u"x-2", 1, 5}}, {1, 100}), (std::vector<std::u16string>{u"x-1"}));
}

TEST(FormBody, FieldsThenTheFileWithABoundaryFoundNowhereElse) {
  const std::vector<std::pair<std::string, std::string>> fields = {{"source", "Corvane"}, {"version", "1.0.0.1"}};
  const std::string file("MDMP\0\r\n--x", 10);
  const crash::FormBody body = crash::BuildFormBody(fields, "upload_file_minidump", "a.dmp", file, 7);
  const std::string boundary = body.content_type.substr(body.content_type.find('=') + 1);
  ASSERT_EQ(body.content_type, "multipart/form-data; boundary=" + boundary);
  EXPECT_EQ(boundary.size(), 40u);
  EXPECT_EQ(body.head, "--" + boundary + "\r\nContent-Disposition: form-data; name=\"source\"\r\n\r\nCorvane\r\n--" +
                           boundary + "\r\nContent-Disposition: form-data; name=\"version\"\r\n\r\n1.0.0.1\r\n--" +
                           boundary +
                           "\r\nContent-Disposition: form-data; name=\"upload_file_minidump\"; filename=\"a.dmp\"\r\n"
                           "Content-Type: application/octet-stream\r\n\r\n");
  EXPECT_EQ(body.tail, "\r\n--" + boundary + "--\r\n");

  // A file (or a field) that happens to hold the boundary gets another one.
  const std::string unlucky = "xx" + boundary + "yy";
  const crash::FormBody other = crash::BuildFormBody(fields, "f", "a.dmp", unlucky, 7);
  EXPECT_NE(other.content_type, body.content_type);
  EXPECT_EQ(unlucky.find(other.content_type.substr(other.content_type.find('=') + 1)), std::string::npos);
  const crash::FormBody from_field = crash::BuildFormBody({{"program", unlucky}}, "f", "a.dmp", "", 7);
  EXPECT_NE(from_field.content_type, body.content_type);
}

// A minidump as a writer lays it out: header, directory, then the streams.
class DumpBuilder {
 public:
  DumpBuilder& Stream(uint32_t type, const std::string& data) {
    streams_.push_back({type, data});
    return *this;
  }
  std::string Build(uint32_t signature = crash::kMinidumpSignature) const {
    std::string out;
    Put32(&out, signature);
    Put32(&out, 0xA793);
    Put32(&out, static_cast<uint32_t>(streams_.size()));
    Put32(&out, 32);  // the directory follows the header
    Put32(&out, 0);
    Put32(&out, 1796768285);
    Put32(&out, 0);
    Put32(&out, 0);
    uint32_t rva = 32 + static_cast<uint32_t>(streams_.size()) * 12;
    for (const auto& s : streams_) {
      Put32(&out, s.first);
      Put32(&out, static_cast<uint32_t>(s.second.size()));
      Put32(&out, rva);
      rva += static_cast<uint32_t>(s.second.size());
    }
    for (const auto& s : streams_) out += s.second;
    return out;
  }
  static void Put32(std::string* out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out->push_back(static_cast<char>(v >> (8 * i)));
  }
  static void Put64(std::string* out, uint64_t v) {
    Put32(out, static_cast<uint32_t>(v));
    Put32(out, static_cast<uint32_t>(v >> 32));
  }
  static std::string Exception(uint32_t thread, uint32_t code, uint64_t address) {
    std::string s;
    Put32(&s, thread);
    Put32(&s, 0);
    Put32(&s, code);
    Put32(&s, 1);
    Put64(&s, 0);
    Put64(&s, address);
    s.resize(168, '\0');
    return s;
  }
  static std::string Threads(const std::vector<uint32_t>& ids) {
    std::string s;
    Put32(&s, static_cast<uint32_t>(ids.size()));
    for (uint32_t id : ids) {
      std::string entry;
      Put32(&entry, id);
      entry.resize(48, '\0');
      s += entry;
    }
    return s;
  }

 private:
  std::vector<std::pair<uint32_t, std::string>> streams_;
};

TEST(MinidumpReader, FindsTheThreadsModulesAndTheException) {
  std::string modules;
  DumpBuilder::Put32(&modules, 2);
  modules.resize(4 + 2 * 108, '\0');
  const std::string dump = DumpBuilder()
                               .Stream(7, std::string(56, 's'))  // system info: skipped
                               .Stream(crash::kThreadListStream, DumpBuilder::Threads({36, 264}))
                               .Stream(crash::kModuleListStream, modules)
                               .Stream(crash::kExceptionStream, DumpBuilder::Exception(264, 0xE0001234, 0x7B012866))
                               .Build();
  std::string error;
  const auto summary = crash::ReadMinidump(dump, &error);
  ASSERT_TRUE(summary) << error;
  EXPECT_EQ(summary->stream_count, 4u);
  EXPECT_EQ(summary->time_stamp, 1796768285u);
  EXPECT_EQ(summary->thread_ids, (std::vector<uint32_t>{36, 264}));
  EXPECT_EQ(summary->module_count, 2u);
  ASSERT_TRUE(summary->exception);
  EXPECT_EQ(summary->exception->thread_id, 264u);
  EXPECT_EQ(summary->exception->code, 0xE0001234u);
  EXPECT_EQ(summary->exception->flags, 1u);
  EXPECT_EQ(summary->exception->address, 0x7B012866u);

  const auto without = crash::ReadMinidump(DumpBuilder().Stream(crash::kThreadListStream, DumpBuilder::Threads({1})).Build(), &error);
  ASSERT_TRUE(without);
  EXPECT_FALSE(without->exception);
}

TEST(MinidumpReader, DamagedFilesAreRefusedWithAReason) {
  const std::string good = DumpBuilder()
                               .Stream(crash::kThreadListStream, DumpBuilder::Threads({1, 2}))
                               .Stream(crash::kExceptionStream, DumpBuilder::Exception(1, 5, 6))
                               .Build();
  auto error_of = [](const std::string& bytes) {
    std::string error;
    return crash::ReadMinidump(bytes, &error) ? std::string("read") : error;
  };
  EXPECT_EQ(error_of(""), "shorter than a minidump header");
  EXPECT_EQ(error_of(good.substr(0, 31)), "shorter than a minidump header");
  EXPECT_EQ(error_of(DumpBuilder().Build(0x504D444E)), "no minidump signature");
  std::string huge_count = good;
  huge_count[8] = '\xFF';
  huge_count[9] = '\xFF';
  huge_count[10] = '\xFF';
  huge_count[11] = '\xFF';
  EXPECT_EQ(error_of(huge_count), "stream directory too long");
  std::string far_directory = good;
  far_directory[12] = '\xF0';
  far_directory[15] = '\x7F';
  EXPECT_EQ(error_of(far_directory), "stream directory outside the file");
  EXPECT_EQ(error_of(good.substr(0, good.size() - 1)), "stream outside the file");
  std::string short_exception = good;
  short_exception[32 + 12 + 4] = 100;  // the exception stream's size
  EXPECT_EQ(error_of(short_exception), "exception stream too short");
  std::string long_list = good;
  long_list[32 + 24] = 50;  // fifty threads in a stream of two
  EXPECT_EQ(error_of(long_list), "list longer than its stream");
  // An rva near 2^32 with a size that wraps round does not pass the bounds check.
  std::string wrapping = good;
  for (int i = 0; i < 4; ++i) wrapping[32 + 12 + 8 + i] = '\xFF';
  EXPECT_EQ(error_of(wrapping), "stream outside the file");
}

}  // namespace
