#include <gtest/gtest.h>

#include <climits>

#include "webview2/internal_fun/cipher_builtins.h"
#include "webview2/internal_fun/json_path_value.h"

namespace {

TEST(JsonPathValue, ParseAcceptsOnlyObjectsAndArrays) {
  JsonPathValue json;
  EXPECT_TRUE(json.Parse(u"{\"a\":1}"));
  EXPECT_TRUE(json.Parse(u"[1,2]"));
  EXPECT_FALSE(json.Parse(u"42"));
  EXPECT_FALSE(json.Parse(u"\"text\""));
  EXPECT_FALSE(json.Parse(u"{bad json"));
  EXPECT_FALSE(json.Parse(u""));
  EXPECT_FALSE(json.Parse(std::u16string(100000, u'[')));  // nesting past the reader's limit
}

TEST(JsonPathValue, PathsWithMembersAndIndexes) {
  JsonPathValue json;
  ASSERT_TRUE(json.Parse(u"{\"a\":{\"b\":[10,{\"c\":\"\u4e2d\"}]},\"list\":[[1,2],[3]],\"n\":null}"));
  EXPECT_EQ(json.GetInt("a.b[0]", -1), 10);
  EXPECT_EQ(json.GetString("a.b[1].c", u"?"), u"\u4e2d");
  EXPECT_EQ(json.GetInt("list[1][0]", -1), 3);
  EXPECT_TRUE(json.Find("").isObject());
  for (const char* missing : {"x", "a.x", "a.b[2]", "a.b[0].c", "list[1][1]", "a.b[", "a.b[x]",
                              "a..b", "a.b[-1]", "[0]", "a.b[99999999999]"}) {
    EXPECT_TRUE(json.Find(missing).isNull()) << missing;
  }
  EXPECT_TRUE(json.Find(std::string(256, 'a')).isNull());
  JsonPathValue array;
  ASSERT_TRUE(array.Parse(u"[{\"k\":5}]"));
  EXPECT_EQ(array.GetInt("[0].k", 0), 5);
}

TEST(JsonPathValue, ConversionsByKind) {
  JsonPathValue json;
  ASSERT_TRUE(json.Parse(u"{\"i\":7,\"r\":2.9,\"b\":true,\"s\":\"12abc\",\"t\":\"x\",\"o\":{}}"));
  EXPECT_EQ(json.GetInt("i", 0), 7);
  EXPECT_EQ(json.GetInt("r", 0), 2);
  EXPECT_EQ(json.GetInt("b", 0), 1);
  EXPECT_EQ(json.GetInt("s", 0), 12);
  EXPECT_EQ(json.GetInt("o", -3), -3);
  // Beyond the 32 bits, a number and a text alike give the default (atoi would be undefined).
  JsonPathValue extreme;
  ASSERT_TRUE(extreme.Parse(u"{\"big\":1e20,\"u\":4294967295,\"min\":\"-2147483648\",\"over\":\"2147483648\","
                            u"\"huge\":\"-99999999999999999999999\",\"lead\":\"  +42px\",\"none\":\"px\"}"));
  const std::pair<const char*, int> cases[] = {{"big", -3}, {"u", -3}, {"min", INT_MIN}, {"over", -3},
                                               {"huge", -3}, {"lead", 42}, {"none", 0}};
  for (const auto& [path, expected] : cases) EXPECT_EQ(extreme.GetInt(path, -3), expected) << path;
  EXPECT_EQ(json.GetString("i", u"def"), u"def");
  EXPECT_EQ(json.GetString("t", u"def"), u"x");
  EXPECT_EQ(json.GetText("i", u""), u"7");
  EXPECT_EQ(json.GetText("b", u""), u"true");
  EXPECT_EQ(json.GetText("o", u"def"), u"def");
  EXPECT_EQ(json.WriteJson("o"), "{}");
  EXPECT_EQ(json.WriteJson("t"), "\"x\"");
}

TEST(CipherBuiltins, RoundTripAndConventions) {
  const std::u16string encrypted = EncryptWithKey({u"{\"data\":\"12345678\",\"key\":\"k\"}"});
  EXPECT_EQ(encrypted.size(), 12u);
  EXPECT_EQ(EncryptWithKey({u"{\"data\":\"123456789\",\"key\":\"k\"}"}).size(), 24u);
  EXPECT_EQ(DecryptWithKey({u"{\"data\":\"" + encrypted + u"\",\"key\":\"k\"}"}), u"12345678");
  // An empty key means the program's default key, in both directions.
  const std::u16string with_default = EncryptWithKey({u"{\"data\":\"\u4e2d\u6587\"}"});
  EXPECT_EQ(DecryptWithKey({u"{\"data\":\"" + with_default + u"\",\"key\":\"\"}"}), u"\u4e2d\u6587");
  EXPECT_EQ(EncryptWithKey({u"{\"data\":\"\"}"}), u"error");
  EXPECT_EQ(EncryptWithKey({u"{\"data\":12}"}), u"error");
  EXPECT_EQ(EncryptWithKey({}), u"param_error");
  EXPECT_EQ(EncryptWithKey({u"12"}), u"format_error");
  EXPECT_EQ(DecryptWithKey({u"{\"data\":\"not base64!\"}"}), u"");
}

}  // namespace
