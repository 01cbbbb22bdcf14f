#include "corvane_parent.h"

#include "base/scoped_handle_win.h"
#include "base/text_win.h"
#include "corvane_parent_messages.h"
#include "webview2common/message/channel_win.h"

namespace corvane {

using namespace IPC;

static_assert(static_cast<int>(ParentLink::Delivery::kImmediate) == static_cast<int>(IPC::Delivery::kImmediate) &&
                  static_cast<int>(ParentLink::Delivery::kDeferred) == static_cast<int>(IPC::Delivery::kDeferred) &&
                  static_cast<int>(ParentLink::Delivery::kQueued) == static_cast<int>(IPC::Delivery::kQueued),
              "the public delivery names the channel's");

class ParentLink::Impl : private IChannelListener2 {
 public:
  explicit Impl(HostEvents* events) : events_(events), thread_(GetCurrentThreadId()) {}
  ~Impl() override {
    channel_.RemoveListener(this);
    channel_.Uninit();
  }

  bool OnOwnThread() const { return GetCurrentThreadId() == thread_; }
  bool Open(const std::u16string& channel_name);
  bool StartHost(const std::wstring& host_path, HostWindowSettings main,
                 const std::u16string& extra_switches, StartFailure* why);
  bool Send(const IPC::Message& message) {
    return OnOwnThread() && channel_.Send(message, static_cast<IPC::Delivery>(delivery_));
  }
  template <typename Body>
  bool SendCommand(int32_t window_id, const Body& body) {
    Message m = MakeCommand(window_id, Body::kCode);
    return WriteBody(m, body) && Send(m);
  }

  CChannel channel_;
  std::u16string channel_name_;
  Delivery delivery_ = Delivery::kDeferred;
  ScopedHandle host_process_;
  DWORD host_process_id_ = 0;

 private:
  void OnReceiveMessage(const IPC::Message& message) override;
  int32_t ListenerRoute() override { return IPC::kHostRouting; }
  void OnPeerProcessExit(bool session_ending) override;

  HostEvents* events_;
  const DWORD thread_;
};

ParentLink::ParentLink(HostEvents* events) : impl_(std::make_unique<Impl>(events)) {}
ParentLink::~ParentLink() = default;

HWND ParentLink::channel_window() const { return impl_->channel_.window(); }
HANDLE ParentLink::host_process() const { return impl_->host_process_.Get(); }
DWORD ParentLink::host_process_id() const { return impl_->host_process_id_; }
const std::u16string& ParentLink::channel_name() const { return impl_->channel_name_; }
void ParentLink::set_delivery(Delivery delivery) { impl_->delivery_ = delivery; }

bool ParentLink::Open(const std::u16string& channel_name) { return impl_->Open(channel_name); }

bool ParentLink::Impl::Open(const std::u16string& channel_name) {
  if (!OnOwnThread() || channel_name.empty() || channel_.window() != nullptr) return false;
  // A name in use is another parent's channel, or a window waiting for our host's messages.
  const std::wstring own = CChannel::ProxyWindowName(channel_name);
  if (FindWindowW(own.c_str(), own.c_str()) != nullptr) return false;
  channel_.Init(channel_name, CChannel::Side::kParent);
  if (host_process_id_ != 0) channel_.SetPeerProcess(host_process_id_);  // started before
  channel_.AddListener(this);
  channel_name_ = channel_name;
  return channel_.window() != nullptr;
}

bool ParentLink::StartHost(const std::wstring& host_path, HostWindowSettings main,
                           const std::u16string& extra_switches, StartFailure* why) {
  StartFailure ignored;
  return impl_->StartHost(host_path, std::move(main), extra_switches, why != nullptr ? why : &ignored);
}

bool ParentLink::Impl::StartHost(const std::wstring& host_path, HostWindowSettings main,
                                 const std::u16string& extra_switches, StartFailure* why) {
  *why = StartFailure();
  if (!OnOwnThread() || host_process_id_ != 0) {
    why->kind = StartFailure::Kind::kWrongState;
    return false;
  }
  if (main.channel.empty() && main.window_list.empty()) main.channel = channel_name_;
  std::u16string settings;
  if (!BuildSettingsText(main, &settings)) {
    why->kind = StartFailure::Kind::kInvalidSettings;
    return false;
  }
  std::wstring command = L"\"" + host_path + L"\" " + as_wcstr(settings);
  if (!extra_switches.empty()) command += L" " + std::wstring(as_wcstr(extra_switches));
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(host_path.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &info)) {
    why->system_error = GetLastError();
    switch (why->system_error) {
      case ERROR_FILE_NOT_FOUND:
      case ERROR_PATH_NOT_FOUND:
      case ERROR_INVALID_NAME:
        why->kind = StartFailure::Kind::kNotFound;
        break;
      case ERROR_BAD_EXE_FORMAT:
      case ERROR_EXE_MACHINE_TYPE_MISMATCH:
      case ERROR_EXE_MARKED_INVALID:
        why->kind = StartFailure::Kind::kWrongArchitecture;
        break;
      default:
        why->kind = StartFailure::Kind::kSystem;
        break;
    }
    return false;
  }
  const ScopedHandle first_thread(info.hThread);  // not kept
  host_process_.Reset(info.hProcess);
  host_process_id_ = info.dwProcessId;
  // Only the host started here is heard and sent to.
  channel_.SetPeerProcess(info.dwProcessId);
  // The channel owns the handle it watches; ours stays for the exit code.
  HANDLE watched = nullptr;
  if (DuplicateHandle(GetCurrentProcess(), info.hProcess, GetCurrentProcess(), &watched,
                      SYNCHRONIZE, FALSE, 0)) {
    channel_.WatchPeerProcess(ScopedHandle(watched));
  }
  return true;
}

