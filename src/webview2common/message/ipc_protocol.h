#pragma once
// Codes and conventions of the messages exchanged with the parent.

#include <cstdint>
#include <string>
#include <vector>

#include "webview2common/message/ipc_message.h"

namespace IPC {

// Every message this process sends carries routing 2 and priority 2; the parent addresses the
// dispatcher with routing 1 (or 0 for every listener).
constexpr int32_t kHostRouting = 2;
constexpr int32_t kDispatcherRouting = 1;
constexpr uint32_t kPriority = 2;

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

// Body readers that leave the value empty or 0 when it cannot be read.
inline std::u16string ReadText(PickleIterator& it) {
  std::u16string text;
  it.ReadString16(&text);
  return text;
}
inline int32_t ReadInt32(PickleIterator& it) {
  int32_t value = 0;
  it.ReadInt(&value);
  return value;
}
inline int64_t ReadInt64(PickleIterator& it) {
  int64_t value = 0;
  it.ReadInt64(&value);
  return value;
}
inline bool ReadFlag(PickleIterator& it) {
  bool value = false;
  it.ReadBool(&value);
  return value;
}
// Texts until a read fails.
inline std::vector<std::u16string> ReadRemainingTexts(PickleIterator& it) {
  std::vector<std::u16string> texts;
  std::u16string text;
  while (it.ReadString16(&text)) texts.push_back(text);
  return texts;
}

}  // namespace IPC
