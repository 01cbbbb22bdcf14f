// The test engine's exports, its UI-thread window and its control pipe.
#include "engine.h"

#include <cstdlib>
#include <memory>
#include <sstream>

#include "engine_objects.h"
#include "engine_resources.h"

namespace {

constexpr UINT kRunPosted = WM_APP + 1;
constexpr UINT kRunRequest = WM_APP + 2;

struct Request {
  std::string text;
  std::string answer;
};

HRESULT ParseHresult(const std::string& text) {
  return static_cast<HRESULT>(std::strtoul(text.c_str(), nullptr, 0));
}

std::string ReadOption(ICoreWebView2EnvironmentOptions* options,
                       HRESULT (STDMETHODCALLTYPE ICoreWebView2EnvironmentOptions::*get)(LPWSTR*)) {
  LPWSTR value = nullptr;
  const HRESULT hr = (options->*get)(&value);
  std::string text = FAILED(hr) ? "<error>" : value == nullptr ? "<null>" : Utf8(value);
  if (value != nullptr) CoTaskMemFree(value);
  return text;
}

// Reads every property through each of the nine interfaces, as a runtime would.
std::string DescribeOptions(ICoreWebView2EnvironmentOptions* options) {
  if (options == nullptr) return "options=<null>";
  std::ostringstream text;
  BOOL sso = FALSE;
  options->get_AllowSingleSignOnUsingOSPrimaryAccount(&sso);
  text << "AdditionalBrowserArguments="
       << ReadOption(options, &ICoreWebView2EnvironmentOptions::get_AdditionalBrowserArguments)
       << "|Language=" << ReadOption(options, &ICoreWebView2EnvironmentOptions::get_Language)
       << "|TargetCompatibleBrowserVersion="
       << ReadOption(options, &ICoreWebView2EnvironmentOptions::get_TargetCompatibleBrowserVersion)
       << "|AllowSingleSignOnUsingOSPrimaryAccount=" << sso;
  auto read_bool = [&](auto* iface, auto get, const char* name) {
    BOOL value = -1;
    if (iface != nullptr) (iface->*get)(&value);
    text << "|" << name << "=" << value;
    if (iface != nullptr) iface->Release();
  };
  auto query = [&](const IID& iid) {
    void* out = nullptr;
    options->QueryInterface(iid, &out);
    return out;
  };
  read_bool(static_cast<ICoreWebView2EnvironmentOptions2*>(query(IID_ICoreWebView2EnvironmentOptions2)),
            &ICoreWebView2EnvironmentOptions2::get_ExclusiveUserDataFolderAccess, "ExclusiveUserDataFolderAccess");
  read_bool(static_cast<ICoreWebView2EnvironmentOptions3*>(query(IID_ICoreWebView2EnvironmentOptions3)),
            &ICoreWebView2EnvironmentOptions3::get_IsCustomCrashReportingEnabled, "IsCustomCrashReportingEnabled");
  if (auto* o4 = static_cast<ICoreWebView2EnvironmentOptions4*>(query(IID_ICoreWebView2EnvironmentOptions4))) {
    UINT32 count = 99;
    ICoreWebView2CustomSchemeRegistration** schemes = nullptr;
    o4->GetCustomSchemeRegistrations(&count, &schemes);
    text << "|CustomSchemeRegistrations=" << count;
    if (schemes != nullptr) CoTaskMemFree(schemes);
    o4->Release();
  } else {
    text << "|CustomSchemeRegistrations=<no interface>";
  }
  read_bool(static_cast<ICoreWebView2EnvironmentOptions5*>(query(IID_ICoreWebView2EnvironmentOptions5)),
            &ICoreWebView2EnvironmentOptions5::get_EnableTrackingPrevention, "EnableTrackingPrevention");
  read_bool(static_cast<ICoreWebView2EnvironmentOptions6*>(query(IID_ICoreWebView2EnvironmentOptions6)),
            &ICoreWebView2EnvironmentOptions6::get_AreBrowserExtensionsEnabled, "AreBrowserExtensionsEnabled");
  if (auto* o7 = static_cast<ICoreWebView2EnvironmentOptions7*>(query(IID_ICoreWebView2EnvironmentOptions7))) {
    COREWEBVIEW2_CHANNEL_SEARCH_KIND kind{};
    COREWEBVIEW2_RELEASE_CHANNELS channels{};
    o7->get_ChannelSearchKind(&kind);
    o7->get_ReleaseChannels(&channels);
    text << "|ChannelSearchKind=" << kind << "|ReleaseChannels=" << channels;
    o7->Release();
  }
  if (auto* o8 = static_cast<ICoreWebView2EnvironmentOptions8*>(query(IID_ICoreWebView2EnvironmentOptions8))) {
    COREWEBVIEW2_SCROLLBAR_STYLE style{};
    o8->get_ScrollBarStyle(&style);
    text << "|ScrollBarStyle=" << style;
    o8->Release();
  }
  return text.str();
}

}  // namespace

