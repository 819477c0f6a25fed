// The record pipeline of "zebparse run": the reader hands batches of records in,
// worker threads process them, one writer thread writes them out strictly in input
// order. At most `maxBatchesInFlight` batches exist at once (read and not yet
// written), so memory stays bounded however long the input; the reader waits
// when the window is full.
// Tested by tests/tools/batch_pipeline_test.cc (suite ConcurrentBatchPipeline).
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zebparse {

struct Record {
  uint64_t line = 0;               // input line where the record starts (1-based)
  std::string text;                // the input line (xml, jsonl)
  std::vector<std::string> cells;  // the input fields (csv)
  std::string output;              // the output line, without its line end
  std::string failure;             // why the record failed; empty when it succeeded
};

class BatchPipeline {
 public:
  // `process` runs on a worker thread, once per record, with that worker's
  // `scratch` (sized by the caller on first use). `write` runs on the writer
  // thread, once per batch, in input order; `idle` is true when no further batch
  // is ready to be written right now (a good moment to flush).
  using ProcessFunction = std::function<void(Record& record, std::vector<char>& scratch)>;
  using WriteFunction = std::function<void(std::vector<Record>& batch, bool idle)>;

  BatchPipeline(unsigned workerCount, size_t maxBatchesInFlight, ProcessFunction process,
                WriteFunction write);
  ~BatchPipeline();  // finishes if finish() was not called
  BatchPipeline(const BatchPipeline&) = delete;
  BatchPipeline& operator=(const BatchPipeline&) = delete;

  // Queues one batch; blocks while the window is full.
  void submit(std::vector<Record> batch);
  // A batch already written, to be filled again, or an empty one. Its records keep
  // their strings' memory (output and failure emptied; very long texts released),
  // so that a steady stream does not allocate and free memory for every record.
  std::vector<Record> takeSpare();
  // Processes and writes everything submitted, then stops the threads.
  void finish();

 private:
  struct Batch {
    std::vector<Record> records;
    bool processed = false;
  };
  void workerLoop();
  void writerLoop();
  void recycle(std::vector<Record> records);

  ProcessFunction process_;
  WriteFunction write_;
  size_t maxBatchesInFlight_;

  std::mutex mutex_;
  std::condition_variable workAvailable_;
  std::condition_variable batchProcessed_;
  std::condition_variable roomAvailable_;
  std::deque<std::unique_ptr<Batch>> window_;  // in input order; front is written next
  std::deque<Batch*> todo_;                    // submitted, not yet taken by a worker
  std::vector<std::vector<Record>> spare_;     // written, ready to be filled again
  bool closing_ = false;
  bool finished_ = false;

  std::vector<std::thread> workers_;
  std::thread writer_;
};

}  // namespace zebparse
