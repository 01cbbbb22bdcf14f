#pragma once
// The WebView2 loader, found at run time: WebView2Loader.dll beside the program, else in the
// system folder, never elsewhere. A missing DLL or export means the runtime is missing.

#include <string>

#include "webview2/webview2_abi.h"

class CWebView2Loader {
 public:
  static CWebView2Loader& Instance();

  // The installed runtime's version; false when the loader or the runtime is missing.
  bool GetInstalledVersion(std::wstring* version);
  HRESULT CreateEnvironment(PCWSTR browser_folder, PCWSTR user_data_folder,
                            ICoreWebView2EnvironmentOptions* options,
                            ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler);

 private:
  CWebView2Loader();
  HMODULE module_ = nullptr;
  CreateCoreWebView2EnvironmentWithOptionsFn create_environment_ = nullptr;
};
