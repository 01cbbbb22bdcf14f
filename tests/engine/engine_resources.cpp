#include "engine_resources.h"

#include <cstdio>

namespace {

std::wstring HostOf(const std::wstring& uri) {
  const size_t scheme = uri.find(L"://");
  if (scheme == std::wstring::npos) return L"";
  const size_t start = scheme + 3;
  const size_t end = uri.find_first_of(L"/?#:", start);
  return uri.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
}

class EngineHeaders : public EngineObject<DefaultICoreWebView2HttpRequestHeaders> {
 public:
  HRESULT STDMETHODCALLTYPE SetHeader(LPCWSTR name, LPCWSTR value) override {
    if (name == nullptr || value == nullptr) return E_INVALIDARG;
    set.push_back(std::wstring(name) + L": " + value);
    return S_OK;
  }
  std::vector<std::wstring> set;
};

class EngineRequest : public EngineObject<DefaultICoreWebView2WebResourceRequest> {
 public:
  EngineRequest(std::wstring uri, EngineHeaders* headers) : uri_(std::move(uri)), headers_(headers) {}
  HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* uri) override { return OutString(uri_, uri); }
  HRESULT STDMETHODCALLTYPE get_Method(LPWSTR* method) override { return OutString(L"GET", method); }
  HRESULT STDMETHODCALLTYPE get_Headers(ICoreWebView2HttpRequestHeaders** headers) override {
    return OutObject(headers_.get(), headers);
  }

 private:
  std::wstring uri_;
  ComPtr<EngineHeaders> headers_;
};

}  // namespace

HRESULT STDMETHODCALLTYPE EngineEnvironment::CreateWebResourceResponse(
    IStream* content, int status, LPCWSTR reason, LPCWSTR headers, ICoreWebView2WebResourceResponse** response) {
  if (response == nullptr) return E_POINTER;
  *response = new EngineResponse(content, status, reason != nullptr ? reason : L"",
                                 headers != nullptr ? headers : L"");
  return S_OK;
}

std::string EngineWebView::RaiseWebResourceRequested(const std::wstring& uri) {
  auto* headers = new EngineHeaders();
  auto request = ComPtr<ICoreWebView2WebResourceRequest>::Attach(new EngineRequest(uri, headers));
  headers->Release();  // the request holds it
  auto* raw = new EngineResourceArgs(request.get());
  auto args = ComPtr<ICoreWebView2WebResourceRequestedEventArgs>::Attach(raw);
  auto handlers = web_resource_requested_;
  for (auto& entry : handlers) entry.second->Invoke(static_cast<ICoreWebView2*>(this), args.get());
  std::string answer;
  if (raw->response_) {
    answer = static_cast<EngineResponse*>(raw->response_.get())->Describe();
  } else {
    answer = "no response";
  }
  for (const std::wstring& header : headers->set) answer += "\nrequest-header=" + Utf8(header.c_str());
  return answer;
}

EngineCookieManager* EngineWebView::Cookies() {
  if (cookie_manager_ == nullptr) cookie_manager_ = new EngineCookieManager(name_);
  return static_cast<EngineCookieManager*>(cookie_manager_);
}

HRESULT STDMETHODCALLTYPE EngineCookieManager::CreateCookie(LPCWSTR name, LPCWSTR value, LPCWSTR domain,
                                                            LPCWSTR path, ICoreWebView2Cookie** cookie) {
  return CreateEngineCookie(name, value, domain, path, cookie);
}

void EngineCookieManager::Add(const EngineCookieData& cookie) {
  for (EngineCookieData& stored : store_) {
    if (stored.name == cookie.name && stored.domain == cookie.domain && stored.path == cookie.path) {
      stored = cookie;
      return;
    }
  }
  store_.push_back(cookie);
}

HRESULT STDMETHODCALLTYPE EngineCookieManager::AddOrUpdateCookie(ICoreWebView2Cookie* cookie) {
  if (cookie == nullptr) return E_POINTER;
  const EngineCookieData& data = static_cast<EngineCookie*>(cookie)->data;
  Engine::Get().Record(view_ + " AddOrUpdateCookie " + Utf8(data.name.c_str()) + "=" + Utf8(data.value.c_str()) +
                       " domain=" + Utf8(data.domain.c_str()) + " path=" + Utf8(data.path.c_str()) +
                       " secure=" + std::to_string(data.secure) + " httponly=" + std::to_string(data.http_only));
  Add(data);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE EngineCookieManager::GetCookies(LPCWSTR uri, ICoreWebView2GetCookiesCompletedHandler* handler) {
  if (handler == nullptr) return E_POINTER;
  const std::wstring host = HostOf(uri != nullptr ? uri : L"");
  std::vector<EngineCookieData> found;
  for (const EngineCookieData& cookie : store_) {
    if (cookie.domain == host) found.push_back(cookie);
  }
  Engine::Get().Record(view_ + " GetCookies " + Utf8(uri));
  ComPtr<ICoreWebView2GetCookiesCompletedHandler> keep(handler);
  Engine::Get().Post([keep, found] {
    auto list = ComPtr<ICoreWebView2CookieList>::Attach(new EngineCookieList(found));
    keep->Invoke(S_OK, list.get());
  });
  return S_OK;
}

HRESULT STDMETHODCALLTYPE EngineCookieManager::DeleteCookies(LPCWSTR name, LPCWSTR uri) {
  const std::wstring host = HostOf(uri != nullptr ? uri : L"");
  Engine::Get().Record(view_ + " DeleteCookies " + Utf8(name) + " " + Utf8(uri));
  for (size_t i = store_.size(); i-- > 0;) {
    if (name != nullptr && store_[i].name == name && store_[i].domain == host) store_.erase(store_.begin() + i);
  }
  return S_OK;
}

std::string EngineCookieManager::Describe() const {
  std::string text;
  for (const EngineCookieData& c : store_) {
    text += Utf8(c.name.c_str()) + "=" + Utf8(c.value.c_str()) + " domain=" + Utf8(c.domain.c_str()) +
            " path=" + Utf8(c.path.c_str()) + " secure=" + std::to_string(c.secure) +
            " httponly=" + std::to_string(c.http_only) + "\n";
  }
  return text;
}
