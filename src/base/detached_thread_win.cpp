#include "base/detached_thread.h"

#include <memory>

#include "base/system_thread_win.h"

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

ScopedHandle StartSystemThread(std::function<void()> routine, DWORD* id) {
  auto owned = std::make_unique<std::function<void()>>(std::move(routine));
  ScopedHandle thread(CreateThread(nullptr, 0, &RunRoutine, owned.get(), 0, id));
  if (thread.IsValid()) owned.release();  // the thread owns it now
  return thread;
}

bool StartDetachedThread(std::function<void()> routine, long* id) {
  DWORD thread_id = 0;
  // The handle is let go at once: the thread runs on its own.
  if (!StartSystemThread(std::move(routine), &thread_id).IsValid()) return false;
  *id = static_cast<long>(thread_id & 0x7FFFFFFF);
  return true;
}

}  // namespace base
