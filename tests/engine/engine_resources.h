#pragma once
// The engine's cookie store and web-resource objects.

#include <string>
#include <vector>

#include "engine_objects.h"

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
