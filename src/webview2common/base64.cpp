#include "webview2common/base64.h"

#include <array>
#include <cstdint>

namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

}  // namespace

std::string Base64UrlEncode(std::string_view bytes) {
  std::string text = Base64Encode(bytes);
  for (char& c : text) c = c == '+' ? '-' : c == '/' ? '_' : c;
  while (!text.empty() && text.back() == '=') text.pop_back();
  return text;
}

std::string Base64Encode(std::string_view bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const uint32_t v = static_cast<uint8_t>(bytes[i]) << 16 |
                       static_cast<uint8_t>(bytes[i + 1]) << 8 | static_cast<uint8_t>(bytes[i + 2]);
    out += kAlphabet[v >> 18];
    out += kAlphabet[(v >> 12) & 63];
    out += kAlphabet[(v >> 6) & 63];
    out += kAlphabet[v & 63];
  }
  const size_t rest = bytes.size() - i;
  if (rest > 0) {
    uint32_t v = static_cast<uint8_t>(bytes[i]) << 16;
    if (rest == 2) v |= static_cast<uint8_t>(bytes[i + 1]) << 8;
    out += kAlphabet[v >> 18];
    out += kAlphabet[(v >> 12) & 63];
    out += rest == 2 ? kAlphabet[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

namespace {

size_t Padding(std::string_view text) {
  size_t padding = 0;
  while (padding < text.size() && padding < 3 && text[text.size() - 1 - padding] == '=') ++padding;
  return padding;
}

}  // namespace

std::optional<size_t> Base64DecodedSize(std::string_view text) {
  if (text.size() % 4 != 0) return std::nullopt;
  const size_t padding = Padding(text);
  if (padding > 2) return std::nullopt;
  return text.size() / 4 * 3 - padding;
}

bool Base64DecodeTo(std::string_view text, char* out) {
  if (!Base64DecodedSize(text)) return false;
  static const auto kTable = [] {
    std::array<int8_t, 256> table{};
    table.fill(-1);
    for (int i = 0; i < 64; ++i) table[static_cast<unsigned char>(kAlphabet[i])] = static_cast<int8_t>(i);
    return table;
  }();
  const size_t body = text.size() - Padding(text);
  char* o = out;
  const auto* in = reinterpret_cast<const unsigned char*>(text.data());
  size_t i = 0;
  // Whole quads first, four table lookups each.
  for (; i + 4 <= body; i += 4) {
    const int a = kTable[in[i]], b = kTable[in[i + 1]], c = kTable[in[i + 2]], d = kTable[in[i + 3]];
    if ((a | b | c | d) < 0) return false;
    const uint32_t v = static_cast<uint32_t>(a) << 18 | static_cast<uint32_t>(b) << 12 |
                       static_cast<uint32_t>(c) << 6 | static_cast<uint32_t>(d);
    *o++ = static_cast<char>(v >> 16);
    *o++ = static_cast<char>((v >> 8) & 0xFF);
    *o++ = static_cast<char>(v & 0xFF);
  }
  // The last quad with its padding.
  if (i < body) {
    uint32_t v = 0;
    const size_t left = body - i;
    for (size_t k = 0; k < left; ++k) {
      const int x = kTable[in[i + k]];
      if (x < 0) return false;
      v |= static_cast<uint32_t>(x) << (18 - 6 * k);
    }
    *o++ = static_cast<char>(v >> 16);
    if (left == 3) *o++ = static_cast<char>((v >> 8) & 0xFF);
  }
  return true;
}

std::optional<std::string> Base64Decode(std::string_view text) {
  const std::optional<size_t> size = Base64DecodedSize(text);
  if (!size) return std::nullopt;
  std::string out(*size, '\0');
  if (!Base64DecodeTo(text, out.data())) return std::nullopt;
  return out;
}
