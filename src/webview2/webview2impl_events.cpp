// The page events of a browser window: navigation, source and title changes, new-window
// requests, and keeping `external` attached to every page.
#include <shlwapi.h>

#include <cstdio>

#include "base/text_win.h"
#include "log/logger.h"
#include "webview2/webview2impl.h"
#include "webview2common/com_text_win.h"
#include "webview2common/message/ipc_protocol.h"

void CWebView2Impl::RegisterPageEvents() {
  if (!current_url_.empty()) {
    EnsureHostObject();
    webview_->add_NavigationStarting(
        MakeCallback<ICoreWebView2NavigationStartingEventHandler, ICoreWebView2*,
                     ICoreWebView2NavigationStartingEventArgs*>(
            WhileAlive([](CWebView2Impl* self, ICoreWebView2*, ICoreWebView2NavigationStartingEventArgs* a) {
              return self->OnNavigationStarting(a);
            }))
            .get(),
        &navigation_starting_);
  }
  webview_->add_DocumentTitleChanged(
      MakeCallback<ICoreWebView2DocumentTitleChangedEventHandler, ICoreWebView2*, IUnknown*>(
          WhileAlive([](CWebView2Impl* self, ICoreWebView2*, IUnknown*) { return self->OnDocumentTitleChanged(); }))
          .get(),
      &title_changed_);
  webview_->add_SourceChanged(
      MakeCallback<ICoreWebView2SourceChangedEventHandler, ICoreWebView2*,
                   ICoreWebView2SourceChangedEventArgs*>(
          WhileAlive([](CWebView2Impl* self, ICoreWebView2*, ICoreWebView2SourceChangedEventArgs* a) {
            return self->OnSourceChanged(a);
          }))
          .get(),
      &source_changed_);
  webview_->add_ContentLoading(
      MakeCallback<ICoreWebView2ContentLoadingEventHandler, ICoreWebView2*,
                   ICoreWebView2ContentLoadingEventArgs*>(
          WhileAlive([](CWebView2Impl* self, ICoreWebView2*, ICoreWebView2ContentLoadingEventArgs* a) {
            return self->OnContentLoading(a);
          }))
          .get(),
      &content_loading_);
  webview_->add_NavigationCompleted(
      MakeCallback<ICoreWebView2NavigationCompletedEventHandler, ICoreWebView2*,
                   ICoreWebView2NavigationCompletedEventArgs*>(
          WhileAlive([](CWebView2Impl* self, ICoreWebView2*, ICoreWebView2NavigationCompletedEventArgs* a) {
            return self->OnNavigationCompleted(a, false);
          }))
          .get(),
      &navigation_completed_);
  webview_->add_FrameNavigationCompleted(
      MakeCallback<ICoreWebView2NavigationCompletedEventHandler, ICoreWebView2*,
                   ICoreWebView2NavigationCompletedEventArgs*>(
          WhileAlive([](CWebView2Impl* self, ICoreWebView2*, ICoreWebView2NavigationCompletedEventArgs* a) {
            return self->OnNavigationCompleted(a, true);
          }))
          .get(),
      &frame_navigation_completed_);
  webview_->add_ProcessFailed(
      MakeCallback<ICoreWebView2ProcessFailedEventHandler, ICoreWebView2*, ICoreWebView2ProcessFailedEventArgs*>(
          WhileAlive([](CWebView2Impl* self, ICoreWebView2*, ICoreWebView2ProcessFailedEventArgs* a) {
            return self->OnProcessFailed(a);
          }))
          .get(),
      &process_failed_);
  webview_->AddWebResourceRequestedFilter(L"*", COREWEBVIEW2_WEB_RESOURCE_CONTEXT_ALL);
  webview_->add_WebResourceRequested(
      MakeCallback<ICoreWebView2WebResourceRequestedEventHandler, ICoreWebView2*,
                   ICoreWebView2WebResourceRequestedEventArgs*>(
          WhileAlive([](CWebView2Impl* self, ICoreWebView2*, ICoreWebView2WebResourceRequestedEventArgs* a) {
            return self->OnWebResourceRequested(a);
          }))
          .get(),
      &web_resource_requested_);
  webview_->add_NewWindowRequested(
      MakeCallback<ICoreWebView2NewWindowRequestedEventHandler, ICoreWebView2*,
                   ICoreWebView2NewWindowRequestedEventArgs*>(
          WhileAlive([](CWebView2Impl* self, ICoreWebView2*, ICoreWebView2NewWindowRequestedEventArgs* a) {
            return self->OnNewWindowRequested(a);
          }))
          .get(),
      &new_window_requested_);
}

