// Tested by tests/tools/record_formats_test.cc.
#include "tools/zebparse/batch_pipeline.h"

#include <algorithm>
#include <thread>

namespace zebparse {

BatchPipeline::BatchPipeline(size_t maxBatchesInFlight, ReadFunction read, ProcessFunction process,
                             WriteFunction write)
    : read_(std::move(read)),
      process_(std::move(process)),
      write_(std::move(write)),
      maxBatchesInFlight_(maxBatchesInFlight < 1 ? 1 : maxBatchesInFlight) {}

bool BatchPipeline::run(unsigned threadCount) {
  std::vector<std::thread> helpers;
  for (unsigned i = 1; i < threadCount; ++i) helpers.emplace_back([this] { work(); });
  work();
  for (std::thread& helper : helpers) helper.join();
  cmn::MutexLock lock(mutex_);
  return stopped_;
}

void BatchPipeline::work() {
  std::vector<char> scratch;
  auto batch = std::make_unique<Batch>();
  while (readNext(*batch)) {
    for (Record& record : batch->records) process_(record, scratch);
    batch = handIn(std::move(batch));
  }
}

bool BatchPipeline::readNext(Batch& batch) {
  cmn::MutexLock input(inputMutex_);
  for (;;) {
    if (inputDone_) return false;
    {
      // Wait for room before reading: the records read now count against the
      // window until they are written.
      cmn::MutexLock lock(mutex_);
      while (!stopped_ && nextRead_ - nextWrite_ >= maxBatchesInFlight_) {
        lock.wait(roomAvailable_);
      }
      if (stopped_) return false;
    }
    inputDone_ = !read_(batch.records);
    if (batch.records.empty()) continue;  // nothing read: no sequence number spent
    cmn::MutexLock lock(mutex_);
    batch.sequence = nextRead_++;
    return true;
  }
}

std::vector<std::unique_ptr<BatchPipeline::Batch>>::iterator BatchPipeline::readyBatch(
    uint64_t sequence) {
  return std::find_if(ready_.begin(), ready_.end(),
                      [sequence](const auto& ready) { return ready->sequence == sequence; });
}

std::unique_ptr<BatchPipeline::Batch> BatchPipeline::handIn(std::unique_ptr<Batch> batch) {
  cmn::MutexLock lock(mutex_);
  ready_.push_back(std::move(batch));
  if (!writing_) {
    writing_ = true;
    for (auto next = readyBatch(nextWrite_); !stopped_ && next != ready_.end();
         next = readyBatch(nextWrite_)) {
      std::unique_ptr<Batch> written = std::move(*next);
      ready_.erase(next);
      bool idle = readyBatch(nextWrite_ + 1) == ready_.end();
      lock.unlock();
      bool wrote = write_(written->records, idle);
      emptyForReuse(written->records);
      lock.lock();
      // Only now does the batch leave the window: until written it holds memory.
      ++nextWrite_;
      spare_.push_back(std::move(written));
      if (!wrote) {
        stopped_ = true;
        roomAvailable_.notify_all();
      } else {
        roomAvailable_.notify_one();
      }
    }
    writing_ = false;
  }
  if (stopped_) ready_.clear();  // never to be written
  if (spare_.empty()) return std::make_unique<Batch>();
  std::unique_ptr<Batch> spare = std::move(spare_.back());
  spare_.pop_back();
  return spare;
}

void BatchPipeline::emptyForReuse(std::vector<Record>& records) {
  // A record keeps its memory unless one of its texts grew past what an ordinary
  // record needs: a single huge record must not stay allocated for the whole run.
  constexpr size_t kLargestKeptText = 64 * 1024;
  for (Record& record : records) {
    if (record.text.capacity() > kLargestKeptText) std::string().swap(record.text);
    if (record.output.capacity() > kLargestKeptText) std::string().swap(record.output);
    record.output.clear();
    record.failure.clear();
    record.cells.clear();
    record.blank = false;
    record.noAddress = false;
    record.unknownCountry.clear();
  }
}

}  // namespace zebparse
