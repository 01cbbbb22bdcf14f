#pragma once
// The process-wide application state: the module instance and the UI thread.

#include <windows.h>

class CAppModule {
 public:
  void Init(HINSTANCE instance) {
    instance_ = instance;
    ui_thread_id_ = GetCurrentThreadId();
  }
  void Term() { ui_thread_id_ = 0; }

  HINSTANCE instance() const { return instance_; }
  DWORD ui_thread_id() const { return ui_thread_id_; }
  bool OnUiThread() const { return GetCurrentThreadId() == ui_thread_id_; }

 private:
  HINSTANCE instance_ = nullptr;
  DWORD ui_thread_id_ = 0;
};

extern CAppModule g_app_module;
