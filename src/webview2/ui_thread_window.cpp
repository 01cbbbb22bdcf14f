#include "webview2/ui_thread_window.h"

#include <memory>

#include "log/logger.h"

bool CUIThreadWindow::Init(bool) {
  std::lock_guard<std::mutex> lock(init_mutex_);
  if (ui_thread_id_ != 0) return true;
  dispatch_message_ =
      RegisterWindowMessageW(L"uithread_message-{AABF64BC-B6B7-46DC-8253-AFC460777BAB}");
  ui_thread_id_ = GetCurrentThreadId();
  const RECT empty{0, 0, 0, 0};
  return CreateBoundWindow(L"CorvaneUIThreadWindow", 0, nullptr, empty, L"", WS_POPUP, 0) !=
         nullptr;
}

bool CUIThreadWindow::PostTask(Task task) {
  // Without the window a post would land in the posting thread's own queue, where nothing
  // runs or frees the task.
  if (dispatch_message_ == 0 || !task || !IsWindow()) return false;
  return PostOwned(m_hWnd, dispatch_message_, tasks_, std::make_unique<Task>(std::move(task)));
}

bool CUIThreadWindow::ProcessWindowMessage(HWND, UINT message, WPARAM wparam, LPARAM,
                                           LRESULT& result) {
  if (message != dispatch_message_ || dispatch_message_ == 0) return false;
  // The dispatch message is registered system-wide: only tasks posted here are run.
  const std::unique_ptr<Task> task = ClaimPosted(tasks_, wparam);
  if (task && *task) {
    try {
      (*task)();
    } catch (...) {
      LOG_INFO("ui thread task failed");
    }
  }
  result = 0;
  return true;
}
