#pragma once
// The browser engine's COM objects. An environment is a browser context (its own cookie jar
// and storage); a controller and its web view are one page target of that context, attached
// over the engine's DevTools link. Everything here runs on the host's UI thread.

#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <json/value.h>

#include "devtools_link_win.h"
#include "devtools_mapping.h"
#include "engine_values.h"
#include "webview2common/com_ptr_win.h"

class ChromiumWebView;

// The web views alive in this process, by their target, and the browser's own events that
// concern them (windows a page opened).
class ChromiumViews {
 public:
  static ChromiumViews& Get();
  void Add(const std::string& target, ChromiumWebView* view) { views_[target] = view; }
  void Remove(const std::string& target) { views_.erase(target); }
  ChromiumWebView* Find(const std::string& target) const;
  // The web view named by the decimal handle of its browser window.
  ChromiumWebView* FindByName(const std::string& name) const;
  std::vector<std::string> Names() const;
  // Listens to the browser's target events; once.
  void ListenToBrowser();

 private:
  std::map<std::string, ChromiumWebView*> views_;
  bool listening_ = false;
};

class ChromiumEnvironment : public EngineObject<DefaultICoreWebView2Environment> {
 public:
  explicit ChromiumEnvironment(std::string context) : context_(std::move(context)) {}
  HRESULT STDMETHODCALLTYPE CreateCoreWebView2Controller(
      HWND parent, ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) override;
  HRESULT STDMETHODCALLTYPE get_BrowserVersionString(LPWSTR* version) override;
  HRESULT STDMETHODCALLTYPE CreateWebResourceResponse(IStream* content, int status, LPCWSTR reason,
                                                      LPCWSTR headers,
                                                      ICoreWebView2WebResourceResponse** response) override;
  const std::string& context() const { return context_; }

 private:
  std::string context_;
};

class ChromiumSettings : public EngineObject<DefaultICoreWebView2Settings3> {
 public:
  explicit ChromiumSettings(std::string session) : session_(std::move(session)) {}
#define CHROMIUM_BOOL_SETTING(Name, initial)                                      \
  HRESULT STDMETHODCALLTYPE get_##Name(BOOL* value) override { return OutValue(value, Name##_); } \
  HRESULT STDMETHODCALLTYPE put_##Name(BOOL value) override {                      \
    Name##_ = value;                                                               \
    Changed(#Name);                                                                \
    return S_OK;                                                                   \
  }                                                                                \
  BOOL Name##_ = initial;
  CHROMIUM_BOOL_SETTING(IsScriptEnabled, TRUE)
  CHROMIUM_BOOL_SETTING(IsWebMessageEnabled, TRUE)
  CHROMIUM_BOOL_SETTING(AreDefaultScriptDialogsEnabled, TRUE)
  CHROMIUM_BOOL_SETTING(IsStatusBarEnabled, TRUE)
  CHROMIUM_BOOL_SETTING(AreDevToolsEnabled, TRUE)
  CHROMIUM_BOOL_SETTING(AreDefaultContextMenusEnabled, TRUE)
  CHROMIUM_BOOL_SETTING(AreHostObjectsAllowed, TRUE)
  CHROMIUM_BOOL_SETTING(IsZoomControlEnabled, TRUE)
  CHROMIUM_BOOL_SETTING(IsBuiltInErrorPageEnabled, TRUE)
  CHROMIUM_BOOL_SETTING(AreBrowserAcceleratorKeysEnabled, TRUE)
#undef CHROMIUM_BOOL_SETTING
  HRESULT STDMETHODCALLTYPE get_UserAgent(LPWSTR* value) override { return OutString(user_agent_, value); }
  HRESULT STDMETHODCALLTYPE put_UserAgent(LPCWSTR value) override;

 private:
  void Changed(const char* name);
  std::string session_;
  std::wstring user_agent_;
};

class ChromiumWebView : public EngineObject<DefaultICoreWebView2_8> {
 public:
  ChromiumWebView(ChromiumEnvironment* environment, HWND parent, std::string target, std::string session);