std::optional<policy::Origin> CWebView2Impl::DocumentOrigin(const std::u16string& address) const {
  // Archive pages are file addresses inside the archive's folder: a web address that merely
  // names the folder is not one of them.
  if (address.compare(0, 8, u"file:///") == 0 && archive_.InArchiveFolder(address)) {
    policy::Origin archive;
    archive.archive = true;
    return archive;
  }
  return policy::OriginOfUrl(address);
}

namespace {

// The navigation an event belongs to, where the browser tells it.
template <typename Args>
std::optional<uint64_t> NavigationIdOf(Args* args) {
  UINT64 id = 0;
  if (args == nullptr || FAILED(args->get_NavigationId(&id))) return std::nullopt;
  return id;
}

}  // namespace

void CWebView2Impl::OfferExternal(bool offer) {
  if (!offer || !host_object_) {
    webview_->RemoveHostObjectFromScript(L"external");
    return;
  }
  VARIANT object;
  VariantInit(&object);
  object.vt = VT_DISPATCH;
  object.pdispVal = host_object_.get();
  webview_->AddHostObjectToScript(L"external", &object);
}

HRESULT CWebView2Impl::OnNavigationStarting(ICoreWebView2NavigationStartingEventArgs* args) {
  if (args == nullptr || !webview_) return S_FALSE;
  LPWSTR uri = nullptr;
  args->get_Uri(&uri);
  const std::u16string address = TakeCoTaskString(uri);
  if (page_policy_) {
    // The document being loaded gets `external` from its first script if its origin may have
    // it; the document still shown goes on answering for its own origin until it is replaced.
    page_policy_->documents().NavigationStarting(NavigationIdOf(args), DocumentOrigin(address));
    OfferExternal(page_policy_->OffersExternal());
    return S_OK;
  }
  OfferExternal(!address.empty());
  return S_OK;
}

HRESULT CWebView2Impl::OnContentLoading(ICoreWebView2ContentLoadingEventArgs* args) {
  if (page_policy_) page_policy_->documents().ContentLoading(NavigationIdOf(args));
  return S_OK;
}

HRESULT CWebView2Impl::OnProcessFailed(ICoreWebView2ProcessFailedEventArgs* args) {
  if (args == nullptr || !webview_) return S_FALSE;
  COREWEBVIEW2_PROCESS_FAILED_KIND kind = COREWEBVIEW2_PROCESS_FAILED_KIND_UNKNOWN_PROCESS_EXITED;
  args->get_ProcessFailedKind(&kind);
  const ProcessFailure failure = DescribeProcessFailure(static_cast<int32_t>(kind));
  LPWSTR source = nullptr;
  webview_->get_Source(&source);
  std::u16string url = TakeCoTaskString(source);
  if (url.empty()) url = current_url_;
  LOG_INFO("process failed, kind=", static_cast<int>(kind), " (", failure.text, "), url=", url);
  if (failure.page_hit) SendToParent(IPC::LoadFailedEvent{url, u"process failed: " + failure.text});
  if (failure.recovery == FailureRecovery::kNone) return S_OK;
  if (!recoveries_.Take(GetTickCount64())) {
    LOG_INFO("process failed too often, the window is not recovered");
    return S_OK;
  }
  if (failure.recovery == FailureRecovery::kReload) {
    webview_->Reload();
    return S_OK;
  }
  // The web view is gone with its browser: a new one is made once this event has returned.
  if (!url.empty() && url != u"about:blank") current_url_ = url;
  std::weak_ptr<CWebView2Impl> weak = weak_from_this();
  RunOnWindowThread([weak] {
    if (auto self = weak.lock()) self->RecreateWebView();
  });
  return S_OK;
}

HRESULT CWebView2Impl::OnSourceChanged(ICoreWebView2SourceChangedEventArgs* args) {
  BOOL new_document = FALSE;
  if (args != nullptr) args->get_IsNewDocument(&new_document);
  if (listener_ == nullptr || !webview_) return S_OK;
  LPWSTR source = nullptr;
  webview_->get_Source(&source);
  const std::u16string uri = TakeCoTaskString(source);
  listener_->OnSourceChanged(this, uri);
  LOG_INFO("is NewDocument:", new_document ? 1 : 0, ", uri:", uri);
  return S_OK;
}

