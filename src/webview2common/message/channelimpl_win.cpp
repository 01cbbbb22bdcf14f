#include "webview2common/message/channelimpl_win.h"

#include <new>
#include <vector>

#include "log/logger.h"

using _BaseModule::CAutoLocker;

CChannelImpl::CChannelImpl(std::wstring own_name) : own_name_(std::move(own_name)) {}

CChannelImpl::~CChannelImpl() { Uninit(); }

bool CChannelImpl::Connect(const std::wstring& peer_name) {
  if (IsWindow()) return true;
  peer_name_ = peer_name;
  peer_.store(FindWindowW(peer_name_.c_str(), peer_name_.c_str()));
  const RECT empty{0, 0, 0, 0};
  CreateBoundWindow(own_name_.c_str(), CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, nullptr, empty,
                    own_name_.c_str(), WS_POPUP, 0);
  if (IsWindow()) SetWindowTextW(m_hWnd, own_name_.c_str());
  return IsWindow();
}

void CChannelImpl::AddListener(IChannelListener* listener) {
  if (listener == nullptr) return;
  CAutoLocker lock(listener_lock_);
  listeners_[listener] = 1;
}

void CChannelImpl::RemoveListener(IChannelListener* listener) {
  CAutoLocker lock(listener_lock_);
  listeners_.erase(listener);
}

void CChannelImpl::SetPeerProcess(DWORD process_id) {
  peer_process_.store(process_id);
  peer_.store(nullptr);  // looked up again, among the windows of that process
}

void CChannelImpl::LogRefusal(const char* what, DWORD process_id) {
  if (refusal_lines_.Allow()) {
    LOG_INFO("ipc channel refused ", what, " of process ", process_id, ", not the peer's ", peer_process_.load());
  }
}

HWND CChannelImpl::FindPeerWindow() {
  // Both the UI thread and the sender thread look the peer up; the handle is shared atomically.
  const DWORD expected = peer_process_.load();
  HWND peer = FindWindowExW(nullptr, nullptr, peer_name_.c_str(), peer_name_.c_str());
  // Any process can create a window of that name: only the peer's own is taken.
  while (peer != nullptr && expected != 0) {
    DWORD owner = 0;
    GetWindowThreadProcessId(peer, &owner);
    if (owner == expected) break;
    LogRefusal("a window named as the peer's", owner);
    peer = FindWindowExW(nullptr, peer, peer_name_.c_str(), peer_name_.c_str());
  }
  peer_.store(peer);
  return peer;
}

bool CChannelImpl::FromPeer(HWND sender) {
  const DWORD expected = peer_process_.load();
  if (expected == 0 || (sender != nullptr && sender == m_hWnd)) return true;
  DWORD owner = 0;
  if (sender != nullptr) GetWindowThreadProcessId(sender, &owner);
  if (owner == expected) return true;
  LogRefusal("a message", owner);
  return false;
}

bool CChannelImpl::DirectSend(const IPC::Message& message, IPC::Delivery delivery) {
  // The peer's handle is used as it was found and looked up again only when a send reports it
  // gone: asking whether another process's window still exists costs a round trip to the
  // window system on every message.
  HWND peer = peer_.load();
  if (peer == nullptr) peer = FindPeerWindow();
  if (peer == nullptr) return false;
  COPYDATASTRUCT record{};
  record.dwData = delivery == IPC::Delivery::kImmediate ? kImmediateTag : kDeferredTag;
  record.cbData = static_cast<DWORD>(message.size());
  record.lpData = const_cast<uint8_t*>(message.data());
  DWORD_PTR answer = 0;
  // False only when the target window no longer exists.
  auto send = [&](HWND target) {
    if (SendMessageTimeoutW(target, WM_COPYDATA, reinterpret_cast<WPARAM>(m_hWnd), reinterpret_cast<LPARAM>(&record),
                            SMTO_NOTIMEOUTIFNOTHUNG, kSendTimeoutMs, &answer)) {
      return true;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_INVALID_WINDOW_HANDLE) return false;
    LOG_INFO("ipc channel SendMessageTimeout failed, error=", error);
    return true;
  };
  if (!send(peer)) {
    // The peer's window went away; a new one may have taken its name.
    peer = FindPeerWindow();
    if (peer == nullptr || !send(peer)) return false;
  }
  // Routing 0 addresses every listener, this side's own included.
  if (message.routing_id() == 0 && IsWindow()) send(m_hWnd);
  return true;
}

