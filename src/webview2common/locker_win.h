#pragma once
// Locks shared between the UI thread and the channel's sender and wait threads.

#include <windows.h>

namespace _BaseModule {

class ILocker {
 public:
  virtual void Lock() = 0;
  virtual void Unlock() = 0;
  virtual ~ILocker() = default;
};

class CCriticalSection : public ILocker {
 public:
  CCriticalSection() { InitializeCriticalSection(&section_); }
  ~CCriticalSection() override { DeleteCriticalSection(&section_); }
  CCriticalSection(const CCriticalSection&) = delete;
  CCriticalSection& operator=(const CCriticalSection&) = delete;
  void Lock() override { EnterCriticalSection(&section_); }
  void Unlock() override { LeaveCriticalSection(&section_); }

 private:
  CRITICAL_SECTION section_;
};

// A slim lock that a condition variable can sleep on. Handing work to another thread this way
// is cheaper than through an event: no kernel object is set or waited on, and waking a thread
// that is not asleep costs nothing.
class CSlimLock : public ILocker {
 public:
  CSlimLock() = default;
  CSlimLock(const CSlimLock&) = delete;
  CSlimLock& operator=(const CSlimLock&) = delete;
  void Lock() override { AcquireSRWLockExclusive(&lock_); }
  void Unlock() override { ReleaseSRWLockExclusive(&lock_); }
  // Called with the lock held; false on timeout.
  bool Wait(CONDITION_VARIABLE& condition, DWORD timeout_ms) {
    return SleepConditionVariableSRW(&condition, &lock_, timeout_ms, 0) != FALSE;
  }

 private:
  SRWLOCK lock_ = SRWLOCK_INIT;
};

class CAutoLocker {
 public:
  explicit CAutoLocker(ILocker& locker) : locker_(&locker) { locker_->Lock(); }
  ~CAutoLocker() { Unlock(); }
  CAutoLocker(const CAutoLocker&) = delete;
  CAutoLocker& operator=(const CAutoLocker&) = delete;
  void Unlock() {
    if (locker_ != nullptr) locker_->Unlock();
    locker_ = nullptr;
  }

 private:
  ILocker* locker_;
};

}  // namespace _BaseModule
