#include "webview2common/message/channel_win.h"

#include "base/text_win.h"
#include "webview2common/message/channelimpl_win.h"

namespace {

// Window names are built in a buffer of 260 UTF-16 units, cut when longer.
std::wstring WindowName(const wchar_t* prefix, const std::u16string& name) {
  std::wstring text = prefix;
  text += as_wcstr(name);
  if (text.size() > MAX_PATH - 1) text.resize(MAX_PATH - 1);
  return text;
}

}  // namespace

std::wstring CChannel::BrowserWindowName(const std::u16string& name) {
  return WindowName(L"Webview2-BrowserMain-", name);
}

std::wstring CChannel::ProxyWindowName(const std::u16string& name) {
  return WindowName(L"Webview2-BrowserProxy-", name);
}

CChannel::~CChannel() {
  // A channel that was shut down was left alive on purpose (see Uninit).
  delete impl_;
}

void CChannel::Init(const std::u16string& name, Side side) {
  if (name.empty() || impl_ != nullptr) return;
  const bool browser = side == Side::kBrowser;
  impl_ = new CChannelImpl(browser ? BrowserWindowName(name) : ProxyWindowName(name));
  impl_->Connect(browser ? ProxyWindowName(name) : BrowserWindowName(name));
}

void CChannel::AddListener(IChannelListener* listener) {
  if (impl_ != nullptr) impl_->AddListener(listener);
}

void CChannel::RemoveListener(IChannelListener* listener) {
  if (impl_ != nullptr) impl_->RemoveListener(listener);
}

bool CChannel::Send(const IPC::Message& message, IPC::Delivery delivery) {
  return impl_ != nullptr && impl_->Send(message, delivery);
}

void CChannel::WatchPeerProcess(ScopedHandle process) {
  if (impl_ != nullptr) impl_->WatchPeerProcess(std::move(process));
}

void CChannel::SetPeerProcess(DWORD process_id) {
  if (impl_ != nullptr) impl_->SetPeerProcess(process_id);
}

void CChannel::Uninit() {
  if (impl_ == nullptr) return;
  impl_->Uninit();
  // Uninit is called from inside a listener call that the implementation's own window
  // procedure is making, so the object must outlive it: it is kept until the process ends.
  impl_ = nullptr;
}

HWND CChannel::window() const { return impl_ != nullptr ? impl_->m_hWnd : nullptr; }
