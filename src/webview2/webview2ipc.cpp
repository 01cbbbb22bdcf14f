#include "webview2/webview2ipc.h"

#include <windows.h>

#include "base/secret_mask.h"
#include "base/scoped_handle_win.h"
#include "log/logger.h"
#include "webview2/ui_thread_window.h"
#include "webview2common/message/ipc_protocol.h"
#include "webview2common/window_handle_win.h"

using namespace IPC;

CWebView2IPC::CWebView2IPC(std::u16string data_directory)
    : data_directory_(std::move(data_directory)) {}

CWebView2IPC::~CWebView2IPC() {
  windows_.clear();
  channel_.RemoveListener(this);
  channel_.Uninit();
}

bool CWebView2IPC::Init(const std::u16string& command_line) {
  if (command_line.empty()) return false;
  CUIThreadWindow::Instance().Init(true);
  const WindowSettings settings = ParseWindowSettings(command_line, data_directory_);
  if (!IsValidWindowId(settings.web_view_id)) {
    // Every message of such a window would carry a corrupted code: the host ends, as it does
    // when the parent's window is missing.
    LOG_INFO("invalid web_view_id=", settings.web_view_id, ", quit");
    PostQuitMessage(0);
    return false;
  }
  CreateWindowFromSettings(settings, command_line, true);
  return true;
}

namespace {

// The process of the parent's window, 0 for none (no handle, or not a window).
DWORD ProcessOfWindow(uint32_t window) {
  DWORD process = 0;
  if (window != 0) GetWindowThreadProcessId(WindowFromHandleValue(window), &process);
  return process;
}

}  // namespace

void CWebView2IPC::CreateWindowFromSettings(const WindowSettings& settings,
                                            const std::u16string& text, bool main) {
  if (main) {
    channel_.Init(settings.ChannelName());
    // With the parent's window known, only its process is the parent: any process can make a
    // window of the channel's name or send to ours.
    if (const DWORD parent_process = ProcessOfWindow(settings.parent_wnd)) channel_.SetPeerProcess(parent_process);
  }
  channel_.AddListener(this);
  auto window = std::make_shared<CWebView2Impl>(settings, this, text, main);
  if (!main) {
    // Later windows share the main window's browser runtime.
    auto main_window = windows_.find(main_window_id_);
    if (main_window != windows_.end() && main_window->second) window->ShareEnvironmentOf(main_window->second);
  }
  windows_[settings.web_view_id] = window;
  window->Init(this);
  window->CreateBrowserWindow();
  if (main) {
    main_window_id_ = settings.web_view_id;
    WatchParent(settings.parent_wnd);
  }
}

void CWebView2IPC::WatchParent(uint32_t parent_wnd) {
  if (parent_wnd == 0) return;
  const DWORD pid = ProcessOfWindow(parent_wnd);
  if (pid == 0 || !IsWindow(WindowFromHandleValue(parent_wnd))) {
    OnPeerProcessExit(false);
    return;
  }
  channel_.WatchPeerProcess(ScopedHandle(OpenProcess(SYNCHRONIZE, FALSE, pid)));
}

CWebView2Impl* CWebView2IPC::LookupWindow(uint32_t id) const {
  auto it = windows_.find(static_cast<int32_t>(id));
  return it != windows_.end() ? it->second.get() : nullptr;
}

namespace {

// A command's body. An incomplete one is logged and acted on with what could be read: the
// values it lacks are empty texts and zeros.
template <typename Body>
Body ReadCommand(const IPC::Message& message) {
  Body body;
  if (!ReadBody(message, &body)) LOG_INFO("incomplete body of command ", Body::kCode);
  return body;
}

}  // namespace

void CWebView2IPC::OnReceiveMessage(const IPC::Message& message) {
  const uint32_t code = CodeOf(message.type());
  const uint32_t id = WindowIdOf(message.type());
  LOG_INFO("OnReceiveMessage, msg.type=", code);
  CWebView2Impl* window = LookupWindow(id);
  switch (code) {
    case kCmdNavigate: {
      const auto body = ReadCommand<NavigateCommand>(message);
      if (window != nullptr) window->LoadUrl(body.url, body.cookie);
      break;
    }
    case kCmdSetCookie: {
      LOG_INFO("recevice set cookie");
      const auto body = ReadCommand<SetCookieCommand>(message);
      if (window != nullptr) window->SetCookie(body.url, body.cookie);
      break;
    }
    case kCmdSetBounds: {
      const auto b = ReadCommand<SetBoundsCommand>(message);
      if (window != nullptr) window->SetBounds(WindowRect{b.x, b.y, WrappingAdd(b.x, b.width), WrappingAdd(b.y, b.height)});
      break;
    }
    case kCmdShow: {
      const auto body = ReadCommand<ShowCommand>(message);
      if (window != nullptr) window->Show(body.visible != 0);
      break;
    }
    case kCmdClose:
      if (window != nullptr) {
        // Keep the window alive through its own Close, then let it go.
        std::shared_ptr<CWebView2Impl> keep = windows_[static_cast<int32_t>(id)];
        keep->Close();
        windows_.erase(static_cast<int32_t>(id));
      }
      break;
    case kCmdMute: {
      const auto body = ReadCommand<MuteCommand>(message);
      if (window != nullptr) window->SetMute(body.muted);
      break;
    }
    case kCmdCallPageFunction:
      OnCallPageFunction(id, ReadCommand<CallPageFunctionCommand>(message));
      break;
    case kCmdGetCookies: {
      const auto body = ReadCommand<GetCookiesCommand>(message);
      if (window != nullptr) window->GetCookies(body.url, body.http_only != 0);
      break;
    }
    case kCmdRegisterParentFunction: {
      const auto body = ReadCommand<RegisterParentFunctionCommand>(message);
      if (window != nullptr && !body.function.empty()) window->RegisterParentFunction(body.function);
      break;
    }
    case kCmdCreateBrowser:
      OnCreateCommand(id, ReadCommand<CreateBrowserCommand>(message).settings);
      break;
    case kCmdDeleteCookie: {
      const auto body = ReadCommand<DeleteCookieCommand>(message);
      if (window != nullptr) window->DeleteCookie(body.name, body.url);
      break;
    }
    case kCmdGoBack:
      if (window != nullptr) window->GoBack();
      break;
    case kCmdGoForward:
      if (window != nullptr) window->GoForward();
      break;
    case kCmdReload:
      if (window != nullptr) window->Reload();
      break;
    case kCmdStop:
      if (window != nullptr) window->Stop();
      break;
    case kCmdSetReferrer: {
      LOG_INFO("set referer");
      const auto body = ReadCommand<SetReferrerCommand>(message);
      if (window != nullptr) window->SetReferrer(body.referrer);
      break;
    }
    default:
      break;
  }
}

