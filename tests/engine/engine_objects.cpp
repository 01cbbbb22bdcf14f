#include "engine_objects.h"

#include <cstdio>

#include "webview2common/window_handle_win.h"


// ---- settings

HRESULT EngineSettings::Put(const char* name, BOOL value) {
  Engine::Get().Record(view_ + " Settings." + name + "=" + std::to_string(value));
  return S_OK;
}

HRESULT STDMETHODCALLTYPE EngineSettings::put_UserAgent(LPCWSTR value) {
  Engine::Get().Record(view_ + " Settings.UserAgent=" + Utf8(value));
  return S_OK;
}

// ---- web view

EngineWebView::EngineWebView(HWND window, ICoreWebView2Environment* environment)
    : window_(window),
      name_(std::to_string(WindowHandleValue(window))),
      environment_(environment),
      settings_(new EngineSettings(name_)) {
  Engine::Get().views[window_] = this;
}

EngineWebView::~EngineWebView() {
  settings_->Release();
  if (cookie_manager_ != nullptr) cookie_manager_->Release();
  auto& views = Engine::Get().views;
  auto it = views.find(window_);
  if (it != views.end() && it->second == this) views.erase(it);
}

void EngineWebView::Log(const std::string& text) { Engine::Get().Record(name_ + " " + text); }

template <typename Handler>
HRESULT EngineWebView::Add(std::map<INT64, ComPtr<Handler>>& handlers, const char* event,
                           Handler* handler, EventRegistrationToken* token) {
  if (handler == nullptr || token == nullptr) return E_POINTER;
  token->value = next_token_++;
  handlers[token->value] = ComPtr<Handler>(handler);
  Log(std::string("add_") + event + " token=" + std::to_string(token->value));
  return S_OK;
}

template <typename Handler>
HRESULT EngineWebView::Remove(std::map<INT64, ComPtr<Handler>>& handlers, const char* event,
                              EventRegistrationToken token) {
  const bool found = handlers.erase(token.value) != 0;
  Log(std::string("remove_") + event + " token=" + std::to_string(token.value) +
      (found ? "" : " (unknown)"));
  return S_OK;
}

#define ENGINE_EVENT(Event, Handler, map)                                                          \
  HRESULT STDMETHODCALLTYPE EngineWebView::add_##Event(Handler* h, EventRegistrationToken* t) {   \
    return Add(map, #Event, h, t);                                                                 \
  }                                                                                                \
  HRESULT STDMETHODCALLTYPE EngineWebView::remove_##Event(EventRegistrationToken t) {             \
    while (Engine::Get().hang_on_remove) Sleep(1000);                                              \
    return Remove(map, #Event, t);                                                                 \
  }
CORVANE_WEBVIEW_EVENTS(ENGINE_EVENT)
#undef ENGINE_EVENT

