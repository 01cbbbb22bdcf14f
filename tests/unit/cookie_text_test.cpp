#include <gtest/gtest.h>

#include "webview2common/cookie_text.h"

namespace {

TEST(CookieText, SplitsAndTrims) {
  const auto pairs = SplitCookieText(u" a = 1 ;b=2; novalue ;c=x=y;");
  ASSERT_EQ(pairs.size(), 3u);
  EXPECT_EQ(pairs[0].name, u"a");
  EXPECT_EQ(pairs[0].value, u"1");
  EXPECT_EQ(pairs[1].name, u"b");
  EXPECT_EQ(pairs[1].value, u"2");
  EXPECT_EQ(pairs[2].name, u"c");
  EXPECT_EQ(pairs[2].value, u"x") << "only the text up to the second =";
  EXPECT_TRUE(SplitCookieText(u"").empty());
}

CookieRecord Cookie(const char16_t* name, const char16_t* value, bool http_only) {
  CookieRecord c;
  c.name = name;
  c.value = value;
  c.domain = u"h.example";
  c.path = u"/shop";
  c.http_only = http_only;
  return c;
}

TEST(CookieText, ListingIsByteExact) {
  EXPECT_EQ(FormatCookieListing({}, 0, false), u"No cookies found.");
  CookieRecord expiring = Cookie(u"b", u"say \"hi\"", false);
  expiring.session = false;
  expiring.expires = 1700000000.5;
  expiring.secure = true;
  expiring.same_site = 1;
  const std::vector<CookieRecord> two{Cookie(u"a", u"1", true), expiring};
  EXPECT_EQ(FormatCookieListing(two, 2, false),
            u"2 cookie(s) found\n\n["
            u"{\"Name\": \"a\", \"Value\": \"1\", \"Domain\": \"h.example\", \"Path\": \"/shop\", "
            u"\"HttpOnly\": true, \"Secure\": false, \"SameSite\": \"None\", \"Expires\": \"This is a session cookie.\"},\n"
            u"{\"Name\": \"b\", \"Value\": \"say \\\"hi\\\"\", \"Domain\": \"h.example\", \"Path\": \"/shop\", "
            u"\"HttpOnly\": false, \"Secure\": true, \"SameSite\": \"Lax\", \"Expires\": \"1700000000.500000\"}]");
  EXPECT_EQ(FormatCookieListing(two, 2, true),
            u"2 cookie(s) found\n\n["
            u"{\"Name\": \"a\", \"Value\": \"1\", \"Domain\": \"h.example\", \"Path\": \"/shop\", "
            u"\"HttpOnly\": true, \"Secure\": false, \"SameSite\": \"None\", \"Expires\": \"This is a session cookie.\"}]");
  CookieRecord odd = Cookie(u"c", u"", false);
  odd.same_site = 7;
  EXPECT_NE(FormatCookie(odd).find(u"\"SameSite\": \"\""), std::u16string::npos);
  odd.readable = false;
  EXPECT_EQ(FormatCookie(odd), u"");
}

}  // namespace
