// The digests of the machine identifier: MD5 finalised twice, SHA-1 and CRC-8, against
// published and reference values.
#include <gtest/gtest.h>

#include <string>

#include "webview2common/md5.h"
#include "webview2common/sha1.h"

namespace {

TEST(MidDigest, FinalisedTwiceReferenceValues) {
  EXPECT_EQ(Md5::MidDigestHex(""), "5d2735c78b4ad61d0f6b5933aef45e4f");
  EXPECT_EQ(Md5::MidDigestHex("abc"), "ab32b7d610b8276088dc6cdcfe9adbf3");
  // The single finalisation is plain MD5 still.
  EXPECT_EQ(Md5::HexDigest("abc"), "900150983cd24fb0d6963f7d28e17f72");
  // Lengths around the padding boundary give distinct, stable digests.
  for (size_t length : {55u, 56u, 63u, 64u, 65u, 119u, 120u}) {
    const std::string text(length, 'x');
    EXPECT_EQ(Md5::MidDigestHex(text).size(), 32u);
    EXPECT_NE(Md5::MidDigestHex(text), Md5::HexDigest(text)) << length;
    EXPECT_EQ(Md5::MidDigestHex(text), Md5::MidDigestHex(text));
  }
}

TEST(Sha1, PublishedVectors) {
  EXPECT_EQ(Sha1::HexDigest(""), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
  EXPECT_EQ(Sha1::HexDigest("abc"), "a9993e364706816aba3e25717850c26c9cd0d89d");
  EXPECT_EQ(Sha1::HexDigest("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
  EXPECT_EQ(Sha1::HexDigest(std::string(1000000, 'a')), "34aa973cd4c4daa4f61eeb2bdbad27316534016f");
}

TEST(Crc8, OneWireCheckValue) {
  EXPECT_EQ(Crc8("123456789"), 0xA1);
  EXPECT_EQ(Crc8(""), 0x00);
}

}  // namespace
