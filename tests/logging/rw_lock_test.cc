// The logger's readers-writer lock: re-entry by a reader while a writer waits,
// exclusion, and the deadlocks it refuses.
#include "logging/rw_lock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

namespace {

TEST(ConcurrentReadersWriterLock, ReaderReentersWhileWriterWaits) {
  ReadersWriterLock lock;
  std::atomic<bool> writerEntered{false};

  lock.acquireRead();
  std::thread writer([&] {
    WriteGuard guard(lock);
    writerEntered = true;
  });
  while (!lock.writerWaiting()) std::this_thread::yield();

  // With a waiting writer a fresh reader would queue behind it; the thread that
  // already reads must not, or dispatch deadlocks on its own failure report.
  lock.acquireRead();
  EXPECT_TRUE(lock.heldByThisThread());
  EXPECT_FALSE(writerEntered);
  lock.releaseRead();
  EXPECT_FALSE(writerEntered) << "the writer entered while a read was still held";
  lock.releaseRead();

  writer.join();
  EXPECT_TRUE(writerEntered);
  EXPECT_FALSE(lock.heldByThisThread());
}

TEST(ConcurrentReadersWriterLock, WritersExcludeEachOtherAndReaders) {
  ReadersWriterLock lock;
  int64_t counter = 0;  // deliberately not atomic: the lock alone protects it
  std::atomic<int64_t> readSum{0};
  constexpr int kThreads = 4;
  constexpr int kRounds = 2000;

  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < kRounds; ++i) {
        {
          WriteGuard guard(lock);
          ++counter;
        }
        ReadGuard outer(lock);
        ReadGuard inner(lock);
        readSum += counter > 0 ? 1 : 0;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(counter, kThreads * kRounds);
  EXPECT_EQ(readSum.load(), kThreads * kRounds);
}

TEST(ReadersWriterLock, WritingWhileHoldingTheLockThrowsInsteadOfDeadlocking) {
  ReadersWriterLock lock;
  {
    ReadGuard guard(lock);
    EXPECT_THROW(lock.acquireWrite(), std::system_error);
  }
  WriteGuard writing(lock);
  EXPECT_THROW(lock.acquireWrite(), std::system_error);
  {
    ReadGuard reading(lock);  // a writer may read what it holds
    EXPECT_TRUE(lock.heldByThisThread());
  }
  EXPECT_TRUE(lock.heldByThisThread());
}

}  // namespace
