#pragma once
// Codes and conventions of the messages exchanged with the parent.

#include <cstdint>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "webview2common/message/ipc_message.h"

namespace IPC {

// Every message this process sends carries routing 2 and priority 2; the parent addresses the
// dispatcher with routing 1 (or 0 for every listener).
constexpr int32_t kHostRouting = 2;
constexpr int32_t kDispatcherRouting = 1;
constexpr uint32_t kPriority = 2;
// The revision of the message set below, for parents to tell their callers; it changes when a
// message's meaning or layout does.
constexpr uint32_t kProtocolVersion = 1;

// Commands from the parent (the low byte of the type).
enum Command : uint32_t {
  kCmdNavigate = 1,
  kCmdSetCookie = 2,
  kCmdSetBounds = 3,
  kCmdShow = 4,
  kCmdClose = 5,
  kCmdMute = 6,
  kCmdCallPageFunction = 7,
  kCmdGetCookies = 9,
  kCmdRegisterParentFunction = 10,
  kCmdCreateBrowser = 13,
  kCmdDeleteCookie = 15,
  kCmdGoBack = 16,
  kCmdGoForward = 17,
  kCmdReload = 18,
  kCmdStop = 20,
  kCmdSetReferrer = 21,
};

// Events and replies to the parent.
enum Event : uint32_t {
  kEvtCreated = 1,
  kEvtClosed = 2,
  kEvtListenerSlot4 = 3,
  kEvtLoadFailed = 4,
  kEvtPageLoaded = 5,
  kEvtSourceChanged = 6,
  kEvtTitleChanged = 7,
  kEvtNewWindow = 8,
  kEvtPageCall = 10,
  kEvtPageCallResult = 11,
  kEvtCookieList = 13,
  kEvtFrameLoaded = 18,
};

// Status of a page-function call (event 11).
enum PageCallStatus : int32_t {
  kCallDone = 0,
  kCallNoSuchFunction = 2,
  kCallNotCalled = 3,
  kCallNoWindow = 5,
};

constexpr uint32_t WindowIdOf(uint32_t type) { return type & 0xFF00; }
constexpr uint32_t CodeOf(uint32_t type) { return type & 0xFF; }

// A message from this process to the parent for window_id.
inline Message MakeHostMessage(uint32_t window_id, uint32_t code) {
  return Message(kHostRouting, window_id | code, kPriority);
}

// ---- Message bodies
//
// Each command and event body is declared once, as a small type whose Tie(body) lists its
// values in wire order; WriteBody and ReadBody serve the host and the parent library alike. A trailing
// std::vector<std::u16string> takes every remaining text (read until a read fails); a trailing
// std::optional value may be absent.

struct NavigateCommand {
  static constexpr uint32_t kCode = kCmdNavigate;
  std::u16string url;
  std::u16string cookie;
  template <typename Self>
  static auto Tie(Self& s) { return std::tie(s.url, s.cookie); }
};
struct SetCookieCommand {
  static constexpr uint32_t kCode = kCmdSetCookie;
  std::u16string url;
  std::u16string cookie;
  template <typename Self>
  static auto Tie(Self& s) { return std::tie(s.url, s.cookie); }
};
struct SetBoundsCommand {
  static constexpr uint32_t kCode = kCmdSetBounds;
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
  template <typename Self>
  static auto Tie(Self& s) { return std::tie(s.x, s.y, s.width, s.height); }
};
struct ShowCommand {
  static constexpr uint32_t kCode = kCmdShow;
  int32_t visible = 0;
  template <typename Self>
  static auto Tie(Self& s) { return std::tie(s.visible); }
};
struct MuteCommand {
  static constexpr uint32_t kCode = kCmdMute;
  bool muted = false;
  template <typename Self>
  static auto Tie(Self& s) { return std::tie(s.muted); }
};
struct CallPageFunctionCommand {
  static constexpr uint32_t kCode = kCmdCallPageFunction;
  int64_t call_id = 0;
  std::u16string function;
  std::vector<std::u16string> arguments;
  template <typename Self>
  static auto Tie(Self& s) { return std::tie(s.call_id, s.function, s.arguments); }
};
struct GetCookiesCommand {
  static constexpr uint32_t kCode = kCmdGetCookies;
  std::u16string url;
  int32_t http_only = 0;  // non-zero: only HttpOnly cookies are listed
  template <typename Self>
  static auto Tie(Self& s) { return std::tie(s.url, s.http_only); }
};
struct RegisterParentFunctionCommand {
  static constexpr uint32_t kCode = kCmdRegisterParentFunction;
  std::u16string function;
  template <typename Self>
  static auto Tie(Self& s) { return std::tie(s.function); }
};
struct CreateBrowserCommand {
  static constexpr uint32_t kCode = kCmdCreateBrowser;
  std::u16string settings;  // a command-line text of window settings
  template <typename Self>
  static auto Tie(Self& s) { return std::tie(s.settings); }
};
struct DeleteCookieCommand {
  static constexpr uint32_t kCode = kCmdDeleteCookie;
  std::u16string url;
  std::u16string name;
  template <typename Self>
  static auto Tie(Self& s) { return std::tie(s.url, s.name); }
};
struct SetReferrerCommand {
  static constexpr uint32_t kCode = kCmdSetReferrer;
  std::u16string referrer;
  template <typename Self>
  static auto Tie(Self& s) { return std::tie(s.referrer); }
};

struct CreatedEvent {
  static constexpr uint32_t kCode = kEvtCreated;
  int64_t window_handle = 0;  // the 32-bit handle value in the low half
  template <typename Self>
  static auto Tie(Self& s) { return std::tie(s.window_handle); }
};
struct LoadFailedEvent {
  static constexpr uint32_t kCode = kEvtLoadFailed;
  std::u16string url;
  std::optional<std::u16string> reason;  // absent when a later window finds no runtime
  template <typename Self>
  static auto Tie(Self& s) { return std::tie(s.url, s.reason); }
};
struct PageLoadedEvent {
  static constexpr uint32_t kCode = kEvtPageLoaded;
  std::optional<std::u16string> url;
  template <typename Self>
  static auto Tie(Self& s) { return std::tie(s.url); }
};
// Events 6, 7, 8 and 18: one text (a URI, a title, a URL).
template <uint32_t Code>
struct TextEvent {
  static constexpr uint32_t kCode = Code;
  std::u16string text;
  template <typename Self>
  static auto Tie(Self& s) { return std::tie(s.text); }
};
using SourceChangedEvent = TextEvent<kEvtSourceChanged>;
using TitleChangedEvent = TextEvent<kEvtTitleChanged>;
using NewWindowEvent = TextEvent<kEvtNewWindow>;
using FrameLoadedEvent = TextEvent<kEvtFrameLoaded>;
struct PageCallEvent {
  static constexpr uint32_t kCode = kEvtPageCall;
  int64_t call_id = 0;  // 0 when no answer is awaited
  std::u16string function;
  std::u16string key;   // the page callback's key, empty when none
  std::vector<std::u16string> arguments;
  template <typename Self>
  static auto Tie(Self& s) { return std::tie(s.call_id, s.function, s.key, s.arguments); }
};
struct PageCallResultEvent {
  static constexpr uint32_t kCode = kEvtPageCallResult;
  int64_t call_id = 0;
  int32_t status = 0;
  std::u16string result;
  template <typename Self>
  static auto Tie(Self& s) { return std::tie(s.call_id, s.status, s.result); }
};
struct CookieListEvent {
  static constexpr uint32_t kCode = kEvtCookieList;
  std::u16string url;
  std::u16string listing;
  template <typename Self>
  static auto Tie(Self& s) { return std::tie(s.url, s.listing); }
};

namespace body_detail {

class Writer {
 public:
  explicit Writer(Message& message) : message_(message) {}
  void operator()(int32_t value) { ok_ = ok_ && message_.WriteInt(value); }
  void operator()(int64_t value) { ok_ = ok_ && message_.WriteInt64(value); }
  void operator()(bool value) { ok_ = ok_ && message_.WriteBool(value); }
  void operator()(const std::u16string& text) { ok_ = ok_ && message_.WriteString16(text); }
  void operator()(const std::vector<std::u16string>& texts) {
    for (const std::u16string& text : texts) (*this)(text);
  }
  template <typename T>
  void operator()(const std::optional<T>& value) {
    if (value) (*this)(*value);
  }
  bool ok() const { return ok_; }