bool ParentLink::SendMessageBytes(const void* message, size_t size) {
  if (message == nullptr || size < static_cast<size_t>(Message::kHeaderSize) || size > 0x7FFFFFFF) return false;
  const Message view(message, static_cast<int>(size));
  // The view is empty for malformed bytes; bytes beyond the body are not one message either.
  if (view.size() != size) return false;
  return impl_->Send(view);
}

bool ParentLink::Navigate(int32_t id, const std::u16string& url, const std::u16string& cookie) {
  return impl_->SendCommand(id, NavigateCommand{url, cookie});
}

bool ParentLink::SetCookie(int32_t id, const std::u16string& url, const std::u16string& cookie) {
  return impl_->SendCommand(id, SetCookieCommand{url, cookie});
}

bool ParentLink::SetBounds(int32_t id, int32_t x, int32_t y, int32_t width, int32_t height) {
  return impl_->SendCommand(id, SetBoundsCommand{x, y, width, height});
}

bool ParentLink::Show(int32_t id, bool visible) { return impl_->SendCommand(id, ShowCommand{visible ? 1 : 0}); }

bool ParentLink::Close(int32_t id) { return impl_->Send(MakeCommand(id, kCmdClose)); }

bool ParentLink::Mute(int32_t id, bool muted) { return impl_->SendCommand(id, MuteCommand{muted}); }

bool ParentLink::CallPageFunction(int32_t id, int64_t call_id, const std::u16string& function,
                                  const std::vector<std::u16string>& arguments) {
  return impl_->SendCommand(id, CallPageFunctionCommand{call_id, function, arguments});
}

bool ParentLink::AnswerPageCall(int32_t id, const PageCall& call,
                                const std::vector<std::u16string>& arguments) {
  return CallPageFunction(id, call.call_id, call.key, arguments);
}

bool ParentLink::GetCookies(int32_t id, const std::u16string& url, bool http_only_only) {
  return impl_->SendCommand(id, GetCookiesCommand{url, http_only_only ? 1 : 0});
}

bool ParentLink::RegisterParentFunction(int32_t id, const std::u16string& function) {
  return impl_->SendCommand(id, RegisterParentFunctionCommand{function});
}

bool ParentLink::CreateBrowser(const HostWindowSettings& settings) {
  std::u16string text;
  if (!BuildSettingsText(settings, &text)) return false;
  return impl_->SendCommand(settings.window_id, CreateBrowserCommand{text});
}

