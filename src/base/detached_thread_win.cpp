#include "base/detached_thread.h"

#include <windows.h>

#include <memory>

namespace base {

namespace {

DWORD WINAPI RunRoutine(void* parameter) {
  const std::unique_ptr<std::function<void()>> routine(static_cast<std::function<void()>*>(parameter));
  try {
    (*routine)();
  } catch (...) {
    // Nothing may unwind out of a thread's entry.
  }
  return 0;
}

}  // namespace

bool StartDetachedThread(std::function<void()> routine, long* id) {
  auto owned = std::make_unique<std::function<void()>>(std::move(routine));
  DWORD thread_id = 0;
  HANDLE thread = CreateThread(nullptr, 0, &RunRoutine, owned.get(), 0, &thread_id);
  if (thread == nullptr) return false;
  owned.release();  // the thread owns it now
  CloseHandle(thread);
  *id = static_cast<long>(thread_id & 0x7FFFFFFF);
  return true;
}

}  // namespace base
