// The start-up benchmark's baseline: the least a program must do to show a browser in a window.
// It loads the same WebView2Loader.dll the host loads (from its own folder), creates one window,
// asks for the environment and a controller in that window, and sets the event named on its
// command line once the controller has its browser. It links nothing but the system libraries
// that this takes, so what the host takes beyond it is the host's own start-up.
//   startup_baseline <event name> <user-data folder>
#include <windows.h>

#include "webview2/webview2_abi.h"

namespace {

HWND g_window = nullptr;
HANDLE g_ready = nullptr;

// One completion handler: Invoke's second argument is the environment or the controller.
template <typename Interface, typename Result>
class Handler : public Interface {
 public:
  explicit Handler(HRESULT (*done)(HRESULT, Result*)) : done_(done) {}
  virtual ~Handler() = default;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IidOf<Interface>())) {
      *out = this;
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE Invoke(HRESULT result, Result* value) override { return done_(result, value); }

 private:
  HRESULT (*done_)(HRESULT, Result*);
  ULONG refs_ = 1;
};

ICoreWebView2Controller* g_controller = nullptr;

HRESULT ControllerCreated(HRESULT result, ICoreWebView2Controller* controller) {
  if (FAILED(result) || controller == nullptr) {
    PostQuitMessage(3);
    return S_OK;
  }
  g_controller = controller;
  controller->AddRef();
  ICoreWebView2* webview = nullptr;
  if (SUCCEEDED(controller->get_CoreWebView2(&webview)) && webview != nullptr) {
    webview->Release();
    SetEvent(g_ready);
  }
  return S_OK;
}

HRESULT EnvironmentCreated(HRESULT result, ICoreWebView2Environment* environment) {
  if (FAILED(result) || environment == nullptr) {
    PostQuitMessage(2);
    return S_OK;
  }
  auto* handler = new Handler<ICoreWebView2CreateCoreWebView2ControllerCompletedHandler, ICoreWebView2Controller>(
      ControllerCreated);
  environment->CreateCoreWebView2Controller(g_window, handler);
  handler->Release();
  return S_OK;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR arguments, int) {
  // The event's name has no space; the folder is the rest (no shell library to split them).
  wchar_t* folder = wcschr(arguments, L' ');
  if (folder == nullptr) return 1;
  *folder++ = L'\0';
  g_ready = CreateEventW(nullptr, TRUE, FALSE, arguments);
  OleInitialize(nullptr);
  HMODULE loader = LoadLibraryExW(L"WebView2Loader.dll", nullptr,
                                 LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
  auto create = loader == nullptr ? nullptr
                                  : reinterpret_cast<CreateCoreWebView2EnvironmentWithOptionsFn>(reinterpret_cast<void*>(
                                        GetProcAddress(loader, "CreateCoreWebView2EnvironmentWithOptions")));
  if (create == nullptr) return 1;

  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = instance;
  wc.lpszClassName = L"CorvaneStartupBaseline";
  RegisterClassW(&wc);
  g_window = CreateWindowExW(0, wc.lpszClassName, L"startup baseline", WS_POPUP, 0, 0, 640, 480, nullptr,
                             nullptr, instance, nullptr);
  auto* handler = new Handler<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler, ICoreWebView2Environment>(
      EnvironmentCreated);
  const HRESULT hr = create(nullptr, folder, nullptr, handler);
  handler->Release();
  if (FAILED(hr)) return 2;

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  // The benchmark ends it with a quit message.
  if (g_controller != nullptr) {
    g_controller->Close();
    g_controller->Release();
  }
  OleUninitialize();
  return static_cast<int>(msg.wParam);
}
