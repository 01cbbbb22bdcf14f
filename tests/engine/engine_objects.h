#pragma once
// The engine's COM objects: environment, controller, web view, settings and event arguments.

#include <map>
#include <string>
#include <vector>

#include "engine.h"
#include "engine_values.h"
#include "webview2common/com_ptr_win.h"

class EngineSettings : public EngineObject<DefaultICoreWebView2Settings3> {
 public:
  explicit EngineSettings(std::string view) : view_(std::move(view)) {}
#define ENGINE_BOOL_PUT(Name) \
  HRESULT STDMETHODCALLTYPE put_##Name(BOOL value) override { return Put(#Name, value); }
  ENGINE_BOOL_PUT(IsScriptEnabled)
  ENGINE_BOOL_PUT(IsWebMessageEnabled)
  ENGINE_BOOL_PUT(AreDefaultScriptDialogsEnabled)
  ENGINE_BOOL_PUT(IsStatusBarEnabled)
  ENGINE_BOOL_PUT(AreDevToolsEnabled)
  ENGINE_BOOL_PUT(AreDefaultContextMenusEnabled)
  ENGINE_BOOL_PUT(AreHostObjectsAllowed)
  ENGINE_BOOL_PUT(IsZoomControlEnabled)
  ENGINE_BOOL_PUT(IsBuiltInErrorPageEnabled)
  ENGINE_BOOL_PUT(AreBrowserAcceleratorKeysEnabled)
#undef ENGINE_BOOL_PUT
  HRESULT STDMETHODCALLTYPE put_UserAgent(LPCWSTR value) override;

 private:
  HRESULT Put(const char* name, BOOL value);
  std::string view_;
};

class EngineWebView : public EngineObject<DefaultICoreWebView2_8> {
 public:
  EngineWebView(HWND window, ICoreWebView2Environment* environment);

  // ICoreWebView2 and its successors, as far as the host uses them.
  HRESULT STDMETHODCALLTYPE get_Settings(ICoreWebView2Settings** settings) override;
  HRESULT STDMETHODCALLTYPE get_Source(LPWSTR* uri) override;
  HRESULT STDMETHODCALLTYPE Navigate(LPCWSTR uri) override;
  CORVANE_WEBVIEW_EVENTS(CORVANE_DECLARE_WEBVIEW_EVENT)
  HRESULT STDMETHODCALLTYPE AddWebResourceRequestedFilter(const LPCWSTR uri, const COREWEBVIEW2_WEB_RESOURCE_CONTEXT context) override;
  HRESULT STDMETHODCALLTYPE AddScriptToExecuteOnDocumentCreated(LPCWSTR script, ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler* handler) override;
  HRESULT STDMETHODCALLTYPE get_BrowserProcessId(UINT32* value) override;
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

  // Raising events, from the control pipe.
  std::string RaiseNavigationStarting(const std::wstring& uri);
  std::string RaiseNavigationCompleted(bool frame, bool success, int status);
  std::string RaiseSourceChanged(const std::wstring& uri, bool new_document);
  std::string RaiseTitleChanged(const std::wstring& title);
  std::string RaiseProcessFailed(int kind);
  std::string RaiseNewWindow(const std::wstring& uri);
  // Page script: calls a method of a host object the page was given.
  std::string CallHostObject(const std::wstring& object, const std::wstring& method,
                             const std::vector<std::string>& arguments, bool method_call);

  const std::string& name() const { return name_; }

  // Resources and cookies (engine_resources.cpp).
  std::string RaiseWebResourceRequested(const std::wstring& uri);
  class EngineCookieManager* Cookies();

 protected:
  ~EngineWebView() override;

 private:
  template <typename Handler>
  HRESULT Add(std::map<INT64, ComPtr<Handler>>& handlers, const char* event, Handler* handler,
              EventRegistrationToken* token);
  template <typename Handler>
  HRESULT Remove(std::map<INT64, ComPtr<Handler>>& handlers, const char* event,
                 EventRegistrationToken token);
  void Log(const std::string& text);

  HWND window_;
  std::string name_;
  ComPtr<ICoreWebView2Environment> environment_;
  EngineSettings* settings_;
  std::wstring source_;
  std::wstring title_;
  BOOL muted_ = FALSE;
  INT64 next_token_ = 1;
  std::map<std::wstring, ComPtr<IDispatch>> host_objects_;
  std::map<std::string, ComPtr<IDispatch>> page_functions_;
  ICoreWebView2CookieManager* cookie_manager_ = nullptr;  // one reference owned, made on first use
#define ENGINE_EVENT_HANDLERS(Event, Handler, member) std::map<INT64, ComPtr<Handler>> member;
  CORVANE_WEBVIEW_EVENTS(ENGINE_EVENT_HANDLERS)
#undef ENGINE_EVENT_HANDLERS
};

// A function of the page, handed to the host as a callable object. It records each call and
// answers with the text "<name> result" (or fails when its name ends in "!").
class EnginePageFunction : public IDispatch {
 public:
  EnginePageFunction(std::string view, std::string name) : view_(std::move(view)), name_(std::move(name)) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID locale, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argument_error) override;

 private:
  virtual ~EnginePageFunction() = default;
  LONG refs_ = 1;
  std::string view_;
  std::string name_;
};

class EngineController : public EngineObject<DefaultICoreWebView2Controller> {
 public:
  EngineController(HWND window, EngineWebView* webview);
  HRESULT STDMETHODCALLTYPE get_IsVisible(BOOL* visible) override;
  HRESULT STDMETHODCALLTYPE put_IsVisible(BOOL visible) override;
  HRESULT STDMETHODCALLTYPE get_Bounds(RECT* bounds) override;
  HRESULT STDMETHODCALLTYPE put_Bounds(RECT bounds) override;
  HRESULT STDMETHODCALLTYPE get_ParentWindow(HWND* window) override;
  HRESULT STDMETHODCALLTYPE Close() override;
  HRESULT STDMETHODCALLTYPE get_CoreWebView2(ICoreWebView2** webview) override;

 protected:
  ~EngineController() override;

 private:
  HWND window_;
  EngineWebView* webview_;
  RECT bounds_{};
  BOOL visible_ = TRUE;
};

class EngineEnvironment : public EngineObject<DefaultICoreWebView2Environment> {
 public:
  explicit EngineEnvironment(std::wstring user_data_folder);
  HRESULT STDMETHODCALLTYPE CreateCoreWebView2Controller(
      HWND parent, ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) override;
  HRESULT STDMETHODCALLTYPE get_BrowserVersionString(LPWSTR* version) override;
  HRESULT STDMETHODCALLTYPE CreateWebResourceResponse(IStream* content, int status, LPCWSTR reason,
                                                      LPCWSTR headers,
                                                      ICoreWebView2WebResourceResponse** response) override;

 private:
  std::wstring user_data_folder_;
};
