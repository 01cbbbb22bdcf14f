#include "devtools_mapping.h"

#include <cmath>
#include <exception>
#include <limits>
#include <memory>

#include <json/reader.h>
#include <json/writer.h>

namespace devtools {

// Page side of the bridge. Host objects are reached through synchronous requests to the
// bridge origin, which the engine intercepts and answers after calling the host on its UI
// thread. Functions and other objects handed to the host stay here, named by an id that is
// unique to the document, until the host lets them go.
const char kBridgeScript[] = R"JS((function () {
  'use strict';
  if (window.chrome && window.chrome.webview && window.chrome.webview.__corvane) return;
  var bridge = 'https://corvane-engine.invalid/call';
  var titles = 'https://corvane-engine.invalid/title';
  var XHR = window.XMLHttpRequest;
  var open = XHR.prototype.open, send = XHR.prototype.send;
  var parse = JSON.parse, stringify = JSON.stringify, map = Array.prototype.map;
  var documentId = Math.random().toString(36).slice(2) + Date.now().toString(36);
  var objects = new Map();
  var next = 1;
  function keep(value) {
    var id = documentId + ':' + next++;
    objects.set(id, value);
    return id;
  }
  function pack(value) {
    switch (typeof value) {
      case 'string': return {t: 's', v: value};
      case 'number': return {t: 'n', v: value};
      case 'boolean': return {t: 'b', v: value};
      case 'bigint': return {t: 's', v: String(value)};
      case 'undefined': case 'symbol': return {t: 'u'};
      default: return value === null ? {t: 'l'} : {t: 'o', v: keep(value)};
    }
  }
  function unpack(packed) {
    if (!packed) return undefined;
    switch (packed.t) {
      case 's': case 'b': return packed.v;
      case 'n': return packed.v === null ? NaN : packed.v;
      case 'l': return null;
      case 'o': return objects.get(packed.v);
      default: return undefined;
    }
  }
  function call(object, member, method, args) {
    var request = new XHR();
    open.call(request, 'POST', bridge, false);
    send.call(request, stringify({o: object, m: member, k: method ? 'm' : 'g', a: map.call(args, pack)}));
    var answer;
    try {
      answer = parse(request.responseText);
    } catch (e) {
      throw new Error('the host did not answer (status ' + request.status + ')');
    }
    if (!answer.ok) throw new Error(answer.error);
    return unpack(answer.v);
  }
  function hostObject(name) {
    return new Proxy(function () {}, {
      get: function (target, member) {
        if (typeof member !== 'string' || member === 'then') return undefined;
        return function () { return call(name, member, true, arguments); };
      },
      apply: function (target, self, args) { return call(name, '', true, args); }
    });
  }
  var sync = new Proxy({}, {
    get: function (target, name) { return typeof name === 'string' ? hostObject(name) : undefined; }
  });
  var webview = {
    hostObjects: {sync: sync},
    __corvane: {
      invoke: function (id, args) {
        var f = objects.get(id);
        if (typeof f !== 'function') throw new TypeError('the page no longer has this function');
        return f.apply(null, args.map(unpack));
      },
      release: function (id) { objects.delete(id); }
    }
  };
  // The main document's title, whenever it changes (set by markup or by script).
  if (window === window.top) {
    var lastTitle = null;
    var reportTitle = function () {
      var title = document.title;
      if (title === lastTitle) return;
      lastTitle = title;
      var request = new XHR();
      open.call(request, 'POST', titles, true);
      send.call(request, title);
    };
    new MutationObserver(reportTitle).observe(document, {subtree: true, childList: true, characterData: true});
  }
  if (!window.chrome) window.chrome = {};
  Object.defineProperty(window.chrome, 'webview', {value: webview, enumerable: false});
})();
)JS";

