#pragma once
// The one owner of a kernel handle (event, thread, process, file, mutex). Move-only; a null
// handle and INVALID_HANDLE_VALUE both mean "none"; ownership leaves only through Release().

#include <windows.h>

class ScopedHandle {
 public:
  ScopedHandle() = default;
  explicit ScopedHandle(HANDLE handle) : handle_(Normalized(handle)) {}
  ~ScopedHandle() { Reset(); }
  ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.Release()) {}
  ScopedHandle& operator=(ScopedHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;

  bool IsValid() const { return handle_ != nullptr; }
  HANDLE Get() const { return handle_; }
  // Closes the handle held, if any, and holds handle instead.
  void Reset(HANDLE handle = nullptr) {
    if (handle_ != nullptr) CloseHandle(handle_);
    handle_ = Normalized(handle);
  }
  // Gives the handle away: the caller closes it.
  [[nodiscard]] HANDLE Release() {
    HANDLE handle = handle_;
    handle_ = nullptr;
    return handle;
  }

 private:
  static HANDLE Normalized(HANDLE handle) { return handle == INVALID_HANDLE_VALUE ? nullptr : handle; }
  HANDLE handle_ = nullptr;
};
