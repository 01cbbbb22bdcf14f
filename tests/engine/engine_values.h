#pragma once
// Engine objects that only carry values: event arguments, cookies, responses. Shared by both
// engines; what raises them differs.

#include <string>
#include <vector>

#include "engine_object.h"
#include "webview2common/com_ptr_win.h"

// Event arguments carry fixed values chosen by the control pipe.
class NavigationStartingArgs : public EngineObject<DefaultICoreWebView2NavigationStartingEventArgs> {
 public:
  explicit NavigationStartingArgs(std::wstring uri) : uri_(std::move(uri)) {}
  HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* uri) override { return OutString(uri_, uri); }
  HRESULT STDMETHODCALLTYPE get_Cancel(BOOL* cancel) override {
    if (cancel == nullptr) return E_POINTER;
    *cancel = cancel_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_Cancel(BOOL cancel) override {
    cancel_ = cancel;
    return S_OK;
  }
  BOOL cancel_ = FALSE;

 private:
  std::wstring uri_;
};

class ProcessFailedArgs : public EngineObject<DefaultICoreWebView2ProcessFailedEventArgs> {
 public:
  explicit ProcessFailedArgs(int kind) : kind_(kind) {}
  HRESULT STDMETHODCALLTYPE get_ProcessFailedKind(COREWEBVIEW2_PROCESS_FAILED_KIND* kind) override {
    if (kind == nullptr) return E_POINTER;
    *kind = static_cast<COREWEBVIEW2_PROCESS_FAILED_KIND>(kind_);
    return S_OK;
  }

 private:
  int kind_;
};

class SourceChangedArgs : public EngineObject<DefaultICoreWebView2SourceChangedEventArgs> {
 public:
  explicit SourceChangedArgs(bool new_document) : new_document_(new_document) {}
  HRESULT STDMETHODCALLTYPE get_IsNewDocument(BOOL* value) override {
    if (value == nullptr) return E_POINTER;
    *value = new_document_ ? TRUE : FALSE;
    return S_OK;
  }

 private:
  bool new_document_;
};

class NavigationCompletedArgs : public EngineObject<DefaultICoreWebView2NavigationCompletedEventArgs> {
 public:
  NavigationCompletedArgs(bool success, int status) : success_(success), status_(status) {}
  HRESULT STDMETHODCALLTYPE get_IsSuccess(BOOL* value) override {
    if (value == nullptr) return E_POINTER;
    *value = success_ ? TRUE : FALSE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_WebErrorStatus(COREWEBVIEW2_WEB_ERROR_STATUS* value) override {
    if (value == nullptr) return E_POINTER;
    *value = static_cast<COREWEBVIEW2_WEB_ERROR_STATUS>(status_);
    return S_OK;
  }

 private:
  bool success_;
  int status_;
};

class NewWindowArgs : public EngineObject<DefaultICoreWebView2NewWindowRequestedEventArgs> {
 public:
  explicit NewWindowArgs(std::wstring uri) : uri_(std::move(uri)) {}
  HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* uri) override { return OutString(uri_, uri); }
  HRESULT STDMETHODCALLTYPE put_Handled(BOOL handled) override {
    handled_ = handled;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_Handled(BOOL* handled) override {
    if (handled == nullptr) return E_POINTER;
    *handled = handled_;
    return S_OK;
  }
  BOOL handled_ = FALSE;

 private:
  std::wstring uri_;
};

template <typename Map, typename... Args>
void RaiseAll(Map& handlers, Args... args) {
  // A handler may remove itself or others while running.
  Map copy = handlers;
  for (auto& entry : copy) entry.second->Invoke(args...);
}

struct EngineCookieData {
  std::wstring name, value, domain, path;
  double expires = -1;  // -1: a session cookie
  BOOL http_only = FALSE;
  BOOL secure = FALSE;
  COREWEBVIEW2_COOKIE_SAME_SITE_KIND same_site = COREWEBVIEW2_COOKIE_SAME_SITE_KIND_LAX;
};

class EngineCookie : public EngineObject<DefaultICoreWebView2Cookie> {
 public:
  explicit EngineCookie(EngineCookieData data) : data(std::move(data)) {}
  HRESULT STDMETHODCALLTYPE get_Name(LPWSTR* v) override { return OutString(data.name, v); }
  HRESULT STDMETHODCALLTYPE get_Value(LPWSTR* v) override { return OutString(data.value, v); }
  HRESULT STDMETHODCALLTYPE put_Value(LPCWSTR v) override { data.value = v ? v : L""; return S_OK; }
  HRESULT STDMETHODCALLTYPE get_Domain(LPWSTR* v) override { return OutString(data.domain, v); }
  HRESULT STDMETHODCALLTYPE get_Path(LPWSTR* v) override { return OutString(data.path, v); }
  HRESULT STDMETHODCALLTYPE get_Expires(double* v) override { return Set(v, data.expires); }
  HRESULT STDMETHODCALLTYPE put_Expires(double v) override { data.expires = v; return S_OK; }
  HRESULT STDMETHODCALLTYPE get_IsHttpOnly(BOOL* v) override { return Set(v, data.http_only); }
  HRESULT STDMETHODCALLTYPE put_IsHttpOnly(BOOL v) override { data.http_only = v; return S_OK; }
  HRESULT STDMETHODCALLTYPE get_SameSite(COREWEBVIEW2_COOKIE_SAME_SITE_KIND* v) override { return Set(v, data.same_site); }
  HRESULT STDMETHODCALLTYPE put_SameSite(COREWEBVIEW2_COOKIE_SAME_SITE_KIND v) override { data.same_site = v; return S_OK; }
  HRESULT STDMETHODCALLTYPE get_IsSecure(BOOL* v) override { return Set(v, data.secure); }
  HRESULT STDMETHODCALLTYPE put_IsSecure(BOOL v) override { data.secure = v; return S_OK; }
  HRESULT STDMETHODCALLTYPE get_IsSession(BOOL* v) override { return Set(v, data.expires == -1 ? TRUE : FALSE); }

