#include "webview2/external_policy.h"

#include <json/reader.h>
#include <json/value.h>
#include <json/writer.h>

#include <algorithm>
#include <memory>

#include "base/text_convert.h"
#include "webview2common/base64.h"

namespace policy {

namespace {

char16_t Upper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c; }

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

int DefaultPort(const std::string& scheme) { return scheme == "https" ? 443 : scheme == "http" ? 80 : -1; }

bool IsHostCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_';
}

// "host[:port]" of an authority, the host lower case, a default port given as -1.
bool SplitAuthority(const std::string& scheme, std::string authority, std::string* host, int* port) {
  *port = -1;
  size_t host_end = authority.size();
  if (!authority.empty() && authority[0] == '[') {
    host_end = authority.find(']');
    if (host_end == std::string::npos) return false;
    ++host_end;
  } else {
    host_end = authority.find(':');
    if (host_end == std::string::npos) host_end = authority.size();
  }
  *host = Lower(authority.substr(0, host_end));
  if (host->empty()) return false;
  if ((*host)[0] != '[' && !std::all_of(host->begin(), host->end(), IsHostCharacter)) return false;
  if (host_end < authority.size()) {
    if (authority[host_end] != ':' || host_end + 1 == authority.size() || authority.size() - host_end > 6) return false;
    int value = 0;
    for (size_t i = host_end + 1; i < authority.size(); ++i) {
      if (authority[i] < '0' || authority[i] > '9') return false;
      value = value * 10 + (authority[i] - '0');
    }
    if (value < 1 || value > 65535) return false;
    *port = value == DefaultPort(scheme) ? -1 : value;
  }
  return true;
}

bool ParsePattern(const std::string& text, bool in_builtins, OriginPattern* pattern, std::string* error) {
  if (text == "archive") {
    pattern->kind = OriginPattern::Kind::kArchive;
    return true;
  }
  if (in_builtins && text == "*") {
    pattern->kind = OriginPattern::Kind::kAny;
    return true;
  }
  const size_t colon = text.find("://");
  const std::string scheme = colon == std::string::npos ? "" : Lower(text.substr(0, colon));
  if (scheme != "http" && scheme != "https") {
    *error = "origin \"" + text + "\" is not an http or https origin";
    return false;
  }
  std::string authority = text.substr(colon + 3);
  pattern->scheme = scheme;
  pattern->kind = OriginPattern::Kind::kExact;
  if (authority.compare(0, 2, "*.") == 0) {
    pattern->kind = OriginPattern::Kind::kSubdomains;
    authority = authority.substr(2);
  }
  if (!SplitAuthority(scheme, authority, &pattern->host, &pattern->port) || pattern->host.find('*') != std::string::npos) {
    *error = "origin \"" + text + "\" is not scheme://host[:port]";
    return false;
  }
  return true;
}

bool ReadStrings(const Json::Value& value, const std::string& member, std::vector<std::string>* out, std::string* error) {
  if (!value.isArray()) {
    *error = "\"" + member + "\" is not an array";
    return false;
  }
  for (const Json::Value& item : value) {
    if (!item.isString()) {
      *error = "\"" + member + "\" holds a value that is not a text";
      return false;
    }
    out->push_back(item.asString());
  }
  return true;
}

bool ReadNames(const Json::Value& value, const std::string& member, NameList* list, std::string* error) {
  if (value.isBool()) {
    list->all = value.asBool();
    return true;
  }
  std::vector<std::string> names;
  if (!ReadStrings(value, member, &names, error)) {
    *error = "\"" + member + "\" is neither a boolean nor an array of names";
    return false;
  }
  list->all = false;
  for (const std::string& name : names) list->names.insert(text::Utf8ToUtf16(name));
  return true;
}

// Paths (or programs, or registry keys) of a scope, normalised.
template <typename Normalize>
bool ReadScope(const Json::Value& value, const std::string& member, Normalize normalize,
               std::optional<std::vector<std::u16string>>* scope, std::string* error) {
  std::vector<std::string> texts;
  if (!ReadStrings(value, member, &texts, error)) return false;
  scope->emplace();
  for (const std::string& text : texts) {
    std::optional<std::u16string> normalized = normalize(text::Utf8ToUtf16(text));
    if (!normalized) {
      *error = "\"" + member + "\" holds \"" + text + "\", which is not an absolute path or key";
      return false;
    }
    (*scope)->push_back(std::move(*normalized));
  }
  return true;
}

