#pragma once
// A hidden window of the UI thread through which any thread hands work to the UI thread.
// Tasks run one at a time, in posting order, after the current message has been handled.

#include <windows.h>

#include <functional>
#include <mutex>

#include "webview2common/posted_objects_win.h"
#include "webview2common/window_base_win.h"

template <typename T>
class CSingletonT {
 public:
  static T& Instance() {
    static T instance;  // constructed once, safely under concurrent first use
    return instance;
  }
};

class CUIThreadWindow : public CWindowBase, public CSingletonT<CUIThreadWindow> {
 public:
  using Task = std::function<void()>;

  // Creates the window on the calling thread, which becomes the UI thread. A second call
  // returns true and creates nothing.
  bool Init(bool on_current_thread = true);
  // From any thread. False, with the task released unrun, before Init, when the window could
  // not be created or when posting fails; otherwise the task is owned by the UI thread from
  // the moment it is posted.
  bool PostTask(Task task);

  DWORD ui_thread_id() const { return ui_thread_id_; }

 protected:
  bool ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam,
                            LRESULT& result) override;

 private:
  DWORD ui_thread_id_ = 0;
  UINT dispatch_message_ = 0;
  std::mutex init_mutex_;
  CPostedObjects<Task> tasks_;
};
