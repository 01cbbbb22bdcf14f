#pragma once
// Heap objects handed to the window messages of this process. Hand() takes ownership and gives
// the value to put in the message; Claim() on the receiving side gives the object back as an
// owner. Another process can post the same message numbers with any value: a value that was
// not handed out here, or was claimed already, gives nothing and is never dereferenced. A post
// that fails is undone by claiming the value at once; objects whose message never arrived are
// freed with the registry.

#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>

template <typename T>
class CPostedObjects {
 public:
  // The value to post (never 0), or 0 when object is null.
  uintptr_t Hand(std::unique_ptr<T> object) {
    if (!object) return 0;
    const uintptr_t value = reinterpret_cast<uintptr_t>(object.get());
    std::lock_guard<std::mutex> guard(lock_);
    objects_[value] = std::move(object);
    return value;
  }

  // The object handed out as value, once; null for any other value.
  std::unique_ptr<T> Claim(uintptr_t value) {
    std::lock_guard<std::mutex> guard(lock_);
    auto it = objects_.find(value);
    if (it == objects_.end()) return nullptr;
    std::unique_ptr<T> object = std::move(it->second);
    objects_.erase(it);
    return object;
  }

  size_t pending() const {
    std::lock_guard<std::mutex> guard(lock_);
    return objects_.size();
  }

 private:
  mutable std::mutex lock_;
  std::unordered_map<uintptr_t, std::unique_ptr<T>> objects_;
};