std::optional<std::string> DecodeBase64Url(std::string_view text) {
  std::string standard;
  size_t padding = 0;
  for (char c : text) {
    if (c == '=') {
      ++padding;
      continue;
    }
    if (padding != 0) return std::nullopt;  // "=" only at the end
    if (c == '-') {
      standard += '+';
    } else if (c == '_') {
      standard += '/';
    } else if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
      standard += c;
    } else {
      return std::nullopt;
    }
  }
  // Padding is optional, but where it is given it makes whole groups of four.
  if (padding > 2 || standard.size() % 4 == 1 || (padding != 0 && text.size() % 4 != 0)) return std::nullopt;
  while (standard.size() % 4 != 0) standard += '=';
  return Base64Decode(standard);
}

// The autostart keys below a root, in normalised form (without the root).
const std::vector<std::u16string>& AutostartKeys() {
  static const std::vector<std::u16string> keys = [] {
    std::vector<std::u16string> out;
    for (const char16_t* software : {u"SOFTWARE\\", u"SOFTWARE\\WOW6432NODE\\"}) {
      for (const char16_t* key : {u"MICROSOFT\\WINDOWS\\CURRENTVERSION\\RUN", u"MICROSOFT\\WINDOWS\\CURRENTVERSION\\RUNONCE",
                                  u"MICROSOFT\\WINDOWS\\CURRENTVERSION\\RUNONCEEX",
                                  u"MICROSOFT\\WINDOWS\\CURRENTVERSION\\POLICIES\\EXPLORER\\RUN"}) {
        out.push_back(std::u16string(software) + key);
      }
    }
    return out;
  }();
  return keys;
}

// The autostart key that key is or lies under, or nothing.
std::optional<std::u16string> AutostartKeyOf(const std::u16string& key) {
  std::u16string below;  // the key below its root (and, under HKEY_USERS, below the user's key)
  for (const char16_t* root : {u"HKEY_CURRENT_USER\\", u"HKEY_LOCAL_MACHINE\\"}) {
    if (key.compare(0, std::char_traits<char16_t>::length(root), root) == 0) {
      below = key.substr(std::char_traits<char16_t>::length(root));
    }
  }
  const std::u16string users = u"HKEY_USERS\\";
  if (key.compare(0, users.size(), users) == 0) {
    const size_t user_end = key.find(u'\\', users.size());
    if (user_end != std::u16string::npos) below = key.substr(user_end + 1);
  }
  if (below.empty()) return std::nullopt;
  for (const std::u16string& autostart : AutostartKeys()) {
    if (UnderAny(below, {autostart})) return key.substr(0, key.size() - below.size()) + autostart;
  }
  return std::nullopt;
}

}  // namespace

const std::vector<std::pair<std::string, std::vector<std::string>>>& BuiltinGroups() {
  static const std::vector<std::pair<std::string, std::vector<std::string>>> groups = {
      {"window",
       {"wnd_drag", "set_wnd_rect", "get_wnd_rect", "set_wnd_rect_by_wnd", "get_desktop_workarea", "show_wnd",
        "set_wnd_center", "set_window_title", "get_scale", "get_web_wnd_handle"}},
      {"registry", {"read_regedit", "write_regedit"}},
      {"ini", {"read_ini_file", "write_ini_file"}},
      {"files", {"file_path_exist", "file_path_access", "get_path_filever", "create_dir", "change_path"}},
      {"shell", {"open_url", "file_path_jump", "run_exe"}},
      {"system", {"get_special_dir", "get_statistic_param", "get_disk_info", "get_sys_disk"}},
      {"clipboard", {"copy_clip"}},
      {"cipher", {"encry_with_key", "decry_with_key"}},
      {"log", {"write_log"}},
  };
  return groups;
}

