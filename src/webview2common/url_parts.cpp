#include "webview2common/url_parts.h"

#include "base/text_convert.h"
#include "webview2common/md5.h"

UrlHostPath SplitHostAndPath(const std::u16string& url) {
  const size_t scheme_end = url.find(u"://");
  if (scheme_end == std::u16string::npos || scheme_end == 0) return {};
  for (size_t i = 0; i < scheme_end; ++i) {
    const char16_t c = url[i];
    const bool ok = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                    (i > 0 && ((c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.'));
    if (!ok) return {};
  }
  const size_t authority = scheme_end + 3;
  const size_t authority_end = url.find_first_of(u"/?#", authority);
  std::u16string host = url.substr(authority, authority_end == std::u16string::npos
                                                  ? std::u16string::npos
                                                  : authority_end - authority);
  const size_t at = host.rfind(u'@');
  if (at != std::u16string::npos) host.erase(0, at + 1);
  const size_t colon = host.rfind(u':');
  if (colon != std::u16string::npos && host.find(u']', colon) == std::u16string::npos) host.resize(colon);
  std::u16string path;
  if (authority_end != std::u16string::npos && url[authority_end] == u'/') {
    const size_t path_end = url.find_first_of(u"?#", authority_end);
    path = url.substr(authority_end, path_end == std::u16string::npos ? std::u16string::npos
                                                                      : path_end - authority_end);
  }
  return UrlHostPath{host, path};
}

std::u16string ProfileFolderDigest(const std::u16string& url) {
  const UrlHostPath parts = SplitHostAndPath(url);
  const std::u16string text = parts.host + parts.path;
  std::string bytes;
  bytes.reserve(text.size() * 2);
  for (char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return text::AsciiToUtf16(Md5::HexDigest(bytes));
}
