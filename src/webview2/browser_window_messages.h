#pragma once
// The private messages of a browser window. Other processes can post the same numbers: none of
// them carries anything the window would trust without checking.

#include <windows.h>

#include <functional>

#include "webview2common/posted_objects.h"

namespace browser_window {

// The page registered a function: run the parent's calls that waited for it (no parameters).
constexpr UINT kDrainPageCalls = WM_USER + 100;
// Run a callable on the window's thread: wParam is a value the window handed out.
constexpr UINT kRunCallable = WM_USER + 101;
// Show the window at the parent's origin (no parameters).
constexpr UINT kShowWindow = WM_USER + 102;

// The callables handed to browser windows with kRunCallable, one registry for the process: the
// window's own posts and the window built-ins' tasks go through it alike.
inline CPostedObjects<std::function<void()>>& Tasks() {
  static CPostedObjects<std::function<void()>> tasks;
  return tasks;
}

}  // namespace browser_window
