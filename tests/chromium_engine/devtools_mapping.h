#pragma once
// The browser engine's portable half: how WebView2 ideas map onto the browser's DevTools
// protocol and back. Addresses, filters, network errors, header texts, and the values that cross
// between page script and the host through the engine's page bridge.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <json/value.h>

namespace devtools {

// The origin that page script's synchronous calls to host objects are sent to. The engine
// answers every request to it itself; nothing ever leaves the browser.
inline constexpr char kBridgeOrigin[] = "https://corvane-engine.invalid";

// The script the engine installs into every document before any other: it gives pages
// `chrome.webview.hostObjects` (synchronous proxies) and keeps the page's functions that were
// handed to the host, so that the host can call them later.
extern const char kBridgeScript[];

// The COREWEBVIEW2_WEB_ERROR_STATUS for a failed load, from the browser's error text
// ("net::ERR_NAME_NOT_RESOLVED"); a canceled load is OPERATION_CANCELED whatever its text.
int WebErrorStatusOf(std::string_view error_text, bool canceled);

// An address the browser can load. A Windows path ("D:\apps\x|index.html") becomes a file URL
// with its reserved characters escaped, as WebView2 does; anything else is kept.
std::string NavigableUrl(std::string_view uri);

// Whether the browser loads this address through a request that can be intercepted (http,
// https, file, and the like); data:, about:, blob: and javascript: addresses are not.
bool LoadsWithARequest(std::string_view url);

// Whether text matches a WebView2 resource filter: '*' matches any run of characters
// (including none), every other character itself, case-sensitively.
bool WildcardMatch(std::string_view pattern, std::string_view text);

// The DevTools resource type of a WebView2 resource context, or "" for all resources.
std::string ResourceTypeOfContext(int context);
// Whether a request of this DevTools resource type is within a WebView2 resource context.
bool ContextIncludes(int context, std::string_view resource_type);

// "Name: value" lines, separated by CR LF or LF, as name/value pairs; blank and colon-less
// lines are skipped, spaces around names and values trimmed.
std::vector<std::pair<std::string, std::string>> HeaderLines(std::string_view text);

// A value that crosses between page script and the host.
struct ScriptValue {
  enum class Kind { kUndefined, kNull, kString, kNumber, kBool, kPageObject };
  Kind kind = Kind::kUndefined;
  std::string text;  // a string's text, or a page object's id
  double number = 0;
  bool flag = false;

  static ScriptValue String(std::string t) { return {Kind::kString, std::move(t), 0, false}; }
  static ScriptValue Number(double n) { return {Kind::kNumber, {}, n, false}; }
  static ScriptValue Bool(bool b) { return {Kind::kBool, {}, 0, b}; }
  static ScriptValue Null() { return {Kind::kNull, {}, 0, false}; }
  static ScriptValue PageObject(std::string id) { return {Kind::kPageObject, std::move(id), 0, false}; }
  bool operator==(const ScriptValue& o) const {
    return kind == o.kind && text == o.text && number == o.number && flag == o.flag;
  }
};

// A page's call of a member of a host object, as the bridge sends it.
struct HostCall {
  std::string object;
  std::string member;
  bool method = true;  // false: a property read
  std::vector<ScriptValue> arguments;
};

// The body of a bridge request; nothing (and the reason) when it is not one.
std::optional<HostCall> ParseHostCall(std::string_view body, std::string* error);
// The bridge's answers: a value, or an error the page's call throws.
std::string HostCallAnswer(const ScriptValue& value);
std::string HostCallFailure(std::string_view message);

// The expression that calls a page object (a function handed to the host) with arguments;
// its value comes back by value.
std::string PageObjectCall(std::string_view id, const std::vector<ScriptValue>& arguments);
// The expression that lets the page forget an object the host no longer holds.
std::string PageObjectRelease(std::string_view id);
// A value that page script produced (a DevTools RemoteObject returned by value).
ScriptValue FromRemoteObject(const Json::Value& remote);

// One cookie as the browser lists it, in WebView2's terms.
struct CookieFields {
  std::string name, value, domain, path;
  double expires = -1;  // -1: a session cookie
  bool http_only = false;
  bool secure = false;
  int same_site = 1;  // COREWEBVIEW2_COOKIE_SAME_SITE_KIND: 0 none, 1 lax, 2 strict
};
CookieFields CookieFromBrowser(const Json::Value& cookie);
// The parameters of Network.setCookie for a cookie.
Json::Value CookieParams(const CookieFields& cookie);

}  // namespace devtools
