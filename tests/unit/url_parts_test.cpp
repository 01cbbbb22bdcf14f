#include <gtest/gtest.h>

#include "webview2common/url_parts.h"

namespace {

TEST(UrlParts, HostAndPathAsAParserSplitsThem) {
  struct Case {
    std::u16string url;
    std::u16string host;
    std::u16string path;
  };
  const Case cases[] = {
      {u"https://a.example/app/index.html?q=1#top", u"a.example", u"/app/index.html"},
      {u"https://user:pw@a.example:8443/x", u"a.example", u"/x"},
      {u"http://a.example", u"a.example", u""},
      {u"http://a.example?q", u"a.example", u""},
      {u"http://[::1]:80/p", u"[::1]", u"/p"},
      {u"file:///C:/dir/page.html", u"", u"/C:/dir/page.html"},
      {u"about:blank", u"", u""},
      {u"", u"", u""},
      {u"://nohost/p", u"", u""},
      {u"1http://x/p", u"", u""},
  };
  for (const Case& c : cases) {
    const UrlHostPath parts = SplitHostAndPath(c.url);
    EXPECT_EQ(parts.host, c.host) << std::string(c.url.begin(), c.url.end());
    EXPECT_EQ(parts.path, c.path) << std::string(c.url.begin(), c.url.end());
  }
}

TEST(UrlParts, ProfileFolderIgnoresQueryFragmentAndScheme) {
  const std::u16string a = ProfileFolderDigest(u"https://a.example/app/?x=1");
  EXPECT_EQ(a.size(), 32u);
  EXPECT_EQ(a, ProfileFolderDigest(u"http://a.example/app/#frag"));
  EXPECT_NE(a, ProfileFolderDigest(u"https://a.example/other/"));
  EXPECT_NE(a, ProfileFolderDigest(u"https://b.example/app/"));
  // Nothing parsed: the digest of no bytes.
  EXPECT_EQ(ProfileFolderDigest(u"about:blank"), u"d41d8cd98f00b204e9800998ecf8427e");
}

}  // namespace