HRESULT STDMETHODCALLTYPE EngineWebView::get_Settings(ICoreWebView2Settings** settings) {
  if (settings == nullptr) return E_POINTER;
  settings_->AddRef();
  *settings = settings_;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE EngineWebView::get_Source(LPWSTR* uri) {
  return OutString(source_, uri);
}

HRESULT STDMETHODCALLTYPE EngineWebView::Navigate(LPCWSTR uri) {
  Log("Navigate " + Utf8(uri));
  const HRESULT result = Engine::Get().navigate_result;
  if (SUCCEEDED(result) && uri != nullptr) source_ = uri;
  return result;
}

HRESULT STDMETHODCALLTYPE EngineWebView::AddWebResourceRequestedFilter(
    const LPCWSTR uri, const COREWEBVIEW2_WEB_RESOURCE_CONTEXT context) {
  Log("AddWebResourceRequestedFilter " + Utf8(uri) + " " + std::to_string(context));
  return S_OK;
}

HRESULT STDMETHODCALLTYPE EngineWebView::AddScriptToExecuteOnDocumentCreated(
    LPCWSTR script, ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler* handler) {
  std::string text = Utf8(script);
  for (char& c : text) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  Log("AddScriptToExecuteOnDocumentCreated handler=" + std::string(handler ? "1" : "0") + " " + text);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE EngineWebView::get_BrowserProcessId(UINT32* value) {
  if (value == nullptr) return E_POINTER;
  *value = 4242;
  Log("get_BrowserProcessId");
  return S_OK;
}

HRESULT STDMETHODCALLTYPE EngineWebView::GoBack() { Log("GoBack"); return S_OK; }
HRESULT STDMETHODCALLTYPE EngineWebView::GoForward() { Log("GoForward"); return S_OK; }
HRESULT STDMETHODCALLTYPE EngineWebView::Reload() { Log("Reload"); return S_OK; }
HRESULT STDMETHODCALLTYPE EngineWebView::Stop() { Log("Stop"); return S_OK; }
HRESULT STDMETHODCALLTYPE EngineWebView::OpenDevToolsWindow() { Log("OpenDevToolsWindow"); return S_OK; }

HRESULT STDMETHODCALLTYPE EngineWebView::get_DocumentTitle(LPWSTR* title) {
  return OutString(title_, title);
}

HRESULT STDMETHODCALLTYPE EngineWebView::AddHostObjectToScript(LPCWSTR name, VARIANT* object) {
  if (name == nullptr || object == nullptr) return E_INVALIDARG;
  Log("AddHostObjectToScript " + Utf8(name) + " vt=" + std::to_string(object->vt));
  if (object->vt == VT_DISPATCH) host_objects_[name] = ComPtr<IDispatch>(object->pdispVal);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE EngineWebView::RemoveHostObjectFromScript(LPCWSTR name) {
  Log("RemoveHostObjectFromScript " + Utf8(name));
  if (name != nullptr) host_objects_.erase(name);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE EngineWebView::get_CookieManager(ICoreWebView2CookieManager** manager) {
  if (manager == nullptr) return E_POINTER;
  Log("get_CookieManager");
  Cookies();
  cookie_manager_->AddRef();
  *manager = cookie_manager_;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE EngineWebView::get_Environment(ICoreWebView2Environment** environment) {
  if (environment == nullptr) return E_POINTER;
  *environment = environment_.get();
  if (*environment != nullptr) (*environment)->AddRef();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE EngineWebView::get_IsMuted(BOOL* value) {
  if (value == nullptr) return E_POINTER;
  *value = muted_;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE EngineWebView::put_IsMuted(BOOL value) {
  muted_ = value;
  Log("put_IsMuted " + std::to_string(value));
  return S_OK;
}

std::string EngineWebView::RaiseNavigationStarting(const std::wstring& uri) {
  auto args = ComPtr<ICoreWebView2NavigationStartingEventArgs>::Attach(new NavigationStartingArgs(uri));
  RaiseAll(navigation_starting_, static_cast<ICoreWebView2*>(this), args.get());
  return "ok";
}

std::string EngineWebView::RaiseNavigationCompleted(bool frame, bool success, int status) {
  auto args = ComPtr<ICoreWebView2NavigationCompletedEventArgs>::Attach(
      new NavigationCompletedArgs(success, status));
  if (success && !frame) RaiseAll(content_loading_, static_cast<ICoreWebView2*>(this),
                                  static_cast<ICoreWebView2ContentLoadingEventArgs*>(nullptr));
  RaiseAll(frame ? frame_navigation_completed_ : navigation_completed_,
           static_cast<ICoreWebView2*>(this), args.get());
  return "ok";
}

std::string EngineWebView::RaiseSourceChanged(const std::wstring& uri, bool new_document) {
  source_ = uri;
  auto args = ComPtr<ICoreWebView2SourceChangedEventArgs>::Attach(new SourceChangedArgs(new_document));
  RaiseAll(source_changed_, static_cast<ICoreWebView2*>(this), args.get());
  return "ok";
}

std::string EngineWebView::RaiseProcessFailed(int kind) {
  auto args = ComPtr<ICoreWebView2ProcessFailedEventArgs>::Attach(new ProcessFailedArgs(kind));
  RaiseAll(process_failed_, static_cast<ICoreWebView2*>(this), args.get());
  return "ok";
}

std::string EngineWebView::RaiseTitleChanged(const std::wstring& title) {
  title_ = title;
  RaiseAll(title_changed_, static_cast<ICoreWebView2*>(this), static_cast<IUnknown*>(nullptr));
  return "ok";
}

std::string EngineWebView::RaiseNewWindow(const std::wstring& uri) {
  auto* raw = new NewWindowArgs(uri);
  auto args = ComPtr<ICoreWebView2NewWindowRequestedEventArgs>::Attach(raw);
  RaiseAll(new_window_requested_, static_cast<ICoreWebView2*>(this), args.get());
  return "handled=" + std::to_string(raw->handled_);
}

// ---- page script

namespace {

std::string VariantText(const VARIANT& value) {
  if (value.vt == VT_EMPTY) return "empty";
  VARIANT text;
  VariantInit(&text);
  std::string out = std::to_string(value.vt) + ":";
  if (SUCCEEDED(VariantChangeType(&text, const_cast<VARIANT*>(&value), 0, VT_BSTR))) {
    out += Utf8(text.bstrVal != nullptr ? text.bstrVal : L"");
  }
  VariantClear(&text);
  return out;
}

}  // namespace

HRESULT STDMETHODCALLTYPE EnginePageFunction::QueryInterface(REFIID riid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDispatch)) return E_NOINTERFACE;
  *out = static_cast<IDispatch*>(this);
  AddRef();
  return S_OK;
}

ULONG STDMETHODCALLTYPE EnginePageFunction::Release() {
  const LONG left = InterlockedDecrement(&refs_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT STDMETHODCALLTYPE EnginePageFunction::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE EnginePageFunction::Invoke(DISPID id, REFIID, LCID locale, WORD flags,
                                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO*, UINT*) {
  std::string line = view_ + " page-function " + name_ + "(";
  const UINT count = params != nullptr ? params->cArgs : 0;
  for (UINT i = 0; i < count; ++i) {
    if (i > 0) line += "|";
    line += VariantText(params->rgvarg[count - 1 - i]);
  }
  line += ") dispid=" + std::to_string(id) + " locale=" + std::to_string(locale) +
          " flags=" + std::to_string(flags);
  Engine::Get().Record(line);
  if (name_.rfind("slow", 0) == 0) {
    // A real page function runs in the browser process: the caller's thread keeps handling
    // window messages (the parent's commands among them) until it returns.
    const DWORD until = GetTickCount() + 500;
    MSG msg;
    bool quit = false;
    while (!quit && static_cast<LONG>(until - GetTickCount()) > 0) {
      while (!quit && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
          PostQuitMessage(static_cast<int>(msg.wParam));  // left for the caller's loop
          quit = true;
          break;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      if (!quit) MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    Engine::Get().Record(view_ + " page-function " + name_ + " returned");
  }
  if (!name_.empty() && name_.back() == '!') return E_FAIL;
  if (result != nullptr) {
    VariantClear(result);
    result->vt = VT_BSTR;
    result->bstrVal = SysAllocString(Wide(name_ + " result").c_str());
  }
  return S_OK;
}

std::string EngineWebView::CallHostObject(const std::wstring& object, const std::wstring& method,
                                          const std::vector<std::string>& arguments, bool method_call) {
  auto it = host_objects_.find(object);
  if (it == host_objects_.end()) return "error: the page has no " + Utf8(object.c_str());
  ComPtr<IDispatch> target = it->second;
  LPOLESTR name = const_cast<LPOLESTR>(method.c_str());
  DISPID dispid = DISPID_UNKNOWN;
  HRESULT hr = target->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &dispid);
  char text[64];
  if (FAILED(hr)) {
    std::snprintf(text, sizeof text, "names hr=0x%08lX", static_cast<unsigned long>(hr));
    return text;
  }
  // Script arguments, typed by their prefix: s: text, i: integer, d: number, b: boolean,
  // f: a page function (one object per name).
  std::vector<VARIANT> block(arguments.size());
  for (size_t i = 0; i < arguments.size(); ++i) {
    VARIANT& arg = block[arguments.size() - 1 - i];
    VariantInit(&arg);
    const std::string& a = arguments[i];
    const std::string value = a.size() >= 2 ? a.substr(2) : std::string();
    const char kind = a.empty() ? 's' : a[0];
    if (kind == 'i') {
      arg.vt = VT_I4;
      arg.lVal = std::atoi(value.c_str());
    } else if (kind == 'd') {
      arg.vt = VT_R8;
      arg.dblVal = std::atof(value.c_str());
    } else if (kind == 'b') {
      arg.vt = VT_BOOL;
      arg.boolVal = value == "1" ? VARIANT_TRUE : VARIANT_FALSE;
    } else if (kind == 'f') {
      auto& function = page_functions_[value];
      if (!function) function = ComPtr<IDispatch>::Attach(new EnginePageFunction(name_, value));
      arg.vt = VT_DISPATCH;
      arg.pdispVal = function.get();
      arg.pdispVal->AddRef();
    } else {
      arg.vt = VT_BSTR;
      arg.bstrVal = SysAllocString(Wide(value).c_str());
    }
  }
  DISPPARAMS params{block.empty() ? nullptr : block.data(), nullptr, static_cast<UINT>(block.size()), 0};
  VARIANT result;
  VariantInit(&result);
  EXCEPINFO exception{};
  UINT argument_error = 0;
  hr = target->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT,
                      method_call ? DISPATCH_METHOD : DISPATCH_PROPERTYGET, &params, &result,
                      &exception, &argument_error);
  std::snprintf(text, sizeof text, "hr=0x%08lX dispid=%ld", static_cast<unsigned long>(hr),
                static_cast<long>(dispid));
  std::string answer = std::string(text) + " result=" + VariantText(result);
  Engine::Get().Record(name_ + " script " + Utf8(method.c_str()) + " returned");
  if (exception.bstrDescription != nullptr) {
    std::snprintf(text, sizeof text, " scode=0x%08lX", static_cast<unsigned long>(exception.scode));
    answer += std::string(text) + " description=" + Utf8(exception.bstrDescription);
  }
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrHelpFile);
  VariantClear(&result);
  for (VARIANT& arg : block) VariantClear(&arg);
  return answer;
}

// ---- controller

EngineController::EngineController(HWND window, EngineWebView* webview)
    : window_(window), webview_(webview) {
  webview_->AddRef();
}

EngineController::~EngineController() { webview_->Release(); }

HRESULT STDMETHODCALLTYPE EngineController::get_IsVisible(BOOL* visible) {
  if (visible == nullptr) return E_POINTER;
  *visible = visible_;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE EngineController::put_IsVisible(BOOL visible) {
  visible_ = visible;
  Engine::Get().Record(webview_->name() + " put_IsVisible " + std::to_string(visible));
  return S_OK;
}

HRESULT STDMETHODCALLTYPE EngineController::get_Bounds(RECT* bounds) {
  if (bounds == nullptr) return E_POINTER;
  *bounds = bounds_;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE EngineController::put_Bounds(RECT bounds) {
  bounds_ = bounds;
  Engine::Get().Record(webview_->name() + " put_Bounds " + std::to_string(bounds.left) + "," +
                       std::to_string(bounds.top) + "," + std::to_string(bounds.right) + "," +
                       std::to_string(bounds.bottom));
  return S_OK;
}

HRESULT STDMETHODCALLTYPE EngineController::get_ParentWindow(HWND* window) {
  if (window == nullptr) return E_POINTER;
  *window = window_;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE EngineController::Close() {
  Engine::Get().Record(webview_->name() + " Controller.Close");
  return S_OK;
}

HRESULT STDMETHODCALLTYPE EngineController::get_CoreWebView2(ICoreWebView2** webview) {
  if (webview == nullptr) return E_POINTER;
  webview_->AddRef();
  *webview = webview_;
  return S_OK;
}

// ---- environment

EngineEnvironment::EngineEnvironment(std::wstring user_data_folder)
    : user_data_folder_(std::move(user_data_folder)) {}

HRESULT STDMETHODCALLTYPE EngineEnvironment::CreateCoreWebView2Controller(
    HWND parent, ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) {
  if (handler == nullptr) return E_POINTER;
  Engine::Get().Record("CreateCoreWebView2Controller window=" +
                       std::to_string(WindowHandleValue(parent)) +
                       " userDataFolder=" + Utf8(user_data_folder_.c_str()));
  Engine::Get().CrashAt("create-controller");
  if (FAILED(Engine::Get().controller_request_result)) return Engine::Get().controller_request_result;
  ComPtr<ICoreWebView2CreateCoreWebView2ControllerCompletedHandler> keep(handler);
  ComPtr<ICoreWebView2Environment> self(this);
  // Completion comes later, on the UI thread, as the real runtime does it.
  Engine::Get().Post([keep, self, parent] {
    const HRESULT result = Engine::Get().controller_result;
    if (FAILED(result)) {
      keep->Invoke(result, nullptr);
      return;
    }
    auto webview = ComPtr<EngineWebView>::Attach(new EngineWebView(parent, self.get()));
    auto controller = ComPtr<ICoreWebView2Controller>::Attach(new EngineController(parent, webview.get()));
    keep->Invoke(S_OK, controller.get());
  });
  return S_OK;
}

HRESULT STDMETHODCALLTYPE EngineEnvironment::get_BrowserVersionString(LPWSTR* version) {
  return OutString(L"131.0.2903.40", version);
}
