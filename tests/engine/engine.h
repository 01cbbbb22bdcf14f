#pragma once
// Test engine state shared by its COM objects, its exports and its control pipe.

#include <windows.h>

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "webview2/webview2_abi.h"
#include "engine_object.h"
#include "webview2common/posted_objects_win.h"

class EngineWebView;

class Engine {
 public:
  static Engine& Get();

  // Creates the engine's window on the calling (UI) thread and starts the control pipe.
  void Start();
  void Record(const std::string& line);
  // Runs work on the UI thread after the current call has returned.
  void Post(std::function<void()> work);

  std::string Execute(const std::string& request);  // on the UI thread

  bool runtime_missing = false;
  // CORVANE_ENGINE_CRASH: the loader call in which the host faults, as it would in a fault of
  // the browser's code ("create-environment", "create-controller"), or empty.
  std::string crash_point;
  // CORVANE_ENGINE_HANG=remove-events: the host's first call to remove an event handler never
  // returns (a browser engine that stops answering while the host closes a window).
  bool hang_on_remove = false;
  // An access violation when the host reaches that point.
  void CrashAt(const char* point) const {
    if (crash_point == point) *static_cast<volatile int*>(nullptr) = 1;
  }
  HRESULT environment_result = S_OK;
  HRESULT environment_completion_result = S_OK;
  HRESULT controller_request_result = S_OK;
  HRESULT controller_result = S_OK;
  HRESULT navigate_result = S_OK;
  std::map<HWND, EngineWebView*> views;

 private:
  Engine();
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  static DWORD WINAPI PipeThread(void*);

  HWND window_ = nullptr;
  CPostedObjects<std::function<void()>> posted_;
  std::mutex lock_;
  std::vector<std::string> calls_;
};
