#include "corvane_parent.h"

#include "webview2common/win_text.h"

namespace corvane {

using namespace IPC;

ParentLink::ParentLink(HostEvents* events) : events_(events) {}

ParentLink::~ParentLink() {
  channel_.RemoveListener(this);
  channel_.Uninit();
  if (host_process_ != nullptr) CloseHandle(host_process_);
}

bool ParentLink::Open(const std::u16string& channel_name) {
  if (channel_name.empty() || channel_.window() != nullptr) return false;
  channel_.Init(channel_name, CChannel::Side::kParent);
  channel_.AddListener(this);
  channel_name_ = channel_name;
  return channel_.window() != nullptr;
}

bool ParentLink::StartHost(const std::wstring& host_path, HostWindowSettings main,
                           const std::u16string& extra_switches) {
  if (main.channel.empty() && main.window_list.empty()) main.channel = channel_name_;
  std::u16string settings;
  if (!BuildSettingsText(main, &settings)) return false;
  std::wstring command = L"\"" + host_path + L"\" " + as_wcstr(settings);
  if (!extra_switches.empty()) command += L" " + std::wstring(as_wcstr(extra_switches));
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(host_path.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &info)) {
    return false;
  }
  CloseHandle(info.hThread);
  if (host_process_ != nullptr) CloseHandle(host_process_);
  host_process_ = info.hProcess;
  host_process_id_ = info.dwProcessId;
  // The channel owns the handle it watches; ours stays for the exit code.
  HANDLE watched = nullptr;
  if (DuplicateHandle(GetCurrentProcess(), info.hProcess, GetCurrentProcess(), &watched,
                      SYNCHRONIZE, FALSE, 0)) {
    channel_.WatchPeerProcess(watched);
  }
  return true;
}

IPC::Message ParentLink::MakeCommand(int32_t window_id, uint32_t code) {
  return IPC::Message(kDispatcherRouting, static_cast<uint32_t>(window_id) | code, kPriority);
}

bool ParentLink::Send(const IPC::Message& message) {
  switch (delivery_) {
    case Delivery::kImmediate:
      return channel_.Send(message, false, true);
    case Delivery::kQueued:
      return channel_.Send(message, true, false);
    case Delivery::kDeferred:
    default:
      return channel_.Send(message, false, false);
  }
}

bool ParentLink::Navigate(int32_t id, const std::u16string& url, const std::u16string& cookie) {
  Message m = MakeCommand(id, kCmdNavigate);
  return m.WriteString16(url) && m.WriteString16(cookie) && Send(m);
}

bool ParentLink::SetCookie(int32_t id, const std::u16string& url, const std::u16string& cookie) {
  Message m = MakeCommand(id, kCmdSetCookie);
  return m.WriteString16(url) && m.WriteString16(cookie) && Send(m);
}

bool ParentLink::SetBounds(int32_t id, int32_t x, int32_t y, int32_t width, int32_t height) {
  Message m = MakeCommand(id, kCmdSetBounds);
  return m.WriteInt(x) && m.WriteInt(y) && m.WriteInt(width) && m.WriteInt(height) && Send(m);
}

bool ParentLink::Show(int32_t id, bool visible) {
  Message m = MakeCommand(id, kCmdShow);
  return m.WriteInt(visible ? 1 : 0) && Send(m);
}

bool ParentLink::Close(int32_t id) { return Send(MakeCommand(id, kCmdClose)); }

bool ParentLink::Mute(int32_t id, bool muted) {
  Message m = MakeCommand(id, kCmdMute);
  return m.WriteBool(muted) && Send(m);
}

bool ParentLink::CallPageFunction(int32_t id, int64_t call_id, const std::u16string& function,
                                  const std::vector<std::u16string>& arguments) {
  Message m = MakeCommand(id, kCmdCallPageFunction);
  bool ok = m.WriteInt64(call_id) && m.WriteString16(function);
  for (const std::u16string& argument : arguments) ok = ok && m.WriteString16(argument);
  return ok && Send(m);
}

