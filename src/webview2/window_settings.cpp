#include "webview2/window_settings.h"

#include <climits>

#include "base/text_convert.h"
#include "webview2common/command_line.h"
#include "webview2common/md5.h"

namespace {

int DigitValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'z') return c - u'a' + 10;
  if (c >= u'A' && c <= u'Z') return c - u'A' + 10;
  return 99;
}

// Parses at position `at` as wcstol does; returns the magnitude clamped to 2^32 and the sign.
struct Parsed {
  uint64_t magnitude = 0;
  bool negative = false;
  bool any = false;
  size_t end = 0;
};

Parsed ParseDigits(const std::u16string& text, size_t at, int base) {
  Parsed p;
  while (at < text.size() && text::IsAsciiSpace(text[at])) ++at;
  if (at < text.size() && (text[at] == u'+' || text[at] == u'-')) p.negative = text[at++] == u'-';
  if (base == 16 && at + 1 < text.size() && text[at] == u'0' &&
      (text[at + 1] == u'x' || text[at + 1] == u'X') && at + 2 < text.size() &&
      DigitValue(text[at + 2]) < 16) {
    at += 2;
  }
  for (; at < text.size() && DigitValue(text[at]) < base; ++at) {
    p.any = true;
    if (p.magnitude <= 0x100000000ull) p.magnitude = p.magnitude * base + DigitValue(text[at]);
  }
  p.end = at;
  return p;
}

WindowRect ParseRect(const std::u16string& text) {
  // "%d,%d,%d,%d": as many numbers as can be read; the rest stay 0.
  int32_t values[4] = {0, 0, 0, 0};
  size_t at = 0;
  for (int i = 0; i < 4; ++i) {
    if (i > 0) {
      if (at >= text.size() || text[at] != u',') break;
      ++at;
    }
    const Parsed p = ParseDigits(text, at, 10);
    if (!p.any) break;
    int64_t v = p.negative ? -static_cast<int64_t>(p.magnitude) : static_cast<int64_t>(p.magnitude);
    values[i] = v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : static_cast<int32_t>(v);
    at = p.end;
  }
  return WindowRect{values[0], values[1], WrappingAdd(values[0], values[2]),
                    WrappingAdd(values[1], values[3])};
}

}  // namespace

int32_t ParseLong(const std::u16string& text, int base) {
  const Parsed p = ParseDigits(text, 0, base);
  if (!p.any) return 0;
  if (p.negative) {
    return p.magnitude > 0x80000000ull ? INT_MIN : static_cast<int32_t>(-static_cast<int64_t>(p.magnitude));
  }
  return p.magnitude > INT_MAX ? INT_MAX : static_cast<int32_t>(p.magnitude);
}

uint32_t ParseULong(const std::u16string& text, int base) {
  const Parsed p = ParseDigits(text, 0, base);
  if (!p.any || p.magnitude > UINT_MAX) return p.any ? UINT_MAX : 0;
  const uint32_t value = static_cast<uint32_t>(p.magnitude);
  return p.negative ? 0u - value : value;
}

std::u16string BrowserArgumentHash(const std::u16string& arguments) {
  const CCommandLine line(arguments);
  std::u16string names;
  for (const auto& entry : line.switches()) {
    if (entry.first != u"--cache_cmd") names += entry.first;
  }
  if (names.empty()) return {};
  return text::AsciiToUtf16(Md5::HexDigest(text::Utf16ToUtf8(names)));
}

WindowSettings ParseWindowSettings(const std::u16string& text,
                                   const std::u16string& data_directory) {
  WindowSettings s;
  const CCommandLine line(text);
  std::u16string value;
  if (line.GetValue(u"cmd", value)) s.cmd = value;
  // Window handles are 32-bit values; parsed unsigned so that none is clamped.
  if (line.GetValue(u"parent_wnd", value)) s.parent_wnd = ParseULong(value, 16);
  if (line.GetValue(u"class_name", value)) s.class_name = value;
  if (line.GetValue(u"web_view_id", value)) s.web_view_id = ParseLong(value, 10);
  if (line.GetValue(u"tab_rect", value)) s.tab_rect = ParseRect(value);
  if (line.GetValue(u"tab_group_ids", value)) s.tab_group_ids = value;
  if (line.GetValue(u"tab_ids", value)) s.tab_ids = value;
  if (line.GetValue(u"url", value)) s.url = value.empty() ? u"about:blank" : value;
  if (line.GetValue(u"referrer", value)) s.referrer = value;
  if (line.GetValue(u"edge_cmd", value)) s.edge_cmd = value;
  if (line.GetValue(u"external_policy", value)) s.external_policy = value;
  const bool has_cache_path = line.GetValue(u"cache_path", value);
  if (has_cache_path) s.cache_path = value;
  s.sc_init_hide = line.HasKey(u"sc_init_hide");
  s.self_adaption_dpi = line.HasKey(u"self_adaption_dpi");

  if (has_cache_path) {
    s.edge_cmd += u" --user-data-dir=" + s.cache_path;
  } else if (!data_directory.empty()) {
    s.cache_path = data_directory;
    const std::u16string hash = BrowserArgumentHash(s.edge_cmd);
    if (!hash.empty()) s.cache_path = data_directory + u"\\" + hash;
  }
  return s;
}