std::optional<ExternalPolicy> ParsePolicy(std::string_view encoded, std::string* error) {
  const std::optional<std::string> json_text = DecodeBase64Url(encoded);
  if (!json_text) {
    *error = "external_policy is not base64url";
    return std::nullopt;
  }
  Json::CharReaderBuilder builder;
  Json::CharReaderBuilder::strictMode(&builder.settings_);
  const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  Json::Value root;
  std::string why;
  if (!reader->parse(json_text->data(), json_text->data() + json_text->size(), &root, &why) || !root.isObject()) {
    *error = "external_policy is not a JSON object";
    return std::nullopt;
  }
  ExternalPolicy result;
  for (const std::string& member : root.getMemberNames()) {
    const Json::Value& value = root[member];
    if (member == "origins") {
      std::vector<std::string> texts;
      if (!ReadStrings(value, member, &texts, error)) return std::nullopt;
      result.origins.emplace();
      for (const std::string& text : texts) {
        OriginPattern pattern;
        if (!ParsePattern(text, false, &pattern, error)) return std::nullopt;
        result.origins->push_back(pattern);
      }
    } else if (member == "builtins") {
      if (!value.isObject()) {
        *error = "\"builtins\" is not an object";
        return std::nullopt;
      }
      result.builtins.emplace();
      for (const std::string& entry : value.getMemberNames()) {
        OriginPattern pattern;
        if (!ParsePattern(entry, true, &pattern, error)) return std::nullopt;
        std::vector<std::string> names;
        if (!ReadStrings(value[entry], "builtins." + entry, &names, error)) return std::nullopt;
        std::set<std::string> allowed;
        for (const std::string& name : names) {
          bool known = false;
          for (const auto& [group, members] : BuiltinGroups()) {
            if (name == group) {
              allowed.insert(members.begin(), members.end());
              known = true;
            } else if (std::find(members.begin(), members.end(), name) != members.end()) {
              allowed.insert(name);
              known = true;
            }
          }
          if (!known) {
            *error = "\"builtins\" names \"" + name + "\", which is neither a built-in nor a group";
            return std::nullopt;
          }
        }
        result.builtins->emplace_back(pattern, std::move(allowed));
      }
    } else if (member == "parent_functions") {
      if (!ReadNames(value, member, &result.parent_functions, error)) return std::nullopt;
    } else if (member == "page_functions") {
      if (!ReadNames(value, member, &result.page_functions, error)) return std::nullopt;
    } else if (member == "paths" || member == "programs") {
      if (!ReadScope(value, member, [](const std::u16string& t) { return NormalizePath(t); },
                     member == "paths" ? &result.paths : &result.programs, error)) {
        return std::nullopt;
      }
    } else if (member == "registry") {
      auto key = [](const std::u16string& t) {
        const size_t slash = t.find(u'\\');
        return NormalizeRegistryKey(t.substr(0, slash), slash == std::u16string::npos ? u"" : t.substr(slash + 1));
      };
      if (!ReadScope(value, member, key, &result.registry, error)) return std::nullopt;
    } else if (member == "url_schemes") {
      std::vector<std::string> schemes;
      if (!ReadStrings(value, member, &schemes, error)) return std::nullopt;
      for (const std::string& scheme : schemes) {
        const bool valid = !scheme.empty() && std::all_of(scheme.begin(), scheme.end(), [](char c) {
          return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
        });
        if (!valid) {
          *error = "\"url_schemes\" holds \"" + scheme + "\", which is not a scheme";
          return std::nullopt;
        }
        result.url_schemes.insert(Lower(scheme));
      }
    } else {
      *error = "external_policy has an unknown member \"" + member + "\"";
      return std::nullopt;
    }
  }
  return result;
}

std::optional<Origin> OriginOfUrl(std::u16string_view url) {
  const std::string text = text::Utf16ToUtf8(std::u16string(url));
  const size_t colon = text.find("://");
  if (colon == std::string::npos) return std::nullopt;
  Origin origin;
  origin.scheme = Lower(text.substr(0, colon));
  if (origin.scheme != "http" && origin.scheme != "https") return std::nullopt;
  const size_t start = colon + 3;
  const size_t end = text.find_first_of("/?#\\", start);
  std::string authority = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
  const size_t at = authority.rfind('@');
  if (at != std::string::npos) authority = authority.substr(at + 1);
  if (!SplitAuthority(origin.scheme, authority, &origin.host, &origin.port)) return std::nullopt;
  return origin;
}

