#pragma once
// The settings of one browser window, parsed from a command-line text (the process arguments
// for the main window, the create command's text for every later one).

#include <cstdint>
#include <optional>
#include <string>

struct WindowRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  bool operator==(const WindowRect& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
};

// a + b in 32 bits, wrapping like the sums of a rectangle's edges do in the platform's types.
inline int32_t WrappingAdd(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

// A window id travels in bits 8-15 of every message type of its window, so only a multiple of
// 256 from 0 to 65280 can name a window; any other value would corrupt the code byte. 0 is the
// settings' default id.
inline bool IsValidWindowId(int32_t id) { return id >= 0 && id < 65536 && id % 256 == 0; }

struct WindowSettings {
  std::u16string url;                   // "url"; present but empty means about:blank
  uint32_t parent_wnd = 0;              // "parent_wnd", hexadecimal window handle
  WindowRect tab_rect;                  // "tab_rect" = x,y,width,height
  std::u16string class_name = u"Webview2";  // "class_name": the window title
  std::u16string tab_group_ids;         // "tab_group_ids": the channel name
  int32_t web_view_id = 0;              // "web_view_id": the window id
  bool sc_init_hide = false;            // "sc_init_hide"
  std::u16string referrer;              // "referrer"
  bool self_adaption_dpi = false;       // "self_adaption_dpi"
  std::u16string cmd;                   // "cmd"
  std::u16string cache_path;            // "cache_path", or derived from the data directory
  std::u16string edge_cmd;              // "edge_cmd": extra browser arguments
  std::u16string tab_ids;               // "tab_ids": channel name fallback
  std::optional<std::u16string> external_policy;  // "external_policy": what pages may do (absent: all)
  uint32_t window = 0;                  // the browser window's own handle, once created

  // The channel name: "tab_group_ids", or "tab_ids" when that is empty.
  const std::u16string& ChannelName() const { return tab_group_ids.empty() ? tab_ids : tab_group_ids; }
};

// Parses text; data_directory is the per-user data directory that holds the default caches.
WindowSettings ParseWindowSettings(const std::u16string& text, const std::u16string& data_directory);

// The MD5 hex of the switch names of a browser-argument text, concatenated in code-unit order;
// empty when it has no switch.
std::u16string BrowserArgumentHash(const std::u16string& arguments);

// Number parsing as the C runtime's wcstol/wcstoul do it: leading blanks, a sign, digits of the
// base (an optional 0x for base 16) up to the first other character; 0 when none.
int32_t ParseLong(const std::u16string& text, int base);
uint32_t ParseULong(const std::u16string& text, int base);
