#pragma once
// Heap objects that this process handed to its own window messages. Other processes can post
// the same message numbers with any value; a value not handed out here is never dereferenced.

#include <mutex>
#include <unordered_set>

class CPendingPointers {
 public:
  void Add(const void* pointer) {
    std::lock_guard<std::mutex> guard(lock_);
    pointers_.insert(pointer);
  }
  // True (and forgotten) when pointer was added and not taken yet.
  bool Take(const void* pointer) {
    std::lock_guard<std::mutex> guard(lock_);
    return pointers_.erase(pointer) != 0;
  }

 private:
  std::mutex lock_;
  std::unordered_set<const void*> pointers_;
};
