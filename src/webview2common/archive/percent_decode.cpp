#include "webview2common/archive/percent_decode.h"

namespace {

constexpr size_t kMaxDecoded = 2084;

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<std::string> PercentDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
    } else {
      if (i + 2 >= text.size()) return std::nullopt;
      const int high = HexValue(text[i + 1]);
      const int low = HexValue(text[i + 2]);
      if (high < 0 || low < 0) return std::nullopt;
      const char byte = static_cast<char>(high * 16 + low);
      if (byte == '\0') return std::nullopt;
      out += byte;
      i += 2;
    }
    if (out.size() > kMaxDecoded) return std::nullopt;
  }
  return out;
}
