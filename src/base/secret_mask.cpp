#include "base/secret_mask.h"

namespace text {

std::u16string MaskSecret(std::u16string_view secret) {
  constexpr size_t kShownFrom = 6;  // shorter secrets show nothing but their length
  std::u16string masked(secret.size() >= kShownFrom ? secret.substr(0, 2) : std::u16string_view());
  masked += u"***(";
  for (char c : std::to_string(secret.size())) masked += static_cast<char16_t>(c);
  masked += u")";
  return masked;
}

std::u16string MaskArchiveKeys(std::u16string_view text) {
  // A key may hold spaces ("my key"): it ends at its bar, and is no key when a quote, a line's
  // end or another address comes first.
  auto ends_word = [](char16_t c) { return c == u'"' || c == u'\t' || c == u'\r' || c == u'\n'; };
  std::u16string out;
  size_t done = 0;
  for (size_t at = text.find(u"://"); at != std::u16string_view::npos; at = text.find(u"://", done)) {
    const size_t key = at + 3;
    size_t end = key;
    size_t bar = std::u16string_view::npos;
    for (; end < text.size() && !ends_word(text[end]) && text.compare(end, 3, u"://") != 0; ++end) {
      if (text[end] == u'|') {
        bar = end;
        break;
      }
      if (text[end] == u'%' && end + 2 < text.size() && text[end + 1] == u'7' &&
          (text[end + 2] == u'C' || text[end + 2] == u'c')) {
        bar = end;
        break;
      }
    }
    out.append(text.substr(done, key - done));
    if (bar == std::u16string_view::npos) {
      done = key;
      continue;
    }
    out += MaskSecret(text.substr(key, bar - key));
    done = bar;
  }
  out.append(text.substr(done));
  return out;
}

}  // namespace text
