#pragma once
// The parent's cookie texts: "a=1; b=2" in, and the listing text of a cookie read out.

#include <string>
#include <vector>

struct CookiePair {
  std::u16string name;
  std::u16string value;
};

// Pieces between ";" that hold "=": the name before the first "=", the value up to the next
// one, both trimmed of white space. Pieces without "=" are skipped.
std::vector<CookiePair> SplitCookieText(const std::u16string& text);

struct CookieRecord {
  bool readable = true;  // false: a property could not be read; the object text is empty
  std::u16string name;
  std::u16string value;
  std::u16string domain;
  std::u16string path;
  bool http_only = false;
  bool secure = false;
  int same_site = 0;
  bool session = true;
  double expires = 0;
};

// "No cookies found." for none; otherwise "<count> cookie(s) found\n\n[" + objects + "]". With
// http_only_only the listing holds only HttpOnly cookies while the count line counts all.
std::u16string FormatCookieListing(const std::vector<CookieRecord>& cookies, size_t count,
                                   bool http_only_only);
std::u16string FormatCookie(const CookieRecord& cookie);
