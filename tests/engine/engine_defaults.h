#pragma once
// Test engine: for each WebView2 interface the engine implements, a base whose every method
// answers E_NOTIMPL, so that an engine class overrides only what it really does. The chain
// of interface ids each object answers to is listed alongside.

#include "webview2/webview2_abi.h"

struct DefaultICoreWebView2Environment : public ICoreWebView2Environment {
  HRESULT STDMETHODCALLTYPE CreateCoreWebView2Controller(HWND, ICoreWebView2CreateCoreWebView2ControllerCompletedHandler*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CreateWebResourceResponse(IStream*, int, LPCWSTR, LPCWSTR, ICoreWebView2WebResourceResponse**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_BrowserVersionString(LPWSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE add_NewBrowserVersionAvailable(ICoreWebView2NewBrowserVersionAvailableEventHandler*, EventRegistrationToken*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE remove_NewBrowserVersionAvailable(EventRegistrationToken) override { return E_NOTIMPL; }
  static constexpr const IID* kIids[] = {&IID_ICoreWebView2Environment};
};

struct DefaultICoreWebView2Controller : public ICoreWebView2Controller {
  HRESULT STDMETHODCALLTYPE get_IsVisible(BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_IsVisible(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Bounds(RECT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Bounds(RECT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_ZoomFactor(double*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_ZoomFactor(double) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE add_ZoomFactorChanged(ICoreWebView2ZoomFactorChangedEventHandler*, EventRegistrationToken*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE remove_ZoomFactorChanged(EventRegistrationToken) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetBoundsAndZoomFactor(RECT, double) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE MoveFocus(COREWEBVIEW2_MOVE_FOCUS_REASON) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE add_MoveFocusRequested(ICoreWebView2MoveFocusRequestedEventHandler*, EventRegistrationToken*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE remove_MoveFocusRequested(EventRegistrationToken) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE add_GotFocus(ICoreWebView2FocusChangedEventHandler*, EventRegistrationToken*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE remove_GotFocus(EventRegistrationToken) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE add_LostFocus(ICoreWebView2FocusChangedEventHandler*, EventRegistrationToken*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE remove_LostFocus(EventRegistrationToken) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE add_AcceleratorKeyPressed(ICoreWebView2AcceleratorKeyPressedEventHandler*, EventRegistrationToken*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE remove_AcceleratorKeyPressed(EventRegistrationToken) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_ParentWindow(HWND*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_ParentWindow(HWND) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE NotifyParentWindowPositionChanged() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Close() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_CoreWebView2(ICoreWebView2**) override { return E_NOTIMPL; }
  static constexpr const IID* kIids[] = {&IID_ICoreWebView2Controller};
};

struct DefaultICoreWebView2_8 : public ICoreWebView2_8 {
  HRESULT STDMETHODCALLTYPE get_Settings(ICoreWebView2Settings**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Source(LPWSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Navigate(LPCWSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE NavigateToString(LPCWSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE add_NavigationStarting(ICoreWebView2NavigationStartingEventHandler*, EventRegistrationToken*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE remove_NavigationStarting(EventRegistrationToken) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE add_ContentLoading(ICoreWebView2ContentLoadingEventHandler*, EventRegistrationToken*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE remove_ContentLoading(EventRegistrationToken) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE add_SourceChanged(ICoreWebView2SourceChangedEventHandler*, EventRegistrationToken*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE remove_SourceChanged(EventRegistrationToken) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE add_HistoryChanged(ICoreWebView2HistoryChangedEventHandler*, EventRegistrationToken*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE remove_HistoryChanged(EventRegistrationToken) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE add_NavigationCompleted(ICoreWebView2NavigationCompletedEventHandler*, EventRegistrationToken*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE remove_NavigationCompleted(EventRegistrationToken) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE add_FrameNavigationStarting(ICoreWebView2NavigationStartingEventHandler*, EventRegistrationToken*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE remove_FrameNavigationStarting(EventRegistrationToken) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE add_FrameNavigationCompleted(ICoreWebView2NavigationCompletedEventHandler*, EventRegistrationToken*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE remove_FrameNavigationCompleted(EventRegistrationToken) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE add_ScriptDialogOpening(ICoreWebView2ScriptDialogOpeningEventHandler*, EventRegistrationToken*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE remove_ScriptDialogOpening(EventRegistrationToken) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE add_PermissionRequested(ICoreWebView2PermissionRequestedEventHandler*, EventRegistrationToken*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE remove_PermissionRequested(EventRegistrationToken) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE add_ProcessFailed(ICoreWebView2ProcessFailedEventHandler*, EventRegistrationToken*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE remove_ProcessFailed(EventRegistrationToken) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE AddScriptToExecuteOnDocumentCreated(LPCWSTR, ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE RemoveScriptToExecuteOnDocumentCreated(LPCWSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE ExecuteScript(LPCWSTR, ICoreWebView2ExecuteScriptCompletedHandler*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CapturePreview(COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT, IStream*, ICoreWebView2CapturePreviewCompletedHandler*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Reload() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE PostWebMessageAsJson(LPCWSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE PostWebMessageAsString(LPCWSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE add_WebMessageReceived(ICoreWebView2WebMessageReceivedEventHandler*, EventRegistrationToken*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE remove_WebMessageReceived(EventRegistrationToken) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CallDevToolsProtocolMethod(LPCWSTR, LPCWSTR, ICoreWebView2CallDevToolsProtocolMethodCompletedHandler*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_BrowserProcessId(UINT32*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_CanGoBack(BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_CanGoForward(BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GoBack() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GoForward() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetDevToolsProtocolEventReceiver(LPCWSTR, ICoreWebView2DevToolsProtocolEventReceiver**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Stop() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE add_NewWindowRequested(ICoreWebView2NewWindowRequestedEventHandler*, EventRegistrationToken*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE remove_NewWindowRequested(EventRegistrationToken) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE add_DocumentTitleChanged(ICoreWebView2DocumentTitleChangedEventHandler*, EventRegistrationToken*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE remove_DocumentTitleChanged(EventRegistrationToken) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_DocumentTitle(LPWSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE AddHostObjectToScript(LPCWSTR, VARIANT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE RemoveHostObjectFromScript(LPCWSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OpenDevToolsWindow() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE add_ContainsFullScreenElementChanged(ICoreWebView2ContainsFullScreenElementChangedEventHandler*, EventRegistrationToken*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE remove_ContainsFullScreenElementChanged(EventRegistrationToken) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_ContainsFullScreenElement(BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE add_WebResourceRequested(ICoreWebView2WebResourceRequestedEventHandler*, EventRegistrationToken*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE remove_WebResourceRequested(EventRegistrationToken) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE AddWebResourceRequestedFilter(const LPCWSTR, const COREWEBVIEW2_WEB_RESOURCE_CONTEXT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE RemoveWebResourceRequestedFilter(const LPCWSTR, const COREWEBVIEW2_WEB_RESOURCE_CONTEXT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE add_WindowCloseRequested(ICoreWebView2WindowCloseRequestedEventHandler*, EventRegistrationToken*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE remove_WindowCloseRequested(EventRegistrationToken) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE add_WebResourceResponseReceived(ICoreWebView2WebResourceResponseReceivedEventHandler*, EventRegistrationToken*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE remove_WebResourceResponseReceived(EventRegistrationToken) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE NavigateWithWebResourceRequest(ICoreWebView2WebResourceRequest*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE add_DOMContentLoaded(ICoreWebView2DOMContentLoadedEventHandler*, EventRegistrationToken*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE remove_DOMContentLoaded(EventRegistrationToken) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_CookieManager(ICoreWebView2CookieManager**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Environment(ICoreWebView2Environment**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE TrySuspend(ICoreWebView2TrySuspendCompletedHandler*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Resume() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_IsSuspended(BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetVirtualHostNameToFolderMapping(LPCWSTR, LPCWSTR, COREWEBVIEW2_HOST_RESOURCE_ACCESS_KIND) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE ClearVirtualHostNameToFolderMapping(LPCWSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE add_FrameCreated(ICoreWebView2FrameCreatedEventHandler*, EventRegistrationToken*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE remove_FrameCreated(EventRegistrationToken) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE add_DownloadStarting(ICoreWebView2DownloadStartingEventHandler*, EventRegistrationToken*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE remove_DownloadStarting(EventRegistrationToken) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE add_ClientCertificateRequested(ICoreWebView2ClientCertificateRequestedEventHandler*, EventRegistrationToken*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE remove_ClientCertificateRequested(EventRegistrationToken) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OpenTaskManagerWindow() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE PrintToPdf(LPCWSTR, ICoreWebView2PrintSettings*, ICoreWebView2PrintToPdfCompletedHandler*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE add_IsMutedChanged(ICoreWebView2IsMutedChangedEventHandler*, EventRegistrationToken*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE remove_IsMutedChanged(EventRegistrationToken) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_IsMuted(BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_IsMuted(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE add_IsDocumentPlayingAudioChanged(ICoreWebView2IsDocumentPlayingAudioChangedEventHandler*, EventRegistrationToken*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE remove_IsDocumentPlayingAudioChanged(EventRegistrationToken) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_IsDocumentPlayingAudio(BOOL*) override { return E_NOTIMPL; }
  static constexpr const IID* kIids[] = {&IID_ICoreWebView2, &IID_ICoreWebView2_2, &IID_ICoreWebView2_3, &IID_ICoreWebView2_4, &IID_ICoreWebView2_5, &IID_ICoreWebView2_6, &IID_ICoreWebView2_7, &IID_ICoreWebView2_8};
};

struct DefaultICoreWebView2Settings3 : public ICoreWebView2Settings3 {
  HRESULT STDMETHODCALLTYPE get_IsScriptEnabled(BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_IsScriptEnabled(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_IsWebMessageEnabled(BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_IsWebMessageEnabled(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_AreDefaultScriptDialogsEnabled(BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_AreDefaultScriptDialogsEnabled(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_IsStatusBarEnabled(BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_IsStatusBarEnabled(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_AreDevToolsEnabled(BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_AreDevToolsEnabled(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_AreDefaultContextMenusEnabled(BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_AreDefaultContextMenusEnabled(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_AreHostObjectsAllowed(BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_AreHostObjectsAllowed(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_IsZoomControlEnabled(BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_IsZoomControlEnabled(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_IsBuiltInErrorPageEnabled(BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_IsBuiltInErrorPageEnabled(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_UserAgent(LPWSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_UserAgent(LPCWSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_AreBrowserAcceleratorKeysEnabled(BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_AreBrowserAcceleratorKeysEnabled(BOOL) override { return E_NOTIMPL; }
  static constexpr const IID* kIids[] = {&IID_ICoreWebView2Settings, &IID_ICoreWebView2Settings2, &IID_ICoreWebView2Settings3};
};

struct DefaultICoreWebView2NavigationStartingEventArgs : public ICoreWebView2NavigationStartingEventArgs {
  HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_IsUserInitiated(BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_IsRedirected(BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_RequestHeaders(ICoreWebView2HttpRequestHeaders**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Cancel(BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Cancel(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_NavigationId(UINT64*) override { return E_NOTIMPL; }
  static constexpr const IID* kIids[] = {&IID_ICoreWebView2NavigationStartingEventArgs};
};

struct DefaultICoreWebView2ProcessFailedEventArgs : public ICoreWebView2ProcessFailedEventArgs {
  HRESULT STDMETHODCALLTYPE get_ProcessFailedKind(COREWEBVIEW2_PROCESS_FAILED_KIND*) override { return E_NOTIMPL; }
  static constexpr const IID* kIids[] = {&IID_ICoreWebView2ProcessFailedEventArgs};
};

struct DefaultICoreWebView2SourceChangedEventArgs : public ICoreWebView2SourceChangedEventArgs {
  HRESULT STDMETHODCALLTYPE get_IsNewDocument(BOOL*) override { return E_NOTIMPL; }
  static constexpr const IID* kIids[] = {&IID_ICoreWebView2SourceChangedEventArgs};
};

struct DefaultICoreWebView2NavigationCompletedEventArgs : public ICoreWebView2NavigationCompletedEventArgs {
  HRESULT STDMETHODCALLTYPE get_IsSuccess(BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_WebErrorStatus(COREWEBVIEW2_WEB_ERROR_STATUS*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_NavigationId(UINT64*) override { return E_NOTIMPL; }
  static constexpr const IID* kIids[] = {&IID_ICoreWebView2NavigationCompletedEventArgs};
};

struct DefaultICoreWebView2NewWindowRequestedEventArgs : public ICoreWebView2NewWindowRequestedEventArgs {
  HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_NewWindow(ICoreWebView2*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_NewWindow(ICoreWebView2**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Handled(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Handled(BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_IsUserInitiated(BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetDeferral(ICoreWebView2Deferral**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_WindowFeatures(ICoreWebView2WindowFeatures**) override { return E_NOTIMPL; }
  static constexpr const IID* kIids[] = {&IID_ICoreWebView2NewWindowRequestedEventArgs};
};

struct DefaultICoreWebView2ContentLoadingEventArgs : public ICoreWebView2ContentLoadingEventArgs {
  HRESULT STDMETHODCALLTYPE get_IsErrorPage(BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_NavigationId(UINT64*) override { return E_NOTIMPL; }
  static constexpr const IID* kIids[] = {&IID_ICoreWebView2ContentLoadingEventArgs};
};

struct DefaultICoreWebView2WebResourceRequestedEventArgs : public ICoreWebView2WebResourceRequestedEventArgs {
  HRESULT STDMETHODCALLTYPE get_Request(ICoreWebView2WebResourceRequest**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Response(ICoreWebView2WebResourceResponse**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Response(ICoreWebView2WebResourceResponse*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetDeferral(ICoreWebView2Deferral**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_ResourceContext(COREWEBVIEW2_WEB_RESOURCE_CONTEXT*) override { return E_NOTIMPL; }
  static constexpr const IID* kIids[] = {&IID_ICoreWebView2WebResourceRequestedEventArgs};
};

struct DefaultICoreWebView2WebResourceRequest : public ICoreWebView2WebResourceRequest {
  HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Uri(LPCWSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Method(LPWSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Method(LPCWSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Content(IStream**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Content(IStream*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Headers(ICoreWebView2HttpRequestHeaders**) override { return E_NOTIMPL; }
  static constexpr const IID* kIids[] = {&IID_ICoreWebView2WebResourceRequest};
};

struct DefaultICoreWebView2HttpRequestHeaders : public ICoreWebView2HttpRequestHeaders {
  HRESULT STDMETHODCALLTYPE GetHeader(LPCWSTR, LPWSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetHeaders(LPCWSTR, ICoreWebView2HttpHeadersCollectionIterator**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Contains(LPCWSTR, BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetHeader(LPCWSTR, LPCWSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE RemoveHeader(LPCWSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIterator(ICoreWebView2HttpHeadersCollectionIterator**) override { return E_NOTIMPL; }
  static constexpr const IID* kIids[] = {&IID_ICoreWebView2HttpRequestHeaders};
};

struct DefaultICoreWebView2WebResourceResponse : public ICoreWebView2WebResourceResponse {
  HRESULT STDMETHODCALLTYPE get_Content(IStream**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Content(IStream*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Headers(ICoreWebView2HttpResponseHeaders**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_StatusCode(int*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_StatusCode(int) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_ReasonPhrase(LPWSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_ReasonPhrase(LPCWSTR) override { return E_NOTIMPL; }
  static constexpr const IID* kIids[] = {&IID_ICoreWebView2WebResourceResponse};
};

struct DefaultICoreWebView2HttpResponseHeaders : public ICoreWebView2HttpResponseHeaders {
  HRESULT STDMETHODCALLTYPE AppendHeader(LPCWSTR, LPCWSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Contains(LPCWSTR, BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetHeader(LPCWSTR, LPWSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetHeaders(LPCWSTR, ICoreWebView2HttpHeadersCollectionIterator**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIterator(ICoreWebView2HttpHeadersCollectionIterator**) override { return E_NOTIMPL; }
  static constexpr const IID* kIids[] = {&IID_ICoreWebView2HttpResponseHeaders};
};

struct DefaultICoreWebView2CookieManager : public ICoreWebView2CookieManager {
  HRESULT STDMETHODCALLTYPE CreateCookie(LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, ICoreWebView2Cookie**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CopyCookie(ICoreWebView2Cookie*, ICoreWebView2Cookie**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetCookies(LPCWSTR, ICoreWebView2GetCookiesCompletedHandler*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE AddOrUpdateCookie(ICoreWebView2Cookie*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DeleteCookie(ICoreWebView2Cookie*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DeleteCookies(LPCWSTR, LPCWSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DeleteCookiesWithDomainAndPath(LPCWSTR, LPCWSTR, LPCWSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DeleteAllCookies() override { return E_NOTIMPL; }
  static constexpr const IID* kIids[] = {&IID_ICoreWebView2CookieManager};
};

struct DefaultICoreWebView2Cookie : public ICoreWebView2Cookie {
  HRESULT STDMETHODCALLTYPE get_Name(LPWSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Value(LPWSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Value(LPCWSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Domain(LPWSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Path(LPWSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Expires(double*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Expires(double) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_IsHttpOnly(BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_IsHttpOnly(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_SameSite(COREWEBVIEW2_COOKIE_SAME_SITE_KIND*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_SameSite(COREWEBVIEW2_COOKIE_SAME_SITE_KIND) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_IsSecure(BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_IsSecure(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_IsSession(BOOL*) override { return E_NOTIMPL; }
  static constexpr const IID* kIids[] = {&IID_ICoreWebView2Cookie};
};

struct DefaultICoreWebView2CookieList : public ICoreWebView2CookieList {
  HRESULT STDMETHODCALLTYPE get_Count(UINT32*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetValueAtIndex(UINT32, ICoreWebView2Cookie**) override { return E_NOTIMPL; }
  static constexpr const IID* kIids[] = {&IID_ICoreWebView2CookieList};
};