bool ParentLink::DeleteCookie(int32_t id, const std::u16string& url, const std::u16string& name) {
  return impl_->SendCommand(id, DeleteCookieCommand{url, name});
}

bool ParentLink::GoBack(int32_t id) { return impl_->Send(MakeCommand(id, kCmdGoBack)); }
bool ParentLink::GoForward(int32_t id) { return impl_->Send(MakeCommand(id, kCmdGoForward)); }
bool ParentLink::Reload(int32_t id) { return impl_->Send(MakeCommand(id, kCmdReload)); }
bool ParentLink::Stop(int32_t id) { return impl_->Send(MakeCommand(id, kCmdStop)); }

bool ParentLink::SetReferrer(int32_t id, const std::u16string& referrer) {
  return impl_->SendCommand(id, SetReferrerCommand{referrer});
}

namespace {

// An event's body; one that is truncated or malformed is delivered with what could be read
// (the values it lacks are empty texts and zeros), as the host does with commands.
template <typename Body>
Body ReadEvent(const IPC::Message& message) {
  Body body;
  (void)ReadBody(message, &body);
  return body;
}

}  // namespace

void ParentLink::Impl::OnReceiveMessage(const IPC::Message& message) {
  if (events_ == nullptr) return;
  const int32_t id = static_cast<int32_t>(WindowIdOf(message.type()));
  switch (CodeOf(message.type())) {
    case kEvtCreated:
      events_->OnWindowReady(id, static_cast<uint32_t>(ReadEvent<CreatedEvent>(message).window_handle));
      break;
    case kEvtClosed:
      events_->OnWindowClosed(id);
      break;
    case kEvtLoadFailed: {
      const auto body = ReadEvent<LoadFailedEvent>(message);
      events_->OnLoadFailed(id, body.url, body.reason.value_or(u""));
      break;
    }
    case kEvtPageLoaded:
      events_->OnPageLoaded(id, ReadEvent<PageLoadedEvent>(message).url.value_or(u""));
      break;
    case kEvtSourceChanged:
      events_->OnSourceChanged(id, ReadEvent<SourceChangedEvent>(message).text);
      break;
    case kEvtTitleChanged:
      events_->OnTitleChanged(id, ReadEvent<TitleChangedEvent>(message).text);
      break;
    case kEvtNewWindow:
      events_->OnNewWindowRequested(id, ReadEvent<NewWindowEvent>(message).text);
      break;
    case kEvtPageCall: {
      auto body = ReadEvent<PageCallEvent>(message);
      events_->OnPageCall(id, PageCall{body.call_id, std::move(body.function), std::move(body.key),
                                       std::move(body.arguments)});
      break;
    }
    case kEvtPageCallResult: {
      const auto body = ReadEvent<PageCallResultEvent>(message);
      events_->OnPageCallResult(id, body.call_id, body.status, body.result);
      break;
    }
    case kEvtCookieList: {
      const auto body = ReadEvent<CookieListEvent>(message);
      events_->OnCookies(id, body.url, body.listing);
      break;
    }
    case kEvtFrameLoaded:
      events_->OnFrameLoaded(id, ReadEvent<FrameLoadedEvent>(message).text);
      break;
    default:
      events_->OnOtherEvent(id, CodeOf(message.type()),
                            std::vector<uint8_t>(message.data(), message.data() + message.size()));
      break;
  }
}

void ParentLink::Impl::OnPeerProcessExit(bool) {
  DWORD code = STILL_ACTIVE;
  if (host_process_.IsValid()) {
    WaitForSingleObject(host_process_.Get(), 5000);
    GetExitCodeProcess(host_process_.Get(), &code);
  }
  if (events_ != nullptr) events_->OnHostExited(code);
}

bool ParentLink::PumpUntil(const std::function<bool()>& done, DWORD timeout_ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (done()) return true;
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= timeout_ms) return done();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, timeout_ms - elapsed < 50 ? timeout_ms - elapsed : 50,
                              QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
}

}  // namespace corvane
