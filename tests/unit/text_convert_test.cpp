#include <gtest/gtest.h>

#include "base/secret_mask.h"
#include "base/text_convert.h"

namespace {

TEST(TextConvert, Utf8RoundTripIncludingSupplementaryPlanes) {
  const std::u16string text = u"a\u00e9\u4e2d\U0001F600z";
  const std::string utf8 = text::Utf16ToUtf8(text);
  EXPECT_EQ(utf8, "a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80z");
  EXPECT_EQ(text::Utf8ToUtf16(utf8), text);
}

TEST(TextConvert, InvalidInputBecomesReplacementCharacters) {
  struct Case {
    std::string utf8;
    std::u16string utf16;
  };
  const Case cases[] = {
      {"\xC3", u"\uFFFD"},                        // truncated sequence
      {"\xC0\xAF", u"\uFFFD\uFFFD"},              // overlong "/"
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},    // encoded surrogate
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // above U+10FFFF
      {"a\x80z", u"a\uFFFDz"},                    // stray continuation byte
      {"\xFF", u"\uFFFD"},
  };
  for (const Case& c : cases) EXPECT_EQ(text::Utf8ToUtf16(c.utf8), c.utf16);
  EXPECT_EQ(text::Utf16ToUtf8(u"x\xD800y"), "x\xEF\xBF\xBDy");  // lone high surrogate
  EXPECT_EQ(text::Utf16ToUtf8(u"\xDC00"), "\xEF\xBF\xBD");      // lone low surrogate
  EXPECT_EQ(text::Utf16ToUtf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD");  // at the end
}

TEST(TextConvert, AnsiKeepsAscii) {
  EXPECT_EQ(text::Utf16ToAnsi(u"plain text 123"), "plain text 123");
  EXPECT_EQ(text::AnsiToUtf16("plain text 123"), u"plain text 123");
  EXPECT_EQ(text::Utf16ToAnsi(u""), "");
}

TEST(TextConvert, AppendingConvertsAsAWholeConversionDoes) {
  // ASCII takes the short way, anything else the code page's: both must agree with the plain
  // conversions, and keep what out already held.
  for (const std::u16string& wide : {std::u16string(u"plain 123"), std::u16string(u"caf\u00e9 \u4e2d"),
                                    std::u16string(u"x\xD800"), std::u16string()}) {
    std::string out = "head|";
    text::AppendUtf16ToAnsi(wide, &out);
    EXPECT_EQ(out, "head|" + text::Utf16ToAnsi(wide));
    const std::string narrow = text::Utf16ToAnsi(wide);
    std::u16string back = u"head|";
    text::AppendAnsiToUtf16(narrow, &back);
    EXPECT_EQ(back, u"head|" + text::AnsiToUtf16(narrow));
  }
}

}  // namespace

namespace {

TEST(TextConvert, ControlCharactersAreEscapedForALogLine) {
  struct Case {
    std::u16string in;
    const char16_t* out;
  };
  for (const Case& c : {Case{u"plain text, \u4E2D", u"plain text, \u4E2D"},
                        Case{u"a\r\n12-09 [I] forged", u"a\\r\\n12-09 [I] forged"},
                        Case{u"tab\there", u"tab\\there"},
                        Case{std::u16string(u"nul\0end", 7), u"nul\\x00end"},
                        Case{u"\x1B[31mred\x7F", u"\\x1B[31mred\\x7F"},
                        Case{u"back\\slash kept", u"back\\slash kept"},
                        Case{u"", u""}}) {
    EXPECT_EQ(text::EscapeControlCharacters(c.in), c.out);
  }
}

}  // namespace

namespace {

TEST(SecretMask, SecretsShowTheirLengthAndLongOnesTheirFirstTwoCharacters) {
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"", u"***(0)"},
      {u"k1", u"***(2)"},
      {u"secret", u"se***(6)"},
      {u"zip://k1|D:\\apps\\pack.dat|/index.html", u"zip://***(2)|D:\\apps\\pack.dat|/index.html"},
      {u" --url=\"zip://longkey12|C:\\a.dat|/i.html\" --cmd=x", u" --url=\"zip://lo***(9)|C:\\a.dat|/i.html\" --cmd=x"},
      {u"zip://k%7CC:%5Ca.dat%7C/i.html", u"zip://***(1)%7CC:%5Ca.dat%7C/i.html"},
      {u"https://example.com/a|b https://x/ y", u"https://ex***(13)|b https://x/ y"},
      {u"https://example.com/ no bar", u"https://example.com/ no bar"},
      {u"a://b|c a://dddddd|e", u"a://***(1)|c a://dd***(6)|e"},
      {u"load url=zip://my key|C:\\a.dat|/i.html", u"load url=zip://my***(6)|C:\\a.dat|/i.html"},
      {u"https://x.com/ then zip://k|p", u"https://x.com/ then zip://***(1)|p"},
  };
  for (const auto& [in, out] : cases) {
    EXPECT_EQ(in.find(u"://") == std::u16string::npos ? text::MaskSecret(in) : text::MaskArchiveKeys(in), out)
        << text::Utf16ToUtf8(in);
  }
}

}  // namespace
