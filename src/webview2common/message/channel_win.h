#pragma once
// The channel to the other process. For a channel name N this process's window is
// "Webview2-BrowserMain-N" and the parent's is "Webview2-BrowserProxy-N"; the parent runs the
// same channel with the names swapped. Every operation does nothing before Init and after
// Uninit (Send then reports false).

#include <windows.h>

#include <string>

#include "base/scoped_handle_win.h"
#include "webview2common/message/channel_listener.h"

class CChannelImpl;

class CChannel {
 public:
  enum class Side { kBrowser, kParent };

  CChannel() = default;
  virtual ~CChannel();
  CChannel(const CChannel&) = delete;
  CChannel& operator=(const CChannel&) = delete;

  // Does nothing for an empty name or when the channel exists already.
  void Init(const std::u16string& name, Side side = Side::kBrowser);
  void AddListener(IChannelListener* listener);
  void RemoveListener(IChannelListener* listener);
  bool Send(const IPC::Message& message, IPC::Delivery delivery);
  void WatchPeerProcess(ScopedHandle process);
  // Only that process's window is the peer, and only its messages are acted on (0: any).
  void SetPeerProcess(DWORD process_id);
  void Uninit();

  HWND window() const;

  static std::wstring BrowserWindowName(const std::u16string& name);
  static std::wstring ProxyWindowName(const std::u16string& name);

 private:
  CChannelImpl* impl_ = nullptr;
};
