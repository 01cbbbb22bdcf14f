#include "webview2common/archive/archive_address.h"

#include <regex>

#include "base/text_convert.h"
#include "webview2common/archive/percent_decode.h"
#include "webview2common/md5.h"

std::optional<ArchiveRewrite> RewriteArchiveUrl(const std::u16string& url) {
  const std::optional<std::string> decoded = PercentDecode(text::Utf16ToUtf8(url));
  if (!decoded || decoded->empty()) return std::nullopt;
  static const std::regex kCompound(R"(^(.*?)://(.*?)\|(.*?)\|/(.*?)$)");
  std::smatch match;
  if (!std::regex_match(*decoded, match, kCompound)) return std::nullopt;
  ArchiveRewrite rewrite;
  ArchiveAddress& a = rewrite.address;
  a.scheme = text::Utf8ToUtf16(match[1].str());
  a.key = text::Utf8ToUtf16(match[2].str());
  a.archive_path = text::Utf8ToUtf16(match[3].str());
  a.entry_path = text::Utf8ToUtf16(match[4].str());
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
  static const std::regex kFileAddress(R"(^(.*?):///(.*?)\|(.*?)$)");
  std::smatch match;
  if (std::regex_match(*decoded, match, kFileAddress)) return text::Utf8ToUtf16(match[3].str());
  const std::string folder = text::Utf16ToUtf8(folder_name);
  const size_t at = decoded->find(folder);
  if (at == std::string::npos) return std::nullopt;
  const size_t start = at + folder.size() + 1;
  if (start > decoded->size()) return std::u16string();
  return text::Utf8ToUtf16(decoded->substr(start));
}