  // Prepares the page (domains, the bridge, interception, size); done runs once it is ready.
  void Start(RECT bounds, std::function<void(HRESULT)> done);
  void Close();
  void SetBounds(RECT bounds);
  void SetVisible(bool visible);

  HRESULT STDMETHODCALLTYPE get_Settings(ICoreWebView2Settings** settings) override;
  HRESULT STDMETHODCALLTYPE get_Source(LPWSTR* uri) override;
  HRESULT STDMETHODCALLTYPE Navigate(LPCWSTR uri) override;
  CORVANE_WEBVIEW_EVENTS(CORVANE_DECLARE_WEBVIEW_EVENT)
  HRESULT STDMETHODCALLTYPE AddWebResourceRequestedFilter(const LPCWSTR uri, const COREWEBVIEW2_WEB_RESOURCE_CONTEXT context) override;
  HRESULT STDMETHODCALLTYPE RemoveWebResourceRequestedFilter(const LPCWSTR uri, const COREWEBVIEW2_WEB_RESOURCE_CONTEXT context) override;
  HRESULT STDMETHODCALLTYPE AddScriptToExecuteOnDocumentCreated(LPCWSTR script, ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler* handler) override;
  HRESULT STDMETHODCALLTYPE ExecuteScript(LPCWSTR script, ICoreWebView2ExecuteScriptCompletedHandler* handler) override;
  HRESULT STDMETHODCALLTYPE CapturePreview(COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT format, IStream* stream, ICoreWebView2CapturePreviewCompletedHandler* handler) override;
  HRESULT STDMETHODCALLTYPE get_BrowserProcessId(UINT32* value) override;
  HRESULT STDMETHODCALLTYPE get_CanGoBack(BOOL* value) override;
  HRESULT STDMETHODCALLTYPE get_CanGoForward(BOOL* value) override;
  HRESULT STDMETHODCALLTYPE GoBack() override;
  HRESULT STDMETHODCALLTYPE GoForward() override;
  HRESULT STDMETHODCALLTYPE Reload() override;
  HRESULT STDMETHODCALLTYPE Stop() override;
  HRESULT STDMETHODCALLTYPE get_DocumentTitle(LPWSTR* title) override;
  HRESULT STDMETHODCALLTYPE AddHostObjectToScript(LPCWSTR name, VARIANT* object) override;
  HRESULT STDMETHODCALLTYPE RemoveHostObjectFromScript(LPCWSTR name) override;
  HRESULT STDMETHODCALLTYPE OpenDevToolsWindow() override;
  HRESULT STDMETHODCALLTYPE get_CookieManager(ICoreWebView2CookieManager** manager) override;
  HRESULT STDMETHODCALLTYPE get_Environment(ICoreWebView2Environment** environment) override;
  HRESULT STDMETHODCALLTYPE get_IsMuted(BOOL* value) override;
  HRESULT STDMETHODCALLTYPE put_IsMuted(BOOL value) override;

  // Calls a page object (a function the page handed to the host) and waits for its value.
  bool CallPageObject(const std::string& id, const std::vector<devtools::ScriptValue>& arguments,
                      devtools::ScriptValue* value, std::string* error);
  void ReleasePageObject(const std::string& id);
  // Saves a PNG of the page; waits for the browser. The empty text when done, else why not.
  std::string SaveScreenshot(const std::wstring& path);
  // Evaluates an expression in the page and answers its value as JSON text (for tests).
  std::string Evaluate(const std::string& expression);
  // Makes the page's renderer crash (for tests); the browser then reports the target crashed.
  void CrashRenderer();

  // A window the page opened, from the browser's target events.
  void OnOpenedTarget(const std::string& target);

  const std::string& name() const { return name_; }
  const std::string& session() const { return session_; }
  const std::string& target() const { return target_; }

 protected:
  ~ChromiumWebView() override;

