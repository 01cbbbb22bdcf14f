#include "webview2common/archive/archive_address.h"

#include <string_view>

#include "base/text_convert.h"
#include "webview2common/archive/percent_decode.h"
#include "webview2common/md5.h"

namespace {

// The addresses are split with plain searches rather than a regular expression: a backtracking
// matcher takes time (and stack) that grows with the address, and the page controls that.
// Each part ends at the first separator that leaves the rest of the form possible, and no part
// may hold a line break, as "." in such an expression would not match one.
bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

struct CompoundParts {
  std::string_view scheme, key, archive_path, entry_path;
};

// scheme "://" key "|" archive path "|/" entry path.
std::optional<CompoundParts> SplitCompound(std::string_view text) {
  if (HasLineBreak(text)) return std::nullopt;
  const size_t scheme_end = text.find("://");
  if (scheme_end == std::string_view::npos) return std::nullopt;
  const size_t key_start = scheme_end + 3;
  const size_t key_end = text.find('|', key_start);
  if (key_end == std::string_view::npos) return std::nullopt;
  const size_t path_end = text.find("|/", key_end + 1);
  if (path_end == std::string_view::npos) return std::nullopt;
  return CompoundParts{text.substr(0, scheme_end), text.substr(key_start, key_end - key_start),
                       text.substr(key_end + 1, path_end - key_end - 1), text.substr(path_end + 2)};
}

// scheme ":///" path "|" entry: the entry, or nothing when the text has another form.
std::optional<std::string_view> EntryOfFileAddress(std::string_view text) {
  if (HasLineBreak(text)) return std::nullopt;
  const size_t scheme_end = text.find(":///");
  if (scheme_end == std::string_view::npos) return std::nullopt;
  const size_t bar = text.find('|', scheme_end + 4);
  if (bar == std::string_view::npos) return std::nullopt;
  return text.substr(bar + 1);
}

}  // namespace

std::optional<ArchiveRewrite> RewriteArchiveUrl(const std::u16string& url) {
  const std::optional<std::string> decoded = PercentDecode(text::Utf16ToUtf8(url));
  if (!decoded || decoded->empty()) return std::nullopt;
  const std::optional<CompoundParts> parts = SplitCompound(*decoded);
  if (!parts) return std::nullopt;
  ArchiveRewrite rewrite;
  ArchiveAddress& a = rewrite.address;
  a.scheme = text::Utf8ToUtf16(parts->scheme);
  a.key = text::Utf8ToUtf16(parts->key);
  a.archive_path = text::Utf8ToUtf16(parts->archive_path);
  a.entry_path = text::Utf8ToUtf16(parts->entry_path);
  a.folder_name = u"zip_" + text::AsciiToUtf16(Md5::HexDigest(*decoded));
  std::u16string path = a.archive_path;
  const size_t slash = path.rfind(u'\\');
  if (slash != std::u16string::npos) path.insert(slash, u"\\" + a.folder_name);
  rewrite.current_url = path + u"|" + a.entry_path;
  return rewrite;
}

std::optional<std::u16string> EntryPathOfRequest(const std::u16string& url,
                                                 const std::u16string& folder_name) {
  if (folder_name.empty() || url.find(folder_name) == std::u16string::npos) return std::nullopt;
  const std::optional<std::string> decoded = PercentDecode(text::Utf16ToUtf8(url));
  if (!decoded) return std::nullopt;
  if (const auto entry = EntryOfFileAddress(*decoded)) return text::Utf8ToUtf16(*entry);
  const std::string folder = text::Utf16ToUtf8(folder_name);
  const size_t at = decoded->find(folder);
  if (at == std::string::npos) return std::nullopt;
  const size_t start = at + folder.size() + 1;
  if (start > decoded->size()) return std::u16string();
  return text::Utf8ToUtf16(decoded->substr(start));
}