int WebErrorStatusOf(std::string_view error_text, bool canceled) {
  enum Status {
    kUnknown = 0, kCommonNameIncorrect = 1, kCertificateExpired = 2, kClientCertificate = 3,
    kCertificateRevoked = 4, kCertificateInvalid = 5, kServerUnreachable = 6, kTimeout = 7,
    kInvalidServerResponse = 8, kConnectionAborted = 9, kConnectionReset = 10, kDisconnected = 11,
    kCannotConnect = 12, kHostNameNotResolved = 13, kCanceled = 14, kRedirectFailed = 15,
    kUnexpected = 16, kAuthenticationRequired = 17, kProxyAuthenticationRequired = 18,
  };
  if (canceled) return kCanceled;
  constexpr std::string_view kPrefix = "net::";
  if (error_text.substr(0, kPrefix.size()) == kPrefix) error_text.remove_prefix(kPrefix.size());
  struct Entry {
    std::string_view text;
    Status status;
  };
  static constexpr Entry kExact[] = {
      {"ERR_ABORTED", kCanceled},
      {"ERR_NAME_NOT_RESOLVED", kHostNameNotResolved},
      {"ERR_NAME_RESOLUTION_FAILED", kHostNameNotResolved},
      {"ERR_CONNECTION_REFUSED", kCannotConnect},
      {"ERR_CONNECTION_FAILED", kCannotConnect},
      {"ERR_ADDRESS_UNREACHABLE", kServerUnreachable},
      {"ERR_ADDRESS_INVALID", kServerUnreachable},
      {"ERR_TIMED_OUT", kTimeout},
      {"ERR_CONNECTION_TIMED_OUT", kTimeout},
      {"ERR_CONNECTION_ABORTED", kConnectionAborted},
      {"ERR_CONNECTION_CLOSED", kConnectionAborted},
      {"ERR_CONNECTION_RESET", kConnectionReset},
      {"ERR_INTERNET_DISCONNECTED", kDisconnected},
      {"ERR_NETWORK_CHANGED", kDisconnected},
      {"ERR_TOO_MANY_REDIRECTS", kRedirectFailed},
      {"ERR_UNSAFE_REDIRECT", kRedirectFailed},
      {"ERR_INVALID_REDIRECT", kRedirectFailed},
      {"ERR_EMPTY_RESPONSE", kInvalidServerResponse},
      {"ERR_INVALID_RESPONSE", kInvalidServerResponse},
      {"ERR_INVALID_HTTP_RESPONSE", kInvalidServerResponse},
      {"ERR_CERT_COMMON_NAME_INVALID", kCommonNameIncorrect},
      {"ERR_CERT_DATE_INVALID", kCertificateExpired},
      {"ERR_CERT_REVOKED", kCertificateRevoked},
      {"ERR_BAD_SSL_CLIENT_AUTH_CERT", kClientCertificate},
      {"ERR_SSL_CLIENT_AUTH_CERT_NEEDED", kClientCertificate},
      {"ERR_PROXY_AUTH_REQUESTED", kProxyAuthenticationRequired},
      {"ERR_PROXY_AUTH_UNSUPPORTED", kProxyAuthenticationRequired},
      {"ERR_INVALID_AUTH_CREDENTIALS", kAuthenticationRequired},
      {"ERR_UNEXPECTED", kUnexpected},
  };
  for (const Entry& entry : kExact) {
    if (error_text == entry.text) return entry.status;
  }
  auto starts = [&](std::string_view prefix) { return error_text.substr(0, prefix.size()) == prefix; };
  if (starts("ERR_CERT_")) return kCertificateInvalid;
  if (starts("ERR_RESPONSE_HEADERS_")) return kInvalidServerResponse;
  return kUnknown;
}

std::string NavigableUrl(std::string_view uri) {
  const bool drive_path = uri.size() >= 3 && ((uri[0] | 0x20) >= 'a' && (uri[0] | 0x20) <= 'z') &&
                          uri[1] == ':' && (uri[2] == '\\' || uri[2] == '/');
  const bool unc_path = uri.size() >= 2 && uri[0] == '\\' && uri[1] == '\\';
  if (!drive_path && !unc_path) return std::string(uri);
  std::string url = unc_path ? "file:" : "file:///";
  static const char kHex[] = "0123456789ABCDEF";
  for (const char c : uri) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\') {
      url += '/';
    } else if (byte <= 0x20 || byte >= 0x7F || c == '|' || c == '#' || c == '?' || c == '%' ||
               c == '"' || c == '<' || c == '>' || c == '^' || c == '`' || c == '{' || c == '}') {
      url += '%';
      url += kHex[byte >> 4];
      url += kHex[byte & 15];
    } else {
      url += c;
    }
  }
  return url;
}

