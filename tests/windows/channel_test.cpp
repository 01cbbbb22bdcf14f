// Both ends of a channel inside this test process: the browser side on this thread, the
// parent side on a thread of its own where cross-thread timing matters.
#include <gtest/gtest.h>

#include <algorithm>

#include <atomic>
#include <thread>
#include <vector>

#include "base/text_win.h"
#include "child_process.h"
#include "corvane_parent.h"
#include "webview2common/message/channel_win.h"
#include "webview2common/message/ipc_protocol.h"

namespace {

void Pump(DWORD ms) { corvane::ParentLink::PumpUntil([] { return false; }, ms); }
bool PumpUntil(const std::function<bool()>& f) { return corvane::ParentLink::PumpUntil(f, 5000); }

std::u16string UniqueName() {
  static int n = 0;
  return u"channel-test-" + to_u16(std::to_wstring(GetCurrentProcessId()).c_str()) + u"-" +
         to_u16(std::to_wstring(++n).c_str());
}

class Recorder : public IChannelListener2 {
 public:
  explicit Recorder(int32_t route) : route_(route) {}
  void OnReceiveMessage(const IPC::Message& message) override {
    types.push_back(message.type());
    ++received;
  }
  int32_t ListenerRoute() override { return route_; }
  void OnPeerProcessExit(bool session_ending) override {
    exits.push_back(session_ending);
  }
  std::vector<uint32_t> types;
  std::atomic<int> received{0};
  std::vector<bool> exits;

