#pragma once
// Window handles cross the channel, window settings and JSON results as 32-bit values. Windows
// keeps window handles 32-bit significant so that 32-bit and 64-bit processes can share them:
// a 64-bit process drops the upper half when it hands one on and sign-extends a 32-bit value
// back into a handle, as the system's own HandleToLong/LongToHandle do.

#include <windows.h>

#include <cstdint>

inline uint32_t WindowHandleValue(HWND window) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window));
}

inline HWND WindowFromHandleValue(uint32_t value) {
  return reinterpret_cast<HWND>(static_cast<intptr_t>(static_cast<int32_t>(value)));
}
