#pragma once
// A thread that runs on its own once started: nobody joins it, and it ends when its routine
// returns. On Windows it is a system thread whose handle is let go at once, because the
// threads library of the MinGW runtime reuses the records of detached threads in a way that
// races with starting new ones (a thread could then start late or with its argument lost).

#include <functional>

namespace base {

// Starts routine on a thread of its own; false, with routine not run, when no thread could be
// started. *id gets the thread's id (the system's thread id on Windows).
bool StartDetachedThread(std::function<void()> routine, long* id);

}  // namespace base
