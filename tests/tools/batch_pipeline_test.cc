// The run pipeline keeps input order whatever the threads do, never holds more than
// its window of batches, and hands written batches back to be filled again.
#include "tools/zebparse/batch_pipeline.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace zebparse {
namespace {

// Reads `total` numbered records in batches of `perBatch`.
BatchPipeline::ReadFunction countingReader(uint64_t total, size_t perBatch) {
  auto next = std::make_shared<uint64_t>(1);
  return [=](std::vector<Record>& batch) {
    batch.resize(std::min<uint64_t>(perBatch, total + 1 - *next));
    for (Record& record : batch) {
      record.line = (*next)++;
      record.text = std::to_string(record.line);
    }
    return *next <= total;
  };
}

// Output is flushed only on an idle write, so one must come after the last batch.
// One thread is the caller's own.
TEST(ConcurrentBatchPipeline, WritesInInputOrderWhateverTheProcessingOrderThenIdles) {
  for (unsigned threads : {1u, 2u, 4u}) {
    std::vector<uint64_t> written;
    std::atomic<int> processed{0};
    bool lastIdle = false;
    std::set<std::thread::id> seen;
    BatchPipeline(
        6, countingReader(1000, 10),
        [&](Record& record, std::vector<char>&) {
          // Later records finish first now and then.
          if (record.line % 7 == 0) std::this_thread::sleep_for(std::chrono::microseconds(300));
          record.output = "out" + record.text;
          if (threads == 1) seen.insert(std::this_thread::get_id());
          ++processed;
        },
        [&](std::vector<Record>& batch, bool idle) {
          for (Record& record : batch) {
            EXPECT_EQ(record.output, "out" + std::to_string(record.line));
            written.push_back(record.line);
          }
          lastIdle = idle;
          if (threads == 1) seen.insert(std::this_thread::get_id());
          return true;
        })
        .run(threads);
    EXPECT_TRUE(threads > 1 || seen == std::set<std::thread::id>{std::this_thread::get_id()});
    ASSERT_EQ(written.size(), 1000u) << threads << " threads";
    for (size_t i = 0; i < written.size(); ++i) ASSERT_EQ(written[i], i + 1) << "position " << i;
    EXPECT_EQ(processed.load(), 1000);
    EXPECT_TRUE(lastIdle) << threads << " threads";
  }
}

TEST(ConcurrentBatchPipeline, ReadersWaitWhenTheWindowIsFull) {
  // The first batch is slow, so every later one waits to be written behind it.
  constexpr size_t kWindow = 3;
  std::atomic<int> inFlight{0};
  std::atomic<int> mostInFlight{0};
  auto read = countingReader(40, 1);
  BatchPipeline(
      kWindow,
      [&](std::vector<Record>& batch) {
        bool more = read(batch);
        int now = ++inFlight;
        int seen = mostInFlight.load();
        while (now > seen && !mostInFlight.compare_exchange_weak(seen, now)) {
        }
        return more;
      },
      [&](Record& record, std::vector<char>&) {
        if (record.line == 1) std::this_thread::sleep_for(std::chrono::milliseconds(50));
      },
      [&](std::vector<Record>&, bool) {
        --inFlight;
        return true;
      })
      .run(4);
  EXPECT_LE(mostInFlight.load(), static_cast<int>(kWindow));
  EXPECT_EQ(inFlight.load(), 0);
}

TEST(ConcurrentBatchPipeline, EmptyInputAndEmptyReadsWriteNothing) {
  int reads = 0;
  int writes = 0;
  BatchPipeline(
      2,
      [&](std::vector<Record>& batch) {
        batch.clear();
        return ++reads < 3;  // two empty reads, then the end
      },
      [](Record&, std::vector<char>&) { FAIL() << "no record to process"; },
      [&](std::vector<Record>&, bool) {
        ++writes;
        return true;
      })
      .run(3);
  EXPECT_EQ(reads, 3) << "the end of the input is read once";
  EXPECT_EQ(writes, 0);
}

TEST(ConcurrentBatchPipeline, WrittenBatchesComeBackEmptiedButKeepTheirMemory) {
  // One thread, so the second read gets the batch the first one filled.
  int reads = 0;
  BatchPipeline(
      1,
      [&](std::vector<Record>& batch) {
        ++reads;
        if (reads == 1) {
          batch.resize(4);
          batch[3].text.assign(1 << 20, 'x');  // one huge record
          return true;
        }
        EXPECT_EQ(batch.size(), 4u);
        for (const Record& record : batch) {
          EXPECT_TRUE(record.output.empty());
          EXPECT_TRUE(record.failure.empty());
          EXPECT_GE(record.output.capacity(), 1000u) << "the output's memory is kept";
        }
        EXPECT_LT(batch[3].text.capacity(), size_t{1} << 20) << "a huge text is not kept";
        batch.clear();
        return false;
      },
      [](Record& record, std::vector<char>&) {
        record.output.assign(1000, 'o');
        record.failure = "f";
      },
      [](std::vector<Record>&, bool) { return true; })
      .run(1);
  EXPECT_EQ(reads, 2);
}

TEST(ConcurrentBatchPipeline, AFailedWriteStopsReadingAndWriting) {
  for (unsigned threads : {1u, 2u, 4u}) {
    std::atomic<uint64_t> lastRead{0};
    auto read = countingReader(100000, 10);
    std::vector<uint64_t> written;
    bool stopped = BatchPipeline(
                       4,
                       [&](std::vector<Record>& batch) {
                         bool more = read(batch);
                         lastRead = batch.back().line;
                         return more;
                       },
                       [](Record&, std::vector<char>&) {},
                       [&](std::vector<Record>& batch, bool) {
                         written.push_back(batch.front().line);
                         return written.size() < 3;
                       })
                       .run(threads);
    EXPECT_TRUE(stopped);
    EXPECT_EQ(written, (std::vector<uint64_t>{1, 11, 21})) << threads << " threads";
    EXPECT_LE(lastRead.load(), 30u + 10 * (4 + threads)) << "reading stops at the window";
  }
}

}  // namespace
}  // namespace zebparse
