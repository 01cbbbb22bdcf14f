#include "chromium_objects_win.h"

#include <shlwapi.h>

#include <cmath>
#include <cstdio>
#include <limits>

#include <json/writer.h>

#include "devtools_link_win.h"
#include "webview2common/base64.h"
#include "webview2common/window_handle_win.h"

using devtools::ScriptValue;

namespace {

DevToolsLink& Link() { return DevToolsLink::Get(); }

// How long the UI thread waits for page script the host called (a page function, a
// screenshot): a page that never answers must not hang the host.
constexpr DWORD kPageCallTimeoutMs = 10000;

void Note(const std::string& text) {
  const std::string line = "[chromium engine] " + text + "\n";
  OutputDebugStringA(line.c_str());
  std::fputs(line.c_str(), stderr);
}

std::string Utf8Of(const std::wstring& text) { return Utf8(text.c_str()); }

Json::Value Object() { return Json::Value(Json::objectValue); }

// Headers as the protocol lists them: [{"name": ..., "value": ...}, ...].
Json::Value HeaderArray(const std::vector<std::pair<std::string, std::string>>& headers) {
  Json::Value list(Json::arrayValue);
  for (const auto& header : headers) {
    Json::Value entry = Object();
    entry["name"] = header.first;
    entry["value"] = header.second;
    list.append(entry);
  }
  return list;
}

class ContentLoadingArgs : public EngineObject<DefaultICoreWebView2ContentLoadingEventArgs> {
 public:
  explicit ContentLoadingArgs(bool error_page) : error_page_(error_page) {}
  HRESULT STDMETHODCALLTYPE get_IsErrorPage(BOOL* value) override { return OutValue(value, error_page_); }
  HRESULT STDMETHODCALLTYPE get_NavigationId(UINT64* value) override { return OutValue(value, 0); }

 private:
  bool error_page_;
};

// A request's headers as the browser sent them; the host may change them before it goes out.
class ChromiumHeaders : public EngineObject<DefaultICoreWebView2HttpRequestHeaders> {
 public:
  explicit ChromiumHeaders(const Json::Value& headers) {
    for (const std::string& name : headers.getMemberNames()) items.emplace_back(Wide(name), Wide(headers[name].asString()));
  }
  HRESULT STDMETHODCALLTYPE GetHeader(LPCWSTR name, LPWSTR* value) override {
    if (name == nullptr || value == nullptr) return E_POINTER;
    const auto* found = Find(name);
    if (found == nullptr) return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
    return OutString(found->second, value);
  }
  HRESULT STDMETHODCALLTYPE Contains(LPCWSTR name, BOOL* contains) override {
    if (name == nullptr || contains == nullptr) return E_POINTER;
    *contains = Find(name) != nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetHeader(LPCWSTR name, LPCWSTR value) override {
    if (name == nullptr || value == nullptr) return E_INVALIDARG;
    changed = true;
    if (auto* found = Find(name)) {
      found->second = value;
    } else {
      items.emplace_back(name, value);
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE RemoveHeader(LPCWSTR name) override {
    if (name == nullptr) return E_INVALIDARG;
    for (size_t i = items.size(); i-- > 0;) {
      if (_wcsicmp(items[i].first.c_str(), name) == 0) {
        items.erase(items.begin() + i);
        changed = true;
      }
    }
    return S_OK;
  }
  std::vector<std::pair<std::wstring, std::wstring>> items;
  bool changed = false;

 private:
  std::pair<std::wstring, std::wstring>* Find(LPCWSTR name) {
    for (auto& item : items) {
      if (_wcsicmp(item.first.c_str(), name) == 0) return &item;
    }
    return nullptr;
  }
};

class ChromiumRequest : public EngineObject<DefaultICoreWebView2WebResourceRequest> {
 public:
  ChromiumRequest(std::wstring uri, std::wstring method, ChromiumHeaders* headers, std::string body)
      : uri_(std::move(uri)), method_(std::move(method)), headers_(headers), body_(std::move(body)) {}
  HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* uri) override { return OutString(uri_, uri); }
  HRESULT STDMETHODCALLTYPE get_Method(LPWSTR* method) override { return OutString(method_, method); }
  HRESULT STDMETHODCALLTYPE get_Content(IStream** content) override {
    if (content == nullptr) return E_POINTER;
    *content = body_.empty() ? nullptr
                             : SHCreateMemStream(reinterpret_cast<const BYTE*>(body_.data()),
                                                 static_cast<UINT>(body_.size()));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_Headers(ICoreWebView2HttpRequestHeaders** headers) override {
    return OutObject(headers_.get(), headers);
  }

 private:
  std::wstring uri_;
  std::wstring method_;
  ComPtr<ChromiumHeaders> headers_;
  std::string body_;
};

// Identifies the engine's own page objects among the IDispatch values a host hands back.
// {4C0D7A52-3E61-4F0B-9D51-6B7E2C1F9A30}
const IID IID_ChromiumPageObject = {0x4c0d7a52, 0x3e61, 0x4f0b, {0x9d, 0x51, 0x6b, 0x7e, 0x2c, 0x1f, 0x9a, 0x30}};

// A function (or another object) of the page, handed to the host. Calling it runs the
// function in the page and answers its value; the page forgets it once the host lets go. It
// keeps its web view (a closed one answers every call with an error).
class PageObject : public IDispatch {
 public:
  PageObject(ChromiumWebView* view, std::string id) : view_(view), id_(std::move(id)) {}
  const std::string& id() const { return id_; }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDispatch) && !IsEqualIID(riid, IID_ChromiumPageObject)) {
      return E_NOINTERFACE;
    }
    *out = this;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) {
      view_->ReleasePageObject(id_);
      delete this;
    }
    return static_cast<ULONG>(left);
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return OutValue(count, 0); }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* exception, UINT*) override;

 private:
  virtual ~PageObject() = default;
  LONG refs_ = 1;
  ComPtr<ChromiumWebView> view_;
  std::string id_;
};

ScriptValue FromVariant(const VARIANT& in) {
  VARIANT value;
  VariantInit(&value);
  const VARIANT* v = &in;
  if (in.vt & VT_BYREF) {
    if (FAILED(VariantCopyInd(&value, const_cast<VARIANT*>(&in)))) return ScriptValue{};
    v = &value;
  }
  ScriptValue out;
  switch (v->vt) {
    case VT_BSTR:
      out = ScriptValue::String(v->bstrVal != nullptr ? Utf8(v->bstrVal) : std::string());
      break;
    case VT_BOOL:
      out = ScriptValue::Bool(v->boolVal != VARIANT_FALSE);
      break;
    case VT_NULL:
      out = ScriptValue::Null();
      break;
    case VT_EMPTY:
      break;
    case VT_DISPATCH: {
      PageObject* object = nullptr;
      if (v->pdispVal != nullptr &&
          SUCCEEDED(v->pdispVal->QueryInterface(IID_ChromiumPageObject, reinterpret_cast<void**>(&object)))) {
        out = ScriptValue::PageObject(object->id());
        object->Release();
      }
      break;
    }
    default: {
      VARIANT number;
      VariantInit(&number);
      if (SUCCEEDED(VariantChangeType(&number, const_cast<VARIANT*>(v), 0, VT_R8))) out = ScriptValue::Number(number.dblVal);
      VariantClear(&number);
      break;
    }
  }
  VariantClear(&value);
  return out;
}

