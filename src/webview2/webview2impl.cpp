#include "webview2/webview2impl.h"

#include <functional>

#include "log/logger.h"
#include "webview2common/message/ipc_protocol.h"
#include "webview2common/win_text.h"

namespace {
constexpr long kPointerError = static_cast<long>(0x80004003L);  // E_POINTER
}

CWebView2Impl::CWebView2Impl(const WindowSettings& settings, ISendRequest* sender,
                             std::u16string raw_text, bool primary)
    : settings_(settings),
      current_url_(settings.url),
      sender_(sender),
      raw_text_(std::move(raw_text)),
      tag_(static_cast<uint32_t>(settings.web_view_id)),
      primary_(primary) {
  mime_overrides_[u".svg"] = u"image/svg+xml";
}

CWebView2Impl::~CWebView2Impl() = default;

bool CWebView2Impl::Init(OrmWebView::IWebViewListener* listener) {
  listener_ = listener;
  return true;
}

void CWebView2Impl::SetListener(OrmWebView::IWebViewListener* listener) { listener_ = listener; }

bool CWebView2Impl::CreateBrowserWindow() {
  HWND parent = reinterpret_cast<HWND>(static_cast<uintptr_t>(settings_.parent_wnd));
  const WindowRect& r = settings_.tab_rect;
  const RECT rect{r.left, r.top, r.right, r.bottom};
  const DWORD style = (parent != nullptr ? WS_CHILD : WS_POPUP) | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
  HWND window = CreateBoundWindow(L"CorvaneBrowserWindow", CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS,
                                  parent, rect, as_wcstr(settings_.class_name), style, 0);
  if (window == nullptr) {
    LOG_INFO("create browser window failed, error=", GetLastError());
    return false;
  }
  ShowWindow(window, SW_SHOW);
  return true;
}

RECT CWebView2Impl::ClientRect() const {
  RECT rect{0, 0, 0, 0};
  if (IsWindow()) GetClientRect(m_hWnd, &rect);
  return rect;
}

bool CWebView2Impl::SetCookie(const std::u16string&, const std::u16string&) {
  // Cookies live in the web view's cookie manager; before it exists nothing can be stored.
  return false;
}

bool CWebView2Impl::LoadUrl(const std::u16string& url, const std::u16string& cookies) {
  LOG_INFO("load url=", url);
  if (url.empty()) return false;
  if (!cookies.empty()) SetCookie(url, cookies);
  const WindowRect& r = settings_.tab_rect;
  if (IsWindow()) {
    SetWindowPos(m_hWnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER);
  }
  current_url_ = url;
  return true;
}

void CWebView2Impl::SetBounds(const WindowRect& rect) {
  const int x = rect.left;
  const int y = rect.top;
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  LOG_INFO("SetBounds x=", x, " y=", y, " width=", width, " height=", height);
  if (IsWindow()) {
    SetWindowPos(m_hWnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

bool CWebView2Impl::Show(bool visible) {
  const RECT client = ClientRect();
  SetBounds(WindowRect{client.left, client.top, client.right, client.bottom});
  if (IsWindow()) ShowWindow(m_hWnd, visible ? SW_SHOW : SW_HIDE);
  return true;
}

void CWebView2Impl::SetMute(bool) {
  // Muting is a web view setting; without a web view there is nothing to mute.
}

void CWebView2Impl::Close() {
  if (IsWindow()) DestroyWindow(m_hWnd);
  if (primary_) PostQuitMessage(0);
  if (listener_ != nullptr) listener_->OnClosed(this);
}

void CWebView2Impl::GetCookies(const std::u16string&, bool) {}
void CWebView2Impl::DeleteCookie(const std::u16string&, const std::u16string&) {}

void CWebView2Impl::SetReferrer(const std::u16string& referrer) { referrer_ = referrer; }

bool CWebView2Impl::RegisterParentFunction(const std::u16string& name) {
  LOG_INFO("register funname:", name);
  // Page script reaches parent functions through the host object, which this window does not
  // have yet.
  return false;
}

long CWebView2Impl::CallPageFunction(const std::u16string&, const std::vector<std::u16string>&,
                                     std::u16string&, int32_t&, bool& queue) {
  queue = false;
  return kPointerError;  // no web view: no page to call
}

void CWebView2Impl::EnqueuePageCall(const std::u16string& name,
                                    const std::vector<std::u16string>& arguments,
                                    int64_t request_id) {
  pending_calls_.push_back(PageCall{name, arguments, request_id});
}

void CWebView2Impl::GoBack() {}
void CWebView2Impl::GoForward() {}
void CWebView2Impl::Reload() {}
void CWebView2Impl::Stop() {}

bool CWebView2Impl::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM,
                                         LRESULT& result) {
  switch (message) {
    case WM_CREATE:
      settings_.window = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(hwnd));
      result = 0;
      return true;
    case WM_CLOSE:
      Close();
      result = 0;
      return true;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(hwnd, &paint);
      EndPaint(hwnd, &paint);
      result = 0;
      return true;
    }
    case kRunCallable: {
      auto* callable = reinterpret_cast<std::function<void()>*>(wparam);
      if (callable != nullptr && *callable) (*callable)();
      result = 0;
      return true;
    }
    case kShowWindow:
      Show(true);
      result = 0;
      return true;
    default:
      return false;
  }
}
