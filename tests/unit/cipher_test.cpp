#include <gtest/gtest.h>

#include <cctype>

#include "hex.h"

#include "webview2common/base64.h"
#include "webview2common/blowfish.h"
#include "webview2common/text_cipher.h"

namespace {

// Upper-case, as the published vectors are written.
std::string Hex(const std::string& bytes) {
  std::string hex = HexOf(bytes);
  for (char& c : hex) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return hex;
}

std::string Unhex(const std::string& hex) {
  std::string out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return out;
}

TEST(BlowfishCipher, PublishedVectors) {
  struct Case {
    const char* key;
    const char* plain;
    const char* cipher;
  };
  const Case cases[] = {
      {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
      {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
      {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
      {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
      {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
      {"F0E1D2C3B4A5968778695A4B3C2D1E0F0011223344556677", "FEDCBA9876543210", "05044B62FA52D080"},
  };
  for (const Case& c : cases) {
    const std::string key = Unhex(c.key);
    std::string block = Unhex(c.plain);
    Blowfish cipher(reinterpret_cast<const uint8_t*>(key.data()), key.size());
    ASSERT_TRUE(cipher.EncryptEcb(reinterpret_cast<uint8_t*>(block.data()), block.size()));
    EXPECT_EQ(Hex(block), c.cipher) << c.key;
    ASSERT_TRUE(cipher.DecryptEcb(reinterpret_cast<uint8_t*>(block.data()), block.size()));
    EXPECT_EQ(Hex(block), c.plain) << c.key;
  }
}

TEST(BlowfishCipher, RefusesPartialBlocks) {
  Blowfish cipher(reinterpret_cast<const uint8_t*>("k"), 1);
  uint8_t data[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  EXPECT_FALSE(cipher.EncryptEcb(data, sizeof data));
  EXPECT_EQ(data[0], 1);
  EXPECT_FALSE(cipher.DecryptEcb(data, 7));
}

TEST(Base64, EncodesAndDecodesStandardVectors) {
  const std::pair<std::string, std::string> vectors[] = {
      {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"},
      {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
      {std::string("\xFF\xFE\x00", 3), "//4A"}};
  for (const auto& [plain, encoded] : vectors) {
    EXPECT_EQ(Base64Encode(plain), encoded);
    EXPECT_EQ(Base64Decode(encoded), plain);
  }
}

TEST(Base64, RefusesAnythingElse) {
  for (const char* bad : {"Zg=", "Zg", "Z===", "====", "Zg=a", "Z=g=", "Zm9v\n", "Zm 9", "Zm9-", "Zm9_"}) {
    EXPECT_FALSE(Base64Decode(bad).has_value()) << bad;
  }
}

TEST(TextCipher, RoundTripAndBlockPadding) {
  const std::string key = "{0B8E2A4C-7D31-4F6A-9C52-1E8D3B7A6F40}";
  EXPECT_EQ(EncipherText("12345678", key).size(), 12u) << "one block, no padding block";
  EXPECT_EQ(EncipherText("123456789", key).size(), 24u);
  const std::string plain = "window.external \xE4\xB8\xAD";
  EXPECT_EQ(DecipherText(EncipherText(plain, key), key), plain);
  EXPECT_NE(DecipherText(EncipherText(plain, key), "other key"), plain);
  EXPECT_FALSE(DecipherText("not base64!", key).has_value());
  EXPECT_FALSE(DecipherText("QUJD", key).has_value()) << "three bytes are no whole block";
}

// Large texts are split between two threads at a slice boundary; the result must be the one the
// two steps give one after the other, and a fault on either side of the split must be found.
TEST(TextCipher, LargeTextsDecipherAsTheTwoStepsDo) {
  const std::string key = "archive key";
  std::string plain(3 * 1024 * 1024 + 8 * 37, '\0');
  uint32_t state = 1;
  for (char& c : plain) c = static_cast<char>((state = state * 1103515245 + 12345) >> 24);
  const std::string text = EncipherBlocks(plain, key);
  ASSERT_GE(text.size(), 1024u * 1024);
  EXPECT_TRUE(DecipherBlocks(text, key) == plain);
  // Every size of padding at the end still works.
  for (size_t extra : {8u, 16u, 24u}) {
    const std::string tail = plain.substr(0, 2 * 1024 * 1024 + extra);
    EXPECT_TRUE(DecipherBlocks(EncipherBlocks(tail, key), key) == tail) << extra;
  }
  const size_t middle = text.size() / 2 / (32 * 1024) * (32 * 1024);
  for (size_t at : {size_t{5}, middle - 1, middle, middle + 1, text.size() - 5}) {
    std::string bad = text;
    bad[at] = '*';
    EXPECT_FALSE(DecipherBlocks(bad, key).has_value()) << at;
    bad[at] = '=';
    EXPECT_FALSE(DecipherBlocks(bad, key).has_value()) << "padding inside the text, at " << at;
  }
  EXPECT_FALSE(DecipherBlocks(text.substr(0, text.size() - 4), key).has_value()) << "not whole blocks";
}

}  // namespace
