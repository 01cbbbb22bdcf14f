// Packs a folder or a zip file into the enciphered archive a browser window serves, unpacks
// one for inspection, or lists its entries.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "base/text_convert.h"
#include "webview2common/archive/archive_file.h"
#include "webview2common/archive/zip_reader.h"
#include "webview2common/archive/zip_writer.h"
#include "webview2common/text_cipher.h"

namespace fs = std::filesystem;

namespace {

const char kUsage[] =
    "usage: archive_packer pack <folder or .zip> <key> <archive>\n"
    "       archive_packer unpack <archive> <key> <folder>\n"
    "       archive_packer list <archive> <key>\n"
    "\n"
    "The archive is Base64 text of the zip bytes enciphered with Blowfish under the key's\n"
    "UTF-8 bytes. A window opens it with a compound address: scheme://key|archive path|/entry,\n"
    "for example  zip://mykey|C:\\apps\\app.dat|/index.html\n";

fs::path PathOf(const std::string& utf8) { return fs::u8path(utf8); }

bool ReadFile(const fs::path& path, std::string* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  *bytes = buffer.str();
  return static_cast<bool>(in) || in.eof();
}

bool WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

int Fail(const std::string& text) {
  std::cerr << "archive_packer: " << text << "\n";
  return 1;
}

int Pack(const std::string& input, const std::string& key, const std::string& output) {
  const fs::path source = PathOf(input);
  std::error_code error;
  std::string zip;
  if (fs::is_directory(source, error)) {
    ZipWriter writer;
    int files = 0;
    for (fs::recursive_directory_iterator it(source, error), end; !error && it != end; it.increment(error)) {
      if (!it->is_regular_file(error)) continue;
      std::string bytes;
      if (!ReadFile(it->path(), &bytes)) return Fail("cannot read " + it->path().u8string());
      writer.Add(fs::relative(it->path(), source, error).generic_u8string(), bytes);
      ++files;
    }
    if (error) return Fail("cannot walk " + input + ": " + error.message());
    if (files == 0) return Fail(input + " holds no file");
    if (!writer.Finish(&zip)) return Fail("the folder is too large for a zip archive");
  } else if (fs::is_regular_file(source, error)) {
    if (!ReadFile(source, &zip)) return Fail("cannot read " + input);
    ArchiveEntries entries;
    const ZipReadReport report = ReadZip(reinterpret_cast<const uint8_t*>(zip.data()), zip.size(), entries);
    if (entries.empty()) return Fail(input + " is no zip archive with readable entries");
    for (const std::string& refused : report.refused) std::cerr << "archive_packer: warning: " << refused << "\n";
  } else {
    return Fail(input + " is neither a folder nor a file");
  }
  if (!WriteFile(PathOf(output), EncipherBlocks(zip, key))) return Fail("cannot write " + output);
  return 0;
}

bool Load(const std::string& archive, const std::string& key, ArchiveLoadResult* result) {
  std::string text;
  if (!ReadFile(PathOf(archive), &text)) {
    Fail("cannot read " + archive);
    return false;
  }
  *result = LoadArchiveText(text, key);
  for (const std::string& refused : result->report.refused) std::cerr << "archive_packer: warning: " << refused << "\n";
  if (!result->loaded) {
    Fail(archive + ": " + result->failure);
    return false;
  }
  return true;
}

// Entry names come from the archive: none may leave the output folder.
bool SafeEntryName(const std::u16string& name) {
  if (name.empty() || name[0] == u'/' || name[0] == u'\\' || name.find(u':') != std::u16string::npos) return false;
  size_t start = 0;
  for (;;) {
    const size_t end = name.find_first_of(u"/\\", start);
    const std::u16string part = name.substr(start, end == std::u16string::npos ? std::u16string::npos : end - start);
    if (part == u"..") return false;
    if (end == std::u16string::npos) return true;
    start = end + 1;
  }
}

int Unpack(const std::string& archive, const std::string& key, const std::string& folder) {
  ArchiveLoadResult result;
  if (!Load(archive, key, &result)) return 1;
  const fs::path root = PathOf(folder);
  for (const auto& [name, bytes] : result.entries) {
    if (!SafeEntryName(name)) {
      std::cerr << "archive_packer: warning: skipped unsafe name " << text::Utf16ToUtf8(name) << "\n";
      continue;
    }
    const fs::path target = root / PathOf(text::Utf16ToUtf8(name));
    std::error_code error;
    fs::create_directories(target.parent_path(), error);
    if (!WriteFile(target, *bytes)) return Fail("cannot write " + target.u8string());
  }
  return 0;
}

int List(const std::string& archive, const std::string& key) {
  ArchiveLoadResult result;
  if (!Load(archive, key, &result)) return 1;
  for (const auto& [name, bytes] : result.entries) {
    std::cout << bytes->size() << "\t" << text::Utf16ToUtf8(name) << "\n";
  }
  return 0;
}

int Run(const std::vector<std::string>& args) {
  if (args.size() == 2 && (args[1] == "--help" || args[1] == "-h")) {
    std::cout << kUsage;
    return 0;
  }
  if (args.size() == 5 && args[1] == "pack") return Pack(args[2], args[3], args[4]);
  if (args.size() == 5 && args[1] == "unpack") return Unpack(args[2], args[3], args[4]);
  if (args.size() == 4 && args[1] == "list") return List(args[2], args[3]);
  std::cerr << kUsage;
  return 2;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) {
    args.push_back(text::Utf16ToUtf8(std::u16string(reinterpret_cast<const char16_t*>(argv[i]))));
  }
  return Run(args);
}
#else
int main(int argc, char** argv) { return Run(std::vector<std::string>(argv, argv + argc)); }
#endif
