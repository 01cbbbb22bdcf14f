#include "webview2/webview2_loader.h"

#include "base/text_win.h"
#include "log/logger.h"
#include "webview2common/library_load_win.h"

CWebView2Loader& CWebView2Loader::Instance() {
  static CWebView2Loader loader;
  return loader;
}

CWebView2Loader::CWebView2Loader() {
  // Beside the program or in the system folder, never from the current directory or PATH.
  module_ = LoadProgramLibrary(L"WebView2Loader.dll");
  if (module_ == nullptr) {
    LOG_INFO("WebView2Loader.dll not found, error=", GetLastError());
    return;
  }
  create_environment_ = reinterpret_cast<CreateCoreWebView2EnvironmentWithOptionsFn>(
      reinterpret_cast<void*>(GetProcAddress(module_, "CreateCoreWebView2EnvironmentWithOptions")));
}

bool CWebView2Loader::GetInstalledVersion(std::wstring* version) {
  return LoaderBrowserVersion(module_, version);
}

HRESULT CWebView2Loader::CreateEnvironment(
    PCWSTR browser_folder, PCWSTR user_data_folder, ICoreWebView2EnvironmentOptions* options,
    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler) {
  if (create_environment_ == nullptr) return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
  return create_environment_(browser_folder, user_data_folder, options, handler);
}
