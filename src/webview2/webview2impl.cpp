#include "webview2/webview2impl.h"

#include <algorithm>
#include <functional>

#include "base/secret_mask.h"
#include "base/text_convert.h"
#include "base/text_win.h"
#include "log/logger.h"
#include "webview2/document_script.h"
#include "webview2/environment_options.h"
#include "webview2/shutdown_watchdog_win.h"
#include "webview2/webview2_loader.h"
#include "webview2common/archive/web_types.h"
#include "webview2common/com_text_win.h"
#include "webview2common/dispatch_call_win.h"
#include "webview2common/message/ipc_protocol.h"
#include "webview2common/text_cipher.h"
#include "webview2common/url_parts.h"
#include "webview2common/window_handle_win.h"

CWebView2Impl::CWebView2Impl(const WindowSettings& settings, ISendRequest* sender,
                             std::u16string raw_text, bool primary)
    : settings_(settings),
      current_url_(settings.url),
      sender_(sender),
      raw_text_(std::move(raw_text)),
      tag_(static_cast<uint32_t>(settings.web_view_id)),
      primary_(primary) {
  LoadDocumentScript();
}

CWebView2Impl::~CWebView2Impl() = default;

void CWebView2Impl::LoadDocumentScript() {
  HRSRC resource = FindResourceW(nullptr, MAKEINTRESOURCEW(kDocumentScriptResourceId), L"FILE");
  HGLOBAL loaded = resource != nullptr ? LoadResource(nullptr, resource) : nullptr;
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (bytes == nullptr) {
    LOG_INFO("document script resource missing");
    return;
  }
  const std::string_view text(static_cast<const char*>(bytes), SizeofResource(nullptr, resource));
  const std::optional<std::string> plain = DecipherText(text, kDocumentScriptKey);
  if (!plain) {
    LOG_INFO("document script cannot be deciphered");
    return;
  }
  document_script_ = text::Utf8ToUtf16(*plain);
}

bool CWebView2Impl::Init(OrmWebView::IWebViewListener* listener) {
  listener_ = listener;
  return true;
}

void CWebView2Impl::SetListener(OrmWebView::IWebViewListener* listener) { listener_ = listener; }

