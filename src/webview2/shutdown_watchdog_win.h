#pragma once
// Bounds the host's end once its main window starts to close. A close that cannot finish (a
// browser engine that never answers, a hung call inside the close) would otherwise leave the
// host running with its parent waiting for event 2: past the bound the parent is told the
// window closed, if it was not yet, and the process ends with the code of a normal end.

#include <windows.h>

#include <functional>

namespace shutdown {

// How long the close may take until the message loop ends, and how long the rest of the
// shutdown may take after that (the channel's sender may wait on a hung parent meanwhile).
inline constexpr DWORD kCloseBoundMs = 8000;
inline constexpr DWORD kExitBoundMs = 15000;
// How long telling the parent may take once the bound has passed.
inline constexpr DWORD kTellBoundMs = 3000;

// Starts the watch, once; tell_parent sends event 2 of the main window (from the watch's own
// thread) and runs at most once, only while the message loop has not ended.
void Arm(std::function<void()> tell_parent);
// Event 2 of the main window is on its way: the watch need not send it.
void ClosedEventSent();
// The message loop has ended; after this tell_parent is never called.
void LoopEnded();

}  // namespace shutdown