bool LoadsWithARequest(std::string_view url) {
  const size_t colon = url.find(':');
  if (colon == std::string_view::npos) return false;
  std::string scheme(url.substr(0, colon));
  for (char& c : scheme) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return scheme != "data" && scheme != "about" && scheme != "blob" && scheme != "javascript" && !scheme.empty();
}

bool WildcardMatch(std::string_view pattern, std::string_view text) {
  // Greedy matching with one backtracking point: linear in practice, never exponential.
  size_t p = 0, t = 0, star = std::string_view::npos, resume = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = t;
    } else if (p < pattern.size() && pattern[p] == text[t]) {
      ++p;
      ++t;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      t = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

namespace {

// COREWEBVIEW2_WEB_RESOURCE_CONTEXT values beside the browser's resource types.
struct ContextType {
  int context;
  std::string_view type;
};
constexpr ContextType kContextTypes[] = {
    {1, "Document"}, {2, "Stylesheet"}, {3, "Image"}, {4, "Media"}, {5, "Font"},
    {6, "Script"}, {7, "XHR"}, {8, "Fetch"}, {9, "TextTrack"}, {10, "EventSource"},
    {11, "WebSocket"}, {12, "Manifest"}, {13, "SignedExchange"}, {14, "Ping"},
    {15, "CSPViolationReport"}, {16, "Other"},
};

}  // namespace

std::string ResourceTypeOfContext(int context) {
  for (const ContextType& entry : kContextTypes) {
    if (entry.context == context) return std::string(entry.type);
  }
  return "";
}

bool ContextIncludes(int context, std::string_view resource_type) {
  const std::string type = ResourceTypeOfContext(context);
  return type.empty() || type == resource_type;
}

std::vector<std::pair<std::string, std::string>> HeaderLines(std::string_view text) {
  std::vector<std::pair<std::string, std::string>> headers;
  auto trim = [](std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
  };
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    const std::string_view name = trim(line.substr(0, colon));
    if (name.empty()) continue;
    headers.emplace_back(std::string(name), std::string(trim(line.substr(colon + 1))));
  }
  return headers;
}

namespace {

std::string WriteJson(const Json::Value& value) {
  Json::StreamWriterBuilder builder;
  builder["indentation"] = "";
  builder["emitUTF8"] = true;
  return Json::writeString(builder, value);
}

Json::Value Packed(const ScriptValue& value) {
  Json::Value packed(Json::objectValue);
  switch (value.kind) {
    case ScriptValue::Kind::kString:
      packed["t"] = "s";
      packed["v"] = value.text;
      break;
    case ScriptValue::Kind::kNumber:
      packed["t"] = "n";
      // JSON has no NaN or infinities; the page reads null as NaN.
      packed["v"] = std::isfinite(value.number) ? Json::Value(value.number) : Json::Value();
      break;
    case ScriptValue::Kind::kBool:
      packed["t"] = "b";
      packed["v"] = value.flag;
      break;
    case ScriptValue::Kind::kNull:
      packed["t"] = "l";
      break;
    case ScriptValue::Kind::kPageObject:
      packed["t"] = "o";
      packed["v"] = value.text;
      break;
    case ScriptValue::Kind::kUndefined:
      packed["t"] = "u";
      break;
  }
  return packed;
}

std::optional<ScriptValue> Unpacked(const Json::Value& packed) {
  if (!packed.isObject() || !packed["t"].isString()) return std::nullopt;
  const std::string type = packed["t"].asString();
  const Json::Value& v = packed["v"];
  if (type == "s" && v.isString()) return ScriptValue::String(v.asString());
  if (type == "n") {
    if (v.isNumeric()) return ScriptValue::Number(v.asDouble());
    if (v.isNull()) return ScriptValue::Number(std::numeric_limits<double>::quiet_NaN());
    return std::nullopt;
  }
  if (type == "b" && v.isBool()) return ScriptValue::Bool(v.asBool());
  if (type == "l") return ScriptValue::Null();
  if (type == "u") return ScriptValue{};
  if (type == "o" && v.isString()) return ScriptValue::PageObject(v.asString());
  return std::nullopt;
}

}  // namespace

