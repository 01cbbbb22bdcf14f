// Parameters and results of the registry, INI and system-fact built-ins.
#include <gtest/gtest.h>

#include <json/reader.h>

#include <memory>

#include "base/text_convert.h"
#include "webview2/internal_fun/system_builtins.h"

namespace {

Json::Value Parsed(const std::u16string& text) {
  const std::string utf8 = text::Utf16ToUtf8(text);
  Json::CharReaderBuilder builder;
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  Json::Value value;
  std::string errors;
  EXPECT_TRUE(reader->parse(utf8.data(), utf8.data() + utf8.size(), &value, &errors)) << utf8;
  return value;
}

TEST(BuiltinJson, MissingAndMalformedParameters) {
  EXPECT_EQ(ReadBuiltinJson({}).early_result, std::optional<std::u16string>(u"param_error"));
  EXPECT_EQ(ReadBuiltinJson({u"not json"}).early_result, std::optional<std::u16string>(u"format_error"));
  EXPECT_EQ(ReadBuiltinJson({u"42"}).early_result, std::optional<std::u16string>(u"format_error"));
  const BuiltinJson read = ReadBuiltinJson({u"{\"a\":1}"});
  EXPECT_FALSE(read.early_result.has_value());
  EXPECT_EQ(read.json.GetInt("a", 0), 1);
}

TEST(Regedit, RootsAreExactNames) {
  EXPECT_EQ(RegRootOf(u"HKEY_CURRENT_USER"), std::optional<RegRoot>(RegRoot::kCurrentUser));
  EXPECT_EQ(RegRootOf(u"HKEY_LOCAL_MACHINE"), std::optional<RegRoot>(RegRoot::kLocalMachine));
  EXPECT_EQ(RegRootOf(u"HKEY_CLASSES_ROOT"), std::optional<RegRoot>(RegRoot::kClassesRoot));
  EXPECT_EQ(RegRootOf(u"HKEY_USERS"), std::optional<RegRoot>(RegRoot::kUsers));
  for (const char16_t* other : {u"hkey_current_user", u"", u"HKCU", u"HKEY_CURRENT_USER "}) {
    EXPECT_FALSE(RegRootOf(other).has_value()) << text::Utf16ToUtf8(other);
  }
}

TEST(Regedit, ReadResultIsAlwaysValidJson) {
  EXPECT_EQ(RegeditReadResult(u"42", true), u"{\"value\":\"42\",\"code\":\"1\"}");
  EXPECT_EQ(RegeditReadResult(u"0", false), u"{\"value\":\"0\",\"code\":\"0\"}");
  EXPECT_EQ(RegeditReadResult(u"C:\\Program Files", true),
            u"{\"value\":\"C:\\\\Program Files\",\"code\":\"1\"}");
  for (const std::u16string& value : {std::u16string(u"say \"hi\""), std::u16string(u"a\\b\\"),
                                      std::u16string(u"line\nbreak\ttab\x01"), std::u16string(u"\u4E2D\u6587")}) {
    const Json::Value parsed = Parsed(RegeditReadResult(value, true));
    EXPECT_EQ(parsed["value"].asString(), text::Utf16ToUtf8(value));
    EXPECT_EQ(parsed["code"].asString(), "1");
  }
}

TEST(Regedit, QwordTakesTheWholeValue) {
  JsonPathValue json;
  ASSERT_TRUE(json.Parse(u"{\"n\":4294967296,\"t\":\"4294967297\",\"max\":\"18446744073709551615\","
                         u"\"neg\":-1,\"negt\":\"-2147483648\",\"low\":-2147483649,\"bad\":\"12x\",\"empty\":\"\",\"flag\":true}"));
  EXPECT_EQ(QwordValue(json, "n"), std::optional<uint64_t>(4294967296ull));
  EXPECT_EQ(QwordValue(json, "t"), std::optional<uint64_t>(4294967297ull));
  EXPECT_EQ(QwordValue(json, "max"), std::optional<uint64_t>(18446744073709551615ull));
  // What fits 32 bits is zero-extended, as a DWORD would be; below that the whole value.
  EXPECT_EQ(QwordValue(json, "neg"), std::optional<uint64_t>(0xFFFFFFFFull));
  EXPECT_EQ(QwordValue(json, "negt"), std::optional<uint64_t>(0x80000000ull));
  EXPECT_EQ(QwordValue(json, "low"), std::optional<uint64_t>(0xFFFFFFFF7FFFFFFFull));
  for (const char* none : {"bad", "empty", "flag", "missing"}) EXPECT_FALSE(QwordValue(json, none).has_value()) << none;
  EXPECT_EQ(RegeditWriteResult(true), u"{\"success\":\"1\"}");
  EXPECT_EQ(RegeditWriteResult(false), u"{\"success\":\"0\"}");
}

TEST(IniFile, ResultsAndFolderChain) {
  EXPECT_EQ(IniReadResult(u"v\"1"), u"{\"code\":\"1\",\"value\":\"v\\\"1\"}");
  EXPECT_EQ(IniReadResult(u""), u"{\"code\":\"0\",\"value\":\"\"}");
  EXPECT_EQ(IniWriteResult(true), u"{\"success\":1}");
  EXPECT_EQ(IniWriteResult(false), u"{\"success\":0}");
  EXPECT_EQ(FolderChain(u"C:\\a\\b/c\\f.ini"),
            (std::vector<std::u16string>{u"C:", u"C:\\a", u"C:\\a\\b", u"C:\\a\\b/c"}));
  EXPECT_EQ(FolderChain(u"f.ini"), std::vector<std::u16string>{});
  EXPECT_EQ(FolderChain(u"\\top\\f.ini"), std::vector<std::u16string>{u"\\top"});
}

TEST(FileVersion, ResultsAndTexts) {
  EXPECT_EQ(FileVersionResult(0, u"1.0.0.1"), u"{\"code\":0,\"ver\":\"1.0.0.1\"}");
  EXPECT_EQ(FileVersionResult(2, u"ignored"), u"{\"code\":2}");
  EXPECT_EQ(FileVersionResult(3, u""), u"{\"code\":3}");
  EXPECT_EQ(FixedVersionText(0x00010002, 0x00030004), u"1.2.3.4");
  EXPECT_EQ(FixedVersionText(0xFFFF0000, 0x0000FFFF), u"65535.0.0.65535");
  EXPECT_EQ(NormalizedVersionText(u"10, 0, 19041, 1 "), u"10.0.19041.1");
}

TEST(Drives, DiskInfoAndSystemDisk) {
  EXPECT_EQ(DiskInfoResult({}), u"null");
  EXPECT_EQ(DiskInfoResult({{u'c', 123456789012ull, 3}, {u'z', 0, 4}}),
            u"[{\"disk_id\":\"c:\",\"free_space\":\"123456789012\",\"type\":3},"
            u"{\"disk_id\":\"z:\",\"free_space\":\"0\",\"type\":4}]");
  EXPECT_EQ(SystemDiskResult(u'C'), u"{\"disk\":\"C\"}");
}

TEST(FileBuiltins, CreateDirNamesAndResults) {
  const std::vector<std::u16string> names = CreateDirCandidates(u"C:\\x\\f.txt");
  ASSERT_EQ(names.size(), 10u);
  EXPECT_EQ(names[0], u"C:\\x\\f.txt- \u526F\u672C (1)");
  EXPECT_EQ(names[9], u"C:\\x\\f.txt- \u526F\u672C (10)");
  EXPECT_EQ(CreateDirResult(u"C:\\d", true), u"{\"path\":\"C:\\\\d\",\"success\":1}");
  EXPECT_EQ(CreateDirResult(u"C:\\d", false), u"{\"path\":\"\",\"success\":0}");
  EXPECT_EQ(RunExeResult(true), u"{\"success\":\"0\",\"code\":\"1\"}");
  EXPECT_EQ(RunExeResult(false), u"{\"success\":\"1\",\"code\":\"0\"}");
  EXPECT_EQ(SelectInExplorerParameters(u"C:\\a b.txt"), u" \"/select\", \"C:\\a b.txt\"");
  EXPECT_EQ(QuotedDigitResult(true), u"{\"success\":\"1\"}");
}

TEST(FileBuiltins, AccessCodeNeverZero) {
  EXPECT_EQ(FileAccessCode(false, 0xFFFFFFFF), 1);
  EXPECT_EQ(FileAccessCode(true, 0), 1);
  EXPECT_EQ(FileAccessCode(true, 0x1F01FF), 15);
  EXPECT_EQ(FileAccessCode(true, 0x120089), 5);
  EXPECT_EQ(FileAccessCode(true, 0x120116), 3);
  EXPECT_EQ(FileAccessCode(true, 0x120089 | 0x120116), 7);
  EXPECT_EQ(FileAccessCode(true, 0x10000000u), 9);
  EXPECT_EQ(FileAccessCode(true, 0x80000000u | 0x40000000u), 7);
  EXPECT_EQ(FileAccessResult(15), u"{\"code\":\"15\"}");
}

}  // namespace