bool CChannelImpl::Send(const IPC::Message& message, IPC::Delivery delivery) {
  if (shut_down_ != 0) {
    LOG_INFO("quit so send fail");
    return false;
  }
  if (delivery != IPC::Delivery::kQueued) return DirectSend(message, delivery);
  if (!StartSender()) return false;
  try {
    CAutoLocker lock(queue_lock_);
    queue_.push_back(message);
    work_pending_ = true;
  } catch (const std::bad_alloc&) {
    return false;
  }
  WakeConditionVariable(&work_ready_);
  return true;
}

bool CChannelImpl::StartSender() {
  CAutoLocker lock(queue_lock_);
  if (!sender_.IsValid()) sender_.Reset(CreateThread(nullptr, 0, &CChannelImpl::SenderThread, this, 0, nullptr));
  return sender_.IsValid();
}

DWORD WINAPI CChannelImpl::SenderThread(void* self) {
  try {
    static_cast<CChannelImpl*>(self)->SenderLoop();
  } catch (...) {
    LOG_INFO("ipc channel sender stopped by an error");
  }
  return 0;
}

void CChannelImpl::SenderLoop() {
  DWORD wait = INFINITE;
  for (;;) {
    bool stop = false;
    {
      CAutoLocker lock(queue_lock_);
      while (!work_pending_ && !stop_requested_) {
        if (!queue_lock_.Wait(work_ready_, wait)) {
          if (GetLastError() != ERROR_TIMEOUT) return;
          break;
        }
      }
      work_pending_ = false;
      stop = stop_requested_;
    }
    // Shutting down: what the peer can still take goes out (the main window's closed event
    // among it); the rest is dropped with the queue.
    if (stop) {
      SendQueued();
      return;
    }
    // While the peer's window is missing, try again after a pause instead of spinning; new
    // work tries again at once.
    wait = SendQueued() ? INFINITE : kRetryIntervalMs;
  }
}

bool CChannelImpl::SendQueued() {
  for (;;) {
    const IPC::Message* message = nullptr;
    {
      CAutoLocker lock(queue_lock_);
      if (queue_.empty()) return true;
      // Sent in place, without a copy: only this thread takes messages out, and adding at the
      // back of a deque leaves its front where it is.
      message = &queue_.front();
    }
    // The front message leaves the queue only once sent, so the order never changes.
    if (message->type() != 0 && !DirectSend(*message, IPC::Delivery::kDeferred)) return false;
    CAutoLocker lock(queue_lock_);
    if (!queue_.empty()) queue_.pop_front();
  }
}

void CChannelImpl::Deliver(const void* data, size_t length) {
  std::map<IChannelListener*, int> listeners;
  {
    CAutoLocker lock(listener_lock_);
    listeners = listeners_;
  }
  const IPC::Message message(data, length > INT_MAX ? 0 : static_cast<int>(length));
  const int32_t routing = message.routing_id();
  for (const auto& entry : listeners) {
    if (routing == 0 || entry.first->ListenerRoute() == routing) {
      entry.first->OnReceiveMessage(message);
    }
  }
}

LRESULT CChannelImpl::OnCopyData(HWND sender, const COPYDATASTRUCT* data) {
  if (data == nullptr) return TRUE;
  if (!FromPeer(sender)) return FALSE;
  if (data->dwData == kImmediateTag) {
    Deliver(data->lpData, data->lpData != nullptr ? data->cbData : 0);
  } else if (data->dwData == kDeferredTag) {
    std::unique_ptr<std::string> copy;
    try {
      copy = std::make_unique<std::string>();
      if (data->lpData != nullptr) copy->assign(static_cast<const char*>(data->lpData), data->cbData);
    } catch (const std::bad_alloc&) {
      LOG_INFO("ipc channel dropped a message of ", data->cbData, " bytes: out of memory");
      return TRUE;
    }
    PostOwned(m_hWnd, kDeferredDelivery, deliveries_, std::move(copy));
  }
  return TRUE;
}

