// The run pipeline keeps input order whatever the threads do, and never holds more
// than its window of batches.
#include "tools/zebparse/batch_pipeline.h"

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace zebparse {
namespace {

std::vector<Record> batchOf(uint64_t first, size_t count) {
  std::vector<Record> batch(count);
  for (size_t i = 0; i < count; ++i) {
    batch[i].line = first + i;
    batch[i].text = std::to_string(first + i);
  }
  return batch;
}

TEST(ConcurrentBatchPipeline, WritesInInputOrderWhateverTheProcessingOrder) {
  std::vector<uint64_t> written;
  std::atomic<int> processed{0};
  {
    BatchPipeline pipeline(
        4, 6,
        [&](Record& record, std::vector<char>&) {
          // Later records finish first now and then.
          if (record.line % 7 == 0) std::this_thread::sleep_for(std::chrono::microseconds(300));
          record.output = "out" + record.text;
          ++processed;
        },
        [&](std::vector<Record>& batch, bool) {
          for (Record& record : batch) {
            EXPECT_EQ(record.output, "out" + std::to_string(record.line));
            written.push_back(record.line);
          }
        });
    for (uint64_t first = 1; first <= 1000; first += 10) pipeline.submit(batchOf(first, 10));
    pipeline.finish();
  }
  ASSERT_EQ(written.size(), 1000u);
  for (size_t i = 0; i < written.size(); ++i) ASSERT_EQ(written[i], i + 1) << "position " << i;
  EXPECT_EQ(processed.load(), 1000);
}

TEST(ConcurrentBatchPipeline, ReaderWaitsWhenTheWindowIsFull) {
  constexpr size_t kWindow = 3;
  std::atomic<int> alive{0};
  std::atomic<int> mostAlive{0};
  std::atomic<bool> release{false};
  BatchPipeline pipeline(
      2, kWindow,
      [&](Record& record, std::vector<char>&) {
        while (!release.load()) std::this_thread::yield();
      },
      [&](std::vector<Record>&, bool) { --alive; });
  std::thread reader([&] {
    for (uint64_t i = 0; i < 20; ++i) {
      pipeline.submit(batchOf(i, 1));
      int now = ++alive;
      int seen = mostAlive.load();
      while (now > seen && !mostAlive.compare_exchange_weak(seen, now)) {
      }
    }
  });
  // Nothing can be written before `release`, so the reader stops at the window.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_LE(mostAlive.load(), static_cast<int>(kWindow));
  release = true;
  reader.join();
  pipeline.finish();
  EXPECT_EQ(alive.load(), 0);
}

TEST(ConcurrentBatchPipeline, FinishWithNothingSubmittedReturns) {
  BatchPipeline pipeline(
      3, 2, [](Record&, std::vector<char>&) {}, [](std::vector<Record>&, bool) {});
  pipeline.submit({});
  pipeline.finish();
  pipeline.finish();
}

TEST(ConcurrentBatchPipeline, WrittenBatchesComeBackEmptiedButKeepTheirMemory) {
  std::atomic<int> written{0};
  BatchPipeline pipeline(
      2, 3,
      [](Record& record, std::vector<char>&) {
        record.output.assign(1000, 'o');
        record.failure = "f";
      },
      [&](std::vector<Record>&, bool) { ++written; });
  std::vector<Record> batch = batchOf(1, 4);
  batch[3].text.assign(1 << 20, 'x');  // one huge record
  pipeline.submit(std::move(batch));
  while (written.load() < 1) std::this_thread::yield();

  std::vector<Record> spare;
  for (int attempt = 0; attempt < 1000 && spare.empty(); ++attempt) {
    spare = pipeline.takeSpare();
    if (spare.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ASSERT_EQ(spare.size(), 4u);
  for (const Record& record : spare) {
    EXPECT_TRUE(record.output.empty());
    EXPECT_TRUE(record.failure.empty());
    EXPECT_GE(record.output.capacity(), 1000u) << "the output's memory is kept";
  }
  EXPECT_LT(spare[3].text.capacity(), size_t{1} << 20) << "a huge text is not kept";
  EXPECT_TRUE(pipeline.takeSpare().empty()) << "each written batch comes back once";
  pipeline.finish();
}

}  // namespace
}  // namespace zebparse
