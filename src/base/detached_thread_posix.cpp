#include "base/detached_thread.h"

#include <system_error>
#include <thread>

namespace base {

bool StartDetachedThread(std::function<void()> routine, long* id) {
  try {
    std::thread thread([routine = std::move(routine)] {
      try {
        routine();
      } catch (...) {
      }
    });
    *id = static_cast<long>(std::hash<std::thread::id>()(thread.get_id()) & 0x7FFFFFFF);
    thread.detach();
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

}  // namespace base
