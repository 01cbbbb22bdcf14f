#pragma once
// The environment options the host hands to the WebView2 loader: one COM object that answers
// for ICoreWebView2EnvironmentOptions and each of ...Options2 to ...Options8 (separate
// interfaces, each derived from IUnknown), with the SDK's defaults.

#include <string>
#include <vector>

#include "webview2/webview2_abi.h"
#include "webview2common/com_ptr_win.h"

class CEnvironmentOptions : public ICoreWebView2EnvironmentOptions,
                            public ICoreWebView2EnvironmentOptions2,
                            public ICoreWebView2EnvironmentOptions3,
                            public ICoreWebView2EnvironmentOptions4,
                            public ICoreWebView2EnvironmentOptions5,
                            public ICoreWebView2EnvironmentOptions6,
                            public ICoreWebView2EnvironmentOptions7,
                            public ICoreWebView2EnvironmentOptions8 {
 public:
  static constexpr const wchar_t* kTargetBrowserVersion = L"131.0.2895.0";

  // A new object with one reference, owned by the caller.
  static CEnvironmentOptions* Create();

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // ICoreWebView2EnvironmentOptions
  HRESULT STDMETHODCALLTYPE get_AdditionalBrowserArguments(LPWSTR* value) override;
  HRESULT STDMETHODCALLTYPE put_AdditionalBrowserArguments(LPCWSTR value) override;
  HRESULT STDMETHODCALLTYPE get_Language(LPWSTR* value) override;
  HRESULT STDMETHODCALLTYPE put_Language(LPCWSTR value) override;
  HRESULT STDMETHODCALLTYPE get_TargetCompatibleBrowserVersion(LPWSTR* value) override;
  HRESULT STDMETHODCALLTYPE put_TargetCompatibleBrowserVersion(LPCWSTR value) override;
  HRESULT STDMETHODCALLTYPE get_AllowSingleSignOnUsingOSPrimaryAccount(BOOL* allow) override;
  HRESULT STDMETHODCALLTYPE put_AllowSingleSignOnUsingOSPrimaryAccount(BOOL allow) override;
  // ...Options2
  HRESULT STDMETHODCALLTYPE get_ExclusiveUserDataFolderAccess(BOOL* value) override;
  HRESULT STDMETHODCALLTYPE put_ExclusiveUserDataFolderAccess(BOOL value) override;
  // ...Options3
  HRESULT STDMETHODCALLTYPE get_IsCustomCrashReportingEnabled(BOOL* value) override;
  HRESULT STDMETHODCALLTYPE put_IsCustomCrashReportingEnabled(BOOL value) override;
  // ...Options4
  HRESULT STDMETHODCALLTYPE GetCustomSchemeRegistrations(
      UINT32* count, ICoreWebView2CustomSchemeRegistration*** registrations) override;
  HRESULT STDMETHODCALLTYPE SetCustomSchemeRegistrations(
      UINT32 count, ICoreWebView2CustomSchemeRegistration** registrations) override;
  // ...Options5
  HRESULT STDMETHODCALLTYPE get_EnableTrackingPrevention(BOOL* value) override;
  HRESULT STDMETHODCALLTYPE put_EnableTrackingPrevention(BOOL value) override;
  // ...Options6
  HRESULT STDMETHODCALLTYPE get_AreBrowserExtensionsEnabled(BOOL* value) override;
  HRESULT STDMETHODCALLTYPE put_AreBrowserExtensionsEnabled(BOOL value) override;
  // ...Options7
  HRESULT STDMETHODCALLTYPE get_ChannelSearchKind(COREWEBVIEW2_CHANNEL_SEARCH_KIND* value) override;
  HRESULT STDMETHODCALLTYPE put_ChannelSearchKind(COREWEBVIEW2_CHANNEL_SEARCH_KIND value) override;
  HRESULT STDMETHODCALLTYPE get_ReleaseChannels(COREWEBVIEW2_RELEASE_CHANNELS* value) override;
  HRESULT STDMETHODCALLTYPE put_ReleaseChannels(COREWEBVIEW2_RELEASE_CHANNELS value) override;
  // ...Options8
  HRESULT STDMETHODCALLTYPE get_ScrollBarStyle(COREWEBVIEW2_SCROLLBAR_STYLE* value) override;
  HRESULT STDMETHODCALLTYPE put_ScrollBarStyle(COREWEBVIEW2_SCROLLBAR_STYLE value) override;

 private:
  CEnvironmentOptions();
  virtual ~CEnvironmentOptions();

  // A string property: unset (null) or a text.
  struct Text {
    bool set = false;
    std::wstring value;
  };
  static HRESULT Get(const Text& text, LPWSTR* out);
  static void Put(Text& text, LPCWSTR value);

  LONG refs_ = 1;
  Text arguments_;
  Text language_;
  Text target_version_;
  BOOL allow_sso_ = FALSE;
  BOOL exclusive_user_data_ = FALSE;
  BOOL custom_crash_reporting_ = FALSE;
  BOOL tracking_prevention_ = TRUE;
  BOOL extensions_ = FALSE;
  COREWEBVIEW2_CHANNEL_SEARCH_KIND channel_search_ = COREWEBVIEW2_CHANNEL_SEARCH_KIND_MOST_STABLE;
  COREWEBVIEW2_RELEASE_CHANNELS release_channels_ = static_cast<COREWEBVIEW2_RELEASE_CHANNELS>(0x1F);
  COREWEBVIEW2_SCROLLBAR_STYLE scroll_bar_style_ = COREWEBVIEW2_SCROLLBAR_STYLE_DEFAULT;
  std::vector<ComPtr<IUnknown>> schemes_;  // the custom scheme registrations, one reference each
};
