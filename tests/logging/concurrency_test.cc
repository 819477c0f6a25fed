// The logger's readers-writer lock (re-entry by a reader while a writer waits,
// exclusion, the deadlocks it refuses); many threads logging while the configuration
// is replaced under them, and several threads writing one file. Run under
// ThreadSanitizer in CI.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "logging/rw_lock.h"
#include "test_writers.h"

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

using zebtest::ScratchDirectory;
using zebtest::TestClock;
using zebtest::TestLogger;

constexpr int kLoggingThreads = 4;
constexpr int kMessagesPerThread = 400;

// Every configuration used here admits a worker's ERR message to exactly one
// writer, so whichever was in force, each message must be recorded once.
const char* const kConfigurations[] = {
    "record://a *.ERR",
    "record://b worker.ERR;*.*\nrecord://c other.*",
    "# comment\nrecord://d worker.*;worker.ERR\n",
};

std::string messageText(int thread, int number) {
  return "m-" + std::to_string(thread) + "-" + std::to_string(number);
}

// Each worker thread logs its messages with `logOne(thread, number)`, by default
// one line of messageText; `finished` counts the workers done.
void logFromWorkers(TestLogger& test, std::atomic<int>& finished,
                    std::function<void(int, int)> logOne = {}) {
  if (!logOne) logOne = [&](int t, int i) { test.log("worker", kLevelError, messageText(t, i)); };
  std::vector<std::thread> workers;
  for (int t = 0; t < kLoggingThreads; ++t) {
    workers.emplace_back([&, t] {
      for (int i = 0; i < kMessagesPerThread; ++i) logOne(t, i);
      ++finished;
    });
  }
  for (std::thread& worker : workers) worker.join();
}

void expectEveryMessageOnce(const TestLogger& test) {
  std::map<std::string, int> seen;
  for (const std::string& text : test.recorded().texts()) {
    if (text.rfind("m-", 0) == 0) ++seen[text];
  }
  ASSERT_EQ(seen.size(), static_cast<size_t>(kLoggingThreads * kMessagesPerThread));
  for (const auto& [text, count] : seen) EXPECT_EQ(count, 1) << text;
}

TEST(ConcurrentLogger, ReplacingTheConfigurationLosesNoAdmittedMessage) {
  TestLogger test(kConfigurations[0]);
  std::atomic<int> finished{0};

  std::thread reloader([&] {
    int loads = 0;
    while (finished.load() < kLoggingThreads || loads < 3) {
      EXPECT_TRUE(test.logger.loadConfig(kConfigurations[loads % 3]));
      ++loads;
    }
  });
  logFromWorkers(test, finished);
  reloader.join();
  expectEveryMessageOnce(test);
  EXPECT_EQ(test.recorded().created - test.recorded().destroyed,
            static_cast<int>(test.logger.writers.size()));
}

TEST(ConcurrentLogger, WatchedFileReloadsWhileThreadsLog) {
  TestClock clock;
  ScratchDirectory scratch;
  TestLogger test;
  const std::string path = scratch.file("logger.cfg");
  zebtest::writeFile(path, kConfigurations[0]);
  zebtest::setModifiedTime(path, 1000);
  ASSERT_TRUE(test.logger.loadConfigFile(path));
  std::atomic<int> finished{0};

  std::thread editor([&] {
    int edits = 0;
    while (finished.load() < kLoggingThreads || edits < 3) {
      // Replace the file whole, so that a reload never reads half of it.
      const std::string next = scratch.file("next.cfg");
      zebtest::writeFile(next, kConfigurations[edits % 3]);
      zebtest::setModifiedTime(next, 2000 + edits);
      // Windows refuses to replace a file while a reload has it open: try again.
      std::error_code busy;
      while (std::filesystem::rename(next, path, busy), busy) std::this_thread::yield();
      clock.advance(60001);
      ++edits;
      std::this_thread::yield();
    }
  });
  logFromWorkers(test, finished);
  editor.join();
  expectEveryMessageOnce(test);
}

TEST(ConcurrentFileWriter, LinesOfConcurrentMessagesAreNeverInterleaved) {
  ScratchDirectory scratch;
  TestLogger test;
  const std::string path = scratch.file("shared.log");
  ASSERT_TRUE(test.logger.loadConfig(zeb_test::fileUri(path) + "?style=bare worker.*"));
  std::atomic<int> finished{0};
  logFromWorkers(test, finished, [&](int t, int i) {
    test.logLines("worker", kLevelError, {messageText(t, i) + "/1", messageText(t, i) + "/2"});
  });
  test.logger.clear();

  std::istringstream lines(zebtest::readFile(path));
  std::string first;
  std::string second;
  int pairs = 0;
  while (std::getline(lines, first) && std::getline(lines, second)) {
    ASSERT_EQ(first.substr(0, first.size() - 2) + "/2", second);
    ++pairs;
  }
  EXPECT_EQ(pairs, kLoggingThreads * kMessagesPerThread);
}

}  // namespace
