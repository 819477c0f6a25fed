// Readers-writer lock with per-thread read re-entry; see rw_lock.h.
// Tested by tests/logging/concurrency_test.cc.
#include "logging/rw_lock.h"

#include <algorithm>
#include <system_error>
#include <vector>

namespace {

// One row per lock the current thread holds for reading. A thread rarely holds
// more than one or two locks, so a small vector beats a map.
struct ReadHold {
  const ReadersWriterLock* lock;
  uint32_t depth;
  bool counted;  // false for a read taken while this thread holds the write lock
};

thread_local std::vector<ReadHold> tReadHolds;

ReadHold* findHold(const ReadersWriterLock* lock) {
  for (ReadHold& hold : tReadHolds) {
    if (hold.lock == lock) return &hold;
  }
  return nullptr;
}

}  // namespace

void ReadersWriterLock::acquireRead() {
  if (ReadHold* hold = findHold(this)) {
    ++hold->depth;  // re-entry never waits, whatever writers are queued
    return;
  }
  cmn::MutexLock guard(mutex_);
  const bool writingHere =
      writerActive_ && writerOwner_.load(std::memory_order_relaxed) == std::this_thread::get_id();
  if (writingHere) {
    tReadHolds.push_back({this, 1, false});
    return;
  }
  while (writerActive_ || waitingWriters_ != 0) guard.wait(readersMayEnter_);
  ++activeReaders_;
  tReadHolds.push_back({this, 1, true});
}

void ReadersWriterLock::releaseRead() {
  ReadHold* hold = findHold(this);
  if (hold == nullptr) return;  // not held: nothing to release
  if (--hold->depth > 0) return;
  const bool counted = hold->counted;
  tReadHolds.erase(tReadHolds.begin() + (hold - tReadHolds.data()));
  if (!counted) return;
  cmn::MutexLock guard(mutex_);
  if (--activeReaders_ == 0 && waitingWriters_ > 0) writerMayEnter_.notify_one();
}

void ReadersWriterLock::acquireWrite() {
  if (heldByThisThread()) {
    throw std::system_error(std::make_error_code(std::errc::resource_deadlock_would_occur),
                            "ReadersWriterLock::acquireWrite()");
  }
  cmn::MutexLock guard(mutex_);
  ++waitingWriters_;
  while (writerActive_ || activeReaders_ != 0) guard.wait(writerMayEnter_);
  --waitingWriters_;
  writerActive_ = true;
  writerOwner_.store(std::this_thread::get_id(), std::memory_order_relaxed);
}

void ReadersWriterLock::releaseWrite() {
  cmn::MutexLock guard(mutex_);
  writerActive_ = false;
  writerOwner_.store(std::thread::id(), std::memory_order_relaxed);
  if (waitingWriters_ > 0) {
    writerMayEnter_.notify_one();
  } else {
    readersMayEnter_.notify_all();
  }
}

bool ReadersWriterLock::heldByThisThread() const {
  if (findHold(this) != nullptr) return true;
  return writerOwner_.load(std::memory_order_relaxed) == std::this_thread::get_id();
}

bool ReadersWriterLock::writerWaiting() const {
  cmn::MutexLock guard(mutex_);
  return waitingWriters_ > 0;
}
