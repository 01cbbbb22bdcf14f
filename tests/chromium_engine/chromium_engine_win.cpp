// The browser engine's exports (the loader's entry points the host calls) and its control pipe,
// through which tests and the demo ask for a web view's screenshot or a value of its page.
#include <windows.h>

#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <json/value.h>

#include "chromium_objects_win.h"
#include "devtools_link_win.h"

namespace {

// Connects on first use; the reason of a failure is said once, where the host's output goes.
bool Connected() {
  std::string error;
  if (DevToolsLink::Get().Connect(&error)) {
    ChromiumViews::Get().ListenToBrowser();
    return true;
  }
  static bool said = false;
  if (!said) {
    said = true;
    const std::string line = "[chromium engine] no browser: " + error + "\n";
    OutputDebugStringA(line.c_str());
    std::fputs(line.c_str(), stderr);
  }
  return false;
}

// One request of the control pipe, on the UI thread.
std::string Execute(const std::string& request) {
  const std::vector<std::string> f = SplitTabs(request);
  if (f[0] == "views") {
    std::string names;
    for (const std::string& name : ChromiumViews::Get().Names()) names += name + "\n";
    return names;
  }
  if (f.size() < 3) return "error: unknown request";
  ChromiumWebView* view = ChromiumViews::Get().FindByName(f[1]);
  if (view == nullptr) return "error: no web view " + f[1];
  ComPtr<ChromiumWebView> keep(view);
  if (f[0] == "screenshot") {
    const std::string error = view->SaveScreenshot(Wide(f[2]));
    return error.empty() ? "ok" : "error: " + error;
  }
  if (f[0] == "evaluate") return view->Evaluate(f[2]);
  if (f[0] == "crash" && f[2] == "renderer") {
    view->CrashRenderer();
    return "ok";
  }
  return "error: unknown request";
}

struct PipeRequest {
  std::string text;
  std::string answer;
  HANDLE done;
};

DWORD WINAPI PipeThread(void*) {
  const std::wstring name = L"\\\\.\\pipe\\corvane-chromium-engine-" + std::to_wstring(GetCurrentProcessId());
  std::string buffer(1 << 16, '\0');
  for (;;) {
    HANDLE pipe = CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT,
                                   PIPE_UNLIMITED_INSTANCES, 1 << 20, 1 << 16, 0, nullptr);
    if (pipe == INVALID_HANDLE_VALUE) return 1;
    if (ConnectNamedPipe(pipe, nullptr) || GetLastError() == ERROR_PIPE_CONNECTED) {
      DWORD read = 0;
      if (ReadFile(pipe, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr)) {
        auto request = std::make_shared<PipeRequest>();
        request->text = buffer.substr(0, read);
        request->done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        DevToolsLink::Get().Post([request] {
          request->answer = Execute(request->text);
          SetEvent(request->done);
        });
        WaitForSingleObject(request->done, 30000);
        std::string answer = request->answer.empty() ? "\n" : request->answer;
        DWORD written = 0;
        WriteFile(pipe, answer.data(), static_cast<DWORD>(answer.size()), &written, nullptr);
        FlushFileBuffers(pipe);
        // The event stays open: a request still running after the wait will set it.
      }
      DisconnectNamedPipe(pipe);
    }
    CloseHandle(pipe);
  }
}

// The browser context of a user data folder: environments of one folder share one profile
// (cookies, storage), as WebView2's do. The context goes with the connection, so when the host
// ends its profile goes too. done gets the context, or "" when none could be made.
void ContextOf(const std::wstring& folder, std::function<void(const std::string&)> done) {
  struct Context {
    std::string id;
    bool made = false;
    std::vector<std::function<void(const std::string&)>> waiting;
  };
  static std::map<std::wstring, std::shared_ptr<Context>> contexts;  // UI thread only
  std::shared_ptr<Context>& context = contexts[folder];
  if (context && context->made) return DevToolsLink::Get().Post([done, id = context->id] { done(id); });
  const bool first = !context;
  if (first) context = std::make_shared<Context>();
  context->waiting.push_back(std::move(done));
  if (!first) return;
  Json::Value params(Json::objectValue);
  params["disposeOnDetach"] = true;
  std::shared_ptr<Context> made = context;
  const std::wstring key = folder;
  DevToolsLink::Get().Send("Target.createBrowserContext", params, "",
                           [made, key](const Json::Value& result, const std::string& error) {
    if (!error.empty()) {
      const std::string line = "[chromium engine] creating a browser context failed: " + error + "\n";
      std::fputs(line.c_str(), stderr);
      contexts.erase(key);  // the next environment tries again
    } else {
      made->id = result["browserContextId"].asString();
      made->made = true;
    }
    for (auto& waiting : made->waiting) waiting(made->id);
    made->waiting.clear();
  });
}

void StartPipe() {
  static bool started = false;
  if (started) return;
  started = true;
  HANDLE thread = CreateThread(nullptr, 0, PipeThread, nullptr, 0, nullptr);
  if (thread != nullptr) CloseHandle(thread);
}

}  // namespace

extern "C" {

__declspec(dllexport) HRESULT STDMETHODCALLTYPE GetAvailableCoreWebView2BrowserVersionString(PCWSTR, LPWSTR* version) {
  if (version == nullptr) return E_POINTER;
  *version = nullptr;
  if (!Connected()) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
  *version = CoTaskString(Wide(DevToolsLink::Get().browser_version()));
  return S_OK;
}

__declspec(dllexport) HRESULT STDMETHODCALLTYPE CreateCoreWebView2EnvironmentWithOptions(
    PCWSTR, PCWSTR user_data_folder, ICoreWebView2EnvironmentOptions*,
    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler) {
  if (handler == nullptr) return E_POINTER;
  if (!Connected()) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
  StartPipe();
  ComPtr<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler> keep(handler);
  ContextOf(user_data_folder != nullptr ? user_data_folder : L"", [keep](const std::string& context) {
    if (context.empty()) {
      keep->Invoke(E_FAIL, nullptr);
      return;
    }
    auto environment = ComPtr<ICoreWebView2Environment>::Attach(new ChromiumEnvironment(context));
    keep->Invoke(S_OK, environment.get());
  });
  return S_OK;
}

}  // extern "C"
