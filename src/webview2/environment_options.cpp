#include "webview2/environment_options.h"

#include <cstring>
#include <new>

CEnvironmentOptions* CEnvironmentOptions::Create() { return new CEnvironmentOptions(); }

CEnvironmentOptions::CEnvironmentOptions() {
  target_version_.set = true;
  target_version_.value = kTargetBrowserVersion;
}

CEnvironmentOptions::~CEnvironmentOptions() = default;

HRESULT STDMETHODCALLTYPE CEnvironmentOptions::QueryInterface(REFIID riid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_ICoreWebView2EnvironmentOptions)) {
    *out = static_cast<ICoreWebView2EnvironmentOptions*>(this);
  } else if (IsEqualIID(riid, IID_ICoreWebView2EnvironmentOptions2)) {
    *out = static_cast<ICoreWebView2EnvironmentOptions2*>(this);
  } else if (IsEqualIID(riid, IID_ICoreWebView2EnvironmentOptions3)) {
    *out = static_cast<ICoreWebView2EnvironmentOptions3*>(this);
  } else if (IsEqualIID(riid, IID_ICoreWebView2EnvironmentOptions4)) {
    *out = static_cast<ICoreWebView2EnvironmentOptions4*>(this);
  } else if (IsEqualIID(riid, IID_ICoreWebView2EnvironmentOptions5)) {
    *out = static_cast<ICoreWebView2EnvironmentOptions5*>(this);
  } else if (IsEqualIID(riid, IID_ICoreWebView2EnvironmentOptions6)) {
    *out = static_cast<ICoreWebView2EnvironmentOptions6*>(this);
  } else if (IsEqualIID(riid, IID_ICoreWebView2EnvironmentOptions7)) {
    *out = static_cast<ICoreWebView2EnvironmentOptions7*>(this);
  } else if (IsEqualIID(riid, IID_ICoreWebView2EnvironmentOptions8)) {
    *out = static_cast<ICoreWebView2EnvironmentOptions8*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG STDMETHODCALLTYPE CEnvironmentOptions::AddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&refs_));
}

ULONG STDMETHODCALLTYPE CEnvironmentOptions::Release() {
  const LONG left = InterlockedDecrement(&refs_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT CEnvironmentOptions::Get(const Text& text, LPWSTR* out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (!text.set) return S_OK;
  const size_t bytes = (text.value.size() + 1) * sizeof(wchar_t);
  *out = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
  if (*out == nullptr) return E_OUTOFMEMORY;
  std::memcpy(*out, text.value.c_str(), bytes);
  return S_OK;
}

void CEnvironmentOptions::Put(Text& text, LPCWSTR value) {
  text.set = value != nullptr;
  text.value = value != nullptr ? value : L"";
}

#define CORVANE_BOOL_PROPERTY(Name, field)                                          \
  HRESULT STDMETHODCALLTYPE CEnvironmentOptions::get_##Name(BOOL* value) {          \
    if (value == nullptr) return E_POINTER;                                         \
    *value = field;                                                                 \
    return S_OK;                                                                    \
  }                                                                                 \
  HRESULT STDMETHODCALLTYPE CEnvironmentOptions::put_##Name(BOOL value) {           \
    field = value;                                                                  \
    return S_OK;                                                                    \
  }

#define CORVANE_TEXT_PROPERTY(Name, field)                                          \
  HRESULT STDMETHODCALLTYPE CEnvironmentOptions::get_##Name(LPWSTR* value) {        \
    return Get(field, value);                                                       \
  }                                                                                 \
  HRESULT STDMETHODCALLTYPE CEnvironmentOptions::put_##Name(LPCWSTR value) {        \
    try {                                                                           \
      Put(field, value);                                                            \
    } catch (...) {                                                                 \
      return E_OUTOFMEMORY;                                                         \
    }                                                                               \
    return S_OK;                                                                    \
  }

#define CORVANE_ENUM_PROPERTY(Name, Type, field)                                    \
  HRESULT STDMETHODCALLTYPE CEnvironmentOptions::get_##Name(Type* value) {          \
    if (value == nullptr) return E_POINTER;                                         \
    *value = field;                                                                 \
    return S_OK;                                                                    \
  }                                                                                 \
  HRESULT STDMETHODCALLTYPE CEnvironmentOptions::put_##Name(Type value) {           \
    field = value;                                                                  \
    return S_OK;                                                                    \
  }

CORVANE_TEXT_PROPERTY(AdditionalBrowserArguments, arguments_)
CORVANE_TEXT_PROPERTY(Language, language_)
CORVANE_TEXT_PROPERTY(TargetCompatibleBrowserVersion, target_version_)
CORVANE_BOOL_PROPERTY(AllowSingleSignOnUsingOSPrimaryAccount, allow_sso_)
CORVANE_BOOL_PROPERTY(ExclusiveUserDataFolderAccess, exclusive_user_data_)
CORVANE_BOOL_PROPERTY(IsCustomCrashReportingEnabled, custom_crash_reporting_)
CORVANE_BOOL_PROPERTY(EnableTrackingPrevention, tracking_prevention_)
CORVANE_BOOL_PROPERTY(AreBrowserExtensionsEnabled, extensions_)
CORVANE_ENUM_PROPERTY(ChannelSearchKind, COREWEBVIEW2_CHANNEL_SEARCH_KIND, channel_search_)
CORVANE_ENUM_PROPERTY(ReleaseChannels, COREWEBVIEW2_RELEASE_CHANNELS, release_channels_)
CORVANE_ENUM_PROPERTY(ScrollBarStyle, COREWEBVIEW2_SCROLLBAR_STYLE, scroll_bar_style_)

namespace {

// The registration interface is known to us by its id only: its objects are held as IUnknown.
IUnknown* AsUnknown(ICoreWebView2CustomSchemeRegistration* registration) {
  return reinterpret_cast<IUnknown*>(registration);
}

}  // namespace

HRESULT STDMETHODCALLTYPE CEnvironmentOptions::GetCustomSchemeRegistrations(
    UINT32* count, ICoreWebView2CustomSchemeRegistration*** registrations) {
  if (count == nullptr || registrations == nullptr) return E_POINTER;
  *count = 0;
  *registrations = nullptr;
  if (schemes_.empty()) return S_OK;
  auto** copy = static_cast<ICoreWebView2CustomSchemeRegistration**>(
      CoTaskMemAlloc(sizeof(void*) * schemes_.size()));
  if (copy == nullptr) return E_OUTOFMEMORY;
  for (size_t i = 0; i < schemes_.size(); ++i) {
    // Each copy carries a reference of its own, for the caller to release.
    copy[i] = reinterpret_cast<ICoreWebView2CustomSchemeRegistration*>(ComPtr<IUnknown>(schemes_[i]).Detach());
  }
  *count = static_cast<UINT32>(schemes_.size());
  *registrations = copy;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CEnvironmentOptions::SetCustomSchemeRegistrations(
    UINT32 count, ICoreWebView2CustomSchemeRegistration** registrations) {
  schemes_.clear();
  if (count == 0 || registrations == nullptr) return S_OK;
  try {
    schemes_.reserve(count);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  for (UINT32 i = 0; i < count; ++i) schemes_.emplace_back(AsUnknown(registrations[i]));
  return S_OK;
}
