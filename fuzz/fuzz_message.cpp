// Received channel bytes: the message view and every reader must stay inside the bytes.
#include <cstddef>
#include <cstdint>

#include "webview2common/message/ipc_message.h"
#include "webview2common/message/ipc_protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const IPC::Message view(data, static_cast<int>(size > 1u << 30 ? 0 : size));
  volatile uint32_t sink = view.type() ^ view.flags() ^ static_cast<uint32_t>(view.routing_id());
  // Every command and event body reader, as the host and the parent library read them.
  auto read = [&](auto body) {
    sink = sink + (IPC::ReadBody(view, &body) ? 1u : 0u);
  };
  read(IPC::NavigateCommand{});
  read(IPC::SetBoundsCommand{});
  read(IPC::MuteCommand{});
  read(IPC::CallPageFunctionCommand{});
  read(IPC::GetCookiesCommand{});
  read(IPC::CreateBrowserCommand{});
  read(IPC::CreatedEvent{});
  read(IPC::LoadFailedEvent{});
  read(IPC::PageLoadedEvent{});
  read(IPC::PageCallEvent{});
  read(IPC::PageCallResultEvent{});
  PickleIterator again(view);
  bool flag = false;
  int32_t value = 0;
  while (again.ReadBool(&flag) && again.ReadInt(&value)) sink = sink + static_cast<uint32_t>(value);
  IPC::Message copy(view);
  if (!copy.WriteString16(u"x")) return 0;
  (void)sink;
  return 0;
}
