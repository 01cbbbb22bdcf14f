// A window's archive serving over files held in memory: the rewrite, what requests are served,
// each archive read once, and the refusals.
#include <gtest/gtest.h>

#include <map>

#include "base/text_convert.h"
#include "webview2common/archive/archive_server.h"
#include "webview2common/archive/web_types.h"
#include "webview2common/archive/zip_writer.h"
#include "webview2common/md5.h"
#include "webview2common/text_cipher.h"

namespace {

// Files held in memory; each Put is a new version of the file, with a new stamp.
class MemoryFiles : public IArchiveFiles {
 public:
  void Put(const std::u16string& path, std::string bytes) {
    files[path] = std::move(bytes);
    stamps[path] = FileStamp{files[path].size(), ++version_};
  }
  bool ReadWholeFile(const std::u16string& path, std::string* bytes, FileStamp* stamp) override {
    ++reads[path];
    auto it = files.find(path);
    if (it == files.end()) return false;
    *bytes = it->second;
    *stamp = stamps[path];
    return true;
  }
  std::optional<FileStamp> Stamp(const std::u16string& path) override {
    auto it = stamps.find(path);
    return it != stamps.end() ? std::optional<FileStamp>(it->second) : std::nullopt;
  }
  std::map<std::u16string, std::string> files;
  std::map<std::u16string, FileStamp> stamps;
  std::map<std::u16string, int> reads;

 private:
  uint64_t version_ = 0;
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
  files.Put(kPath, Archive("k1"));
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
  files.Put(kPath, Archive("k1"));
  CArchiveServer server(&files);
  ASSERT_TRUE(server.Rewrite(kUrl).has_value());
  EXPECT_FALSE(server.Rewrite(u"https://example.com/").has_value());
  EXPECT_EQ(server.Content(u"file:///D:/apps/" + FolderOf(kUrl) + u"/css/site.css"), nullptr)
      << "requests are served only for the current archive";
  EXPECT_EQ(files.reads[kPath], 0);
}

TEST(ArchiveServer, RefusalsServeNothingAndFailuresLastWhileTheFileIsTheSame) {
  MemoryFiles files;
  files.Put(kPath, Archive("k1"));
  CArchiveServer server(&files);
  EXPECT_EQ(server.Entry(u"D:\\none.dat", u"k1", u"index.html"), nullptr);
  EXPECT_EQ(server.Entry(u"D:\\none.dat", u"k1", u"index.html"), nullptr);
  EXPECT_EQ(files.reads[u"D:\\none.dat"], 2) << "a missing file is looked for again: it may appear";
  EXPECT_EQ(server.Entry(kPath, u"rsa_k1", u"index.html"), nullptr);
  EXPECT_EQ(files.reads[kPath], 0) << "an archive under such a key is not opened at all";
  // A broken archive is read once while it stays the same, however many requests ask.
  for (int i = 0; i < 5; ++i) EXPECT_EQ(server.Entry(kPath, u"wrong", u"index.html"), nullptr);
  EXPECT_EQ(files.reads[kPath], 1);
  files.Put(u"D:\\late.dat", "not an archive");
  EXPECT_EQ(server.Entry(u"D:\\late.dat", u"k1", u"index.html"), nullptr);
  EXPECT_EQ(server.Entry(u"D:\\late.dat", u"k1", u"css/site.css"), nullptr);
  EXPECT_EQ(files.reads[u"D:\\late.dat"], 1);
  // Once the file changes, the next request loads it.
  files.Put(u"D:\\late.dat", Archive("k1"));
  ASSERT_NE(server.Entry(u"D:\\late.dat", u"k1", u"index.html"), nullptr);
  EXPECT_EQ(files.reads[u"D:\\late.dat"], 2);
  // The same file under two keys is two archives: the failure of one keeps nothing from the other.
  ASSERT_NE(server.Entry(kPath, u"k1", u"index.html"), nullptr);
  EXPECT_EQ(server.Entry(kPath, u"k2", u"index.html"), nullptr);
}

TEST(ArchiveServer, WithoutFilesNothingIsServed) {
  CArchiveServer server(nullptr);
  ASSERT_TRUE(server.Rewrite(kUrl).has_value());
  EXPECT_EQ(server.Content(u"file:///D:/apps/" + FolderOf(kUrl) + u"/pack.dat|index.html"), nullptr);
}

// The types a browser insists on for module scripts, WebAssembly, fonts and manifests, in any
// case; names that are no extension get none.
TEST(WebTypes, StandardTypesOfExtensions) {
  const std::pair<std::u16string, std::optional<std::u16string>> cases[] = {
      {u".mjs", u"text/javascript"},     {u".JS", u"text/javascript"},
      {u".wasm", u"application/wasm"},   {u".WebManifest", u"application/manifest+json"},
      {u".woff2", u"font/woff2"},        {u".css", u"text/css"},
      {u".svg", u"image/svg+xml"},       {u".avif", u"image/avif"},
      {u".zzq", std::nullopt},           {u"mjs", std::nullopt},
      {u".", std::nullopt},              {u"", std::nullopt},
      {u".webmanifestx", std::nullopt},  {u".m\u0130s", std::nullopt},
  };
  for (const auto& [extension, type] : cases) {
    EXPECT_EQ(StandardWebType(extension), type) << text::Utf16ToUtf8(extension);
  }
}

}  // namespace
