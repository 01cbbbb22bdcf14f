#pragma once
// A system thread running a callable: the one place that hands a callable to CreateThread.

#include <windows.h>

#include <functional>

#include "base/scoped_handle_win.h"

namespace base {

// Starts routine on a new system thread (a C++ exception stops at the thread's entry) and gives
// its handle, empty when no thread could be started (routine then does not run). *id, when
// given, gets the thread's id.
ScopedHandle StartSystemThread(std::function<void()> routine, DWORD* id = nullptr);

}  // namespace base
