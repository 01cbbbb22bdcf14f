#include <gtest/gtest.h>

#include "webview2common/command_line.h"

namespace {

struct ParseCase {
  const char* name;
  std::u16string text;
  CCommandLine::SwitchMap switches;
  std::vector<std::u16string> arguments;
};

class CommandLineParse : public testing::TestWithParam<ParseCase> {};

TEST_P(CommandLineParse, SplitsSwitchesAndArguments) {
  const ParseCase& c = GetParam();
  CCommandLine line(c.text);
  EXPECT_EQ(line.switches(), c.switches);
  EXPECT_EQ(line.arguments(), c.arguments);
  EXPECT_EQ(line.text(), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, CommandLineParse,
    testing::Values(
        ParseCase{"QuotedValueAndArgument", u"--name=\"a b\" --web_view_id=256 x.exe",
                  {{u"name", u"a b"}, {u"web_view_id", u"256"}}, {u"x.exe"}},
        ParseCase{"RepeatedKeyLastWins", u"--a=1 --a=2", {{u"a", u"2"}}, {}},
        ParseCase{"FlagWithoutValue", u"--flag", {{u"flag", u""}}, {}},
        ParseCase{"SplitAtFirstEquals", u"--k=a=b", {{u"k", u"a=b"}}, {}},
        ParseCase{"QuotedProgramPathKeepsQuotes",
                  u"\"C:\\Program Files\\Corvane\\Corvane.exe\" --x=1",
                  {{u"x", u"1"}}, {u"\"C:\\Program Files\\Corvane\\Corvane.exe\""}},
        ParseCase{"EscapedQuoteStaysInValue", u"--p=\\\"q", {{u"p", u"\\\"q"}}, {}},
        ParseCase{"SeveralBlanksSkipped", u"   --a=1     b   ", {{u"a", u"1"}}, {u"b"}},
        ParseCase{"TabIsNotABlank", u"--a=1\t--b=2", {{u"a", u"1\t--b=2"}}, {}},
        ParseCase{"EmptyText", u"", {}, {}},
        ParseCase{"OnlyBlanks", u"     ", {}, {}},
        ParseCase{"PrefixForms", u"--a -b /c /-d", {{u"a", u""}, {u"b", u""}, {u"c", u""}, {u"d", u""}}, {}},
        ParseCase{"LoneDashIsArgument", u"- /", {}, {u"-", u"/"}},
        ParseCase{"TokenEndingInEquals", u"--empty=", {{u"empty", u""}}, {}},
        ParseCase{"SingleQuoteValueKept", u"--q=\"", {{u"q", u"\""}}, {}},
        ParseCase{"EqualsInsideQuotesSplits", u"--\"a=b\"", {{u"\"a", u"b\""}}, {}},
        ParseCase{"QuotedValueWithEqualsAndBlanks", u"--url=\"http://x/?a=1 b\" y",
                  {{u"url", u"http://x/?a=1 b"}}, {u"y"}},
        // An unbalanced quote runs to the end of the text: one token.
        ParseCase{"StrayQuoteSwallowsRest", u"--a=\"x --b=2 c", {{u"a", u"\"x --b=2 c"}}, {}},
        // The quote state carries from one token into the next.
        ParseCase{"QuoteOpenedInArgument", u"ab\"c d\" --e=1", {{u"e", u"1"}}, {u"ab\"c d\""}},
        ParseCase{"CaseKept", u"--Key=V --key=v", {{u"Key", u"V"}, {u"key", u"v"}}, {}},
        ParseCase{"NonAsciiText", u"--title=\u6807\u9898 \u6587\u4ef6",
                  {{u"title", u"\u6807\u9898"}}, {u"\u6587\u4ef6"}}),
    [](const testing::TestParamInfo<ParseCase>& info) { return info.param.name; });

TEST(CommandLineLookup, FindsKeyWithAnyPrefixForm) {
  CCommandLine line(u"--enable_high_dpi --flag");
  for (const char16_t* name :
       {u"enable_high_dpi", u"--enable_high_dpi", u"-enable_high_dpi", u"/enable_high_dpi",
        u"/-enable_high_dpi"}) {
    EXPECT_TRUE(line.HasKey(name)) << std::string(name, name + std::char_traits<char16_t>::length(name));
  }
  EXPECT_TRUE(line.HasKey(u"flag"));
  EXPECT_TRUE(line.HasKey(u"--flag"));
  EXPECT_FALSE(line.HasKey(u"---flag"));
  EXPECT_FALSE(line.HasKey(u"Flag"));
  EXPECT_FALSE(line.HasKey(u"-"));
  EXPECT_FALSE(line.HasKey(u""));
}

TEST(CommandLineLookup, GetValueClearsOutAndReportsPresence) {
  CCommandLine line(u"--web_view_id=256 --flag");
  std::u16string value = u"stale";
  EXPECT_FALSE(line.GetValue(u"missing", value));
  EXPECT_EQ(value, u"");
  EXPECT_TRUE(line.GetValue(u"--web_view_id", value));
  EXPECT_EQ(value, u"256");
  value = u"stale";
  EXPECT_TRUE(line.GetValue(u"flag", value));
  EXPECT_EQ(value, u"");
}

TEST(CommandLineLookup, CopySwitchesReplacesTarget) {
  CCommandLine line(u"--a=1 --b");
  CCommandLine::SwitchMap copy{{u"old", u"x"}};
  line.CopySwitches(copy);
  EXPECT_EQ(copy, (CCommandLine::SwitchMap{{u"a", u"1"}, {u"b", u""}}));
}

TEST(CommandLineLookup, KeysAreOrderedByCodeUnit) {
  CCommandLine line(u"--b --a --B --\u00e9");
  std::vector<std::u16string> keys;
  for (const auto& entry : line.switches()) keys.push_back(entry.first);
  EXPECT_EQ(keys, (std::vector<std::u16string>{u"B", u"a", u"b", u"\u00e9"}));
}

}  // namespace