HRESULT CWebView2Impl::OnDocumentTitleChanged() {
  if (listener_ == nullptr || !webview_) return S_OK;
  LPWSTR title = nullptr;
  webview_->get_DocumentTitle(&title);
  listener_->OnTitleChanged(this, TakeCoTaskString(title));
  return S_OK;
}

HRESULT CWebView2Impl::OnNavigationCompleted(ICoreWebView2NavigationCompletedEventArgs* args,
                                             bool frame) {
  if (args == nullptr || sender_ == nullptr) return S_FALSE;
  if (page_policy_ && !frame && webview_) {
    // A navigation that ended without a new document leaves the one shown, and its `external`.
    const bool offered = page_policy_->OffersExternal();
    page_policy_->documents().NavigationCompleted(NavigationIdOf(args));
    if (page_policy_->OffersExternal() != offered) OfferExternal(!offered);
  }
  BOOL success = FALSE;
  COREWEBVIEW2_WEB_ERROR_STATUS status = COREWEBVIEW2_WEB_ERROR_STATUS_UNKNOWN;
  args->get_IsSuccess(&success);
  args->get_WebErrorStatus(&status);
  if (success) {
    LOG_INFO(frame ? "FrameNavigationCompleted success" : "NavigationCompleted success");
    if (frame) {
      SendToParent(IPC::FrameLoadedEvent{current_url_});
    } else {
      SendToParent(IPC::PageLoadedEvent{current_url_});
    }
    return S_OK;
  }
  wchar_t text[64];
  std::swprintf(text, 64, L"@StatusCode=%d", static_cast<int>(status));
  LOG_INFO(frame ? "FrameNavigationCompleted fail:" : "NavigationCompleted fail:", text);
  SendToParent(IPC::LoadFailedEvent{current_url_, std::u16string(as_u16cstr(text))});
  return S_OK;
}

HRESULT CWebView2Impl::OnNewWindowRequested(ICoreWebView2NewWindowRequestedEventArgs* args) {
  if (args == nullptr) return S_FALSE;
  // No browser window is ever opened for a page; the parent decides what to do.
  args->put_Handled(TRUE);
  LPWSTR uri = nullptr;
  args->get_Uri(&uri);
  SendToParent(IPC::NewWindowEvent{TakeCoTaskString(uri)});
  return S_OK;
}

HRESULT CWebView2Impl::OnWebResourceRequested(ICoreWebView2WebResourceRequestedEventArgs* args) {
  if (args == nullptr) return S_FALSE;
  ComPtr<ICoreWebView2WebResourceRequest> request;
  if (FAILED(args->get_Request(request.Put())) || !request) return S_FALSE;
  LPWSTR uri_text = nullptr;
  request->get_Uri(&uri_text);
  const std::u16string uri = TakeCoTaskString(uri_text);
  LOG_INFO("request uri:", uri);
  const std::shared_ptr<const std::string> content = archive_.Content(uri);
  ComPtr<ICoreWebView2HttpRequestHeaders> headers;
  request->get_Headers(headers.Put());
  if (content && !content->empty()) {
    ComPtr<ICoreWebView2Environment> environment;
    if (auto webview2 = webview_.As<ICoreWebView2_2>()) webview2->get_Environment(environment.Put());
    if (!environment) return S_FALSE;
    const std::u16string type = GetMimeType(archive_.LastEntryExtension());
    if (headers) headers->SetHeader(L"Content-Type", as_wcstr(type));
    // The stream is the one copy of the entry's bytes.
    auto stream = ComPtr<IStream>::Attach(SHCreateMemStream(
        reinterpret_cast<const BYTE*>(content->data()), static_cast<UINT>(content->size())));
    ComPtr<ICoreWebView2WebResourceResponse> response;
    const std::u16string header_text = u"Content-Type:" + type;
    if (stream && SUCCEEDED(environment->CreateWebResourceResponse(stream.get(), 200, L"OK",
                                                                   as_wcstr(header_text),
                                                                   response.Put())) &&
        response) {
      args->put_Response(response.get());
    }
    return S_OK;
  }
  if (headers && !referrer_.empty()) headers->SetHeader(L"Referer", as_wcstr(referrer_));
  return S_OK;
}