void CChannelImpl::RegisterProcessWaitExit(ScopedHandle process) {
  wait_record_ = std::make_unique<WaitRecord>(WaitRecord{std::move(process), nullptr, m_hWnd});
  WaitRecord* record = wait_record_.get();
  if (!RegisterWaitForSingleObject(&record->wait, record->process.Get(), &CChannelImpl::OnProcessSignalled,
                                   record, INFINITE,
                                   WT_EXECUTEONLYONCE | WT_EXECUTELONGFUNCTION)) {
    record->wait = nullptr;
    LOG_INFO("RegisterProcessWaitExit Failed");
  }
}

void CALLBACK CChannelImpl::OnProcessSignalled(void* context, BOOLEAN timed_out) {
  auto* record = static_cast<WaitRecord*>(context);
  if (!timed_out) {
    // Nothing may unwind into the thread pool: the post matters, the log lines do not.
    try {
      LOG_INFO("browser process quit");
    } catch (...) {
    }
    PostMessageW(record->window, kPeerProcessExited, reinterpret_cast<WPARAM>(record), 0);
  }
  try {
    LOG_INFO("RegisterProcessWaitExit");
  } catch (...) {
  }
}

void CChannelImpl::StopWatching() {
  // Called under the wait lock. Waits for a running callback so the record outlives it.
  if (!wait_record_) return;
  if (wait_record_->wait != nullptr) UnregisterWaitEx(wait_record_->wait, INVALID_HANDLE_VALUE);
  wait_record_.reset();
}

void CChannelImpl::WatchPeerProcess(ScopedHandle process) {
  CAutoLocker lock(wait_lock_);
  StopWatching();
  if (process.IsValid()) RegisterProcessWaitExit(std::move(process));
}

void CChannelImpl::OnPeerProcessExited(WaitRecord* record) {
  {
    CAutoLocker lock(wait_lock_);
    // A record that was already replaced or cancelled is stale: it must not be touched.
    if (record == nullptr || record != wait_record_.get()) return;
    StopWatching();
  }
  std::map<IChannelListener*, int> listeners;
  {
    CAutoLocker lock(listener_lock_);
    listeners = listeners_;
  }
  for (const auto& entry : listeners) {
    if (auto* listener2 = dynamic_cast<IChannelListener2*>(entry.first)) {
      listener2->OnPeerProcessExit(session_ending_);
    }
  }
}

bool CChannelImpl::ProcessWindowMessage(HWND, UINT message, WPARAM wparam, LPARAM lparam,
                                        LRESULT& result) {
  switch (message) {
    case WM_COPYDATA:
      result = OnCopyData(reinterpret_cast<HWND>(wparam), reinterpret_cast<const COPYDATASTRUCT*>(lparam));
      return true;
    case kDeferredDelivery: {
      if (const std::unique_ptr<std::string> bytes = ClaimPosted(deliveries_, wparam)) {
        Deliver(bytes->data(), bytes->size());
      }
      result = 0;
      return true;
    }
    case kDestroy:
      if (destroying_) DestroyWindow(m_hWnd);
      result = 0;
      return true;
    case kPeerProcessExited:
      OnPeerProcessExited(reinterpret_cast<WaitRecord*>(wparam));
      result = 0;
      return true;
    case WM_QUERYENDSESSION:
      session_ending_ = true;
      result = TRUE;
      return true;
    case WM_TIMER:
    case WM_CREATE:
      result = 0;
      return true;
    default:
      return false;
  }
}

void CChannelImpl::Uninit() {
  if (InterlockedExchange(&shut_down_, 1) != 0) return;
  bool sender_running = false;
  if (sender_.IsValid()) {
    {
      CAutoLocker lock(queue_lock_);
      stop_requested_ = true;
    }
    WakeConditionVariable(&work_ready_);
    // A sender still sending to a parent that does not answer is left to end with the process.
    sender_running = WaitForSingleObject(sender_.Get(), kSenderStopTimeoutMs) != WAIT_OBJECT_0;
    sender_.Reset();
  }
  {
    CAutoLocker lock(wait_lock_);
    StopWatching();
  }
  if (!sender_running) {
    // A sender still running may be sending the front message in place: the queue then stays
    // as it is and goes with the process.
    CAutoLocker lock(queue_lock_);
    queue_.clear();
  }
  destroying_ = true;
  if (IsWindow()) SendMessageW(m_hWnd, kDestroy, 0, 0);
  LOG_INFO("ipc channel uninit end");
}
