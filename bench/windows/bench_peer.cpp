// The other process of the Windows benchmarks: the baselines' far end and the receiving end of
// the channel stream.
//   bench_peer echo               a window that sends every WM_COPYDATA back to its sender
//   bench_peer sink <count>       a window that takes <count> WM_COPYDATA messages (copied, then
//                                 handled after the send returns, as deferred delivery does)
//   bench_peer pipe <name>        a message-mode named pipe that answers each request with itself
//   bench_peer channel-sink <name> <count>
//                                 the parent's end of the channel, taking <count> messages
// A window mode names its window "corvane-bench-peer-<pid>". The sinks check that every message
// arrives whole and in order, and set the event "corvane-bench-done-<pid>" once the last one has.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "base/scoped_handle_win.h"
#include "corvane_parent_messages.h"
#include "webview2common/message/channel_win.h"
#include "webview2common/message/ipc_message.h"
#include "webview2common/message/ipc_protocol.h"

namespace {

constexpr UINT kHandleCopy = WM_APP + 1;

struct Peer {
  std::deque<std::vector<char>> copies;  // received, not yet handled
  HWND sender = nullptr;
  uint32_t expected = 0;
  uint32_t count = 0;
  bool ok = true;
  HANDLE done = nullptr;
};
Peer g_peer;

// A stream message starts with its sequence number; the rest is its index's byte pattern.
void Check(const char* data, size_t size) {
  uint32_t sequence = 0;
  if (size < 4) {
    g_peer.ok = false;
  } else {
    std::memcpy(&sequence, data, 4);
    if (sequence != g_peer.count || data[size - 1] != static_cast<char>(sequence)) g_peer.ok = false;
  }
  if (++g_peer.count == g_peer.expected) {
    SetEvent(g_peer.done);
    PostQuitMessage(0);
  }
}

LRESULT CALLBACK PeerProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_COPYDATA) {
    const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lparam);
    const auto* bytes = static_cast<const char*>(copy->lpData);
    g_peer.copies.emplace_back(bytes, bytes + copy->cbData);
    g_peer.sender = reinterpret_cast<HWND>(wparam);
    PostMessageW(window, kHandleCopy, 0, 0);
    return TRUE;
  }
  if (message == kHandleCopy) {
    if (g_peer.copies.empty()) return 0;
    std::vector<char> bytes = std::move(g_peer.copies.front());
    g_peer.copies.pop_front();
    if (g_peer.expected == 0) {
      COPYDATASTRUCT back{0, static_cast<DWORD>(bytes.size()), bytes.data()};
      SendMessageW(g_peer.sender, WM_COPYDATA, reinterpret_cast<WPARAM>(window), reinterpret_cast<LPARAM>(&back));
    } else {
      Check(bytes.data(), bytes.size());
    }
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

int RunWindow() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = PeerProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"CorvaneBenchPeer";
  RegisterClassW(&wc);
  const std::wstring title = L"corvane-bench-peer-" + std::to_wstring(GetCurrentProcessId());
  CreateWindowW(wc.lpszClassName, title.c_str(), 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return g_peer.ok ? 0 : 1;
}

int RunPipe(const std::wstring& name) {
  const ScopedHandle pipe(CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX,
                                           PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1, 1 << 20,
                                           1 << 20, 0, nullptr));
  if (!pipe.IsValid()) return 2;
  if (!ConnectNamedPipe(pipe.Get(), nullptr) && GetLastError() != ERROR_PIPE_CONNECTED) return 3;
  std::vector<char> buffer(1 << 20);
  for (;;) {
    DWORD read = 0, written = 0;
    if (!ReadFile(pipe.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr)) return 0;
    if (!WriteFile(pipe.Get(), buffer.data(), read, &written, nullptr)) return 0;
  }
}

class ChannelSink : public IChannelListener {
 public:
  void OnReceiveMessage(const IPC::Message& message) override {
    Check(reinterpret_cast<const char*>(message.data()) + message.header_size(), message.payload_size());
  }
  int32_t ListenerRoute() override { return IPC::kHostRouting; }
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  const std::wstring mode = argv[1];
  const std::wstring done = L"corvane-bench-done-" + std::to_wstring(GetCurrentProcessId());
  g_peer.done = CreateEventW(nullptr, TRUE, FALSE, done.c_str());
  if (mode == L"echo") return RunWindow();
  if (mode == L"sink" && argc == 3) {
    g_peer.expected = static_cast<uint32_t>(_wtoi(argv[2]));
    return RunWindow();
  }
  if (mode == L"pipe" && argc == 3) return RunPipe(argv[2]);
  if (mode == L"channel-sink" && argc == 4) {
    g_peer.expected = static_cast<uint32_t>(_wtoi(argv[3]));
    const std::wstring name = argv[2];
    CChannel channel;
    channel.Init(std::u16string(name.begin(), name.end()), CChannel::Side::kParent);
    ChannelSink sink;
    channel.AddListener(&sink);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    channel.Uninit();
    return g_peer.ok ? 0 : 1;
  }
  return 2;
}
