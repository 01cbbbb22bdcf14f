#pragma once
// Posting a heap object to a window of this process: the object travels as the message's
// wParam and the registry owns it until the window procedure claims it back.

#include <windows.h>

#include <memory>

#include "webview2common/posted_objects.h"

template <typename T>
bool PostOwned(HWND window, UINT message, CPostedObjects<T>& registry, std::unique_ptr<T> object) {
  const uintptr_t value = registry.Hand(std::move(object));
  if (value == 0) return false;
  if (PostMessageW(window, message, static_cast<WPARAM>(value), 0)) return true;
  registry.Claim(value);  // not posted: freed here
  return false;
}

template <typename T>
std::unique_ptr<T> ClaimPosted(CPostedObjects<T>& registry, WPARAM wparam) {
  return registry.Claim(static_cast<uintptr_t>(wparam));
}
