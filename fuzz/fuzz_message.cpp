// Received channel bytes: the message view and every reader must stay inside the bytes.
#include <cstddef>
#include <cstdint>

#include "webview2common/message/ipc_message.h"
#include "webview2common/message/ipc_protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const IPC::Message view(data, static_cast<int>(size > 1u << 30 ? 0 : size));
  volatile uint32_t sink = view.type() ^ view.flags() ^ static_cast<uint32_t>(view.routing_id());
  PickleIterator it(view);
  // Read the body the way the dispatcher reads command 7, then whatever remains.
  IPC::ReadInt64(it);
  IPC::ReadText(it);
  for (const std::u16string& text : IPC::ReadRemainingTexts(it)) sink = sink + static_cast<uint32_t>(text.size());
  PickleIterator again(view);
  bool flag = false;
  int32_t value = 0;
  while (again.ReadBool(&flag) && again.ReadInt(&value)) sink = sink + static_cast<uint32_t>(value);
  IPC::Message copy(view);
  copy.WriteString16(u"x");
  (void)sink;
  return 0;
}
