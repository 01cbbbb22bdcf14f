#include "webview2common/message/ipc_message.h"

#include <atomic>

#include "webview2common/process_id.h"

namespace IPC {

uint32_t NextTraceReference() {
  static std::atomic<uint32_t> sequence{0};
  const uint32_t value = sequence.fetch_add(1) + 1;
  return (CurrentProcessId() << 14) | (value & 0x3FFF);
}

Message::Message() : Message(0, 0, 0) {}

Message::Message(int32_t routing, uint32_t type, uint32_t priority) : Pickle(kHeaderSize) {
  SetHeaderWord(0, 0);
  SetHeaderWord(4, static_cast<uint32_t>(routing));
  SetHeaderWord(8, type);
  SetHeaderWord(12, (NextTraceReference() << 8) | (priority & 0xFF));
}

namespace {
// A view whose header is shorter than a message header would have its fields read past the
// received bytes; such bytes are refused outright.
int HeaderLength(const void* data, int length) {
  Pickle probe(data, length);
  return probe.data() != nullptr && probe.header_size() >= Message::kHeaderSize ? length : 0;
}
}  // namespace

Message::Message(const void* data, int length) : Pickle(data, HeaderLength(data, length)) {}

}  // namespace IPC
