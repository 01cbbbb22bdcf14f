#pragma once

#include <cstdint>

#include "webview2common/message/delivery.h"
#include "webview2common/message/ipc_message.h"

// Receives the messages of a channel whose routing matches ListenerRoute (or all with routing 0).
class IChannelListener {
 public:
  virtual ~IChannelListener() = default;
  virtual void OnReceiveMessage(const IPC::Message& message) = 0;
  virtual int32_t ListenerRoute() = 0;
};

// Also told when the peer's process has ended.
class IChannelListener2 : public IChannelListener {
 public:
  virtual void OnPeerProcessExit(bool session_ending) = 0;
};
