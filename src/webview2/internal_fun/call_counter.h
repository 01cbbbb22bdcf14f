#pragma once
// The sequence of call ids shared by every page call of the process: 1, 2, ... up to the
// largest 32-bit signed value, then 1 again. An id is never 0 (which tells the parent that no
// answer is awaited) and never negative, however long the process runs.

#include <atomic>
#include <cstdint>
#include <limits>

class CallCounter {
 public:
  explicit CallCounter(int32_t last = 0) : last_(last) {}

  int32_t Next() {
    int32_t current = last_.load();
    int32_t next = 0;
    do {
      next = current > 0 && current < std::numeric_limits<int32_t>::max() ? current + 1 : 1;
    } while (!last_.compare_exchange_weak(current, next));
    return next;
  }

 private:
  std::atomic<int32_t> last_;
};
