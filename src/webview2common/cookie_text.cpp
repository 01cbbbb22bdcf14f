#include "webview2common/cookie_text.h"

#include <cstdio>

#include "base/text_convert.h"

namespace {

std::u16string Trim(const std::u16string& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && text::IsAsciiSpace(text[begin])) ++begin;
  while (end > begin && text::IsAsciiSpace(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

std::u16string Quoted(const std::u16string& text) {
  std::u16string out = u"\"";
  for (char16_t c : text) {
    if (c == u'"') out += u'\\';
    out += c;
  }
  return out + u"\"";
}

const char16_t* SameSiteName(int kind) {
  switch (kind) {
    case 0: return u"None";
    case 1: return u"Lax";
    case 2: return u"Strict";
    default: return u"";
  }
}

}  // namespace

std::vector<CookiePair> SplitCookieText(const std::u16string& text) {
  std::vector<CookiePair> pairs;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find(u';', start);
    const std::u16string piece = text.substr(start, end == std::u16string::npos ? std::u16string::npos : end - start);
    const size_t eq = piece.find(u'=');
    if (eq != std::u16string::npos) {
      const size_t next = piece.find(u'=', eq + 1);
      pairs.push_back(CookiePair{Trim(piece.substr(0, eq)),
                                 Trim(piece.substr(eq + 1, next == std::u16string::npos ? std::u16string::npos : next - eq - 1))});
    }
    if (end == std::u16string::npos) break;
    start = end + 1;
  }
  return pairs;
}

std::u16string FormatCookie(const CookieRecord& c) {
  if (!c.readable) return u"";
  std::u16string expires = u"This is a session cookie.";
  if (!c.session) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%f", c.expires);
    expires = text::AsciiToUtf16(buffer);
  }
  return u"{\"Name\": " + Quoted(c.name) + u", \"Value\": " + Quoted(c.value) + u", \"Domain\": " +
         Quoted(c.domain) + u", \"Path\": " + Quoted(c.path) + u", \"HttpOnly\": " +
         (c.http_only ? u"true" : u"false") + u", \"Secure\": " + (c.secure ? u"true" : u"false") +
         u", \"SameSite\": " + Quoted(SameSiteName(c.same_site)) + u", \"Expires\": \"" + expires + u"\"}";
}

std::u16string FormatCookieListing(const std::vector<CookieRecord>& cookies, size_t count,
                                   bool http_only_only) {
  if (count == 0) return u"No cookies found.";
  std::u16string text = text::AsciiToUtf16(std::to_string(count)) + u" cookie(s) found\n\n[";
  bool first = true;
  for (const CookieRecord& cookie : cookies) {
    if (http_only_only && !cookie.http_only) continue;
    if (!first) text += u",\n";
    text += FormatCookie(cookie);
    first = false;
  }
  return text + u"]";
}