// A value for the host: integral numbers as VT_I4 where they fit, as script engines pass them.
void ToVariant(const ScriptValue& value, ChromiumWebView* view, VARIANT* out) {
  VariantInit(out);
  switch (value.kind) {
    case ScriptValue::Kind::kString:
      out->vt = VT_BSTR;
      out->bstrVal = SysAllocString(Wide(value.text).c_str());
      break;
    case ScriptValue::Kind::kNumber:
      if (std::isfinite(value.number) && value.number == std::floor(value.number) && value.number >= INT32_MIN &&
          value.number <= INT32_MAX && !(value.number == 0 && std::signbit(value.number))) {
        out->vt = VT_I4;
        out->lVal = static_cast<LONG>(value.number);
      } else {
        out->vt = VT_R8;
        out->dblVal = value.number;
      }
      break;
    case ScriptValue::Kind::kBool:
      out->vt = VT_BOOL;
      out->boolVal = value.flag ? VARIANT_TRUE : VARIANT_FALSE;
      break;
    case ScriptValue::Kind::kNull:
      out->vt = VT_NULL;
      break;
    case ScriptValue::Kind::kPageObject:
      out->vt = VT_DISPATCH;
      out->pdispVal = new PageObject(view, value.text);
      break;
    case ScriptValue::Kind::kUndefined:
      break;
  }
}

HRESULT PageObject::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result,
                           EXCEPINFO* exception, UINT*) {
  std::vector<ScriptValue> arguments;
  if (params != nullptr) {
    for (UINT i = params->cArgs; i-- > 0;) arguments.push_back(FromVariant(params->rgvarg[i]));
  }
  std::string error;
  ScriptValue value;
  bool ok = false;
  ok = view_->CallPageObject(id_, arguments, &value, &error);
  if (ok) {
    if (result != nullptr) ToVariant(value, view_.get(), result);
    return S_OK;
  }
  Note("a page function failed: " + error);
  if (exception != nullptr) {
    *exception = EXCEPINFO{};
    exception->scode = E_FAIL;
    exception->bstrSource = SysAllocString(L"page");
    exception->bstrDescription = SysAllocString(Wide(error).c_str());
  }
  return DISP_E_EXCEPTION;
}

