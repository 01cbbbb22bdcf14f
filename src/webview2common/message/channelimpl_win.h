#pragma once
// One side of the window-message channel: a hidden window that receives WM_COPYDATA from the
// peer's window, a sender thread for queued messages, and a watch on the peer's process.

#include <windows.h>

#include <atomic>
#include <deque>
#include <map>
#include <memory>
#include <string>

#include "base/line_throttle.h"
#include "base/scoped_handle_win.h"
#include "webview2common/locker_win.h"
#include "webview2common/message/channel_listener.h"
#include "webview2common/message/ipc_message.h"
#include "webview2common/posted_objects_win.h"
#include "webview2common/window_base_win.h"

class CChannelImpl : public CWindowBase {
 public:
  // WM_COPYDATA tags: deferred (the receiver copies and returns at once) and immediate (the
  // receiver's listeners run before the sender's call returns).
  static constexpr ULONG_PTR kDeferredTag = 0x8888;
  static constexpr ULONG_PTR kImmediateTag = 0x8889;
  static constexpr UINT kDeferredDelivery = WM_USER + 100;
  static constexpr UINT kDestroy = WM_USER + 101;
  static constexpr UINT kPeerProcessExited = WM_USER + 102;
  static constexpr DWORD kSendTimeoutMs = 5000;
  static constexpr DWORD kSenderStopTimeoutMs = 10000;
  // How long the sender waits before trying a queued message again when the peer's window is
  // missing.
  static constexpr DWORD kRetryIntervalMs = 100;

  explicit CChannelImpl(std::wstring own_name);
  ~CChannelImpl() override;

  // Creates the own window and remembers the peer's name; true when the window exists.
  bool Connect(const std::wstring& peer_name);

  void AddListener(IChannelListener* listener);
  void RemoveListener(IChannelListener* listener);
  bool Send(const IPC::Message& message, IPC::Delivery delivery);
  // A process to watch, or none to stop watching.
  void WatchPeerProcess(ScopedHandle process);
  // The process the peer's window must belong to, or 0 for any. Once set, messages go only to
  // a peer window of that process, and only messages whose sending window (wParam) belongs to
  // it, or this side's own window, are acted on.
  void SetPeerProcess(DWORD process_id);
  void Uninit();

 protected:
  bool ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam,
                            LRESULT& result) override;

 private:
  struct WaitRecord {
    ScopedHandle process;
    HANDLE wait;  // the thread pool's registration, ended with UnregisterWaitEx
    HWND window;
  };

  bool DirectSend(const IPC::Message& message, IPC::Delivery delivery);
  HWND FindPeerWindow();
  bool StartSender();
  static DWORD WINAPI SenderThread(void* self);
  void SenderLoop();
  // Sends the queued messages in order; false when the peer could not take the front one,
  // which then stays at the front.
  bool SendQueued();
  void Deliver(const void* data, size_t length);
  void RegisterProcessWaitExit(ScopedHandle process);
  void StopWatching();
  static void CALLBACK OnProcessSignalled(void* context, BOOLEAN timed_out);
  void OnPeerProcessExited(WaitRecord* record);
  LRESULT OnCopyData(HWND sender, const COPYDATASTRUCT* data);
  bool FromPeer(HWND sender);
  // Logs a refusal, a few lines a second at most (a flood must not flood the log).
  void LogRefusal(const char* what, DWORD process_id);

  std::wstring peer_name_;
  std::wstring own_name_;
  std::atomic<HWND> peer_{nullptr};
  std::atomic<DWORD> peer_process_{0};
  base::LineThrottle refusal_lines_{5};  // UI thread and sender thread alike
  volatile LONG shut_down_ = 0;
  bool destroying_ = false;  // the destroy message is honoured only from Uninit
  bool session_ending_ = false;

  _BaseModule::CCriticalSection listener_lock_;
  std::map<IChannelListener*, int> listeners_;

  // The queue and the sender's two flags, under one lock; the sender sleeps on work_ready_.
  _BaseModule::CSlimLock queue_lock_;
  std::deque<IPC::Message> queue_;
  CONDITION_VARIABLE work_ready_ = CONDITION_VARIABLE_INIT;
  bool work_pending_ = false;
  bool stop_requested_ = false;
  ScopedHandle sender_;

  // Copies of deferred messages, delivered from the window's own queue.
  CPostedObjects<std::string> deliveries_;

  _BaseModule::CCriticalSection wait_lock_;
  std::unique_ptr<WaitRecord> wait_record_;  // its address is the thread-pool wait's context
};
