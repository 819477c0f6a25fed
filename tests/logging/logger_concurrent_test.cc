// Many threads logging while the configuration is replaced under them, and
// several threads writing one file. Run under ThreadSanitizer in CI.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "test_writers.h"

namespace {

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

void logFromWorkers(TestLogger& test, std::atomic<int>& finished) {
  std::vector<std::thread> workers;
  for (int t = 0; t < kLoggingThreads; ++t) {
    workers.emplace_back([&test, &finished, t] {
      for (int i = 0; i < kMessagesPerThread; ++i)
        test.log("worker", kLevelError, messageText(t, i));
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
  TestLogger test;
  ASSERT_TRUE(test.logger.loadConfig(kConfigurations[0]));
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
  std::vector<std::thread> workers;
  for (int t = 0; t < kLoggingThreads; ++t) {
    workers.emplace_back([&test, t] {
      for (int i = 0; i < kMessagesPerThread; ++i) {
        LogMessage message;
        message.reset("worker", kLevelError);
        message.lines = {messageText(t, i) + "/1", messageText(t, i) + "/2"};
        test.logger.log(message);
      }
    });
  }
  for (std::thread& worker : workers) worker.join();
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
