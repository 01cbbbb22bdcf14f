#pragma once
// What every engine object shares: reference counting and QueryInterface over the interfaces
// its default base lists, and the text conversions of the interfaces' strings. Used by both
// engines (the test double and the one that drives a real browser).

#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

#include "engine_defaults.h"

// Reference counting and QueryInterface over the chain of interfaces a default base lists.
template <typename Default>
class EngineObject : public Default {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    bool known = IsEqualIID(riid, IID_IUnknown);
    for (const IID* iid : Default::kIids) known = known || IsEqualIID(riid, *iid);
    if (!known) return E_NOINTERFACE;
    *out = static_cast<Default*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

 protected:
  virtual ~EngineObject() = default;

 private:
  LONG refs_ = 1;
};

inline std::string Utf8(const wchar_t* text) {
  if (text == nullptr) return "<null>";
  const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? n - 1 : 0, '\0');
  if (n > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
  return out;
}

inline std::wstring Wide(const std::string& text) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
  std::wstring out(n > 0 ? n - 1 : 0, L'\0');
  if (n > 1) MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, out.data(), n);
  return out;
}

inline LPWSTR CoTaskString(const std::wstring& text) {
  auto* out = static_cast<LPWSTR>(CoTaskMemAlloc((text.size() + 1) * sizeof(wchar_t)));
  if (out != nullptr) std::wmemcpy(out, text.c_str(), text.size() + 1);
  return out;
}

// A getter's string out parameter: a CoTaskMemAlloc copy, or E_POINTER for a null out.
inline HRESULT OutString(const std::wstring& text, LPWSTR* out) {
  if (out == nullptr) return E_POINTER;
  *out = CoTaskString(text);
  return S_OK;
}

// A getter's interface out parameter: the object with a reference of the caller's own.
template <typename Interface, typename Object>
HRESULT OutObject(Object* object, Interface** out) {
  if (out == nullptr) return E_POINTER;
  *out = object;
  if (object != nullptr) object->AddRef();
  return S_OK;
}

template <typename T, typename U>
HRESULT OutValue(T* out, U value) {
  if (out == nullptr) return E_POINTER;
  *out = static_cast<T>(value);
  return S_OK;
}

// The tab-separated fields of a control-pipe request.
inline std::vector<std::string> SplitTabs(const std::string& text) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (;;) {
    const size_t tab = text.find('\t', start);
    fields.push_back(text.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
    if (tab == std::string::npos) return fields;
    start = tab + 1;
  }
}

// The web view's events that the host subscribes to, as X(event, handler interface, member that
// keeps the handlers). Both engines declare, keep and define their add_/remove_ pairs from
// this one list.
#define CORVANE_WEBVIEW_EVENTS(X)                                                                \
  X(NavigationStarting, ICoreWebView2NavigationStartingEventHandler, navigation_starting_)       \
  X(ContentLoading, ICoreWebView2ContentLoadingEventHandler, content_loading_)                   \
  X(SourceChanged, ICoreWebView2SourceChangedEventHandler, source_changed_)                      \
  X(NavigationCompleted, ICoreWebView2NavigationCompletedEventHandler, navigation_completed_)    \
  X(FrameNavigationCompleted, ICoreWebView2NavigationCompletedEventHandler,                      \
    frame_navigation_completed_)                                                                 \
  X(NewWindowRequested, ICoreWebView2NewWindowRequestedEventHandler, new_window_requested_)      \
  X(DocumentTitleChanged, ICoreWebView2DocumentTitleChangedEventHandler, title_changed_)         \
  X(WebResourceRequested, ICoreWebView2WebResourceRequestedEventHandler, web_resource_requested_) \
  X(ProcessFailed, ICoreWebView2ProcessFailedEventHandler, process_failed_)

// An event's add_/remove_ pair, declared in a class implementing ICoreWebView2.
#define CORVANE_DECLARE_WEBVIEW_EVENT(Event, Handler, member)                            \
  HRESULT STDMETHODCALLTYPE add_##Event(Handler* h, EventRegistrationToken* t) override; \
  HRESULT STDMETHODCALLTYPE remove_##Event(EventRegistrationToken t) override;
