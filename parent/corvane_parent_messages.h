#pragma once
// Raw commands and events over a ParentLink in the protocol's own types, for this project's
// tools and tests, which send what the typed calls cannot (malformed bodies, unknown codes).
// Not shipped: it includes the protocol headers.

#include <cstdint>
#include <vector>

#include "corvane_parent.h"
#include "webview2common/message/ipc_protocol.h"

namespace corvane {

// A command message to window_id, without a body.
inline IPC::Message MakeCommand(int32_t window_id, uint32_t code) {
  return IPC::Message(IPC::kDispatcherRouting, static_cast<uint32_t>(window_id) | code, IPC::kPriority);
}

inline bool Send(ParentLink& link, const IPC::Message& message) {
  return link.SendMessageBytes(message.data(), message.size());
}

// A read-only view of an event's bytes, as HostEvents::OnOtherEvent hands them over.
inline IPC::Message MessageOf(const std::vector<uint8_t>& bytes) {
  return IPC::Message(bytes.data(), static_cast<int>(bytes.size()));
}

}  // namespace corvane