Engine& Engine::Get() {
  static Engine* engine = new Engine();
  return *engine;
}

Engine::Engine() {
  const char* runtime = std::getenv("CORVANE_ENGINE_RUNTIME");
  runtime_missing = runtime != nullptr && std::string(runtime) == "missing";
  const char* crash = std::getenv("CORVANE_ENGINE_CRASH");
  if (crash != nullptr) crash_point = crash;
  const char* hang = std::getenv("CORVANE_ENGINE_HANG");
  hang_on_remove = hang != nullptr && std::string(hang) == "remove-events";
}

void Engine::Start() {
  if (window_ != nullptr) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = &Engine::WindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"CorvaneTestEngine";
  RegisterClassExW(&wc);
  window_ = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            wc.hInstance, nullptr);
  CloseHandle(CreateThread(nullptr, 0, &Engine::PipeThread, nullptr, 0, nullptr));
}

void Engine::Record(const std::string& line) {
  std::lock_guard<std::mutex> guard(lock_);
  calls_.push_back(line);
}

void Engine::Post(std::function<void()> work) {
  PostOwned(window_, kRunPosted, posted_, std::make_unique<std::function<void()>>(std::move(work)));
}

LRESULT CALLBACK Engine::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kRunPosted) {
    if (const auto work = ClaimPosted(Get().posted_, wparam)) (*work)();
    return 0;
  }
  if (message == kRunRequest) {
    auto* request = reinterpret_cast<Request*>(lparam);
    request->answer = Get().Execute(request->text);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

std::string Engine::Execute(const std::string& request) {
  const std::vector<std::string> f = SplitTabs(request);
  const std::string& verb = f[0];
  if (verb == "calls") {
    std::lock_guard<std::mutex> guard(lock_);
    std::string text;
    for (const std::string& line : calls_) text += line + "\n";
    return text;
  }
  if (verb == "clear") {
    std::lock_guard<std::mutex> guard(lock_);
    calls_.clear();
    return "ok";
  }
  if (verb == "views") {
    std::string text;
    for (const auto& entry : views) text += entry.second->name() + "\n";
    return text;
  }
  if (verb == "set" && f.size() == 3) {
    if (f[1] == "runtime") runtime_missing = f[2] == "missing";
    else if (f[1] == "controller-result") controller_result = ParseHresult(f[2]);
    else if (f[1] == "navigate-result") navigate_result = ParseHresult(f[2]);
    else if (f[1] == "environment-result") environment_result = ParseHresult(f[2]);
    else if (f[1] == "environment-completion-result") environment_completion_result = ParseHresult(f[2]);
    else if (f[1] == "controller-request-result") controller_request_result = ParseHresult(f[2]);
    else return "error: unknown setting " + f[1];
    return "ok";
  }
  if (verb == "crash" && f.size() == 2) {
    // The host fails on its UI thread once this answer is on its way, as it would in a fault of
    // the browser's code: an access violation or an exception raised with the given code.
    const bool access_violation = f[1] == "access-violation";
    const DWORD code = access_violation ? 0 : static_cast<DWORD>(ParseHresult(f[1]));
    Post([access_violation, code] {
      if (access_violation) *static_cast<volatile int*>(nullptr) = 1;
      RaiseException(code, 0, 0, nullptr);
    });
    return "ok";
  }
  if (f.size() < 2) return "error: bad request";
  EngineWebView* view = nullptr;
  for (const auto& entry : views) {
    if (entry.second->name() == f[1]) view = entry.second;
  }
  if (view == nullptr) return "error: no web view " + f[1];
  ComPtr<ICoreWebView2> keep(view);  // the host may release it while handling the event
  auto arg = [&](size_t i) { return i < f.size() ? f[i] : std::string(); };
  if (verb == "navigation-starting") return view->RaiseNavigationStarting(Wide(arg(2)));
  if (verb == "navigation-completed" || verb == "frame-navigation-completed") {
    return view->RaiseNavigationCompleted(verb[0] == 'f', arg(2) == "1", std::atoi(arg(3).c_str()));
  }
  if (verb == "source-changed") return view->RaiseSourceChanged(Wide(arg(2)), arg(3) == "1");
  if (verb == "title-changed") return view->RaiseTitleChanged(Wide(arg(2)));
  if (verb == "process-failed") return view->RaiseProcessFailed(std::atoi(arg(2).c_str()));
  if (verb == "new-window") return view->RaiseNewWindow(Wide(arg(2)));
  if (verb == "request") return view->RaiseWebResourceRequested(Wide(arg(2)));
  if (verb == "cookies") return view->Cookies()->Describe();
  if (verb == "add-cookie" && f.size() >= 8) {
    EngineCookieData cookie;
    cookie.name = Wide(f[2]);
    cookie.value = Wide(f[3]);
    cookie.domain = Wide(f[4]);
    cookie.path = Wide(f[5]);
    cookie.http_only = f[6] == "1";
    cookie.secure = f[7] == "1";
    if (f.size() >= 9) cookie.expires = std::atof(f[8].c_str());
    view->Cookies()->Add(cookie);
    return "ok";
  }
  if ((verb == "script" || verb == "script-get") && f.size() >= 3) {
    return view->CallHostObject(L"external", Wide(f[2]), std::vector<std::string>(f.begin() + 3, f.end()),
                                verb == "script");
  }
  return "error: unknown request " + verb;
}

DWORD WINAPI Engine::PipeThread(void*) {
  const std::wstring name = L"\\\\.\\pipe\\corvane-test-engine-" + std::to_wstring(GetCurrentProcessId());
  std::string buffer(1 << 16, '\0');
  for (;;) {
    HANDLE pipe = CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX,
                                   PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1,
                                   1 << 20, 1 << 16, 0, nullptr);
    if (pipe == INVALID_HANDLE_VALUE) return 1;
    if (ConnectNamedPipe(pipe, nullptr) || GetLastError() == ERROR_PIPE_CONNECTED) {
      DWORD read = 0;
      if (ReadFile(pipe, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr)) {
        Request request{buffer.substr(0, read), std::string()};
        SendMessageW(Get().window_, kRunRequest, 0, reinterpret_cast<LPARAM>(&request));
        if (request.answer.empty()) request.answer = "\n";
        DWORD written = 0;
        WriteFile(pipe, request.answer.data(), static_cast<DWORD>(request.answer.size()), &written, nullptr);
        FlushFileBuffers(pipe);
      }
      DisconnectNamedPipe(pipe);
    }
    CloseHandle(pipe);
  }
}

