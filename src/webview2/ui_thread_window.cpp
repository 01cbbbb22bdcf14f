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

void CUIThreadWindow::PostTask(Task task) {
  if (dispatch_message_ == 0 || !task) return;
  auto copy = std::make_unique<Task>(std::move(task));
  tasks_.Add(copy.get());
  if (PostMessageW(m_hWnd, dispatch_message_, reinterpret_cast<WPARAM>(copy.get()), 0)) {
    copy.release();  // the window procedure owns it now
  } else {
    tasks_.Take(copy.get());
  }
}

bool CUIThreadWindow::ProcessWindowMessage(HWND, UINT message, WPARAM wparam, LPARAM,
                                           LRESULT& result) {
  if (message != dispatch_message_ || dispatch_message_ == 0) return false;
  // The dispatch message is registered system-wide: only tasks posted here are run.
  Task* posted = reinterpret_cast<Task*>(wparam);
  std::unique_ptr<Task> task(posted != nullptr && tasks_.Take(posted) ? posted : nullptr);
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
