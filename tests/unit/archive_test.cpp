#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <regex>

#ifdef __linux__
#include <sys/resource.h>
#endif

#include "base/text_convert.h"
#include "webview2common/archive/archive_address.h"
#include "webview2common/archive/archive_file.h"
#include "webview2common/archive/percent_decode.h"
#include "webview2common/archive/zip_reader.h"
#include "webview2common/archive/zip_writer.h"
#include "webview2common/md5.h"
#include "webview2common/text_cipher.h"

namespace {

std::string MakeZip(const std::vector<std::pair<std::string, std::string>>& files) {
  ZipWriter writer;
  for (const auto& [name, bytes] : files) writer.Add(name, bytes);
  std::string zip;
  EXPECT_TRUE(writer.Finish(&zip));
  return zip;
}

ArchiveEntries Read(const std::string& zip, ZipReadReport* report = nullptr,
                    const ZipReadLimits& limits = ZipReadLimits()) {
  ArchiveEntries entries;
  ZipReadReport r = ReadZip(reinterpret_cast<const uint8_t*>(zip.data()), zip.size(), entries, limits);
  if (report != nullptr) *report = r;
  return entries;
}

const std::string kCompressible(5000, 'z');

TEST(PercentDecode, Rules) {
  EXPECT_EQ(PercentDecode("a%20b+c%7C"), "a b+c|");
  EXPECT_EQ(PercentDecode("%E4%B8%AD"), "\xE4\xB8\xAD");
  for (const char* bad : {"%", "%4", "%G0", "a%2", "%00"}) EXPECT_FALSE(PercentDecode(bad).has_value()) << bad;
  EXPECT_TRUE(PercentDecode(std::string(2084, 'a')).has_value());
  EXPECT_FALSE(PercentDecode(std::string(2085, 'a')).has_value());
}

TEST(ArchiveAddress, RewritesCompoundUrl) {
  const std::u16string url = u"zip://k1|D:\\apps\\pack.dat|/index.html";
  const auto rewrite = RewriteArchiveUrl(url);
  ASSERT_TRUE(rewrite.has_value());
  const std::u16string folder =
      u"zip_" + text::AsciiToUtf16(Md5::HexDigest("zip://k1|D:\\apps\\pack.dat|/index.html"));
  EXPECT_EQ(rewrite->address.folder_name, folder);
  EXPECT_EQ(rewrite->address.scheme, u"zip");
  EXPECT_EQ(rewrite->address.key, u"k1");
  EXPECT_EQ(rewrite->address.archive_path, u"D:\\apps\\pack.dat");
  EXPECT_EQ(rewrite->address.entry_path, u"index.html");
  EXPECT_EQ(rewrite->current_url, u"D:\\apps\\" + folder + u"\\pack.dat|index.html");
  // Escapes are decoded first, and the digest is of the decoded text.
  const auto escaped = RewriteArchiveUrl(u"zip://k1%7CD:\\apps\\pack.dat%7C/index.html");
  ASSERT_TRUE(escaped.has_value());
  EXPECT_EQ(escaped->address.folder_name, folder);
  EXPECT_FALSE(RewriteArchiveUrl(u"https://example.com/").has_value());
  EXPECT_FALSE(RewriteArchiveUrl(u"zip://k|bad%escape|/x").has_value());
  EXPECT_EQ(RewriteArchiveUrl(u"zip://k|pack.dat|/a").value().current_url, u"pack.dat|a");
}

TEST(ArchiveAddress, RequestsInsideTheVirtualFolder) {
  const std::u16string folder = u"zip_0123456789abcdef0123456789abcdef";
  EXPECT_EQ(EntryPathOfRequest(u"file:///D:/apps/" + folder + u"/pack.dat|index.html", folder), u"index.html");
  EXPECT_EQ(EntryPathOfRequest(u"file:///D:/apps/" + folder + u"/css/site.css", folder), u"css/site.css");
  EXPECT_EQ(EntryPathOfRequest(u"file:///D:/apps/" + folder + u"/a%20b.png", folder), u"a b.png");
  EXPECT_FALSE(EntryPathOfRequest(u"https://cdn.example/lib.js", folder).has_value());
  EXPECT_FALSE(EntryPathOfRequest(u"file:///D:/x/" + folder + u"/y", u"").has_value());
}

// The addresses were once split by regular expressions; the plain searches that replaced them
// must split every address the same way, including those with several separators, separators
// that overlap and line breaks (which the expressions' "." did not match).
TEST(ArchiveAddress, SplitsAsTheRegularExpressionsDid) {
  const std::regex compound(R"(^(.*?)://(.*?)\|(.*?)\|/(.*?)$)");
  const std::regex file_address(R"(^(.*?):///(.*?)\|(.*?)$)");
  const std::string folder = "zf";
  std::mt19937 random(7);
  const std::string alphabet = ":/|ab\n\rzf";
  for (int round = 0; round < 40000; ++round) {
    std::string text;
    const size_t length = random() % 16;
    for (size_t i = 0; i < length; ++i) text += alphabet[random() % alphabet.size()];
    const std::u16string url = text::Utf8ToUtf16(text);
    std::smatch m;
    const auto rewrite = RewriteArchiveUrl(url);
    if (!text.empty() && std::regex_match(text, m, compound)) {
      ASSERT_TRUE(rewrite) << text;
      EXPECT_EQ(text::Utf16ToUtf8(rewrite->address.scheme), m[1].str()) << text;
      EXPECT_EQ(text::Utf16ToUtf8(rewrite->address.key), m[2].str()) << text;
      EXPECT_EQ(text::Utf16ToUtf8(rewrite->address.archive_path), m[3].str()) << text;
      EXPECT_EQ(text::Utf16ToUtf8(rewrite->address.entry_path), m[4].str()) << text;
    } else {
      EXPECT_FALSE(rewrite) << text;
    }
    std::optional<std::string> expected;
    if (text.find(folder) != std::string::npos) {
      if (std::regex_match(text, m, file_address)) {
        expected = m[3].str();
      } else {
        const size_t start = text.find(folder) + folder.size() + 1;
        expected = start > text.size() ? std::string() : text.substr(start);
      }
    }
    const auto entry = EntryPathOfRequest(url, text::Utf8ToUtf16(folder));
    ASSERT_EQ(entry.has_value(), expected.has_value()) << text;
    if (entry) {
      EXPECT_EQ(text::Utf16ToUtf8(*entry), *expected) << text;
    }
  }
}

TEST(ZipReader, ReadsStoredAndDeflatedEntriesAndSkipsFolders) {
  const std::string zip = MakeZip({{"index.html", "<html></html>"}, {"css/site.css", kCompressible},
                                   {"dir/", ""}, {"\xE4\xB8\xAD.txt", "x"}});
  ZipReadReport report;
  const ArchiveEntries entries = Read(zip, &report);
  EXPECT_TRUE(report.found_directory);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(*entries.at(u"index.html"), "<html></html>");
  EXPECT_EQ(*entries.at(u"css/site.css"), kCompressible);
  EXPECT_EQ(*entries.at(u"\u4e2d.txt"), "x");
}

TEST(ZipReader, HostileArchivesReadNothingOutOfBounds) {
  const std::string zip = MakeZip({{"a.txt", kCompressible}, {"b.txt", "plain"}});
  // Every truncation and every single corrupted byte: no crash, no read outside the buffer.
  for (size_t cut = 0; cut < zip.size(); cut += 7) Read(zip.substr(0, cut));
  for (size_t at = 0; at < zip.size(); ++at) {
    std::string bad = zip;
    bad[at] = static_cast<char>(bad[at] ^ 0x5A);
    const ArchiveEntries entries = Read(bad);
    for (const auto& [name, bytes] : entries) {
      // A damaged name may still be read, but never damaged content: the CRC guards it.
      EXPECT_TRUE(*bytes == kCompressible || *bytes == "plain") << "byte " << at;
    }
  }
}

// Offsets inside the first local header and its central record.
size_t CentralOffset(const std::string& zip) { return zip.find("PK\x01\x02"); }

TEST(ZipReader, BadCrcAndLyingSizesLeaveTheEntryOut) {
  const std::string zip = MakeZip({{"a.txt", kCompressible}});
  std::string bad_crc = zip;
  bad_crc[CentralOffset(zip) + 16] ^= 1;
  ZipReadReport report;
  EXPECT_TRUE(Read(bad_crc, &report).empty());
  EXPECT_NE(report.refused.at(0).find("CRC"), std::string::npos);

  std::string lying = zip;
  const size_t size_field = CentralOffset(zip) + 24;
  lying[size_field] = static_cast<char>(lying[size_field] + 1);  // one byte more than inflates
  EXPECT_TRUE(Read(lying, &report).empty());

  std::string bomb = zip;  // a declared size of 4 GiB - 1 is refused before any allocation
  std::memset(&bomb[size_field], 0xFF, 4);
  EXPECT_TRUE(Read(bomb, &report).empty());
  EXPECT_NE(report.refused.at(0).find("beyond the limit"), std::string::npos);
}

TEST(ZipReader, RealBombIsRefusedByTotalLimit) {
  const std::string big(8 << 20, '\0');  // 8 MiB of zeros deflate to a few KiB
  const std::string zip = MakeZip({{"1", big}, {"2", big}, {"3", big}});
  EXPECT_LT(zip.size(), 100000u);
  ZipReadLimits limits;
  limits.max_total_size = 20 << 20;
  ZipReadReport report;
  const ArchiveEntries entries = Read(zip, &report, limits);
  EXPECT_EQ(entries.size(), 2u);
  EXPECT_EQ(report.refused.size(), 1u);
}

// The peak resident size of this process so far, in MiB (0 where it cannot be had).
uint64_t PeakMegabytes() {
#ifdef __linux__
  rusage usage{};
  return getrusage(RUSAGE_SELF, &usage) == 0 ? static_cast<uint64_t>(usage.ru_maxrss) / 1024 : 0;
#else
  return 0;
#endif
}

// Headers may declare any size: what an archive costs follows from its real bytes. A few KB that
// declare hundreds of MiB an entry are refused before anything is inflated; a MiB that declares
// 250 MiB entries inflates only what is there, and the process's memory stays where it was.
TEST(ZipReader, DeclaredSizesCostNothingTheDataDoesNotBackUp) {
  std::string noise(512 << 10, '\0');  // sixteen letters at random: deflates to about half
  uint32_t state = 11;
  for (char& c : noise) c = static_cast<char>('a' + ((state = state * 1103515245 + 12345) >> 28));
  struct Case {
    int entries;
    size_t entry_bytes;
    const char* why;
  };
  const Case cases[] = {{40, 200, "beyond the limit"},  // about 9 KB: 1032 times that is far below 200 MiB
                        {4, noise.size(), "does not inflate to the declared size"}};
  for (const Case& c : cases) {
    std::vector<std::pair<std::string, std::string>> files;
    for (int i = 0; i < c.entries; ++i) files.push_back({std::to_string(i) + ".js", noise.substr(i, c.entry_bytes)});
    std::string zip = MakeZip(files);
    for (size_t at = CentralOffset(zip), i = 0; at != std::string::npos; at = zip.find("PK\x01\x02", at + 1), ++i) {
      const uint32_t declared = (200u << 20) + static_cast<uint32_t>(i) * (1u << 20);
      for (int b = 0; b < 4; ++b) zip[at + 24 + b] = static_cast<char>(declared >> (8 * b));
    }
    const uint64_t peak_before = PeakMegabytes();
    ZipReadReport report;
    EXPECT_TRUE(Read(zip, &report).empty());
    ASSERT_EQ(report.refused.size(), static_cast<size_t>(c.entries));
    for (const std::string& refused : report.refused) EXPECT_NE(refused.find(c.why), std::string::npos) << refused;
    EXPECT_LT(PeakMegabytes(), peak_before + 64) << zip.size() << " bytes of archive";
  }
}

// Large archives are inflated by several threads; what is read and what is refused, and in which
// order, must not depend on it, including the total limit when an earlier entry fails.
TEST(ZipReader, ThreadsReadWhatOneThreadReads) {
  std::string noise(600 * 1024, '\0');
  uint32_t state = 7;
  for (char& c : noise) c = static_cast<char>((state = state * 1103515245 + 12345) >> 24);
  std::vector<std::pair<std::string, std::string>> files = {{"c.txt", kCompressible}, {"a.bin", noise}};
  for (int i = 0; i < 12; ++i) files.push_back({"more/" + std::to_string(i) + ".bin", noise.substr(i * 1000, 200000)});
  files.push_back({"b.bin", noise});
  std::string zip = MakeZip(files);
  // Damage a.bin's data, so that its 600 KiB no longer count once it has failed.
  const size_t a = zip.find("a.bin");
  zip[a + 5 + 1000] ^= 0x55;
  ZipReadLimits limits;
  limits.max_total_size = 5000 + 600 * 1024 + 12 * 200000 + 600 * 1024 - 1;  // b fits only if a fails
  limits.max_threads = 1;
  ZipReadReport serial_report;
  const ArchiveEntries serial = Read(zip, &serial_report, limits);
  limits.max_threads = 4;
  ZipReadReport threaded_report;
  const ArchiveEntries threaded = Read(zip, &threaded_report, limits);
  EXPECT_EQ(serial.count(u"a.bin"), 0u);
  EXPECT_EQ(serial.count(u"b.bin"), 1u) << "the failed entry's size does not count";
  EXPECT_EQ(serial.size(), 14u);
  ASSERT_EQ(threaded.size(), serial.size());
  for (const auto& [name, bytes] : serial) {
    ASSERT_EQ(threaded.count(name), 1u);
    EXPECT_TRUE(*threaded.at(name) == *bytes);
  }
  EXPECT_EQ(threaded_report.refused, serial_report.refused);
  EXPECT_EQ(threaded_report.entries, serial_report.entries);
  ASSERT_EQ(serial_report.refused.size(), 1u);
  EXPECT_EQ(serial_report.refused[0].rfind("a.bin: ", 0), 0u) << serial_report.refused[0];

  // Over the limit without a failure: the last entry is refused whichever way it is read.
  const std::string intact = MakeZip(files);
  limits.max_threads = 4;
  const ArchiveEntries limited = Read(intact, &threaded_report, limits);
  EXPECT_EQ(limited.count(u"b.bin"), 0u);
  ASSERT_EQ(threaded_report.refused.size(), 1u);
  EXPECT_EQ(threaded_report.refused[0], "b.bin: declared size 614400 beyond the limit");
}

TEST(ArchiveFile, RoundTripAndRefusals) {
  const std::string zip = MakeZip({{"index.html", "<p>hi</p>"}});
  const std::string text = EncipherBlocks(zip, "secret");
  ArchiveLoadResult loaded = LoadArchiveText(text, "secret");
  ASSERT_TRUE(loaded.loaded);
  EXPECT_EQ(*loaded.entries.at(u"index.html"), "<p>hi</p>");
  EXPECT_FALSE(LoadArchiveText(text, "wrong").loaded);
  EXPECT_FALSE(LoadArchiveText(text.substr(0, text.size() - 4), "secret").loaded);
  EXPECT_FALSE(LoadArchiveText(text + "=", "secret").loaded);
  EXPECT_FALSE(LoadArchiveText("", "secret").loaded);
}

}  // namespace
