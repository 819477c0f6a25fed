// The logger's readers-writer lock. Dispatch holds it for reading while a
// writer may log again through the same logger (a failing writer reporting
// itself, the report of a configuration file that cannot be queried), so a
// thread that already reads must be able to read again even while a writer
// waits; std::shared_mutex does not promise that and may deadlock there.
//
// Policy: new readers wait while a writer holds or waits for the lock (so a
// configuration reload is not starved by steady logging), but a thread that
// already holds the lock for reading, or for writing, enters again at once.
// Read ownership is tracked per thread. Taking the lock for writing while the
// same thread holds it in any mode would deadlock and throws instead.
// Tested by tests/logging/concurrency_test.cc.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <thread>

#include "common/mutex.h"

class ReadersWriterLock {
 public:
  ReadersWriterLock() = default;
  ReadersWriterLock(const ReadersWriterLock&) = delete;
  ReadersWriterLock& operator=(const ReadersWriterLock&) = delete;
  ~ReadersWriterLock() = default;

  void acquireRead();
  void releaseRead();
  // Throws std::system_error (resource_deadlock_would_occur) when the calling
  // thread already holds the lock.
  void acquireWrite();
  void releaseWrite();

  // True when the calling thread holds the lock for reading (or writing).
  bool heldByThisThread() const;
  // True while some thread waits to take the lock for writing; lets tests
  // arrange the re-entry case deterministically.
  bool writerWaiting() const;

 private:
  mutable cmn::Mutex mutex_;
  std::condition_variable readersMayEnter_;
  std::condition_variable writerMayEnter_;
  uint32_t activeReaders_ GUARDED_BY(mutex_) = 0;  // threads holding the lock for reading
  uint32_t waitingWriters_ GUARDED_BY(mutex_) = 0;
  bool writerActive_ GUARDED_BY(mutex_) = false;
  // Written under mutex_, read without it by heldByThisThread: only the owner
  // itself can see its own id there, so a stale read never matters.
  std::atomic<std::thread::id> writerOwner_{};
};

class ReadGuard {
 public:
  explicit ReadGuard(ReadersWriterLock& lock) : lock_(lock) { lock_.acquireRead(); }
  ~ReadGuard() { lock_.releaseRead(); }
  ReadGuard(const ReadGuard&) = delete;
  ReadGuard& operator=(const ReadGuard&) = delete;

 private:
  ReadersWriterLock& lock_;
};

class WriteGuard {
 public:
  explicit WriteGuard(ReadersWriterLock& lock) : lock_(lock) { lock_.acquireWrite(); }
  ~WriteGuard() { lock_.releaseWrite(); }
  WriteGuard(const WriteGuard&) = delete;
  WriteGuard& operator=(const WriteGuard&) = delete;

 private:
  ReadersWriterLock& lock_;
};