  EngineCookieData data;

 private:
  template <typename T, typename U>
  static HRESULT Set(T* out, U value) { return OutValue(out, value); }
};

// ICoreWebView2CookieManager::CreateCookie: a cookie object that only carries its values.
inline HRESULT CreateEngineCookie(LPCWSTR name, LPCWSTR value, LPCWSTR domain, LPCWSTR path, ICoreWebView2Cookie** cookie) {
  if (cookie == nullptr || name == nullptr || value == nullptr || domain == nullptr || path == nullptr) {
    return E_INVALIDARG;
  }
  EngineCookieData data;
  data.name = name;
  data.value = value;
  data.domain = domain;
  data.path = path;
  *cookie = new EngineCookie(data);
  return S_OK;
}

class EngineCookieList : public EngineObject<DefaultICoreWebView2CookieList> {
 public:
  explicit EngineCookieList(std::vector<EngineCookieData> cookies) : cookies_(std::move(cookies)) {}
  HRESULT STDMETHODCALLTYPE get_Count(UINT32* count) override {
    if (count == nullptr) return E_POINTER;
    *count = static_cast<UINT32>(cookies_.size());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetValueAtIndex(UINT32 index, ICoreWebView2Cookie** cookie) override {
    if (cookie == nullptr) return E_POINTER;
    if (index >= cookies_.size()) return E_INVALIDARG;
    *cookie = new EngineCookie(cookies_[index]);
    return S_OK;
  }

 private:
  std::vector<EngineCookieData> cookies_;
};

class EngineResponse : public EngineObject<DefaultICoreWebView2WebResourceResponse> {
 public:
  EngineResponse(IStream* content, int status, std::wstring reason, std::wstring headers)
      : content_(content), status_(status), reason_(std::move(reason)), headers_(std::move(headers)) {}
  // The whole content, read from its start.
  std::string Body() const {
    std::string body;
    if (content_) {
      LARGE_INTEGER zero{};
      content_->Seek(zero, STREAM_SEEK_SET, nullptr);
      char buffer[4096];
      ULONG read = 0;
      while (SUCCEEDED(content_->Read(buffer, sizeof buffer, &read)) && read > 0) body.append(buffer, read);
    }
    return body;
  }
  int status() const { return status_; }
  const std::wstring& reason() const { return reason_; }
  const std::wstring& headers() const { return headers_; }
  std::string Describe() const {
    static const char kHex[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : Body()) {
      hex += kHex[c >> 4];
      hex += kHex[c & 15];
    }
    return "status=" + std::to_string(status_) + "\nreason=" + Utf8(reason_.c_str()) + "\nheaders=" +
           Utf8(headers_.c_str()) + "\nbody=" + hex;
  }

 private:
  ComPtr<IStream> content_;
  int status_;
  std::wstring reason_;
  std::wstring headers_;
};

// A resource request as the host's handler sees it; the response it sets is kept for the engine.
class EngineResourceArgs : public EngineObject<DefaultICoreWebView2WebResourceRequestedEventArgs> {
 public:
  explicit EngineResourceArgs(ICoreWebView2WebResourceRequest* request,
                              int context = COREWEBVIEW2_WEB_RESOURCE_CONTEXT_ALL)
      : request_(request), context_(context) {}
  HRESULT STDMETHODCALLTYPE get_Request(ICoreWebView2WebResourceRequest** request) override {
    return OutObject(request_.get(), request);
  }
  HRESULT STDMETHODCALLTYPE put_Response(ICoreWebView2WebResourceResponse* response) override {
    response_ = ComPtr<ICoreWebView2WebResourceResponse>(response);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_Response(ICoreWebView2WebResourceResponse** response) override {
    return OutObject(response_.get(), response);
  }
  HRESULT STDMETHODCALLTYPE get_ResourceContext(COREWEBVIEW2_WEB_RESOURCE_CONTEXT* context) override {
    return OutValue(context, context_);
  }
  ComPtr<ICoreWebView2WebResourceResponse> response_;

 private:
  ComPtr<ICoreWebView2WebResourceRequest> request_;
  int context_;
};
