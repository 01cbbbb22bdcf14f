#pragma once
// COM references held by RAII, and COM callback objects made from callables.

#include <windows.h>
#include <unknwn.h>

#include <functional>
#include <utility>

#include "base/callback_guard_win.h"

template <typename T>
const IID& IidOf();

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  // Takes a new reference to p.
  explicit ComPtr(T* p) : p_(p) {
    if (p_ != nullptr) p_->AddRef();
  }
  ComPtr(const ComPtr& other) : ComPtr(other.p_) {}
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(p_, other.p_);
    return *this;
  }
  ~ComPtr() { Reset(); }

  // Adopts a reference the caller already owns.
  static ComPtr Attach(T* p) {
    ComPtr out;
    out.p_ = p;
    return out;
  }

  void Reset() {
    if (p_ != nullptr) std::exchange(p_, nullptr)->Release();
  }
  // For out parameters: releases what is held and returns the slot.
  T** Put() {
    Reset();
    return &p_;
  }
  T* get() const { return p_; }
  // Gives the reference away: the caller releases it.
  [[nodiscard]] T* Detach() { return std::exchange(p_, nullptr); }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

  template <typename U>
  ComPtr<U> As() const {
    ComPtr<U> out;
    if (p_ != nullptr) p_->QueryInterface(IidOf<U>(), reinterpret_cast<void**>(out.Put()));
    return out;
  }

 private:
  T* p_ = nullptr;
};

// A COM object implementing one callback interface whose single own method is Invoke.
template <typename Interface, typename... Args>
class CallbackObject : public Interface {
 public:
  explicit CallbackObject(std::function<HRESULT(Args...)> function) : function_(std::move(function)) {}
  virtual ~CallbackObject() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IidOf<Interface>())) {
      *out = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }
  // No exception may cross into the caller's frames, and a fault inside goes to the crash
  // handler rather than to whatever frame of the caller's would swallow it.
  HRESULT STDMETHODCALLTYPE Invoke(Args... args) override {
    return guard::Guarded([&]() -> HRESULT {
      try {
        return function_(args...);
      } catch (...) {
        return E_FAIL;
      }
    });
  }

 private:
  std::function<HRESULT(Args...)> function_;
  LONG refs_ = 1;
};

template <typename Interface, typename... Args, typename Function>
ComPtr<Interface> MakeCallback(Function function) {
  return ComPtr<Interface>::Attach(new CallbackObject<Interface, Args...>(std::move(function)));
}
