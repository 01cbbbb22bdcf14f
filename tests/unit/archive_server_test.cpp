// A window's archive serving over files held in memory: the rewrite, what requests are served,
// each archive read once, and the refusals.
#include <gtest/gtest.h>

#include <map>

#include "base/text_convert.h"
#include "webview2common/archive/archive_server.h"
#include "webview2common/archive/zip_writer.h"
#include "webview2common/md5.h"
#include "webview2common/text_cipher.h"

namespace {

class MemoryFiles : public IArchiveFiles {
 public:
  bool ReadWholeFile(const std::u16string& path, std::string* bytes) override {
    ++reads[path];
    auto it = files.find(path);
    if (it == files.end()) return false;
    *bytes = it->second;
    return true;
  }
  std::map<std::u16string, std::string> files;
  std::map<std::u16string, int> reads;
};

std::string Archive(const std::string& key) {
  ZipWriter writer;
  writer.Add("index.html", "<html>app</html>");
  writer.Add("css/site.css", "body{}");
  std::string zip;
  EXPECT_TRUE(writer.Finish(&zip));
  return EncipherBlocks(zip, key);
}

const std::u16string kPath = u"D:\\apps\\pack.dat";
const std::u16string kUrl = u"zip://k1|D:\\apps\\pack.dat|/index.html";

std::u16string FolderOf(const std::u16string& url) {
  return u"zip_" + text::AsciiToUtf16(Md5::HexDigest(text::Utf16ToUtf8(url)));
}

TEST(ArchiveServer, ServesTheEntriesInsideTheArchiveFolderReadingTheFileOnce) {
  MemoryFiles files;
  files.files[kPath] = Archive("k1");
  CArchiveServer server(&files);
  EXPECT_EQ(server.Rewrite(kUrl), u"D:\\apps\\" + FolderOf(kUrl) + u"\\pack.dat|index.html");
  const std::u16string base = u"file:///D:/apps/" + FolderOf(kUrl) + u"/";

  const auto index = server.Content(base + u"pack.dat|index.html");
  ASSERT_NE(index, nullptr);
  EXPECT_EQ(*index, "<html>app</html>");
  EXPECT_EQ(server.LastEntryExtension(), u".html");
  const auto css = server.Content(base + u"css/site.css");
  ASSERT_NE(css, nullptr);
  EXPECT_EQ(*css, "body{}");
  EXPECT_EQ(server.LastEntryExtension(), u".css");
  EXPECT_EQ(server.Content(base + u"missing.js"), nullptr);
  EXPECT_EQ(server.Content(u"https://cdn.example/lib.js"), nullptr);
  EXPECT_EQ(files.reads[kPath], 1) << "the archive is read, deciphered and unpacked once";
}

TEST(ArchiveServer, AnOrdinaryAddressLeavesNoArchive) {
  MemoryFiles files;
  files.files[kPath] = Archive("k1");
  CArchiveServer server(&files);
  ASSERT_TRUE(server.Rewrite(kUrl).has_value());
  EXPECT_FALSE(server.Rewrite(u"https://example.com/").has_value());
  EXPECT_EQ(server.Content(u"file:///D:/apps/" + FolderOf(kUrl) + u"/css/site.css"), nullptr)
      << "requests are served only for the current archive";
  EXPECT_EQ(files.reads[kPath], 0);
}

TEST(ArchiveServer, RefusalsServeNothingAndAreNotRemembered) {
  MemoryFiles files;
  files.files[kPath] = Archive("k1");
  CArchiveServer server(&files);
  EXPECT_EQ(server.Entry(u"D:\\none.dat", u"k1", u"index.html"), nullptr);
  EXPECT_EQ(server.Entry(kPath, u"wrong", u"index.html"), nullptr);
  EXPECT_EQ(server.Entry(kPath, u"rsa_k1", u"index.html"), nullptr);
  EXPECT_EQ(files.reads[kPath], 2);
  // A failed load is not cached: once the file is whole, the next request loads it.
  files.files[u"D:\\late.dat"] = "not an archive";
  EXPECT_EQ(server.Entry(u"D:\\late.dat", u"k1", u"index.html"), nullptr);
  files.files[u"D:\\late.dat"] = Archive("k1");
  ASSERT_NE(server.Entry(u"D:\\late.dat", u"k1", u"index.html"), nullptr);
  EXPECT_EQ(files.reads[u"D:\\late.dat"], 2);
  // The same file under two keys is two archives.
  ASSERT_NE(server.Entry(kPath, u"k1", u"index.html"), nullptr);
  EXPECT_EQ(server.Entry(kPath, u"k2", u"index.html"), nullptr);
}

TEST(ArchiveServer, WithoutFilesNothingIsServed) {
  CArchiveServer server(nullptr);
  ASSERT_TRUE(server.Rewrite(kUrl).has_value());
  EXPECT_EQ(server.Content(u"file:///D:/apps/" + FolderOf(kUrl) + u"/pack.dat|index.html"), nullptr);
}

}  // namespace
