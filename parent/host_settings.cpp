#include "host_settings.h"

#include <cstdio>
#include <utility>
#include <vector>

#include "base/text_convert.h"
#include "webview2/external_policy.h"
#include "webview2/internal_fun/json_path_value.h"
#include "webview2common/base64.h"
#include "webview2common/command_line.h"

namespace corvane {
namespace {

std::u16string Number(long long value) { return text::AsciiToUtf16(std::to_string(value)); }

std::u16string Hex(uint32_t value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%X", static_cast<unsigned>(value));
  return text::AsciiToUtf16(buffer);
}

std::u16string Quoted(const std::u16string& value) {
  const bool needs_quotes = value.empty() || value.find_first_of(u" \"") != std::u16string::npos ||
                            value.front() == u'"';
  return needs_quotes ? u"\"" + value + u"\"" : value;
}

Json::Value JsonArray(const std::vector<std::string>& items) {
  Json::Value array(Json::arrayValue);
  for (const std::string& item : items) array.append(item);
  return array;
}

Json::Value JsonArray(const std::vector<std::u16string>& items) {
  Json::Value array(Json::arrayValue);
  for (const std::u16string& item : items) array.append(text::Utf16ToUtf8(item));
  return array;
}

}  // namespace

bool EncodePagePolicy(const PagePolicy& p, std::u16string* encoded, std::string* error) {
  Json::Value root(Json::objectValue);
  if (p.origins) root["origins"] = JsonArray(*p.origins);
  if (p.builtins) {
    Json::Value& builtins = root["builtins"] = Json::Value(Json::objectValue);
    for (const auto& [entry, names] : *p.builtins) builtins[entry] = JsonArray(names);
  }
  if (p.parent_functions) root["parent_functions"] = JsonArray(*p.parent_functions);
  if (p.page_functions) root["page_functions"] = JsonArray(*p.page_functions);
  if (p.paths) root["paths"] = JsonArray(*p.paths);
  if (p.registry) root["registry"] = JsonArray(*p.registry);
  if (p.programs) root["programs"] = JsonArray(*p.programs);
  if (!p.url_schemes.empty()) root["url_schemes"] = JsonArray(p.url_schemes);
  return EncodePolicyJson(WriteCompactJson(root), encoded, error);
}

bool EncodePolicyJson(const std::string& json, std::u16string* encoded, std::string* error) {
  const std::string text = Base64UrlEncode(json);
  // The host's own reading decides: what it would refuse is not sent.
  if (!policy::ParsePolicy(text, error)) return false;
  *encoded = text::AsciiToUtf16(text);
  return true;
}

bool BuildSettingsText(const HostWindowSettings& s, std::u16string* out) {
  std::vector<std::pair<std::u16string, std::u16string>> values;
  std::vector<std::u16string> flags;
  values.emplace_back(u"web_view_id", Number(s.window_id));
  if (s.parent_window != 0) values.emplace_back(u"parent_wnd", Hex(s.parent_window));
  if (s.rect) {
    values.emplace_back(u"tab_rect", Number(s.rect->x) + u"," + Number(s.rect->y) + u"," +
                                         Number(s.rect->width) + u"," + Number(s.rect->height));
  }
  if (!s.title.empty()) values.emplace_back(u"class_name", s.title);
  if (!s.channel.empty()) values.emplace_back(u"tab_group_ids", s.channel);
  if (!s.window_list.empty()) values.emplace_back(u"tab_ids", s.window_list);
  if (!s.referrer.empty()) values.emplace_back(u"referrer", s.referrer);
  if (!s.command.empty()) values.emplace_back(u"cmd", s.command);
  if (!s.cache_path.empty()) values.emplace_back(u"cache_path", s.cache_path);
  if (!s.browser_arguments.empty()) values.emplace_back(u"edge_cmd", s.browser_arguments);
  if (s.policy) {
    std::u16string encoded;
    std::string error;
    if (!EncodePagePolicy(*s.policy, &encoded, &error)) return false;
    values.emplace_back(u"external_policy", encoded);
  } else if (s.external_policy) {
    values.emplace_back(u"external_policy", *s.external_policy);
  }
  if (s.url) values.emplace_back(u"url", *s.url);
  if (s.start_hidden) flags.push_back(u"sc_init_hide");
  if (s.follow_display_scale) flags.push_back(u"self_adaption_dpi");

  std::u16string text;
  for (const auto& [key, value] : values) {
    if (!text.empty()) text += u' ';
    text += u"--" + key + u"=" + Quoted(value);
  }
  for (const std::u16string& flag : flags) text += u" --" + flag;

  // The host's parser has no escapes: prove that it reads every value back unchanged.
  const CCommandLine parsed(text);
  for (const auto& [key, value] : values) {
    std::u16string read;
    if (!parsed.GetValue(key, read) || read != value) return false;
  }
  for (const std::u16string& flag : flags) {
    if (!parsed.HasKey(flag)) return false;
  }
  if (parsed.switches().size() != values.size() + flags.size() || !parsed.arguments().empty()) {
    return false;
  }
  *out = std::move(text);
  return true;
}

}  // namespace corvane