bool Matches(const OriginPattern& pattern, const Origin& origin) {
  switch (pattern.kind) {
    case OriginPattern::Kind::kAny:
      return true;
    case OriginPattern::Kind::kArchive:
      return origin.archive;
    case OriginPattern::Kind::kExact:
      return !origin.archive && origin.scheme == pattern.scheme && origin.host == pattern.host &&
             origin.port == pattern.port;
    case OriginPattern::Kind::kSubdomains: {
      const std::string suffix = "." + pattern.host;
      return !origin.archive && origin.scheme == pattern.scheme && origin.port == pattern.port &&
             origin.host.size() > suffix.size() &&
             origin.host.compare(origin.host.size() - suffix.size(), suffix.size(), suffix) == 0;
    }
  }
  return false;
}

std::string PageOriginsJson(const ExternalPolicy& policy) {
  if (!policy.origins) return "null";
  Json::Value entries(Json::arrayValue);
  for (const OriginPattern& pattern : *policy.origins) {
    // location.port is empty for the scheme's default port, as the pattern's -1.
    const std::string port = pattern.port < 0 ? std::string() : std::to_string(pattern.port);
    Json::Value entry(Json::objectValue);
    switch (pattern.kind) {
      case OriginPattern::Kind::kAny:
        return "null";
      case OriginPattern::Kind::kArchive:
        entry = "archive";
        break;
      case OriginPattern::Kind::kExact:
        entry["origin"] = pattern.scheme + "://" + pattern.host + (port.empty() ? "" : ":" + port);
        break;
      case OriginPattern::Kind::kSubdomains:
        entry["scheme"] = pattern.scheme;
        entry["suffix"] = "." + pattern.host;
        entry["port"] = port;
        break;
    }
    entries.append(entry);
  }
  Json::StreamWriterBuilder builder;
  builder["indentation"] = "";
  return Json::writeString(builder, entries);
}

bool AllowsExternal(const ExternalPolicy& policy, const Origin& origin) {
  if (!policy.origins) return true;
  return std::any_of(policy.origins->begin(), policy.origins->end(),
                     [&](const OriginPattern& pattern) { return Matches(pattern, origin); });
}

bool AllowsBuiltin(const ExternalPolicy& policy, const Origin& origin, const std::string& name) {
  if (!policy.builtins) return true;
  return std::any_of(policy.builtins->begin(), policy.builtins->end(), [&](const auto& entry) {
    return Matches(entry.first, origin) && entry.second.count(name) != 0;
  });
}

std::optional<std::u16string> NormalizePath(std::u16string_view raw) {
  std::u16string path(raw);
  std::replace(path.begin(), path.end(), u'/', u'\\');
  for (char16_t& c : path) c = Upper(c);
  bool unc = false;
  if (path.compare(0, 8, u"\\\\?\\UNC\\") == 0) {
    path = path.substr(8);
    unc = true;
  } else if (path.compare(0, 4, u"\\\\?\\") == 0 || path.compare(0, 4, u"\\??\\") == 0) {
    path = path.substr(4);
  } else if (path.compare(0, 4, u"\\\\.\\") == 0) {
    return std::nullopt;  // a device
  } else if (path.compare(0, 2, u"\\\\") == 0) {
    path = path.substr(2);
    unc = true;
  }
  if (path.find(u'\0') != std::u16string::npos) return std::nullopt;
  // The names between backslashes; the first is the drive, or the UNC server.
  std::vector<std::u16string> names;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(u'\\', start);
    if (end == std::u16string::npos) end = path.size();
    std::u16string name = path.substr(start, end - start);
    // Windows drops trailing dots and spaces of a name ("a. ." is "a"), but "." and ".." stay.
    if (name != u"." && name != u"..") {
      while (!name.empty() && (name.back() == u'.' || name.back() == u' ')) name.pop_back();
    }
    if (name == u"..") {
      if (names.size() > (unc ? 2u : 1u)) names.pop_back();  // never above the drive or the share
    } else if (!name.empty() && name != u".") {
      names.push_back(std::move(name));
    } else if (names.empty()) {
      return std::nullopt;  // no drive or server
    }
    start = end + 1;
  }
  if (unc) {
    if (names.size() < 2) return std::nullopt;  // a share needs a server and a share name
  } else if (names.empty() || names[0].size() != 2 || names[0][1] != u':' || names[0][0] < u'A' || names[0][0] > u'Z' ||
             raw.size() < 3) {
    return std::nullopt;  // relative, or a drive without its backslash
  }
  std::u16string out = unc ? u"\\\\" : u"";
  for (size_t i = 0; i < names.size(); ++i) out += (i == 0 ? u"" : u"\\") + names[i];
  if (!unc && names.size() == 1) out += u"\\";
  return out;
}