std::optional<HostCall> ParseHostCall(std::string_view body, std::string* error) {
  Json::CharReaderBuilder builder;
  builder["stackLimit"] = 20;
  const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  Json::Value root;
  std::string errors;
  bool parsed = false;
  try {
    parsed = reader->parse(body.data(), body.data() + body.size(), &root, &errors);
  } catch (const std::exception&) {
    parsed = false;  // nested deeper than any call needs
  }
  if (!parsed || !root.isObject()) {
    *error = "not a host call";
    return std::nullopt;
  }
  if (!root["o"].isString() || !root["m"].isString() || !root["k"].isString() || !root["a"].isArray()) {
    *error = "not a host call";
    return std::nullopt;
  }
  HostCall call;
  call.object = root["o"].asString();
  call.member = root["m"].asString();
  call.method = root["k"].asString() == "m";
  for (const Json::Value& packed : root["a"]) {
    std::optional<ScriptValue> value = Unpacked(packed);
    if (!value) {
      *error = "an argument the host cannot take";
      return std::nullopt;
    }
    call.arguments.push_back(std::move(*value));
  }
  return call;
}

std::string HostCallAnswer(const ScriptValue& value) {
  Json::Value answer(Json::objectValue);
  answer["ok"] = true;
  answer["v"] = Packed(value);
  return WriteJson(answer);
}

std::string HostCallFailure(std::string_view message) {
  Json::Value answer(Json::objectValue);
  answer["ok"] = false;
  answer["error"] = std::string(message);
  return WriteJson(answer);
}

std::string PageObjectCall(std::string_view id, const std::vector<ScriptValue>& arguments) {
  Json::Value packed(Json::arrayValue);
  for (const ScriptValue& argument : arguments) packed.append(Packed(argument));
  return "window.chrome.webview.__corvane.invoke(" + WriteJson(Json::Value(std::string(id))) + ", " +
         WriteJson(packed) + ")";
}

std::string PageObjectRelease(std::string_view id) {
  return "window.chrome && window.chrome.webview && window.chrome.webview.__corvane.release(" +
         WriteJson(Json::Value(std::string(id))) + ")";
}

ScriptValue FromRemoteObject(const Json::Value& remote) {
  const std::string type = remote["type"].asString();
  const Json::Value& value = remote["value"];
  if (type == "string" && value.isString()) return ScriptValue::String(value.asString());
  if (type == "boolean" && value.isBool()) return ScriptValue::Bool(value.asBool());
  if (type == "number") {
    if (value.isNumeric()) return ScriptValue::Number(value.asDouble());
    const std::string special = remote["unserializableValue"].asString();
    if (special == "-0") return ScriptValue::Number(-0.0);
    if (special == "Infinity") return ScriptValue::Number(std::numeric_limits<double>::infinity());
    if (special == "-Infinity") return ScriptValue::Number(-std::numeric_limits<double>::infinity());
    return ScriptValue::Number(std::numeric_limits<double>::quiet_NaN());
  }
  if (type == "bigint") return ScriptValue::String(remote["unserializableValue"].asString());
  if (type == "object") {
    if (remote["subtype"].asString() == "null" || value.isNull()) return ScriptValue::Null();
    // An object by value: its JSON text, the nearest a host's variant can hold.
    return ScriptValue::String(WriteJson(value));
  }
  return ScriptValue{};
}

CookieFields CookieFromBrowser(const Json::Value& cookie) {
  CookieFields fields;
  fields.name = cookie["name"].asString();
  fields.value = cookie["value"].asString();
  fields.domain = cookie["domain"].asString();
  fields.path = cookie["path"].asString();
  fields.http_only = cookie["httpOnly"].asBool();
  fields.secure = cookie["secure"].asBool();
  fields.expires = cookie["session"].asBool() || !cookie["expires"].isNumeric() ? -1 : cookie["expires"].asDouble();
  const std::string same_site = cookie["sameSite"].asString();
  fields.same_site = same_site == "None" ? 0 : same_site == "Strict" ? 2 : 1;
  return fields;
}

Json::Value CookieParams(const CookieFields& cookie) {
  Json::Value params(Json::objectValue);
  params["name"] = cookie.name;
  params["value"] = cookie.value;
  params["domain"] = cookie.domain;
  params["path"] = cookie.path.empty() ? "/" : cookie.path;
  params["secure"] = cookie.secure;
  params["httpOnly"] = cookie.http_only;
  params["sameSite"] = cookie.same_site == 0 ? "None" : cookie.same_site == 2 ? "Strict" : "Lax";
  if (cookie.expires >= 0) params["expires"] = cookie.expires;
  return params;
}

}  // namespace devtools
