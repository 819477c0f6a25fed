// Tested by tests/tools/batch_pipeline_test.cc.
#include "tools/zebparse/batch_pipeline.h"

namespace zebparse {

BatchPipeline::BatchPipeline(unsigned workerCount, size_t maxBatchesInFlight,
                             ProcessFunction process, WriteFunction write)
    : process_(std::move(process)),
      write_(std::move(write)),
      maxBatchesInFlight_(maxBatchesInFlight < 1 ? 1 : maxBatchesInFlight) {
  if (workerCount < 1) workerCount = 1;
  for (unsigned i = 0; i < workerCount; ++i) workers_.emplace_back([this] { workerLoop(); });
  writer_ = std::thread([this] { writerLoop(); });
}

BatchPipeline::~BatchPipeline() { finish(); }

void BatchPipeline::submit(std::vector<Record> records) {
  if (records.empty()) return;
  auto batch = std::make_unique<Batch>();
  batch->records = std::move(records);
  std::unique_lock<std::mutex> lock(mutex_);
  roomAvailable_.wait(lock, [this] { return window_.size() < maxBatchesInFlight_; });
  todo_.push_back(batch.get());
  window_.push_back(std::move(batch));
  workAvailable_.notify_one();
}

std::vector<Record> BatchPipeline::takeSpare() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (spare_.empty()) return {};
  std::vector<Record> batch = std::move(spare_.back());
  spare_.pop_back();
  return batch;
}

void BatchPipeline::finish() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (finished_) return;
    finished_ = true;
    closing_ = true;
  }
  workAvailable_.notify_all();
  batchProcessed_.notify_all();
  for (auto& worker : workers_) worker.join();
  writer_.join();
}

void BatchPipeline::workerLoop() {
  std::vector<char> scratch;
  for (;;) {
    Batch* batch = nullptr;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      workAvailable_.wait(lock, [this] { return !todo_.empty() || closing_; });
      if (todo_.empty()) return;  // closing and nothing left
      batch = todo_.front();
      todo_.pop_front();
    }
    for (Record& record : batch->records) process_(record, scratch);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      batch->processed = true;
    }
    batchProcessed_.notify_all();
  }
}

void BatchPipeline::writerLoop() {
  for (;;) {
    std::unique_ptr<Batch> batch;
    bool idle = false;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      batchProcessed_.wait(lock, [this] {
        return (!window_.empty() && window_.front()->processed) || (closing_ && window_.empty());
      });
      if (window_.empty()) return;  // closing and everything written
      batch = std::move(window_.front());
      window_.pop_front();
      idle = window_.empty() || !window_.front()->processed;
    }
    roomAvailable_.notify_one();
    write_(batch->records, idle);
    recycle(std::move(batch->records));
  }
}

void BatchPipeline::recycle(std::vector<Record> records) {
  // A record is kept with its memory unless one of its texts grew past what an
  // ordinary record needs: a single huge record must not stay allocated forever.
  constexpr size_t kLargestKeptText = 64 * 1024;
  for (Record& record : records) {
    if (record.text.capacity() > kLargestKeptText) std::string().swap(record.text);
    if (record.output.capacity() > kLargestKeptText) std::string().swap(record.output);
    record.output.clear();
    record.failure.clear();
    record.cells.clear();
  }
  std::lock_guard<std::mutex> lock(mutex_);
  if (spare_.size() < maxBatchesInFlight_) spare_.push_back(std::move(records));
}

}  // namespace zebparse