class ChromiumCookieManager : public EngineObject<DefaultICoreWebView2CookieManager> {
 public:
  ChromiumCookieManager(std::string session, std::string context)
      : session_(std::move(session)), context_(std::move(context)) {}
  HRESULT STDMETHODCALLTYPE CreateCookie(LPCWSTR name, LPCWSTR value, LPCWSTR domain, LPCWSTR path,
                                         ICoreWebView2Cookie** cookie) override {
    return CreateEngineCookie(name, value, domain, path, cookie);
  }
  HRESULT STDMETHODCALLTYPE AddOrUpdateCookie(ICoreWebView2Cookie* cookie) override {
    if (cookie == nullptr) return E_POINTER;
    devtools::CookieFields fields;
    fields.name = Take(cookie, &ICoreWebView2Cookie::get_Name);
    fields.value = Take(cookie, &ICoreWebView2Cookie::get_Value);
    fields.domain = Take(cookie, &ICoreWebView2Cookie::get_Domain);
    fields.path = Take(cookie, &ICoreWebView2Cookie::get_Path);
    BOOL flag = FALSE;
    cookie->get_IsHttpOnly(&flag);
    fields.http_only = flag != FALSE;
    flag = FALSE;
    cookie->get_IsSecure(&flag);
    fields.secure = flag != FALSE;
    COREWEBVIEW2_COOKIE_SAME_SITE_KIND same_site = COREWEBVIEW2_COOKIE_SAME_SITE_KIND_LAX;
    cookie->get_SameSite(&same_site);
    fields.same_site = same_site;
    BOOL session = TRUE;
    cookie->get_IsSession(&session);
    if (!session) cookie->get_Expires(&fields.expires);
    if (fields.name.empty() || fields.domain.empty()) return E_INVALIDARG;
    const std::string description = fields.name + " for " + fields.domain;
    Write("Network.setCookie", devtools::CookieParams(fields), [description](const Json::Value& result, const std::string& error) {
      if (!error.empty() || !result["success"].asBool()) Note("the browser refused cookie " + description + " " + error);
    });
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetCookies(LPCWSTR uri, ICoreWebView2GetCookiesCompletedHandler* handler) override {
    if (handler == nullptr) return E_POINTER;
    ComPtr<ICoreWebView2GetCookiesCompletedHandler> keep(handler);
    const std::string url = uri != nullptr ? Utf8(uri) : std::string();
    ComPtr<ChromiumCookieManager> self(this);
    AfterWrites([self, url, keep] { self->AllCookiesOr(url, [keep](const Json::Value& result, const std::string& error) {
      std::vector<EngineCookieData> cookies;
      for (const Json::Value& cookie : result["cookies"]) {
        const devtools::CookieFields f = devtools::CookieFromBrowser(cookie);
        EngineCookieData data;
        data.name = Wide(f.name);
        data.value = Wide(f.value);
        data.domain = Wide(f.domain);
        data.path = Wide(f.path);
        data.expires = f.expires;
        data.http_only = f.http_only;
        data.secure = f.secure;
        data.same_site = static_cast<COREWEBVIEW2_COOKIE_SAME_SITE_KIND>(f.same_site);
        cookies.push_back(data);
      }
      auto list = ComPtr<ICoreWebView2CookieList>::Attach(new EngineCookieList(cookies));
      keep->Invoke(error.empty() ? S_OK : E_FAIL, list.get());
    }); });
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DeleteCookies(LPCWSTR name, LPCWSTR uri) override {
    if (name == nullptr) return E_INVALIDARG;
    Json::Value params = Object();
    params["name"] = Utf8(name);
    if (uri != nullptr && *uri != 0) {
      params["url"] = Utf8(uri);
      Write("Network.deleteCookies", params);
      return S_OK;
    }
    // Without an address, every cookie of that name in the profile: the browser deletes by
    // domain and path, so each is named so. The listing counts as a write until they are sent.
    ComPtr<ChromiumCookieManager> self(this);
    ++writing_;
    AllCookiesOr("", [self, params](const Json::Value& result, const std::string& error) {
      for (const Json::Value& cookie : error.empty() ? result["cookies"] : Json::Value()) {
        if (cookie["name"] != params["name"]) continue;
        Json::Value one = params;
        one["domain"] = cookie["domain"];
        one["path"] = cookie["path"];
        self->Write("Network.deleteCookies", one);
      }
      self->Written();
    });
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DeleteCookiesWithDomainAndPath(LPCWSTR name, LPCWSTR domain, LPCWSTR path) override {
    if (name == nullptr) return E_INVALIDARG;
    Json::Value params = Object();
    params["name"] = Utf8(name);
    if (domain != nullptr && *domain != 0) params["domain"] = Utf8(domain);
    if (path != nullptr && *path != 0) params["path"] = Utf8(path);
    Write("Network.deleteCookies", params);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DeleteAllCookies() override {
    Write("Network.clearBrowserCookies", Object());
    return S_OK;
  }

  // Runs work once every cookie change asked for so far is done. The browser takes each command
  // as it comes and answers a change only when it is made, so a listing or a navigation sent
  // right after a change could otherwise miss it.
  void AfterWrites(std::function<void()> work) {
    if (writing_ == 0) return work();
    after_writes_.push_back(std::move(work));
  }

 private:
  static std::string Take(ICoreWebView2Cookie* cookie, HRESULT (STDMETHODCALLTYPE ICoreWebView2Cookie::*get)(LPWSTR*)) {
    LPWSTR text = nullptr;
    if (FAILED((cookie->*get)(&text)) || text == nullptr) return "";
    std::string out = Utf8(text);
    CoTaskMemFree(text);
    return out;
  }
  // The cookies a page of url would send, or with no url every cookie of the profile.
  void AllCookiesOr(const std::string& url, DevToolsLink::Reply reply) {
    Json::Value params = Object();
    if (!url.empty()) {
      params["urls"].append(url);
      Link().Send("Network.getCookies", params, session_, std::move(reply));
    } else {
      params["browserContextId"] = context_;
      Link().Send("Storage.getCookies", params, "", std::move(reply));
    }
  }
  void Write(const std::string& method, const Json::Value& params, DevToolsLink::Reply then = {}) {
    ++writing_;
    ComPtr<ChromiumCookieManager> self(this);
    Link().Send(method, params, session_, [self, then](const Json::Value& result, const std::string& error) {
      if (then) then(result, error);
      self->Written();
    });
  }
  void Written() {
    if (--writing_ > 0) return;
    std::vector<std::function<void()>> ready;
    ready.swap(after_writes_);
    for (auto& work : ready) work();
  }
  std::string session_;
  std::string context_;
  int writing_ = 0;  // cookie changes sent and not yet answered
  std::vector<std::function<void()>> after_writes_;
};

RECT ClientBounds(HWND parent) {
  RECT bounds{0, 0, 800, 600};
  if (parent != nullptr) GetClientRect(parent, &bounds);
  return bounds;
}

Json::Value MetricsOf(RECT bounds) {
  Json::Value params = Object();
  // A size of zero would turn the override off; a hidden or collapsed window is one pixel.
  params["width"] = static_cast<int>(std::max<LONG>(1, bounds.right - bounds.left));
  params["height"] = static_cast<int>(std::max<LONG>(1, bounds.bottom - bounds.top));
  params["deviceScaleFactor"] = 1;
  params["mobile"] = false;
  return params;
}

}  // namespace

// ---- the views of this process

ChromiumViews& ChromiumViews::Get() {
  static ChromiumViews* views = new ChromiumViews();
  return *views;
}

ChromiumWebView* ChromiumViews::Find(const std::string& target) const {
  auto found = views_.find(target);
  return found == views_.end() ? nullptr : found->second;
}

ChromiumWebView* ChromiumViews::FindByName(const std::string& name) const {
  for (const auto& view : views_) {
    if (view.second->name() == name) return view.second;
  }
  return nullptr;
}

std::vector<std::string> ChromiumViews::Names() const {
  std::vector<std::string> names;
  for (const auto& view : views_) names.push_back(view.second->name());
  return names;
}

void ChromiumViews::ListenToBrowser() {
  if (listening_) return;
  listening_ = true;
  Link().Listen("", [this](const std::string& method, const Json::Value& params) {
    const Json::Value& info = params["targetInfo"];
    if (method == "Target.targetCreated" && info["type"].asString() == "page") {
      if (ChromiumWebView* opener = Find(info["openerId"].asString())) opener->OnOpenedTarget(info["targetId"].asString());
    } else if (method == "link.lost") {
      Note("the connection to the browser is gone");
    }
  });
  Json::Value discover = Object();
  discover["discover"] = true;
  Link().Send("Target.setDiscoverTargets", discover, "");
}

// ---- environment

HRESULT STDMETHODCALLTYPE ChromiumEnvironment::CreateCoreWebView2Controller(
    HWND parent, ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) {
  if (handler == nullptr) return E_POINTER;
  const RECT bounds = ClientBounds(parent);
  // Each page in a browser window of its own, so that hiding it (minimizing its window) hides
  // nothing else. Its size is set once it is attached.
  Json::Value params = Object();
  params["url"] = "about:blank";
  params["browserContextId"] = context_;
  params["newWindow"] = true;
  ComPtr<ICoreWebView2CreateCoreWebView2ControllerCompletedHandler> keep(handler);
  ComPtr<ChromiumEnvironment> self(this);
  auto fail = [keep](const std::string& step, const std::string& error) {
    Note(step + " failed: " + error);
    keep->Invoke(E_FAIL, nullptr);
  };
  Link().Send("Target.createTarget", params, "",
              [keep, self, parent, bounds, fail](const Json::Value& created, const std::string& error) {
    if (!error.empty()) return fail("creating a page", error);
    const std::string target = created["targetId"].asString();
    Json::Value attach = Object();
    attach["targetId"] = target;
    attach["flatten"] = true;
    Link().Send("Target.attachToTarget", attach, "",
                [keep, self, parent, bounds, target, fail](const Json::Value& attached, const std::string& error) {
      if (!error.empty()) return fail("attaching to the page", error);
      auto view = ComPtr<ChromiumWebView>::Attach(
          new ChromiumWebView(self.get(), parent, target, attached["sessionId"].asString()));
      view->Start(bounds, [keep, view, parent, bounds](HRESULT result) {
        if (FAILED(result)) {
          view->Close();
          keep->Invoke(result, nullptr);
          return;
        }
        view->AddRef();  // the controller's reference
        auto controller = ComPtr<ICoreWebView2Controller>::Attach(new ChromiumController(parent, view.get(), bounds));
        keep->Invoke(S_OK, controller.get());
      });
    });
  });
  return S_OK;
}

HRESULT STDMETHODCALLTYPE ChromiumEnvironment::get_BrowserVersionString(LPWSTR* version) {
  return OutString(Wide(Link().browser_version()), version);
}

HRESULT STDMETHODCALLTYPE ChromiumEnvironment::CreateWebResourceResponse(
    IStream* content, int status, LPCWSTR reason, LPCWSTR headers, ICoreWebView2WebResourceResponse** response) {
  if (response == nullptr) return E_POINTER;
  *response = new EngineResponse(content, status, reason != nullptr ? reason : L"", headers != nullptr ? headers : L"");
  return S_OK;
}

// ---- settings

void ChromiumSettings::Changed(const char* name) {
  if (std::string(name) == "IsScriptEnabled") {
    Json::Value params = Object();
    params["value"] = IsScriptEnabled_ == FALSE;
    Link().Send("Emulation.setScriptExecutionDisabled", params, session_);
  }
}

HRESULT STDMETHODCALLTYPE ChromiumSettings::put_UserAgent(LPCWSTR value) {
  user_agent_ = value != nullptr ? value : L"";
  Json::Value params = Object();
  params["userAgent"] = Utf8(user_agent_.c_str());
  Link().Send("Emulation.setUserAgentOverride", params, session_);
  return S_OK;
}

// ---- web view

ChromiumWebView::ChromiumWebView(ChromiumEnvironment* environment, HWND parent, std::string target, std::string session)
    : environment_(environment),
      parent_(parent),
      name_(std::to_string(WindowHandleValue(parent))),
      target_(std::move(target)),
      session_(std::move(session)),
      settings_(new ChromiumSettings(session_)) {
  ChromiumViews::Get().Add(target_, this);
  Link().Listen(session_, [this](const std::string& method, const Json::Value& params) { OnEvent(method, params); });
}

ChromiumWebView::~ChromiumWebView() {
  Close();
  settings_->Release();
  if (cookie_manager_ != nullptr) cookie_manager_->Release();
}

void ChromiumWebView::Start(RECT bounds, std::function<void(HRESULT)> done) {
  auto first_error = std::make_shared<std::string>();
  auto note = [first_error](const Json::Value&, const std::string& error) {
    if (!error.empty() && first_error->empty()) *first_error = error;
  };
  Link().Send("Page.enable", Object(), session_, note);
  Link().Send("Network.enable", Object(), session_, note);
  // A page's content security policy governs the page's own requests; the bridge to the
  // host's objects is not one of them.
  Json::Value bypass = Object();
  bypass["enabled"] = true;
  Link().Send("Page.setBypassCSP", bypass, session_, note);
  Json::Value bridge = Object();
  bridge["source"] = devtools::kBridgeScript;
  Link().Send("Page.addScriptToEvaluateOnNewDocument", bridge, session_, note);
  UpdateInterception();
  Link().Send("Emulation.setDeviceMetricsOverride", MetricsOf(bounds), session_,
              [first_error, done](const Json::Value&, const std::string& error) {
                if (!error.empty() && first_error->empty()) *first_error = error;
                if (!first_error->empty()) Note("preparing the page failed: " + *first_error);
                done(first_error->empty() ? S_OK : E_FAIL);
              });
}

void ChromiumWebView::Close() {
  if (closed_) return;
  closed_ = true;
  Link().Forget(session_);
  ChromiumViews::Get().Remove(target_);
  Json::Value params = Object();
  params["targetId"] = target_;
  Link().Send("Target.closeTarget", params, "");
}

void ChromiumWebView::SetBounds(RECT bounds) {
  if (!closed_) Link().Send("Emulation.setDeviceMetricsOverride", MetricsOf(bounds), session_);
}

void ChromiumWebView::SetVisible(bool visible) {
  // A hidden web view is a minimized window: its document is "hidden" to its script, as a
  // hidden WebView2 control's is.
  if (closed_) return;
  Json::Value params = Object();
  params["targetId"] = target_;
  Link().Send("Browser.getWindowForTarget", params, "", [visible](const Json::Value& window, const std::string& error) {
    if (!error.empty()) return Note("no window for a page: " + error);
    Json::Value bounds = Object();
    bounds["windowId"] = window["windowId"];
    bounds["bounds"]["windowState"] = visible ? "normal" : "minimized";
    Link().Send("Browser.setWindowBounds", bounds, "");
  });
}

void ChromiumWebView::UpdateInterception() {
  // Every document of the main frame is held until NavigationStarting has been raised for it
  // (so the host can cancel it), the bridge's calls are answered by the engine, and the host's
  // own filters decide the rest.
  Json::Value params = Object();
  Json::Value& patterns = params["patterns"];
  Json::Value bridge = Object();
  bridge["urlPattern"] = std::string(devtools::kBridgeOrigin) + "/*";
  bridge["requestStage"] = "Request";
  patterns.append(bridge);
  Json::Value documents = Object();
  documents["urlPattern"] = "*";
  documents["resourceType"] = "Document";
  documents["requestStage"] = "Request";
  patterns.append(documents);
  for (const Filter& filter : filters_) {
    Json::Value pattern = Object();
    pattern["urlPattern"] = filter.uri;
    const std::string type = devtools::ResourceTypeOfContext(filter.context);
    if (!type.empty()) pattern["resourceType"] = type;
    pattern["requestStage"] = "Request";
    patterns.append(pattern);
  }
  Link().Send("Fetch.enable", params, session_, [](const Json::Value&, const std::string& error) {
    if (!error.empty()) Note("intercepting requests failed: " + error);
  });
}

template <typename Handler>
HRESULT ChromiumWebView::Add(Handlers<Handler>& handlers, Handler* handler, EventRegistrationToken* token) {
  if (handler == nullptr || token == nullptr) return E_POINTER;
  token->value = next_token_++;
  handlers[token->value] = ComPtr<Handler>(handler);
  return S_OK;
}

#define CHROMIUM_EVENT(Event, Handler, map)                                                       \
  HRESULT STDMETHODCALLTYPE ChromiumWebView::add_##Event(Handler* h, EventRegistrationToken* t) { \
    return Add(map, h, t);                                                                        \
  }                                                                                               \
  HRESULT STDMETHODCALLTYPE ChromiumWebView::remove_##Event(EventRegistrationToken t) {          \
    map.erase(t.value);                                                                           \
    return S_OK;                                                                                  \
  }
CORVANE_WEBVIEW_EVENTS(CHROMIUM_EVENT)
#undef CHROMIUM_EVENT

HRESULT STDMETHODCALLTYPE ChromiumWebView::get_Settings(ICoreWebView2Settings** settings) {
  return OutObject(settings_, settings);
}

HRESULT STDMETHODCALLTYPE ChromiumWebView::get_Source(LPWSTR* uri) { return OutString(source_, uri); }

HRESULT STDMETHODCALLTYPE ChromiumWebView::Navigate(LPCWSTR uri) {
  if (uri == nullptr) return E_INVALIDARG;
  const std::string url = devtools::NavigableUrl(Utf8(uri));
  if (url.find(':') == std::string::npos) return E_INVALIDARG;  // not an absolute address
  Json::Value params = Object();
  params["url"] = url;
  ComPtr<ChromiumWebView> self(this);
  auto navigate = [self, params, url] {
    if (self->closed_) return;
    Link().Send("Page.navigate", params, self->session_, [self, url](const Json::Value& result, const std::string& error) {
      if (!error.empty()) Note("navigating to " + url + " failed: " + error);
      // A load refused before any request went out shows only here.
      const std::string failure = result["errorText"].asString();
      if (!failure.empty() && !self->closed_ && !self->load_failed_) {
        self->load_failed_ = true;
        self->load_status_ = devtools::WebErrorStatusOf(failure, false);
      }
    });
  };
  // Cookies the host set just before go with the request.
  if (cookie_manager_ != nullptr) {
    static_cast<ChromiumCookieManager*>(cookie_manager_)->AfterWrites(navigate);
  } else {
    navigate();
  }
  return S_OK;
}

HRESULT STDMETHODCALLTYPE ChromiumWebView::AddWebResourceRequestedFilter(const LPCWSTR uri,
                                                                         const COREWEBVIEW2_WEB_RESOURCE_CONTEXT context) {
  if (uri == nullptr) return E_INVALIDARG;
  filters_.push_back(Filter{Utf8(uri), context});
  UpdateInterception();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE ChromiumWebView::RemoveWebResourceRequestedFilter(const LPCWSTR uri,
                                                                            const COREWEBVIEW2_WEB_RESOURCE_CONTEXT context) {
  if (uri == nullptr) return E_INVALIDARG;
  const std::string text = Utf8(uri);
  for (size_t i = 0; i < filters_.size(); ++i) {
    if (filters_[i].uri == text && filters_[i].context == context) {
      filters_.erase(filters_.begin() + i);
      UpdateInterception();
      return S_OK;
    }
  }
  return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
}

HRESULT STDMETHODCALLTYPE ChromiumWebView::AddScriptToExecuteOnDocumentCreated(
    LPCWSTR script, ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler* handler) {
  if (script == nullptr) return E_INVALIDARG;
  Json::Value params = Object();
  params["source"] = Utf8(script);
  ComPtr<ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler> keep(handler);
  Link().Send("Page.addScriptToEvaluateOnNewDocument", params, session_,
              [keep](const Json::Value& result, const std::string& error) {
                if (!error.empty()) Note("adding a document script failed: " + error);
                if (keep) keep->Invoke(error.empty() ? S_OK : E_FAIL, Wide(result["identifier"].asString()).c_str());
              });
  return S_OK;
}

HRESULT STDMETHODCALLTYPE ChromiumWebView::ExecuteScript(LPCWSTR script, ICoreWebView2ExecuteScriptCompletedHandler* handler) {
  if (script == nullptr) return E_INVALIDARG;
  Json::Value params = Object();
  params["expression"] = Utf8(script);
  params["returnByValue"] = true;
  ComPtr<ICoreWebView2ExecuteScriptCompletedHandler> keep(handler);
  Link().Send("Runtime.evaluate", params, session_, [keep](const Json::Value& result, const std::string& error) {
    if (!keep) return;
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "";
    const Json::Value& value = result["result"]["value"];
    const std::string json = value.isNull() ? "null" : Json::writeString(builder, value);
    keep->Invoke(error.empty() ? S_OK : E_FAIL, Wide(json).c_str());
  });
  return S_OK;
}

HRESULT STDMETHODCALLTYPE ChromiumWebView::CapturePreview(COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT format, IStream* stream,
                                                          ICoreWebView2CapturePreviewCompletedHandler* handler) {
  if (stream == nullptr) return E_INVALIDARG;
  Json::Value params = Object();
  params["format"] = format == COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT_JPEG ? "jpeg" : "png";
  ComPtr<IStream> out(stream);
  ComPtr<ICoreWebView2CapturePreviewCompletedHandler> keep(handler);
  Link().Send("Page.captureScreenshot", params, session_, [out, keep](const Json::Value& result, const std::string& error) {
    HRESULT hr = E_FAIL;
    if (error.empty()) {
      const std::optional<std::string> image = Base64Decode(result["data"].asString());
      ULONG written = 0;
      if (image) hr = out->Write(image->data(), static_cast<ULONG>(image->size()), &written);
    }
    if (keep) keep->Invoke(hr);
  });
  return S_OK;
}

HRESULT STDMETHODCALLTYPE ChromiumWebView::get_BrowserProcessId(UINT32* value) {
  // The browser runs outside this system's process table; there is no process to name.
  return OutValue(value, 0);
}

HRESULT STDMETHODCALLTYPE ChromiumWebView::get_CanGoBack(BOOL* value) { return OutValue(value, can_go_back_); }
HRESULT STDMETHODCALLTYPE ChromiumWebView::get_CanGoForward(BOOL* value) { return OutValue(value, can_go_forward_); }

namespace {

// Moves through the page's history by step, when there is an entry there.
void GoInHistory(const std::string& session, int step) {
  Link().Send("Page.getNavigationHistory", Object(), session, [session, step](const Json::Value& history, const std::string& error) {
    if (!error.empty()) return;
    const int index = history["currentIndex"].asInt() + step;
    const Json::Value& entries = history["entries"];
    if (index < 0 || index >= static_cast<int>(entries.size())) return;
    Json::Value params = Object();
    params["entryId"] = entries[index]["id"];
    Link().Send("Page.navigateToHistoryEntry", params, session);
  });
}

}  // namespace

HRESULT STDMETHODCALLTYPE ChromiumWebView::GoBack() {
  GoInHistory(session_, -1);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE ChromiumWebView::GoForward() {
  GoInHistory(session_, 1);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE ChromiumWebView::Reload() {
  Link().Send("Page.reload", Object(), session_);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE ChromiumWebView::Stop() {
  Link().Send("Page.stopLoading", Object(), session_);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE ChromiumWebView::get_DocumentTitle(LPWSTR* title) { return OutString(title_, title); }

HRESULT STDMETHODCALLTYPE ChromiumWebView::AddHostObjectToScript(LPCWSTR name, VARIANT* object) {
  if (name == nullptr || object == nullptr) return E_INVALIDARG;
  ComPtr<IDispatch> dispatch;
  if (object->vt == VT_DISPATCH && object->pdispVal != nullptr) {
    dispatch = ComPtr<IDispatch>(object->pdispVal);
  } else if (object->vt == VT_UNKNOWN && object->punkVal != nullptr) {
    object->punkVal->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch.Put()));
  }
  if (!dispatch) return E_INVALIDARG;
  host_objects_[name] = dispatch;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE ChromiumWebView::RemoveHostObjectFromScript(LPCWSTR name) {
  if (name == nullptr) return E_INVALIDARG;
  return host_objects_.erase(name) != 0 ? S_OK : HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
}

HRESULT STDMETHODCALLTYPE ChromiumWebView::OpenDevToolsWindow() {
  // A headless browser has no window to open; its DevTools are its debugging port.
  return S_OK;
}

HRESULT STDMETHODCALLTYPE ChromiumWebView::get_CookieManager(ICoreWebView2CookieManager** manager) {
  if (manager == nullptr) return E_POINTER;
  if (cookie_manager_ == nullptr) cookie_manager_ = new ChromiumCookieManager(session_, environment_->context());
  return OutObject(cookie_manager_, manager);
}

HRESULT STDMETHODCALLTYPE ChromiumWebView::get_Environment(ICoreWebView2Environment** environment) {
  return OutObject(environment_.get(), environment);
}

HRESULT STDMETHODCALLTYPE ChromiumWebView::get_IsMuted(BOOL* value) { return OutValue(value, muted_); }

HRESULT STDMETHODCALLTYPE ChromiumWebView::put_IsMuted(BOOL value) {
  // A headless browser plays no sound; the state is kept for the host to read back.
  muted_ = value;
  return S_OK;
}

// ---- events from the page

void ChromiumWebView::OnEvent(const std::string& method, const Json::Value& params) {
  if (closed_) return;
  ComPtr<ChromiumWebView> keep(this);  // a handler may close the window
  if (method == "Fetch.requestPaused") {
    OnRequestPaused(params);
  } else if (method == "Network.requestWillBeSent") {
    if (params["type"].asString() == "Document") {
      document_frames_[params["requestId"].asString()] = params["frameId"].asString();
      if (params["frameId"].asString() == target_) latest_document_ = params["requestId"].asString();
    }
  } else if (method == "Network.loadingFailed") {
    auto document = document_frames_.find(params["requestId"].asString());
    if (document == document_frames_.end()) return;
    const std::string frame = document->second;
    document_frames_.erase(document);
    if (params["canceled"].asBool()) {
      // Stopped, or answered with nothing to show: the navigation ends unsuccessfully. One
      // the engine canceled itself was already reported; one replaced by a newer load ends
      // with that load.
      const std::string request = params["requestId"].asString();
      if (frame == target_ && request == latest_document_ && canceled_by_engine_.erase(request) == 0) {
        RaiseNavigationCompleted(false, false, devtools::WebErrorStatusOf("", true));
      }
      canceled_by_engine_.erase(request);
      return;
    }
    const int status = devtools::WebErrorStatusOf(params["errorText"].asString(), false);
    if (frame == target_) {
      load_failed_ = true;
      load_status_ = status;
    } else {
      frame_failures_[frame] = status;
    }
  } else if (method == "Network.loadingFinished") {
    document_frames_.erase(params["requestId"].asString());
  } else if (method == "Page.frameNavigated") {
    const Json::Value& frame = params["frame"];
    if (frame.isMember("parentId")) return;
    const bool error_page = frame.isMember("unreachableUrl");
    if (error_page && !load_failed_) {
      load_failed_ = true;
      load_status_ = 0;
    }
    // The source changes with the address, not with a reload of the same one.
    const std::wstring source = Wide(error_page ? frame["unreachableUrl"].asString() : frame["url"].asString());
    if (source != source_) {
      source_ = source;
      RaiseSourceChanged(true);
    }
    auto args = ComPtr<ICoreWebView2ContentLoadingEventArgs>::Attach(new ContentLoadingArgs(error_page));
    RaiseAll(content_loading_, static_cast<ICoreWebView2*>(this), args.get());
  } else if (method == "Page.navigatedWithinDocument") {
    if (params["frameId"].asString() != target_) return;
    source_ = Wide(params["url"].asString());
    RaiseSourceChanged(false);
  } else if (method == "Page.loadEventFired") {
    const bool success = !load_failed_;
    const int status = load_status_;
    load_failed_ = false;
    load_status_ = 0;
    RaiseNavigationCompleted(false, success, status);
    ComPtr<ChromiumWebView> self(this);
    Link().Send("Page.getNavigationHistory", Object(), session_, [self](const Json::Value& history, const std::string& error) {
      if (!error.empty()) return;
      const int index = history["currentIndex"].asInt();
      self->can_go_back_ = index > 0;
      self->can_go_forward_ = index + 1 < static_cast<int>(history["entries"].size());
    });
  } else if (method == "Page.frameStoppedLoading") {
    const std::string frame = params["frameId"].asString();
    if (frame == target_) return;
    auto failure = frame_failures_.find(frame);
    const int status = failure == frame_failures_.end() ? 0 : failure->second;
    if (failure != frame_failures_.end()) frame_failures_.erase(failure);
    RaiseNavigationCompleted(true, status == 0, status);
  } else if (method == "Page.frameStartedNavigating") {
    // Addresses the browser loads without a request (data:, about:, blob:) are never held at
    // the request stage; their NavigationStarting is raised here.
    const std::string url = params["url"].asString();
    const std::string type = params["navigationType"].asString();
    if (params["frameId"].asString() != target_ || devtools::LoadsWithARequest(url) || type == "sameDocument" ||
        type == "historySameDocument") {
      return;
    }
    bool cancel = false;
    load_failed_ = false;
    load_status_ = 0;
    RaiseNavigationStarting(url, &cancel);
    if (cancel && !closed_) {
      Link().Send("Page.stopLoading", Object(), session_);
      RaiseNavigationCompleted(false, false, devtools::WebErrorStatusOf("", true));
    }
  } else if (method == "Page.windowOpen") {
    auto* raw = new NewWindowArgs(Wide(params["url"].asString()));
    auto args = ComPtr<ICoreWebView2NewWindowRequestedEventArgs>::Attach(raw);
    RaiseAll(new_window_requested_, static_cast<ICoreWebView2*>(this), args.get());
    // A handled request's window is not shown to anyone: the window the page opened for it
    // is closed. Requests and opened windows pair up in order, whichever comes first.
    if (!opened_targets_.empty()) {
      if (raw->handled_) CloseOpenedTarget(opened_targets_.front());
      opened_targets_.pop_front();
    } else {
      window_decisions_.push_back(raw->handled_ != FALSE);
    }
  } else if (method == "Page.javascriptDialogOpening") {
    // No one can answer a dialog of a headless page; it must not stop the page for ever.
    Json::Value answer = Object();
    answer["accept"] = true;
    Link().Send("Page.handleJavaScriptDialog", answer, session_);
  } else if (method == "Inspector.targetCrashed") {
    // The page's renderer is gone, as a WebView2 reports it: the host decides what follows.
    Note("the page of window " + name_ + " crashed");
    auto args = ComPtr<ICoreWebView2ProcessFailedEventArgs>::Attach(
        new ProcessFailedArgs(COREWEBVIEW2_PROCESS_FAILED_KIND_RENDER_PROCESS_EXITED));
    RaiseAll(process_failed_, static_cast<ICoreWebView2*>(this), args.get());
  }
}

void ChromiumWebView::SetTitle(const std::string& text) {
  // A document without a title is known by its address, as a browser's tab shows it.
  const std::wstring title = text.empty() ? source_ : Wide(text);
  if (title == title_) return;
  title_ = title;
  ComPtr<ChromiumWebView> keep(this);
  RaiseAll(title_changed_, static_cast<ICoreWebView2*>(this), static_cast<IUnknown*>(nullptr));
}

void ChromiumWebView::OnOpenedTarget(const std::string& target) {
  if (window_decisions_.empty()) {
    opened_targets_.push_back(target);
    return;
  }
  if (window_decisions_.front()) CloseOpenedTarget(target);
  window_decisions_.pop_front();
}

void ChromiumWebView::CloseOpenedTarget(const std::string& target) {
  Json::Value params = Object();
  params["targetId"] = target;
  Link().Send("Target.closeTarget", params, "");
}

void ChromiumWebView::RaiseNavigationStarting(const std::string& url, bool* cancel) {
  auto* raw = new NavigationStartingArgs(Wide(url));
  auto args = ComPtr<ICoreWebView2NavigationStartingEventArgs>::Attach(raw);
  RaiseAll(navigation_starting_, static_cast<ICoreWebView2*>(this), args.get());
  *cancel = raw->cancel_ != FALSE;
}

void ChromiumWebView::RaiseNavigationCompleted(bool frame, bool success, int status) {
  auto args = ComPtr<ICoreWebView2NavigationCompletedEventArgs>::Attach(new NavigationCompletedArgs(success, status));
  RaiseAll(frame ? frame_navigation_completed_ : navigation_completed_, static_cast<ICoreWebView2*>(this), args.get());
}

void ChromiumWebView::RaiseSourceChanged(bool new_document) {
  auto args = ComPtr<ICoreWebView2SourceChangedEventArgs>::Attach(new SourceChangedArgs(new_document));
  RaiseAll(source_changed_, static_cast<ICoreWebView2*>(this), args.get());
}

DevToolsLink::Reply ChromiumWebView::GoneIfRefused(const std::string& request_id, const char* what) {
  // A request the browser would not take as given (a bad status or header) must still end,
  // or its page waits for it for ever.
  const std::string session = session_;
  const std::string doing = what;
  return [request_id, session, doing](const Json::Value&, const std::string& error) {
    if (error.empty()) return;
    Note(doing + " request " + request_id + " failed: " + error + "; it fails instead");
    Json::Value fail = Object();
    fail["requestId"] = request_id;
    fail["errorReason"] = "Failed";
    Link().Send("Fetch.failRequest", fail, session);
  };
}

namespace {

// A request's body: its text, or its parts (Base64) when the browser sends them so.
std::string PostData(const Json::Value& request) {
  if (request["postData"].isString()) return request["postData"].asString();
  std::string body;
  for (const Json::Value& entry : request["postDataEntries"]) {
    if (const std::optional<std::string> bytes = Base64Decode(entry["bytes"].asString())) body += *bytes;
  }
  return body;
}

}  // namespace

void ChromiumWebView::OnRequestPaused(const Json::Value& params) {
  const std::string request_id = params["requestId"].asString();
  const Json::Value& request = params["request"];
  const std::string url = request["url"].asString();
  const std::string type = params["resourceType"].asString();
  const std::string bridge = std::string(devtools::kBridgeOrigin) + "/";
  if (url.compare(0, bridge.size(), bridge) == 0) {
    if (params["frameId"].asString() != target_) {
      // Host objects are the top document's; a frame's page does not reach them.
      Fulfill(request_id, 200, "OK", {{"Access-Control-Allow-Origin", "*"}, {"Content-Type", "application/json"}},
              devtools::HostCallFailure("host objects are not available in frames"));
    } else if (url == bridge + "title") {
      Fulfill(request_id, 204, "No Content", {{"Access-Control-Allow-Origin", "*"}}, "");
      SetTitle(PostData(request));
    } else {
      AnswerHostCall(request_id, PostData(request));
    }
    return;
  }
  if (type == "Document" && params["frameId"].asString() == target_) {
    bool cancel = false;
    load_failed_ = false;
    load_status_ = 0;
    RaiseNavigationStarting(url, &cancel);
    if (closed_) return;
    if (cancel) {
      if (params.isMember("networkId")) canceled_by_engine_.insert(params["networkId"].asString());
      Json::Value fail = Object();
      fail["requestId"] = request_id;
      fail["errorReason"] = "Aborted";
      Link().Send("Fetch.failRequest", fail, session_);
      RaiseNavigationCompleted(false, false, devtools::WebErrorStatusOf("", true));
      return;
    }
  }
  if (ServeResource(request_id, request, type)) return;
  Json::Value go_on = Object();
  go_on["requestId"] = request_id;
  Link().Send("Fetch.continueRequest", go_on, session_);
}

bool ChromiumWebView::ServeResource(const std::string& request_id, const Json::Value& request, const std::string& type) {
  const std::string url = request["url"].asString();
  int context = -1;
  for (const Filter& filter : filters_) {
    if (devtools::WildcardMatch(filter.uri, url) && devtools::ContextIncludes(filter.context, type)) {
      context = filter.context;
      break;
    }
  }
  if (context < 0 || web_resource_requested_.empty()) return false;
  auto headers = ComPtr<ChromiumHeaders>::Attach(new ChromiumHeaders(request["headers"]));
  auto web_request = ComPtr<ICoreWebView2WebResourceRequest>::Attach(
      new ChromiumRequest(Wide(url), Wide(request["method"].asString()), headers.get(), PostData(request)));
  auto* raw = new EngineResourceArgs(web_request.get(), context);
  auto args = ComPtr<ICoreWebView2WebResourceRequestedEventArgs>::Attach(raw);
  RaiseAll(web_resource_requested_, static_cast<ICoreWebView2*>(this), args.get());
  if (closed_) return true;
  if (raw->response_) {
    // Responses come only from this engine's environment.
    const auto* response = static_cast<EngineResponse*>(raw->response_.get());
    Fulfill(request_id, response->status(), Utf8Of(response->reason()),
            devtools::HeaderLines(Utf8Of(response->headers())), response->Body());
    return true;
  }
  if (!headers->changed) return false;
  std::vector<std::pair<std::string, std::string>> changed;
  for (const auto& header : headers->items) changed.emplace_back(Utf8Of(header.first), Utf8Of(header.second));
  Json::Value go_on = Object();
  go_on["requestId"] = request_id;
  go_on["headers"] = HeaderArray(changed);
  Link().Send("Fetch.continueRequest", go_on, session_, GoneIfRefused(request_id, "sending on"));
  return true;
}

void ChromiumWebView::Fulfill(const std::string& request_id, int status, const std::string& reason,
                              const std::vector<std::pair<std::string, std::string>>& headers, const std::string& body) {
  Json::Value params = Object();
  params["requestId"] = request_id;
  params["responseCode"] = status;
  if (!reason.empty()) params["responsePhrase"] = reason;
  params["responseHeaders"] = HeaderArray(headers);
  params["body"] = Base64Encode(body);
  Link().Send("Fetch.fulfillRequest", params, session_, GoneIfRefused(request_id, "answering"));
}

void ChromiumWebView::AnswerHostCall(const std::string& request_id, const std::string& body) {
  static const std::vector<std::pair<std::string, std::string>> kHeaders = {
      {"Content-Type", "application/json; charset=utf-8"},
      {"Access-Control-Allow-Origin", "*"},
      {"Cache-Control", "no-store"},
  };
  std::string error;
  const std::optional<devtools::HostCall> call = devtools::ParseHostCall(body, &error);
  if (!call) return Fulfill(request_id, 200, "OK", kHeaders, devtools::HostCallFailure(error));
  auto object = host_objects_.find(Wide(call->object));
  if (object == host_objects_.end() || !settings_->AreHostObjectsAllowed_) {
    return Fulfill(request_id, 200, "OK", kHeaders, devtools::HostCallFailure("no host object named " + call->object));
  }
  ComPtr<IDispatch> target = object->second;  // the call may remove it from the table
  std::wstring member = Wide(call->member);
  LPOLESTR names[] = {member.data()};
  DISPID id = DISPID_VALUE;
  if (!call->member.empty() && FAILED(target->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) {
    return Fulfill(request_id, 200, "OK", kHeaders,
                   devtools::HostCallFailure(call->object + " has no member " + call->member));
  }
  std::vector<VARIANT> arguments(call->arguments.size());
  for (size_t i = 0; i < call->arguments.size(); ++i) {
    // DISPPARAMS holds the arguments last first.
    ToVariant(call->arguments[i], this, &arguments[call->arguments.size() - 1 - i]);
  }
  DISPPARAMS params{arguments.data(), nullptr, static_cast<UINT>(arguments.size()), 0};
  VARIANT result;
  VariantInit(&result);
  EXCEPINFO exception{};
  UINT argument_error = 0;
  ++host_call_depth_;
  const HRESULT hr = target->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT,
                                    call->method ? DISPATCH_METHOD | DISPATCH_PROPERTYGET : DISPATCH_PROPERTYGET,
                                    &params, &result, &exception, &argument_error);
  --host_call_depth_;
  for (VARIANT& argument : arguments) VariantClear(&argument);
  std::string answer;
  if (SUCCEEDED(hr)) {
    answer = devtools::HostCallAnswer(FromVariant(result));
  } else {
    std::string message;
    if (exception.bstrDescription != nullptr) message = Utf8(exception.bstrDescription);
    if (message.empty() && result.vt == VT_BSTR && result.bstrVal != nullptr) message = Utf8(result.bstrVal);
    if (message.empty()) {
      char code[32];
      std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
      message = call->object + "." + call->member + " failed (" + code + ")";
    }
    answer = devtools::HostCallFailure(message);
  }
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrHelpFile);
  VariantClear(&result);
  if (!closed_) Fulfill(request_id, 200, "OK", kHeaders, answer);
}

bool ChromiumWebView::CallPageObject(const std::string& id, const std::vector<ScriptValue>& arguments,
                                     ScriptValue* value, std::string* error) {
  if (closed_) {
    *error = "the page's window is closed";
    return false;
  }
  if (host_call_depth_ > 0) {
    // The page waits for the host's answer to its own call and cannot run anything else
    // until it has it: calling it back now would wait for ever.
    *error = "the page is waiting for the host's answer and cannot be called back until it has it";
    return false;
  }
  Json::Value params = Object();
  params["expression"] = devtools::PageObjectCall(id, arguments);
  params["returnByValue"] = true;
  Json::Value result;
  if (!Link().Call("Runtime.evaluate", params, session_, kPageCallTimeoutMs, &result, error)) return false;
  if (result.isMember("exceptionDetails")) {
    const Json::Value& details = result["exceptionDetails"];
    *error = details["exception"]["description"].isString() ? details["exception"]["description"].asString()
                                                            : details["text"].asString();
    return false;
  }
  *value = devtools::FromRemoteObject(result["result"]);
  return true;
}

void ChromiumWebView::ReleasePageObject(const std::string& id) {
  if (closed_) return;
  Json::Value params = Object();
  params["expression"] = devtools::PageObjectRelease(id);
  Link().Send("Runtime.evaluate", params, session_);
}

std::string ChromiumWebView::SaveScreenshot(const std::wstring& path) {
  Json::Value params = Object();
  params["format"] = "png";
  Json::Value result;
  std::string error;
  if (!Link().Call("Page.captureScreenshot", params, session_, kPageCallTimeoutMs, &result, &error)) return error;
  const std::optional<std::string> image = Base64Decode(result["data"].asString());
  if (!image) return "the browser's image is not Base64";
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "cannot write " + Utf8Of(path);
  DWORD written = 0;
  const bool ok = WriteFile(file, image->data(), static_cast<DWORD>(image->size()), &written, nullptr) &&
                  written == image->size();
  CloseHandle(file);
  return ok ? "" : "cannot write " + Utf8Of(path);
}

void ChromiumWebView::CrashRenderer() { Link().Send("Page.crash", Object(), session_); }

std::string ChromiumWebView::Evaluate(const std::string& expression) {
  Json::Value params = Object();
  params["expression"] = expression;
  params["returnByValue"] = true;
  params["awaitPromise"] = true;
  Json::Value result;
  std::string error;
  if (!Link().Call("Runtime.evaluate", params, session_, kPageCallTimeoutMs, &result, &error)) return "error: " + error;
  if (result.isMember("exceptionDetails")) return "error: " + result["exceptionDetails"]["text"].asString();
  Json::StreamWriterBuilder builder;
  builder["indentation"] = "";
  builder["emitUTF8"] = true;
  return Json::writeString(builder, result["result"]["value"]);
}

// ---- controller

HRESULT STDMETHODCALLTYPE ChromiumController::put_IsVisible(BOOL visible) {
  if ((visible_ != FALSE) != (visible != FALSE)) webview_->SetVisible(visible != FALSE);
  visible_ = visible;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE ChromiumController::put_Bounds(RECT bounds) {
  bounds_ = bounds;
  webview_->SetBounds(bounds);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE ChromiumController::Close() {
  webview_->Close();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE ChromiumController::get_CoreWebView2(ICoreWebView2** webview) {
  return OutObject(static_cast<ICoreWebView2*>(webview_), webview);
}

ChromiumController::~ChromiumController() { webview_->Release(); }