 private:
  Message& message_;
  bool ok_ = true;
};

class Reader {
 public:
  explicit Reader(PickleIterator& it) : it_(it) {}
  void operator()(int32_t& value) { Take(it_.ReadInt(&value)); }
  void operator()(int64_t& value) { Take(it_.ReadInt64(&value)); }
  void operator()(bool& value) { Take(it_.ReadBool(&value)); }
  void operator()(std::u16string& text) { Take(it_.ReadString16(&text)); }
  void operator()(std::vector<std::u16string>& texts) {
    std::u16string text;
    while (ok_ && it_.ReadString16(&text)) texts.push_back(text);
  }
  template <typename T>
  void operator()(std::optional<T>& value) {
    T read{};
    Reader probe(it_);
    probe(read);
    if (ok_ && probe.ok()) value = std::move(read);
  }
  bool ok() const { return ok_; }

 private:
  // After a failed read the later values stay unread too: they are not where they should be.
  void Take(bool read) { ok_ = ok_ && read; }
  PickleIterator& it_;
  bool ok_ = true;
};

}  // namespace body_detail

// Appends the body's values to message; false when memory could not grow.
template <typename Body>
[[nodiscard]] bool WriteBody(Message& message, const Body& body) {
  body_detail::Writer writer(message);
  std::apply([&](const auto&... values) { (writer(values), ...); }, Body::Tie(body));
  return writer.ok();
}

// Reads the body from the first body byte. False when it is truncated or malformed: the
// values that could not be read keep their defaults (empty text, 0), which is what a command
// with such a body acts on.
template <typename Body>
[[nodiscard]] bool ReadBody(const Message& message, Body* body) {
  PickleIterator it(message);
  body_detail::Reader reader(it);
  std::apply([&](auto&... values) { (reader(values), ...); }, Body::Tie(*body));
  return reader.ok();
}

// A message of this process to the parent for window_id, carrying body.
template <typename Body>
Message MakeHostEvent(uint32_t window_id, const Body& body) {
  Message message = MakeHostMessage(window_id, Body::kCode);
  if (!WriteBody(message, body)) return MakeHostMessage(window_id, Body::kCode);
  return message;
}

}  // namespace IPC
