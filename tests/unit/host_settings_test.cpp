#include <gtest/gtest.h>

#include "base/text_convert.h"
#include "host_settings.h"
#include "webview2/external_policy.h"
#include "webview2/window_settings.h"

namespace {

using corvane::BuildSettingsText;
using corvane::HostWindowSettings;

TEST(HostSettingsText, EveryKeyReadsBackAsWritten) {
  HostWindowSettings s;
  s.window_id = 512;
  s.url = u"https://example.com/a b?c=\"d\"";
  s.parent_window = 0x80001A2B;
  s.rect = corvane::HostRect{-10, 20, 300, 400};
  s.title = u"My \"quoted\" title";
  s.channel = u"chan 7";
  s.window_list = u"9";
  s.start_hidden = true;
  s.referrer = u"https://r.example/";
  s.follow_display_scale = true;
  s.command = u"run";
  s.browser_arguments = u"--a --b=1";
  s.external_policy = u"eyJvcmlnaW5zIjpbXX0";
  std::u16string text;
  ASSERT_TRUE(BuildSettingsText(s, &text));

  const WindowSettings parsed = ParseWindowSettings(text, u"D:\\data");
  EXPECT_EQ(parsed.web_view_id, 512);
  EXPECT_EQ(parsed.url, *s.url);
  EXPECT_EQ(parsed.parent_wnd, 0x80001A2Bu);
  EXPECT_EQ(parsed.tab_rect, (WindowRect{-10, 20, 290, 420}));
  EXPECT_EQ(parsed.class_name, s.title);
  EXPECT_EQ(parsed.tab_group_ids, s.channel);
  EXPECT_EQ(parsed.tab_ids, u"9");
  EXPECT_TRUE(parsed.sc_init_hide);
  EXPECT_TRUE(parsed.self_adaption_dpi);
  EXPECT_EQ(parsed.referrer, s.referrer);
  EXPECT_EQ(parsed.cmd, u"run");
  EXPECT_EQ(parsed.edge_cmd, u"--a --b=1");
  EXPECT_EQ(parsed.external_policy, s.external_policy);
  EXPECT_EQ(parsed.cache_path, u"D:\\data\\187ef4436122d1cc2f40dc2b92f0eba0");
}

TEST(HostSettingsText, UnsetKeysAreLeftOut) {
  HostWindowSettings s;
  s.window_id = 256;
  std::u16string text;
  ASSERT_TRUE(BuildSettingsText(s, &text));
  EXPECT_EQ(text, u"--web_view_id=256");
  s.url = u"";
  ASSERT_TRUE(BuildSettingsText(s, &text));
  EXPECT_EQ(text, u"--web_view_id=256 --url=\"\"");
  EXPECT_EQ(ParseWindowSettings(text, u"").url, u"about:blank");
}

TEST(HostSettingsText, CachePathGoesToTheBrowserToo) {
  HostWindowSettings s;
  s.cache_path = u"C:\\My Cache";
  std::u16string text;
  ASSERT_TRUE(BuildSettingsText(s, &text));
  const WindowSettings parsed = ParseWindowSettings(text, u"D:\\data");
  EXPECT_EQ(parsed.cache_path, u"C:\\My Cache");
  EXPECT_EQ(parsed.edge_cmd, u" --user-data-dir=C:\\My Cache");
}

TEST(HostSettingsText, RefusesValuesTheHostWouldMisread) {
  const std::u16string bad[] = {u"one \" quote", u"\"", u"x\"y z"};
  for (const std::u16string& value : bad) {
    HostWindowSettings s;
    s.title = value;
    s.url = u"https://after/";
    std::u16string text = u"untouched";
    EXPECT_FALSE(BuildSettingsText(s, &text)) << std::string(value.begin(), value.end());
    EXPECT_EQ(text, u"untouched");
  }
}

}  // namespace

namespace {

// A typed policy is written as the key the host reads; one the host would refuse is not sent.
TEST(HostSettingsText, ATypedPolicyIsEncodedAndCheckedBeforeSending) {
  corvane::HostWindowSettings s;
  s.window_id = 256;
  corvane::PagePolicy p;
  p.origins = std::vector<std::string>{"archive", "https://app.example"};
  p.builtins = std::vector<std::pair<std::string, std::vector<std::string>>>{{"archive", {"window", "write_log"}}};
  p.parent_functions = std::vector<std::string>{"get\"User"};
  p.paths = std::vector<std::u16string>{u"C:\\Data \u4e2d"};
  s.policy = p;
  std::u16string text;
  ASSERT_TRUE(corvane::BuildSettingsText(s, &text));
  const WindowSettings parsed = ParseWindowSettings(text, u"");
  ASSERT_TRUE(parsed.external_policy.has_value());
  std::string error;
  const std::optional<policy::ExternalPolicy> read = policy::ParsePolicy(text::Utf16ToUtf8(*parsed.external_policy), &error);
  ASSERT_TRUE(read.has_value()) << error;
  EXPECT_TRUE(read->parent_functions.Allows(u"get\"User"));
  EXPECT_EQ(read->paths, (std::vector<std::u16string>{u"C:\\DATA \u4e2d"}));
  policy::Origin archive;
  archive.archive = true;
  EXPECT_TRUE(policy::AllowsBuiltin(*read, archive, "show_wnd"));

  p.builtins = std::vector<std::pair<std::string, std::vector<std::string>>>{{"*", {"everything"}}};
  s.policy = p;
  EXPECT_FALSE(corvane::BuildSettingsText(s, &text)) << "the host would show no page";
  std::u16string encoded;
  EXPECT_FALSE(corvane::EncodePagePolicy(p, &encoded, &error));
  EXPECT_NE(error.find("everything"), std::string::npos) << error;
}

}  // namespace
