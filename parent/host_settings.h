#pragma once
// The settings text of a browser window, as the host reads it from its command line and from
// the create command. Portable: no Windows header.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace corvane {

struct HostRect {
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
};

// What a window's pages may do through `external` (the README's security section explains each
// member). An absent member leaves its kind unrestricted.
struct PagePolicy {
  std::optional<std::vector<std::string>> origins;  // "https://a.example", "https://*.example", "archive"
  // Origin entry (or "*") to the built-ins and groups its pages may call.
  std::optional<std::vector<std::pair<std::string, std::vector<std::string>>>> builtins;
  std::optional<std::vector<std::string>> parent_functions;  // empty: none
  std::optional<std::vector<std::string>> page_functions;    // empty: none
  std::optional<std::vector<std::u16string>> paths;          // folder prefixes
  std::optional<std::vector<std::u16string>> registry;       // key prefixes, root spelled out
  std::optional<std::vector<std::u16string>> programs;       // programs run_exe may start
  std::vector<std::string> url_schemes;                      // besides http, https and mailto
};

// The "external_policy" value of a policy; false, with *error saying why, for a policy the host
// would refuse (it would show no page).
bool EncodePagePolicy(const PagePolicy& policy, std::u16string* encoded, std::string* error);
// Likewise for a policy given as its JSON text (UTF-8).
bool EncodePolicyJson(const std::string& json, std::u16string* encoded, std::string* error);

struct HostWindowSettings {
  int32_t window_id = 0;                 // web_view_id: a multiple of 256 below 65536
  // url: the first page. Without one (empty, or about:blank) the browser is made, and event 1
  // sent, at the first Navigate.
  std::optional<std::u16string> url;
  uint32_t parent_window = 0;            // parent_wnd: the window that hosts the browser window
  std::optional<HostRect> rect;          // tab_rect
  std::u16string title;                  // class_name: the browser window's title
  std::u16string channel;                // tab_group_ids: the channel name
  std::u16string window_list;            // tab_ids: channel name when tab_group_ids is empty
  bool start_hidden = false;             // sc_init_hide
  std::u16string referrer;               // referrer
  bool follow_display_scale = false;     // self_adaption_dpi
  std::u16string command;                // cmd
  std::u16string cache_path;             // cache_path: the browser's user-data folder
  std::u16string browser_arguments;      // edge_cmd: extra arguments for the browser runtime
  // external_policy: what the window's pages may do through `external`; absent, everything.
  // The typed policy is encoded for the key; external_policy is the key's value as it is, used
  // when there is no typed policy.
  std::optional<PagePolicy> policy;
  std::optional<std::u16string> external_policy;
};

// Builds "--key=value ..." for every key that is set. Values with blanks or quotes are quoted.
// A typed policy the host would refuse makes it fail.
// Returns false (and leaves out empty) when a value cannot be written so that the host reads it
// back unchanged, such as a value with an unbalanced double quote.
bool BuildSettingsText(const HostWindowSettings& settings, std::u16string* out);

}  // namespace corvane