 private:
  int32_t route_;
};

IPC::Message Msg(int32_t routing, uint32_t type) { return IPC::Message(routing, type, 2); }

// Starts a process that idles until killed (a log writer waiting for a file that never comes)
// and returns a handle to it for a channel to watch.
HANDLE StartIdleChild(testwin::ChildProcess& child, const std::wstring& folder) {
  if (!child.Start(ProgramFolder() + L"\\log_writer.exe",
                   L"\"" + folder + L"\\x.log\" 2 0 0 \"" + folder + L"\\never\"")) {
    return nullptr;
  }
  HANDLE watched = nullptr;
  DuplicateHandle(GetCurrentProcess(), child.handle(), GetCurrentProcess(), &watched, SYNCHRONIZE, FALSE, 0);
  return watched;
}

TEST(Channel, EmptyNameCreatesNothingAndSendFails) {
  CChannel channel;
  channel.Init(u"");
  EXPECT_EQ(channel.window(), nullptr);
  Recorder r(1);
  channel.AddListener(&r);
  EXPECT_FALSE(channel.Send(Msg(1, 5), IPC::Delivery::kDeferred));
  EXPECT_FALSE(channel.Send(Msg(1, 5), IPC::Delivery::kQueued));
  channel.Uninit();
}

TEST(Channel, WindowNames) {
  EXPECT_EQ(CChannel::BrowserWindowName(u"7"), L"Webview2-BrowserMain-7");
  EXPECT_EQ(CChannel::ProxyWindowName(u"7"), L"Webview2-BrowserProxy-7");
  EXPECT_EQ(CChannel::ProxyWindowName(std::u16string(400, u'x')).size(), 259u);
}

TEST(Channel, RoutingSelectsListenersAndZeroReachesOwnSide) {
  const std::u16string name = UniqueName();
  CChannel browser, parent;
  browser.Init(name);
  parent.Init(name, CChannel::Side::kParent);
  Recorder dispatcher(1), other(2), own(3);
  browser.AddListener(&dispatcher);
  browser.AddListener(&other);
  parent.AddListener(&own);

  ASSERT_TRUE(parent.Send(Msg(1, 0x101), IPC::Delivery::kDeferred));
  ASSERT_TRUE(parent.Send(Msg(2, 0x102), IPC::Delivery::kDeferred));
  ASSERT_TRUE(parent.Send(Msg(0, 0x103), IPC::Delivery::kDeferred));
  ASSERT_TRUE(PumpUntil([&] { return dispatcher.received == 2 && other.received == 2 && own.received == 1; }));
  EXPECT_EQ(dispatcher.types, (std::vector<uint32_t>{0x101, 0x103}));
  EXPECT_EQ(other.types, (std::vector<uint32_t>{0x102, 0x103}));
  EXPECT_EQ(own.types, (std::vector<uint32_t>{0x103}));
}

TEST(Channel, ImmediateReturnsAfterPeerListenersDeferredBefore) {
  const std::u16string name = UniqueName();
  CChannel browser;
  browser.Init(name);
  Recorder peer_listener(1);
  std::atomic<bool> peer_ready{false}, stop{false};
  const ScopedHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  struct Blocking : Recorder {
    using Recorder::Recorder;
    HANDLE release = nullptr;
    void OnReceiveMessage(const IPC::Message& m) override {
      if (IPC::CodeOf(m.type()) == 9) WaitForSingleObject(release, 10000);
      Recorder::OnReceiveMessage(m);
    }
  } blocking(2);
  blocking.release = release.Get();
  std::thread peer([&] {
    CChannel parent;
    parent.Init(name, CChannel::Side::kParent);
    parent.AddListener(&peer_listener);
    parent.AddListener(&blocking);
    peer_ready = true;
    corvane::ParentLink::PumpUntil([&] { return stop.load(); }, 30000);
    parent.Uninit();
  });
  ASSERT_TRUE(PumpUntil([&] { return peer_ready.load(); }));

  ASSERT_TRUE(browser.Send(Msg(1, 0x105), IPC::Delivery::kImmediate));
  EXPECT_EQ(peer_listener.received.load(), 1) << "immediate: the listener ran before Send returned";

  // Deferred: returns while the peer's listener is still blocked on our event.
  const DWORD before = GetTickCount();
  ASSERT_TRUE(browser.Send(Msg(2, 0x109), IPC::Delivery::kDeferred));
  EXPECT_LT(GetTickCount() - before, 2000u);
  EXPECT_EQ(blocking.received.load(), 0);
  SetEvent(release.Get());
  ASSERT_TRUE(PumpUntil([&] { return blocking.received.load() == 1; }));
  stop = true;
  peer.join();
}

TEST(Channel, PeerFoundLazilyAndQueuedMessagesWaitForIt) {
  const std::u16string name = UniqueName();
  CChannel browser;
  browser.Init(name);
  ASSERT_NE(browser.window(), nullptr) << "connects without the peer";
  EXPECT_FALSE(browser.Send(Msg(2, 0x101), IPC::Delivery::kDeferred)) << "direct send needs the peer";
  ASSERT_TRUE(browser.Send(Msg(2, 0x102), IPC::Delivery::kQueued)) << "queued send keeps the message";
  Pump(200);

  CChannel parent;
  parent.Init(name, CChannel::Side::kParent);
  Recorder r(2);
  parent.AddListener(&r);
  ASSERT_TRUE(browser.Send(Msg(2, 0x103), IPC::Delivery::kDeferred));
  // The kept message goes out by itself once the peer is there (the sender tries again every
  // 100 ms), so it may come before or after the direct one; a later queued one comes after it.
  ASSERT_TRUE(PumpUntil([&] { return r.received == 2; }));
  ASSERT_TRUE(browser.Send(Msg(2, 0x104), IPC::Delivery::kQueued));
  ASSERT_TRUE(PumpUntil([&] { return r.received == 3; }));
  std::vector<uint32_t> types = r.types;
  EXPECT_EQ(types.back(), 0x104u);
  std::sort(types.begin(), types.end());
  EXPECT_EQ(types, (std::vector<uint32_t>{0x102, 0x103, 0x104}));
}

// The peer's window is remembered once found; when it goes, a send finds the next window of
// that name, or fails while there is none.
TEST(Channel, AReplacedPeerWindowIsFoundAgain) {
  const std::u16string name = UniqueName();
  CChannel browser;
  browser.Init(name);
  Recorder first_listener(2), second_listener(2);
  {
    CChannel first;
    first.Init(name, CChannel::Side::kParent);
    first.AddListener(&first_listener);
    ASSERT_TRUE(browser.Send(Msg(2, 0x201), IPC::Delivery::kImmediate));
    EXPECT_EQ(first_listener.received.load(), 1);
    first.Uninit();
  }
  EXPECT_FALSE(browser.Send(Msg(2, 0x202), IPC::Delivery::kImmediate)) << "no peer window now";
  CChannel second;
  second.Init(name, CChannel::Side::kParent);
  second.AddListener(&second_listener);
  ASSERT_TRUE(browser.Send(Msg(2, 0x203), IPC::Delivery::kImmediate));
  EXPECT_EQ(second_listener.types, std::vector<uint32_t>{0x203});
  EXPECT_EQ(first_listener.types, std::vector<uint32_t>{0x201});
  // Queued messages reach the new window too.
  ASSERT_TRUE(browser.Send(Msg(2, 0x204), IPC::Delivery::kQueued));
  ASSERT_TRUE(PumpUntil([&] { return second_listener.received == 2; }));
  EXPECT_EQ(second_listener.types, (std::vector<uint32_t>{0x203, 0x204}));
}

TEST(Channel, UninitTwiceIsHarmlessAndSendThenFails) {
  const std::u16string name = UniqueName();
  CChannel browser, parent;
  browser.Init(name);
  parent.Init(name, CChannel::Side::kParent);
  ASSERT_TRUE(browser.Send(Msg(2, 0x101), IPC::Delivery::kQueued));
  browser.Uninit();
  browser.Uninit();
  EXPECT_FALSE(browser.Send(Msg(2, 0x101), IPC::Delivery::kDeferred));
  EXPECT_EQ(browser.window(), nullptr);
  const std::wstring own = CChannel::BrowserWindowName(name);
  EXPECT_EQ(FindWindowW(own.c_str(), own.c_str()), nullptr) << "the window is destroyed";
}

TEST(Channel, PeerProcessExitIsReportedOnce) {
  const std::wstring folder = testwin::MakeTempFolder(L"peer-exit");
  for (bool session_ending : {false, true}) {
    CChannel channel;
    channel.Init(UniqueName());
    Recorder r(1);
    channel.AddListener(&r);
    testwin::ChildProcess child;
    HANDLE watched = StartIdleChild(child, folder);
    ASSERT_NE(watched, nullptr);
    channel.WatchPeerProcess(ScopedHandle(watched));
    if (session_ending) SendMessageW(channel.window(), WM_QUERYENDSESSION, 0, 0);
    Pump(100);
    EXPECT_TRUE(r.exits.empty());
    child.Kill();
    ASSERT_TRUE(PumpUntil([&] { return !r.exits.empty(); }));
    Pump(200);
    EXPECT_EQ(r.exits, std::vector<bool>{session_ending});
  }
  testwin::RemoveTree(folder);
}

TEST(Channel, CancelledWatchReportsNothing) {
  CChannel channel;
  channel.Init(UniqueName());
  Recorder r(1);
  channel.AddListener(&r);
  const std::wstring folder = testwin::MakeTempFolder(L"peer-cancel");
  testwin::ChildProcess child;
  HANDLE watched = StartIdleChild(child, folder);
  ASSERT_NE(watched, nullptr);
  channel.WatchPeerProcess(ScopedHandle(watched));
  channel.WatchPeerProcess(ScopedHandle());
  child.Kill();
  Pump(300);
  EXPECT_TRUE(r.exits.empty());
  testwin::RemoveTree(folder);
}

}  // namespace
