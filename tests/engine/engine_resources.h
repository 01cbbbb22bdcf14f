#pragma once
// The engine's cookie store and web-resource objects.

#include <string>
#include <vector>

#include "engine_objects.h"

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
  static HRESULT Set(T* out, U value) {
    if (out == nullptr) return E_POINTER;
    *out = static_cast<T>(value);
    return S_OK;
  }
};

class EngineCookieManager : public EngineObject<DefaultICoreWebView2CookieManager> {
 public:
  explicit EngineCookieManager(std::string view) : view_(std::move(view)) {}
  HRESULT STDMETHODCALLTYPE CreateCookie(LPCWSTR name, LPCWSTR value, LPCWSTR domain, LPCWSTR path,
                                         ICoreWebView2Cookie** cookie) override;
  HRESULT STDMETHODCALLTYPE GetCookies(LPCWSTR uri, ICoreWebView2GetCookiesCompletedHandler* handler) override;
  HRESULT STDMETHODCALLTYPE AddOrUpdateCookie(ICoreWebView2Cookie* cookie) override;
  HRESULT STDMETHODCALLTYPE DeleteCookies(LPCWSTR name, LPCWSTR uri) override;

  void Add(const EngineCookieData& cookie);
  std::string Describe() const;

 private:
  std::string view_;
  std::vector<EngineCookieData> store_;
};

// Raises WebResourceRequested for uri on view and describes what the host answered.
std::string IssueResourceRequest(EngineWebView* view, const std::wstring& uri);
