#pragma once
// What a window's pages may do through `external`, as the parent hands it over in the window
// setting "external_policy": base64url of a UTF-8 JSON object. Without a policy every page
// gets everything. A policy that cannot be read is an error, never a fallback to everything.
// Portable: the file system's part (full and long path names, the Startup folders) is done by
// the caller before asking.

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace policy {

// The built-in groups a policy may name, each with its members.
const std::vector<std::pair<std::string, std::vector<std::string>>>& BuiltinGroups();

// An "origins" entry: an exact origin, the subdomains of a host ("https://*.example.com"), the
// pages of the window's archives ("archive"), or, in "builtins" only, every page ("*").
struct OriginPattern {
  enum class Kind { kExact, kSubdomains, kArchive, kAny };
  Kind kind = Kind::kExact;
  std::string scheme;
  std::string host;  // lower case; for kSubdomains the parent domain
  int port = -1;     // -1: the scheme's default
};

// The origin of a top document: scheme, host and port of an http(s) address, or a page served
// from the window's archive.
struct Origin {
  bool archive = false;
  std::string scheme;
  std::string host;
  int port = -1;
};

// Which names of a kind (parent functions, page functions) are allowed: all, or those listed.
struct NameList {
  bool all = true;
  std::set<std::u16string> names;
  bool Allows(const std::u16string& name) const { return all || names.count(name) != 0; }
};

struct ExternalPolicy {
  std::optional<std::vector<OriginPattern>> origins;  // absent: every origin gets `external`
  // Absent: every built-in; otherwise the built-ins each entry allows, groups expanded.
  std::optional<std::vector<std::pair<OriginPattern, std::set<std::string>>>> builtins;
  NameList parent_functions;
  NameList page_functions;
  std::optional<std::vector<std::u16string>> paths;     // normalised folder prefixes
  std::optional<std::vector<std::u16string>> registry;  // normalised key prefixes, root included
  std::optional<std::vector<std::u16string>> programs;  // normalised program paths
  std::set<std::string> url_schemes{"http", "https", "mailto"};  // lower case
};

// The policy of an "external_policy" value, or nothing with *error saying what is wrong.
std::optional<ExternalPolicy> ParsePolicy(std::string_view encoded, std::string* error);

// The origin of an http(s) address; nothing for any other address.
std::optional<Origin> OriginOfUrl(std::u16string_view url);

bool Matches(const OriginPattern& pattern, const Origin& origin);
// The policy's "origins" as the page's own script compares them with its location: a JSON array
// of "archive", {"origin": "scheme://host[:port]"} and {"scheme", "suffix", "port"} entries, or
// null without an "origins" list.
std::string PageOriginsJson(const ExternalPolicy& policy);
// Whether a top document of this origin gets `external`.
bool AllowsExternal(const ExternalPolicy& policy, const Origin& origin);
bool AllowsBuiltin(const ExternalPolicy& policy, const Origin& origin, const std::string& name);

// A Windows path as the policy compares it: "\\?\" and "\\?\UNC\" taken off, forward slashes
// made backslashes, "." and ".." resolved, trailing dots and spaces of each name dropped,
// upper case (ASCII). Nothing for a path that is not absolute (a drive and a backslash, or a
// UNC share) or is a device path. Short names are the caller's to expand first.
std::optional<std::u16string> NormalizePath(std::u16string_view path);
// A registry key as the policy compares it: root spelled in full, single backslashes, upper case.
std::optional<std::u16string> NormalizeRegistryKey(std::u16string_view root, std::u16string_view sub_key);

// Whether a normalised path lies in one of the normalised prefixes: the prefix itself or below it.
bool UnderAny(const std::u16string& path, const std::vector<std::u16string>& prefixes);

// The checks of the scopes; true when the policy has no scope of that kind. Writes to autostart
// places are refused unless the scope lists that exact key or folder (startup_folders: the
// normalised Startup folders of this system).
bool AllowsPath(const ExternalPolicy& policy, const std::u16string& normalized, bool write,
                const std::vector<std::u16string>& startup_folders);
bool AllowsRegistry(const ExternalPolicy& policy, const std::u16string& normalized_key, bool write);
bool AllowsProgram(const ExternalPolicy& policy, const std::u16string& normalized_program);
bool AllowsUrl(const ExternalPolicy& policy, std::u16string_view url);

// Which top document a call comes from. A navigation's new document replaces the one shown only
// when it is committed (ContentLoading): until then the old document may still call, and it
// answers for its own origin, never the one being loaded. A navigation that ends without a new
// document (canceled, a download, no content) leaves the old one current. Navigation ids tell a
// superseded navigation's completion apart where the browser gives them.
class DocumentTracker {
 public:
  void NavigationStarting(std::optional<uint64_t> id, std::optional<Origin> origin);
  void ContentLoading(std::optional<uint64_t> id);
  void NavigationCompleted(std::optional<uint64_t> id);

  // The document shown now: its origin, or nothing for a page no policy entry can name.
  const std::optional<Origin>& current() const { return current_; }
  // The document `external` is offered to: the one being loaded while a navigation is under way
  // (so that it has `external` from its first script), else the one shown.
  const std::optional<Origin>& offered() const { return loading_ ? loading_->origin : current_; }

 private:
  struct Loading {
    std::optional<uint64_t> id;
    std::optional<Origin> origin;
  };
  bool IsLoading(const std::optional<uint64_t>& id) const {
    return loading_ && (!id || !loading_->id || *id == *loading_->id);
  }
  std::optional<Origin> current_;
  std::optional<Loading> loading_;
};

}  // namespace policy
