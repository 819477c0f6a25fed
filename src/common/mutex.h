// An annotated mutex and its scoped lock. The standard library's std::mutex
// carries no thread-safety annotations, so data guarded by one cannot be
// checked; these thin wrappers can.
// Checked by the clang build with ZEB_THREAD_SAFETY_ANALYSIS=ON; exercised by
// tests/logging/logger_concurrent_test.cc.
#pragma once

#include <mutex>

#include "common/thread_annotations.h"

namespace cmn {

class CAPABILITY("mutex") Mutex {
 public:
  // Constant-initialised, so a namespace-scope Mutex is usable before any
  // dynamic initialiser runs.
  constexpr Mutex() noexcept = default;
  Mutex(const Mutex&) = delete;
  Mutex& operator=(const Mutex&) = delete;

  void lock() ACQUIRE() { mutex_.lock(); }
  void unlock() RELEASE() { mutex_.unlock(); }

 private:
  std::mutex mutex_;
};

class SCOPED_CAPABILITY MutexLock {
 public:
  explicit MutexLock(Mutex& mutex) ACQUIRE(mutex) : mutex_(mutex) { mutex_.lock(); }
  ~MutexLock() RELEASE() { mutex_.unlock(); }
  MutexLock(const MutexLock&) = delete;
  MutexLock& operator=(const MutexLock&) = delete;

 private:
  Mutex& mutex_;
};

}  // namespace cmn