 private:
  struct Filter {
    std::string uri;
    int context;
  };
  template <typename Handler>
  using Handlers = std::map<INT64, ComPtr<Handler>>;
  template <typename Handler>
  HRESULT Add(Handlers<Handler>& handlers, Handler* handler, EventRegistrationToken* token);

  void OnEvent(const std::string& method, const Json::Value& params);
  void OnRequestPaused(const Json::Value& params);
  void AnswerHostCall(const std::string& request_id, const std::string& body);
  void Fulfill(const std::string& request_id, int status, const std::string& reason,
               const std::vector<std::pair<std::string, std::string>>& headers, const std::string& body);
  bool ServeResource(const std::string& request_id, const Json::Value& request, const std::string& type);
  void UpdateInterception();
  void RaiseNavigationStarting(const std::string& url, bool* cancel);
  void RaiseNavigationCompleted(bool frame, bool success, int status);
  void RaiseSourceChanged(bool new_document);
  // The main document's title, as the page's bridge reports it.
  void SetTitle(const std::string& title);
  void CloseOpenedTarget(const std::string& target);
  // A reply that fails a paused request the browser would not take as the engine gave it.
  DevToolsLink::Reply GoneIfRefused(const std::string& request_id, const char* what);

  ComPtr<ChromiumEnvironment> environment_;
  HWND parent_;
  std::string name_;
  std::string target_;
  std::string session_;
  ChromiumSettings* settings_;
  ICoreWebView2CookieManager* cookie_manager_ = nullptr;  // one reference owned, made on first use
  bool closed_ = false;
  std::wstring source_;
  std::wstring title_;
  BOOL muted_ = FALSE;
  bool can_go_back_ = false;
  bool can_go_forward_ = false;
  int host_call_depth_ = 0;  // page script is blocked in a call to a host object
  std::vector<Filter> filters_;
  std::map<std::wstring, ComPtr<IDispatch>> host_objects_;
  // The main frame's load in progress: whether its document failed, and how.
  bool load_failed_ = false;
  int load_status_ = 0;
  std::map<std::string, std::string> document_frames_;  // network request id → frame id
  std::map<std::string, int> frame_failures_;           // frame id → web error status
  std::string latest_document_;                         // the main frame's newest document request
  std::set<std::string> canceled_by_engine_;            // document requests NavigationStarting canceled
  std::deque<bool> window_decisions_;                   // handled? of window requests not yet seen open
  std::deque<std::string> opened_targets_;              // opened windows not yet requested
  INT64 next_token_ = 1;
#define CHROMIUM_EVENT_HANDLERS(Event, Handler, member) Handlers<Handler> member;
  CORVANE_WEBVIEW_EVENTS(CHROMIUM_EVENT_HANDLERS)
#undef CHROMIUM_EVENT_HANDLERS
};

class ChromiumController : public EngineObject<DefaultICoreWebView2Controller> {
 public:
  ChromiumController(HWND parent, ChromiumWebView* webview, RECT bounds)
      : parent_(parent), webview_(webview), bounds_(bounds) {}
  HRESULT STDMETHODCALLTYPE get_IsVisible(BOOL* visible) override { return OutValue(visible, visible_); }
  HRESULT STDMETHODCALLTYPE put_IsVisible(BOOL visible) override;
  HRESULT STDMETHODCALLTYPE get_Bounds(RECT* bounds) override { return OutValue(bounds, bounds_); }
  HRESULT STDMETHODCALLTYPE put_Bounds(RECT bounds) override;
  HRESULT STDMETHODCALLTYPE get_ParentWindow(HWND* window) override { return OutValue(window, parent_); }
  HRESULT STDMETHODCALLTYPE NotifyParentWindowPositionChanged() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Close() override;
  HRESULT STDMETHODCALLTYPE get_CoreWebView2(ICoreWebView2** webview) override;

 protected:
  ~ChromiumController() override;

 private:
  HWND parent_;
  ChromiumWebView* webview_;  // one reference owned
  RECT bounds_;
  BOOL visible_ = TRUE;
};