std::optional<std::u16string> NormalizeRegistryKey(std::u16string_view root, std::u16string_view sub_key) {
  std::u16string full;
  for (char16_t c : root) full += Upper(c);
  if (full != u"HKEY_CLASSES_ROOT" && full != u"HKEY_CURRENT_USER" && full != u"HKEY_LOCAL_MACHINE" &&
      full != u"HKEY_USERS") {
    return std::nullopt;
  }
  full += u'\\';
  for (char16_t c : sub_key) {
    if (c == u'\0') return std::nullopt;
    if (c == u'\\' && full.back() == u'\\') continue;  // the registry reads "a\\b" as "a\b"
    full += Upper(c);
  }
  while (full.back() == u'\\') full.pop_back();
  return full;
}

bool UnderAny(const std::u16string& path, const std::vector<std::u16string>& prefixes) {
  return std::any_of(prefixes.begin(), prefixes.end(), [&](const std::u16string& prefix) {
    if (path.compare(0, prefix.size(), prefix) != 0) return false;
    return path.size() == prefix.size() || prefix.back() == u'\\' || path[prefix.size()] == u'\\';
  });
}

bool AllowsPath(const ExternalPolicy& policy, const std::u16string& normalized, bool write,
                const std::vector<std::u16string>& startup_folders) {
  if (write) {
    for (const std::u16string& startup : startup_folders) {
      if (!UnderAny(normalized, {startup})) continue;
      if (!policy.paths || std::find(policy.paths->begin(), policy.paths->end(), startup) == policy.paths->end()) {
        return false;
      }
    }
  }
  return !policy.paths || UnderAny(normalized, *policy.paths);
}

bool AllowsRegistry(const ExternalPolicy& policy, const std::u16string& normalized_key, bool write) {
  if (write) {
    if (const std::optional<std::u16string> autostart = AutostartKeyOf(normalized_key)) {
      if (!policy.registry ||
          std::find(policy.registry->begin(), policy.registry->end(), *autostart) == policy.registry->end()) {
        return false;
      }
    }
  }
  return !policy.registry || UnderAny(normalized_key, *policy.registry);
}

bool AllowsProgram(const ExternalPolicy& policy, const std::u16string& normalized_program) {
  return !policy.programs ||
         std::find(policy.programs->begin(), policy.programs->end(), normalized_program) != policy.programs->end();
}

bool AllowsUrl(const ExternalPolicy& policy, std::u16string_view url) {
  const size_t colon = url.find(u':');
  if (colon == std::u16string_view::npos || colon == 0) return false;
  std::string scheme;
  for (char16_t c : url.substr(0, colon)) {
    if (c > 0x7F) return false;
    scheme += static_cast<char>(c);
  }
  return policy.url_schemes.count(Lower(scheme)) != 0;
}

void DocumentTracker::NavigationStarting(std::optional<uint64_t> id, std::optional<Origin> origin) {
  // A redirect starts again with the same id and a new address; a new navigation replaces one
  // still loading.
  loading_ = Loading{id, std::move(origin)};
}

void DocumentTracker::ContentLoading(std::optional<uint64_t> id) {
  if (!IsLoading(id)) return;
  current_ = std::move(loading_->origin);
  loading_.reset();
}

void DocumentTracker::NavigationCompleted(std::optional<uint64_t> id) {
  if (IsLoading(id)) loading_.reset();
}

}  // namespace policy
