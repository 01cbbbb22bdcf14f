#include "base/callback_guard_win.h"

#include <excpt.h>

namespace {

guard::FatalExceptionHandler g_handler = nullptr;

void Report(EXCEPTION_POINTERS* pointers) {
  guard::FatalExceptionHandler handler = g_handler;
  if (handler != nullptr) handler(pointers);
}

}  // namespace

// Called from the guard frames in callback_guard_*.S.
extern "C" {

// x86: the frame's own handler, registered on the thread's exception chain.
EXCEPTION_DISPOSITION corvane_guard_handler(EXCEPTION_RECORD* record, void*, CONTEXT* context, void*) {
  if ((record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) == 0) {
    EXCEPTION_POINTERS pointers{record, context};
    Report(&pointers);
  }
  return ExceptionContinueSearch;
}

// x64: the filter of the frame's scope, called by the system's C-specific handler.
LONG corvane_guard_filter(EXCEPTION_POINTERS* pointers, void*) {
  Report(pointers);
  return EXCEPTION_CONTINUE_SEARCH;
}

intptr_t corvane_guarded_call(intptr_t (*function)(void*), void* context);

}  // extern "C"

namespace guard {

void SetFatalExceptionHandler(FatalExceptionHandler handler) { g_handler = handler; }

bool KeepCallbackExceptions() {
  // PROCESS_CALLBACK_FILTER_ENABLED: the system swallows exceptions in kernel callbacks.
  constexpr DWORD kCallbackFilterEnabled = 0x1;
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  if (kernel == nullptr) return false;
  using Get = BOOL(WINAPI*)(LPDWORD);
  using Set = BOOL(WINAPI*)(DWORD);
  auto get = reinterpret_cast<Get>(reinterpret_cast<void*>(GetProcAddress(kernel, "GetProcessUserModeExceptionPolicy")));
  auto set = reinterpret_cast<Set>(reinterpret_cast<void*>(GetProcAddress(kernel, "SetProcessUserModeExceptionPolicy")));
  DWORD flags = 0;
  if (get == nullptr || set == nullptr || !get(&flags)) return false;
  return set(flags & ~kCallbackFilterEnabled) != FALSE;
}

intptr_t GuardedCall(intptr_t (*function)(void*), void* context) {
  return corvane_guarded_call(function, context);
}

}  // namespace guard
