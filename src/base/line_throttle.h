#pragma once
// Lets through at most a few log lines a second of one kind, so that a flood from outside (a
// hostile page, a foreign process) cannot flood the log. Safe to share between threads.

#include <atomic>
#include <chrono>
#include <cstdint>

namespace base {

class LineThrottle {
 public:
  explicit LineThrottle(int lines_per_second) : lines_per_second_(lines_per_second) {}

  // Whether a line may be written now.
  bool Allow() {
    const int64_t second = std::chrono::duration_cast<std::chrono::seconds>(
                               std::chrono::steady_clock::now().time_since_epoch())
                               .count();
    if (second_.exchange(second) != second) written_.store(0);
    return written_.fetch_add(1) < lines_per_second_;
  }

 private:
  const int lines_per_second_;
  std::atomic<int64_t> second_{-1};
  std::atomic<int> written_{0};
};

}  // namespace base