bool CWebView2Impl::CreateBrowserWindow() {
  HWND parent = WindowFromHandleValue(settings_.parent_wnd);
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

void CWebView2Impl::OnCreate(HWND hwnd) {
  settings_.window = WindowHandleValue(hwnd);
  if (settings_.external_policy) {
    std::string error;
    std::optional<policy::ExternalPolicy> read = policy::ParsePolicy(text::Utf16ToUtf8(*settings_.external_policy), &error);
    if (!read) {
      // Fails closed: no page is shown rather than one with every power.
      LOG_INFO("external_policy refused: ", error);
      policy_refused_ = true;
      SendToParent(IPC::LoadFailedEvent{current_url_, text::Utf8ToUtf16("external_policy: " + error)});
      return;
    }
    const std::u16string origins = text::Utf8ToUtf16(policy::PageOriginsJson(*read));
    const std::u16string slot = u"/*origins*/null";
    const size_t at = document_script_.rfind(slot);
    if (at != std::u16string::npos) document_script_.replace(at, slot.size(), origins);
    page_policy_ = std::make_shared<CPagePolicy>(std::move(*read));
  }
  std::wstring version;
  if (CWebView2Loader::Instance().GetInstalledVersion(&version)) {
    LOG_INFO("Webview2 runtime is installed ver:", version);
    if (!current_url_.empty() && current_url_ != u"about:blank") LoadUrl(current_url_, u"");
    return;
  }
  if (!primary_) {
    SendToParent(IPC::LoadFailedEvent{current_url_, std::nullopt});
    return;
  }
  PostMessageW(hwnd, WM_CLOSE, 0, 0);
  LOG_INFO("need install webview2 runtime");
}

bool CWebView2Impl::LoadUrl(const std::u16string& url, const std::u16string& cookies) {
  LOG_INFO("load url=", text::MaskArchiveKeys(url));
  if (url.empty() || policy_refused_) return false;
  if (!cookies.empty()) SetCookie(url, cookies);
  if (creating_) {
    // The browser is on its way (or announcing itself with event 1): its first navigation goes
    // to the latest address, and no second environment or controller is started.
    current_url_ = url;
    return true;
  }
  if (!webview_) {
    const WindowRect& r = settings_.tab_rect;
    if (IsWindow()) {
      SetWindowPos(m_hWnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER);
    }
    current_url_ = url;
    creating_ = true;
    if (!primary_ && environment_) {
      RequestController();
    } else {
      InitializeWebView();
    }
    return true;
  }
  current_url_ = url;
  // A compound archive address navigates to the archive's virtual folder, as the first load
  // does; any other address is left as given.
  RewriteUrl(url);
  return SUCCEEDED(webview_->Navigate(as_wcstr(current_url_)));
}

void CWebView2Impl::InitializeWebView() {
  LOG_INFO("InitializeWebView");
  CEnvironmentOptions* options = CEnvironmentOptions::Create();
  if (options == nullptr) {
    creating_ = false;
    return;
  }
  auto held = ComPtr<ICoreWebView2EnvironmentOptions>::Attach(options);
  if (FAILED(options->put_AdditionalBrowserArguments(as_wcstr(settings_.edge_cmd)))) {
    LOG_INFO("put_AdditionalBrowserArguments fail");
  }
  if (FAILED(options->put_Language(L"zh-cn"))) LOG_INFO("put_Language fail");
  if (FAILED(options->put_AllowSingleSignOnUsingOSPrimaryAccount(TRUE))) {
    LOG_INFO("put_AllowSingleSignOnUsingOSPrimaryAccount");
  }
  if (user_data_folder_.empty()) {
    user_data_folder_ = settings_.cache_path + u"\\webview_cache\\" + ProfileFolderDigest(current_url_);
  }
  const std::u16string& user_data = user_data_folder_;
  auto handler = MakeCallback<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler, HRESULT,
                              ICoreWebView2Environment*>(
      WhileAlive([](CWebView2Impl* self, HRESULT result, ICoreWebView2Environment* environment) {
        return self->OnCreateEnvironmentCompleted(result, environment);
      }));
  const HRESULT hr = CWebView2Loader::Instance().CreateEnvironment(
      nullptr, as_wcstr(user_data), held.get(), handler.get());
  LOG_INFO("CreateCoreWebView2EnvironmentWithOptions hr=", static_cast<long>(hr));
  if (hr >= 0) return;
  creating_ = false;
  recreating_ = false;
  if (listener_ != nullptr) {
    listener_->OnCreateFailed(this, current_url_, u"CreateCoreWebView2EnvironmentWithOptions fail");
  } else if (IsWindow()) {
    PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
  }
}

HRESULT CWebView2Impl::OnCreateEnvironmentCompleted(HRESULT result,
                                                    ICoreWebView2Environment* environment) {
  LOG_INFO("OnCreateEnvironmentCompleted result=", static_cast<long>(result));
  if (result != S_OK || environment == nullptr) {
    // The parent would otherwise wait for event 1 forever.
    ReportCreateFailed(u"CreateCoreWebView2EnvironmentWithOptions fail");
    return S_OK;
  }
  environment_ = ComPtr<ICoreWebView2Environment>(environment);
  RequestController();
  return S_OK;
}

void CWebView2Impl::RequestController() {
  auto handler = MakeCallback<ICoreWebView2CreateCoreWebView2ControllerCompletedHandler, HRESULT,
                              ICoreWebView2Controller*>(
      WhileAlive([](CWebView2Impl* self, HRESULT result, ICoreWebView2Controller* controller) {
        return self->OnCreateCoreWebView2ControllerCompleted(result, controller);
      }));
  const HRESULT hr = environment_->CreateCoreWebView2Controller(m_hWnd, handler.get());
  if (FAILED(hr)) ReportCreateFailed(ControllerFailure(hr));
}

std::u16string CWebView2Impl::ControllerFailure(HRESULT result) {
  return u"CreateCoreWebView2Controller fail, error: " +
         text::AsciiToUtf16(std::to_string(static_cast<long>(result)));
}

void CWebView2Impl::ReportCreateFailed(const std::u16string& reason) {
  creating_ = false;
  recreating_ = false;
  if (listener_ != nullptr) listener_->OnCreateFailed(this, current_url_, reason);
}

HRESULT CWebView2Impl::OnCreateCoreWebView2ControllerCompleted(HRESULT result,
                                                               ICoreWebView2Controller* controller) {
  LOG_INFO("OnCreateCoreWebView2ControllerCompleted result=", static_cast<long>(result));
  if (result != S_OK) {
    ReportCreateFailed(ControllerFailure(result));
    return S_OK;
  }
  controller_ = ComPtr<ICoreWebView2Controller>(controller);
  if (controller_) controller_->get_CoreWebView2(webview_.Put());
  if (!webview_) {
    creating_ = false;
    if (listener_ != nullptr && !recreating_) listener_->OnCreated(this);
    recreating_ = false;
    LOG_INFO("OnCreateCoreWebView2ControllerCompleted fail");
    return S_OK;
  }
  ApplyPageSettings();
  webview_->get_BrowserProcessId(&browser_process_id_);
  if (auto webview2 = webview_.As<ICoreWebView2_2>()) webview2->get_CookieManager(cookie_manager_.Put());
  SetPendingCookies();
  // Event 1 goes out with the window complete: a parent that navigates from its handler only
  // replaces the first address (the chain is still "creating"), and one that closes the window
  // there ends the creation here.
  if (listener_ != nullptr && !recreating_) listener_->OnCreated(this);
  if (closed_) return S_OK;
  creating_ = false;
  recreating_ = false;
  RewriteUrl(std::u16string(current_url_));
  webview_->AddScriptToExecuteOnDocumentCreated(as_wcstr(document_script_), nullptr);
  if (FAILED(webview_->Navigate(as_wcstr(current_url_)))) {
    if (listener_ != nullptr) listener_->OnCreateFailed(this, current_url_, u"");
    return S_OK;
  }
  RegisterPageEvents();
  const RECT client = ClientRect();
  SetBounds(WindowRect{client.left, client.top, client.right, client.bottom});
  return S_OK;
}

void CWebView2Impl::ApplyPageSettings() {
  ComPtr<ICoreWebView2Settings> settings;
  if (FAILED(webview_->get_Settings(settings.Put())) || !settings) return;
  settings->put_AreDevToolsEnabled(FALSE);
  settings->put_AreDefaultContextMenusEnabled(FALSE);
  settings->put_AreDefaultScriptDialogsEnabled(FALSE);
  settings->put_IsBuiltInErrorPageEnabled(FALSE);
  settings->put_IsStatusBarEnabled(FALSE);
  settings->put_AreHostObjectsAllowed(TRUE);
  settings->put_IsWebMessageEnabled(TRUE);
  settings->put_IsZoomControlEnabled(FALSE);
  if (auto settings3 = settings.As<ICoreWebView2Settings3>()) {
    settings3->put_AreBrowserAcceleratorKeysEnabled(FALSE);
  }
  if (auto settings2 = settings.As<ICoreWebView2Settings2>()) settings2->put_UserAgent(kUserAgent);
}

void CWebView2Impl::SetBounds(const WindowRect& rect) {
  const int x = rect.left;
  const int y = rect.top;
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  LOG_INFO("SetBounds x=", x, " y=", y, " width=", width, " height=", height);
  if (controller_ && webview_) controller_->put_Bounds(RECT{x, y, x + width, y + height});
  if (IsWindow()) {
    SetWindowPos(m_hWnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

bool CWebView2Impl::Show(bool visible) {
  const RECT client = ClientRect();
  SetBounds(WindowRect{client.left, client.top, client.right, client.bottom});
  if (IsWindow()) ShowWindow(m_hWnd, visible ? SW_SHOW : SW_HIDE);
  if (controller_ && webview_) controller_->put_IsVisible(visible ? TRUE : FALSE);
  return true;
}

void CWebView2Impl::SetMute(bool muted) {
  if (!webview_) return;
  if (auto webview8 = webview_.As<ICoreWebView2_8>()) webview8->put_IsMuted(muted ? TRUE : FALSE);
}

void CWebView2Impl::Close() {
  if (primary_ && !closed_) {
    // The host ends with this window: within a bound, whatever the browser engine does.
    ISendRequest* sender = sender_;
    const uint32_t tag = tag_;
    shutdown::Arm([sender, tag] {
      if (sender != nullptr) sender->Send(IPC::MakeHostMessage(tag, IPC::kEvtClosed), IPC::Delivery::kImmediate);
    });
  }
  closed_ = true;
  creating_ = false;
  pending_cookies_.clear();
  // The parent hears of every call it made: those still waiting were not called.
  page_calls_.Abandon([this](const IPC::PageCallResultEvent& answer) { SendToParent(answer); });
  RemovePageEvents();
  if (host_object_) host_object_->ClearTables();
  if (IsWindow()) DestroyWindow(m_hWnd);
  if (primary_) {
    PostQuitMessage(0);
    shutdown::ClosedEventSent();  // queued below: the bound need not send it again
  }
  if (listener_ != nullptr) listener_->OnClosed(this);
}

bool CWebView2Impl::SetReferrer(const std::u16string& referrer) {
  referrer_ = referrer;
  return true;
}

void CWebView2Impl::RemovePageEvents() {
  if (!webview_) return;
  webview_->remove_DocumentTitleChanged(title_changed_);
  webview_->remove_SourceChanged(source_changed_);
  webview_->remove_NavigationCompleted(navigation_completed_);
  webview_->remove_NavigationStarting(navigation_starting_);
  webview_->remove_FrameNavigationCompleted(frame_navigation_completed_);
  webview_->remove_WebResourceRequested(web_resource_requested_);
  webview_->remove_ProcessFailed(process_failed_);
}

void CWebView2Impl::RecreateWebView() {
  if (closed_ || creating_) return;
  LOG_INFO("recreate webview, url=", current_url_);
  RemovePageEvents();
  if (controller_) controller_->Close();
  webview_.Reset();
  controller_.Reset();
  cookie_manager_.Reset();
  // The environment died with its browser process; the next one starts a new one.
  dead_environment_ = environment_;
  environment_.Reset();
  recreating_ = true;
  creating_ = true;
  if (!environment_owner_.expired()) {
    share_tries_ = 0;
    TakeSharedEnvironment();
    return;
  }
  InitializeWebView();
}

void CWebView2Impl::TakeSharedEnvironment() {
  if (closed_) return;
  const std::shared_ptr<CWebView2Impl> owner = environment_owner_.lock();
  const bool ready = owner && !owner->creating_ && owner->environment_ &&
                     owner->environment_.get() != dead_environment_.get();
  if (!ready && owner && ++share_tries_ <= kShareTries && IsWindow() &&
      SetTimer(m_hWnd, kShareTimer, kShareRetryMs, nullptr) != 0) {
    return;
  }
  dead_environment_.Reset();
  if (ready) {
    environment_ = owner->environment_;
    RequestController();
    return;
  }
  LOG_INFO("no shared environment after the browser failed, making one");
  InitializeWebView();
}

void CWebView2Impl::RewriteUrl(const std::u16string& url) {
  if (std::optional<std::u16string> rewritten = archive_.Rewrite(url)) {
    current_url_ = *rewritten;
    settings_.url = std::move(*rewritten);
  }
}

std::u16string CWebView2Impl::GetMimeType(const std::u16string& extension) const {
  wchar_t value[MAX_PATH] = {};
  DWORD bytes = sizeof(value);
  if (!extension.empty() &&
      RegGetValueW(HKEY_CLASSES_ROOT, as_wcstr(extension), L"Content Type", RRF_RT_REG_SZ, nullptr,
                   value, &bytes) == ERROR_SUCCESS) {
    return to_u16(value);
  }
  // The registry's type wins; the web's own type of the extension stands in for a missing one.
  return StandardWebType(extension).value_or(u"application/unknown");
}

void CWebView2Impl::EnsureHostObject() {
  if (!host_object_) {
    host_object_ = ComPtr<HostObjectImp>::Attach(HostObjectImp::Create(sender_, m_hWnd, settings_, page_policy_));
  }
}

bool CWebView2Impl::RegisterParentFunction(const std::u16string& name) {
  LOG_INFO("register funname:", name);
  EnsureHostObject();
  if (!host_object_) return false;
  host_object_->RegisterLocalFunction(name, 0);
  return true;
}

long CWebView2Impl::CallPageFunction(const std::u16string& name,
                                     const std::vector<std::u16string>& arguments,
                                     std::u16string& result, int32_t& status, bool& queue) {
  queue = false;
  if (!webview_) return E_POINTER;
  if (name == u"ShowDevTools") {
    webview_->OpenDevToolsWindow();
    status = IPC::kCallDone;
  }
  bool found = false;
  const HRESULT hr = InvokePageFunction(name, arguments, &found, &result);
  if (SUCCEEDED(hr)) {
    status = IPC::kCallDone;
  } else if (!found) {
    status = IPC::kCallNoSuchFunction;
    // Before the page has registered anything the call waits for it.
    queue = page_calls_.waiting();
  }
  return hr;
}

HRESULT CWebView2Impl::InvokePageFunction(const std::u16string& name,
                                          const std::vector<std::u16string>& arguments, bool* found,
                                          std::u16string* result) {
  *found = false;
  if (!host_object_) return E_POINTER;
  ComPtr<IDispatch> callback = host_object_->FindCallback(name);
  if (!callback) {
    LOG_INFO("js func not find, fun name : ", name);
    return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
  }
  *found = true;
  CDispatchTextCall call(arguments);
  const HRESULT hr = call.Invoke(callback.get(), LOCALE_USER_DEFAULT);
  if (SUCCEEDED(hr)) {
    if (std::optional<std::u16string> text = call.TextResult()) *result = std::move(*text);
  }
  return hr;
}

void CWebView2Impl::Call(const std::u16string& function, const std::vector<std::u16string>& arguments,
                         int32_t* status, std::u16string* result) {
  bool queue = false;
  CallPageFunction(function, arguments, *result, *status, queue);
}

void CWebView2Impl::DrainPageCalls() {
  page_calls_.Drain(*this, [this](const IPC::PageCallResultEvent& answer) { SendToParent(answer); });
}

bool CWebView2Impl::EnqueuePageCall(const std::u16string& name,
                                    const std::vector<std::u16string>& arguments,
                                    int64_t request_id) {
  return page_calls_.Enqueue(IPC::CallPageFunctionCommand{request_id, name, arguments});
}

bool CWebView2Impl::RunOnWindowThread(std::function<void()> work) {
  if (!IsWindow() || !work) return false;
  return PostOwned(m_hWnd, kRunCallable, browser_window::Tasks(),
                   std::make_unique<std::function<void()>>(std::move(work)));
}

void CWebView2Impl::GoBack() {
  if (webview_) webview_->GoBack();
}
void CWebView2Impl::GoForward() {
  if (webview_) webview_->GoForward();
}
void CWebView2Impl::Reload() {
  if (webview_) webview_->Reload();
}
void CWebView2Impl::Stop() {
  if (webview_) webview_->Stop();
}

bool CWebView2Impl::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM,
                                         LRESULT& result) {
  switch (message) {
    case WM_CREATE:
      OnCreate(hwnd);
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
      // Only callables posted by this process are run; any other value is ignored.
      const auto callable = ClaimPosted(browser_window::Tasks(), wparam);
      if (callable && *callable) (*callable)();
      result = 0;
      return true;
    }
    case kShowWindow:
      Show(true);
      result = 0;
      return true;
    case WM_TIMER:
      if (wparam != kShareTimer) return false;
      KillTimer(hwnd, kShareTimer);
      TakeSharedEnvironment();
      result = 0;
      return true;
    case kDrainPageCalls: {
      // The page functions run across the process boundary, and a close arriving meanwhile
      // would free this window under the loop: hold it until the drain is done.
      const std::shared_ptr<CWebView2Impl> keep = weak_from_this().lock();
      DrainPageCalls();
      result = 0;
      return true;
    }
    default:
      return false;
  }
}