extern "C" {

__declspec(dllexport) HRESULT STDMETHODCALLTYPE GetAvailableCoreWebView2BrowserVersionString(
    PCWSTR browser_folder, LPWSTR* version) {
  Engine& engine = Engine::Get();
  engine.Start();
  engine.Record("GetAvailableCoreWebView2BrowserVersionString folder=" + Utf8(browser_folder));
  if (version == nullptr) return E_POINTER;
  *version = nullptr;
  if (engine.runtime_missing) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
  *version = CoTaskString(L"131.0.2903.40");
  return S_OK;
}

__declspec(dllexport) HRESULT STDMETHODCALLTYPE CreateCoreWebView2EnvironmentWithOptions(
    PCWSTR browser_folder, PCWSTR user_data_folder, ICoreWebView2EnvironmentOptions* options,
    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler) {
  Engine& engine = Engine::Get();
  engine.Start();
  engine.Record("CreateCoreWebView2EnvironmentWithOptions folder=" + Utf8(browser_folder) +
                " userDataFolder=" + Utf8(user_data_folder) + " " + DescribeOptions(options));
  if (handler == nullptr) return E_POINTER;
  engine.CrashAt("create-environment");
  if (FAILED(engine.environment_result)) return engine.environment_result;
  ComPtr<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler> keep(handler);
  const std::wstring folder = user_data_folder != nullptr ? user_data_folder : L"";
  engine.Post([keep, folder] {
    const HRESULT result = Engine::Get().environment_completion_result;
    if (FAILED(result)) {
      keep->Invoke(result, nullptr);
      return;
    }
    auto environment = ComPtr<ICoreWebView2Environment>::Attach(new EngineEnvironment(folder));
    keep->Invoke(S_OK, environment.get());
  });
  return S_OK;
}

}  // extern "C"
