#pragma once
// The unit of every exchange with the parent: a Pickle with a 16-byte header.
//
//   offset 0  u32 body length
//   offset 4  i32 routing       (which listeners receive it)
//   offset 8  u32 type          (bits 0-7 code, bits 8-15 window id)
//   offset 12 u32 flags         (bits 0-7 priority, bits 8-31 trace reference)

#include <cstdint>

#include "webview2common/message/pickle.h"

namespace IPC {

class Message : public Pickle {
 public:
  static constexpr int kHeaderSize = 16;

  // Routing 0, type 0, priority 0.
  Message();
  Message(int32_t routing, uint32_t type, uint32_t priority);
  // A read-only view over received bytes; bytes that cannot hold a whole header give an empty
  // message (type 0, every read fails).
  Message(const void* data, int length);

  int32_t routing_id() const { return static_cast<int32_t>(HeaderWord(4)); }
  uint32_t type() const { return HeaderWord(8); }
  uint32_t flags() const { return HeaderWord(12); }
  uint32_t priority() const { return flags() & 0xFF; }
};

// The trace reference of the next message: ((pid << 14) | (sequence & 0x3FFF)), in 32 bits.
uint32_t NextTraceReference();

}  // namespace IPC
