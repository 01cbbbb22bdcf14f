#include <gtest/gtest.h>

#include "webview2/window_settings.h"
#include "webview2common/md5.h"

namespace {

const std::u16string kData = u"C:\\Users\\U\\AppData\\Local\\Temp\\Tandrel";

TEST(Md5Digest, KnownVectors) {
  EXPECT_EQ(Md5::HexDigest(""), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(Md5::HexDigest("abc"), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(Md5::HexDigest("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
  EXPECT_EQ(Md5::HexDigest("12345678901234567890123456789012345678901234567890123456789012345678901234567890"),
            "57edf4a22be3c955ac49da2e2107b67a");
  EXPECT_EQ(Md5::HexDigest(std::string(1000000, 'a')), "7707d6ae4e027c70eea2a935c2296f21");
}

TEST(WindowSettingsParse, MainWindowLine) {
  const WindowSettings s = ParseWindowSettings(
      u"\"C:\\x\\Corvane.exe\" --parent_wnd=1A2B --web_view_id=256 --tab_rect=0,0,800,600 "
      u"--tab_group_ids=7 --url=about:blank",
      kData);
  EXPECT_EQ(s.parent_wnd, 0x1A2Bu);
  EXPECT_EQ(s.web_view_id, 256);
  EXPECT_EQ(s.tab_rect, (WindowRect{0, 0, 800, 600}));
  EXPECT_EQ(s.ChannelName(), u"7");
  EXPECT_EQ(s.url, u"about:blank");
  EXPECT_EQ(s.class_name, u"Webview2");
  EXPECT_EQ(s.cache_path, kData);
  EXPECT_EQ(s.edge_cmd, u"");
}

TEST(WindowSettingsParse, Defaults) {
  const WindowSettings s = ParseWindowSettings(u"", u"");
  EXPECT_EQ(s.url, u"");
  EXPECT_EQ(s.parent_wnd, 0u);
  EXPECT_EQ(s.tab_rect, WindowRect{});
  EXPECT_EQ(s.class_name, u"Webview2");
  EXPECT_EQ(s.web_view_id, 0);
  EXPECT_FALSE(s.sc_init_hide);
  EXPECT_FALSE(s.self_adaption_dpi);
  EXPECT_EQ(s.cache_path, u"");
  EXPECT_EQ(s.ChannelName(), u"");
}

TEST(WindowSettingsParse, ChannelNameFallsBackToTabIds) {
  EXPECT_EQ(ParseWindowSettings(u"--tab_ids=9", kData).ChannelName(), u"9");
  EXPECT_EQ(ParseWindowSettings(u"--tab_ids=9 --tab_group_ids=3", kData).ChannelName(), u"3");
  EXPECT_EQ(ParseWindowSettings(u"--tab_ids=9 --tab_group_ids=", kData).ChannelName(), u"9");
}

TEST(WindowSettingsParse, UrlPresentButEmptyIsAboutBlank) {
  EXPECT_EQ(ParseWindowSettings(u"--url=", kData).url, u"about:blank");
  EXPECT_EQ(ParseWindowSettings(u"--url", kData).url, u"about:blank");
  EXPECT_EQ(ParseWindowSettings(u"--url=\"https://a.b/c?d=e f\"", kData).url, u"https://a.b/c?d=e f");
}

TEST(WindowSettingsParse, OtherKeys) {
  const WindowSettings s = ParseWindowSettings(
      u"--class_name=\"My Title\" --sc_init_hide --self_adaption_dpi --referrer=https://r/ "
      u"--cmd=abc --programe-placement",
      kData);
  EXPECT_EQ(s.class_name, u"My Title");
  EXPECT_TRUE(s.sc_init_hide);
  EXPECT_TRUE(s.self_adaption_dpi);
  EXPECT_EQ(s.referrer, u"https://r/");
  EXPECT_EQ(s.cmd, u"abc");
}

TEST(WindowSettingsParse, Numbers) {
  struct Case {
    std::u16string text;
    uint32_t parent;
    int32_t id;
  };
  const Case cases[] = {
      {u"--parent_wnd=0x1a2b --web_view_id=512", 0x1A2B, 512},
      {u"--parent_wnd=zz --web_view_id=abc", 0, 0},
      {u"--parent_wnd=FFFFFFFF --web_view_id=256x", 0xFFFFFFFFu, 256},
      {u"--parent_wnd=80000001", 0x80000001u, 0},
      {u"--parent_wnd=123456789ABC --web_view_id=99999999999", 0xFFFFFFFFu, INT32_MAX},
      {u"--web_view_id=-256", 0, -256},
  };
  for (const Case& c : cases) {
    const WindowSettings s = ParseWindowSettings(c.text, kData);
    EXPECT_EQ(s.parent_wnd, c.parent) << std::string(c.text.begin(), c.text.end());
    EXPECT_EQ(s.web_view_id, c.id) << std::string(c.text.begin(), c.text.end());
  }
}

TEST(WindowSettingsParse, Rectangles) {
  struct Case {
    std::u16string value;
    WindowRect rect;
  };
  const Case cases[] = {
      {u"10,20,300,200", {10, 20, 310, 220}},
      {u"10,20", {10, 20, 10, 20}},
      {u"10,20,300", {10, 20, 310, 20}},
      {u"-5,-5,10,10", {-5, -5, 5, 5}},
      {u"abc", {0, 0, 0, 0}},
      {u"1;2;3;4", {1, 0, 1, 0}},
      {u"2147483647,0,1,0", {INT32_MAX, 0, INT32_MIN, 0}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseWindowSettings(u"--tab_rect=" + c.value, kData).tab_rect, c.rect)
        << std::string(c.value.begin(), c.value.end());
  }
}

TEST(WindowSettingsCache, ExplicitCachePathIsPassedToTheBrowser) {
  const WindowSettings s = ParseWindowSettings(u"--cache_path=D:\\cache --edge_cmd=--x", kData);
  EXPECT_EQ(s.cache_path, u"D:\\cache");
  EXPECT_EQ(s.edge_cmd, u"--x --user-data-dir=D:\\cache");
}

TEST(WindowSettingsCache, DerivedFromSwitchNamesOfBrowserArguments) {
  EXPECT_EQ(ParseWindowSettings(u"", kData).cache_path, kData);
  const WindowSettings s = ParseWindowSettings(u"--edge_cmd=\"--a --b=1\"", kData);
  EXPECT_EQ(s.edge_cmd, u"--a --b=1");
  EXPECT_EQ(s.cache_path, kData + u"\\" + u"187ef4436122d1cc2f40dc2b92f0eba0");  // MD5("ab")
  // Values do not matter, names and their set do.
  EXPECT_EQ(ParseWindowSettings(u"--edge_cmd=\"--b=2 --a=x\"", kData).cache_path, s.cache_path);
  EXPECT_NE(ParseWindowSettings(u"--edge_cmd=\"--a --c\"", kData).cache_path, s.cache_path);
  // Loose arguments are no switches.
  EXPECT_EQ(ParseWindowSettings(u"--edge_cmd=plain", kData).cache_path, kData);
  EXPECT_EQ(ParseWindowSettings(u"--edge_cmd=\"--x\"", u"").cache_path, u"");
}

TEST(WindowSettingsCache, CacheCmdSwitchCountsLikeAnyOther) {
  EXPECT_EQ(BrowserArgumentHash(u"--cache_cmd"), u"2d69f4685c6dae2ceaab51b28c53c528");
  EXPECT_EQ(BrowserArgumentHash(u""), u"");
  EXPECT_EQ(BrowserArgumentHash(u"--B --a"), BrowserArgumentHash(u"-a /B"));
}

}  // namespace