bool ParentLink::AnswerPageCall(int32_t id, const PageCall& call,
                                const std::vector<std::u16string>& arguments) {
  return CallPageFunction(id, call.call_id, call.key, arguments);
}

bool ParentLink::GetCookies(int32_t id, const std::u16string& url, bool http_only_only) {
  Message m = MakeCommand(id, kCmdGetCookies);
  return m.WriteString16(url) && m.WriteInt(http_only_only ? 1 : 0) && Send(m);
}

bool ParentLink::RegisterParentFunction(int32_t id, const std::u16string& function) {
  Message m = MakeCommand(id, kCmdRegisterParentFunction);
  return m.WriteString16(function) && Send(m);
}

bool ParentLink::CreateBrowser(const HostWindowSettings& settings) {
  std::u16string text;
  if (!BuildSettingsText(settings, &text)) return false;
  Message m = MakeCommand(settings.window_id, kCmdCreateBrowser);
  return m.WriteString16(text) && Send(m);
}

bool ParentLink::DeleteCookie(int32_t id, const std::u16string& url, const std::u16string& name) {
  Message m = MakeCommand(id, kCmdDeleteCookie);
  return m.WriteString16(url) && m.WriteString16(name) && Send(m);
}

bool ParentLink::GoBack(int32_t id) { return Send(MakeCommand(id, kCmdGoBack)); }
bool ParentLink::GoForward(int32_t id) { return Send(MakeCommand(id, kCmdGoForward)); }
bool ParentLink::Reload(int32_t id) { return Send(MakeCommand(id, kCmdReload)); }
bool ParentLink::Stop(int32_t id) { return Send(MakeCommand(id, kCmdStop)); }

bool ParentLink::SetReferrer(int32_t id, const std::u16string& referrer) {
  Message m = MakeCommand(id, kCmdSetReferrer);
  return m.WriteString16(referrer) && Send(m);
}

void ParentLink::OnReceiveMessage(const IPC::Message& message) {
  if (events_ == nullptr) return;
  const int32_t id = static_cast<int32_t>(WindowIdOf(message.type()));
  PickleIterator body(message);
  switch (CodeOf(message.type())) {
    case kEvtCreated:
      events_->OnWindowReady(id, static_cast<uint32_t>(ReadInt64(body)));
      break;
    case kEvtClosed:
      events_->OnWindowClosed(id);
      break;
    case kEvtLoadFailed: {
      const std::u16string url = ReadText(body);
      events_->OnLoadFailed(id, url, ReadText(body));
      break;
    }
    case kEvtPageLoaded:
      events_->OnPageLoaded(id, ReadText(body));
      break;
    case kEvtSourceChanged:
      events_->OnSourceChanged(id, ReadText(body));
      break;
    case kEvtTitleChanged:
      events_->OnTitleChanged(id, ReadText(body));
      break;
    case kEvtNewWindow:
      events_->OnNewWindowRequested(id, ReadText(body));
      break;
    case kEvtPageCall: {
      PageCall call;
      call.call_id = ReadInt64(body);
      call.function = ReadText(body);
      call.key = ReadText(body);
      call.arguments = ReadRemainingTexts(body);
      events_->OnPageCall(id, call);
      break;
    }
    case kEvtPageCallResult: {
      const int64_t call_id = ReadInt64(body);
      const int32_t status = ReadInt32(body);
      events_->OnPageCallResult(id, call_id, status, ReadText(body));
      break;
    }
    case kEvtCookieList: {
      const std::u16string url = ReadText(body);
      events_->OnCookies(id, url, ReadText(body));
      break;
    }
    case kEvtFrameLoaded:
      events_->OnFrameLoaded(id, ReadText(body));
      break;
    default:
      events_->OnOtherEvent(id, message);
      break;
  }
}

void ParentLink::OnPeerProcessExit(bool) {
  DWORD code = STILL_ACTIVE;
  if (host_process_ != nullptr) {
    WaitForSingleObject(host_process_, 5000);
    GetExitCodeProcess(host_process_, &code);
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
