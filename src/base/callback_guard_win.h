#pragma once
// Calls from the system into our code that the system runs behind a frame of its own which
// swallows exceptions: window procedures reached from kernel mode (messages sent during
// CreateWindowEx, SendMessage across threads or processes, WM_COPYDATA, WM_SIZE) and COM
// callbacks. A fault inside would otherwise be lost and the process would run on in an unknown
// state. Run such a call through GuardedCall: an exception that nothing inside handles goes to
// the fatal-exception handler (the crash handler sets it) instead of that frame.

#include <windows.h>

#include <cstdint>
#include <type_traits>
#include <utility>

namespace guard {

// Receives an exception nothing inside a guarded call handled; it is expected not to return
// (the crash handler ends the process). Without one set, such an exception goes on outwards.
using FatalExceptionHandler = void (*)(EXCEPTION_POINTERS* pointers);
void SetFatalExceptionHandler(FatalExceptionHandler handler);

// Asks the system not to swallow exceptions in kernel callbacks, where it offers the switch;
// whether it was switched off.
bool KeepCallbackExceptions();

// Runs function(context) inside a frame that hands unhandled exceptions to the handler above.
intptr_t GuardedCall(intptr_t (*function)(void*), void* context);

// The same for a callable; it must not throw (catch C++ exceptions inside it).
template <typename Function>
auto Guarded(Function&& function) {
  using Result = decltype(function());
  struct Call {
    std::remove_reference_t<Function>* function;
    Result result;
  } call{&function, Result()};
  GuardedCall([](void* context) -> intptr_t {
    auto* c = static_cast<Call*>(context);
    c->result = (*c->function)();
    return 0;
  }, &call);
  return call.result;
}

}  // namespace guard