void CWebView2IPC::OnCreateCommand(uint32_t id, const std::u16string& text) {
  if (LookupWindow(id) != nullptr) {
    LOG_INFO("webview exist");
    return;
  }
  const std::u16string placed = u" --programe-placement " + text;
  LOG_INFO("receive create webview cmd:", text::MaskArchiveKeys(placed));
  // The window is registered under the id in its settings. An id no message can carry, or a
  // live window's, creates nothing: a window is never replaced.
  const WindowSettings settings = ParseWindowSettings(placed, data_directory_);
  if (!IsValidWindowId(settings.web_view_id)) {
    LOG_INFO("create webview refused: invalid web_view_id=", settings.web_view_id);
    return;
  }
  if (LookupWindow(static_cast<uint32_t>(settings.web_view_id)) != nullptr) {
    LOG_INFO("create webview refused: web_view_id=", settings.web_view_id, " exists");
    return;
  }
  CreateWindowFromSettings(settings, placed, false);
}

void CWebView2IPC::OnCallPageFunction(uint32_t id, const CallPageFunctionCommand& call) {
  PageCallResultEvent answer;
  answer.call_id = call.call_id;
  answer.status = kCallNotCalled;
  bool queue = false;
  CWebView2Impl* window = LookupWindow(id);
  if (window != nullptr) {
    window->CallPageFunction(call.function, call.arguments, answer.result, answer.status, queue);
  } else {
    answer.status = kCallNoWindow;
  }
  if (queue) {
    if (window->EnqueuePageCall(call.function, call.arguments, call.call_id)) return;
    answer.status = kCallNotCalled;  // too many wait already
    answer.result.clear();
  }
  channel_.Send(MakeHostEvent(id, answer), IPC::Delivery::kQueued);
}

void CWebView2IPC::OnPeerProcessExit(bool) {
  // Closing the main window ends the message loop; the registry may change meanwhile.
  const auto windows = windows_;
  for (const auto& entry : windows) {
    if (entry.second->primary()) entry.second->Close();
  }
  channel_.RemoveListener(this);
  channel_.Uninit();
  windows_.clear();
}

uint32_t CWebView2IPC::IdOf(OrmWebView::IWebView* view) const {
  for (const auto& entry : windows_) {
    if (entry.second.get() == view) return static_cast<uint32_t>(entry.first);
  }
  return static_cast<uint32_t>(main_window_id_);
}

void CWebView2IPC::SendEvent(OrmWebView::IWebView* view, uint32_t code) {
  channel_.Send(MakeHostMessage(IdOf(view), code), IPC::Delivery::kQueued);
}

void CWebView2IPC::OnCreated(OrmWebView::IWebView* view) {
  const uint32_t id = IdOf(view);
  const CWebView2Impl* window = LookupWindow(id);
  CreatedEvent ready;
  ready.window_handle = window != nullptr ? WindowHandleValue(window->m_hWnd) : 0;
  channel_.Send(MakeHostEvent(id, ready), IPC::Delivery::kImmediate);
}

void CWebView2IPC::OnClosed(OrmWebView::IWebView* view) { SendEvent(view, kEvtClosed); }
void CWebView2IPC::OnSlot4(OrmWebView::IWebView* view) { SendEvent(view, kEvtListenerSlot4); }
void CWebView2IPC::OnPageLoaded(OrmWebView::IWebView* view) { SendEvent(view, kEvtPageLoaded); }

void CWebView2IPC::OnCreateFailed(OrmWebView::IWebView* view, const std::u16string& url,
                                  const std::u16string& reason) {
  channel_.Send(MakeHostEvent(IdOf(view), LoadFailedEvent{url, reason}), IPC::Delivery::kQueued);
}

void CWebView2IPC::OnSourceChanged(OrmWebView::IWebView* view, const std::u16string& uri) {
  channel_.Send(MakeHostEvent(IdOf(view), SourceChangedEvent{uri}), IPC::Delivery::kQueued);
}

void CWebView2IPC::OnTitleChanged(OrmWebView::IWebView* view, const std::u16string& title) {
  channel_.Send(MakeHostEvent(IdOf(view), TitleChangedEvent{title}), IPC::Delivery::kQueued);
}

void CWebView2IPC::OnNewWindow(OrmWebView::IWebView* view, const std::u16string& uri) {
  channel_.Send(MakeHostEvent(IdOf(view), NewWindowEvent{uri}), IPC::Delivery::kQueued);
}

bool CWebView2IPC::Send(const IPC::Message& message, IPC::Delivery delivery) {
  return channel_.Send(message, delivery);
}
