// The record pipeline of "zebparse run". Every thread does the whole job in turn:
// it reads a batch of records (one reader at a time), processes it, and hands it in
// to be written. Whichever thread hands in the batch that is next in input order
// writes it, and every batch after it that is ready, so output keeps input order
// with no thread of its own for reading or writing. A thread hands work to no
// other thread, so none is woken per batch. At most `maxBatchesInFlight` batches
// are read and not yet written, so memory stays bounded however long the input; a
// reader waits when the window is full.
// Tested by tests/tools/record_formats_test.cc (suite ConcurrentBatchPipeline).
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/mutex.h"

namespace zebparse {

struct Record {
  uint64_t line = 0;               // input line where the record starts (1-based)
  std::string text;                // the input line (xml, jsonl)
  std::vector<std::string> cells;  // the input fields (csv)
  std::string output;              // the output line, without its line end
  std::string failure;             // why the record failed; empty when it succeeded
  bool blank = false;              // a blank line: its output line is blank too
  bool noAddress = false;          // the record holds no address element
  std::string unknownCountry;      // its COUNTRY, when no configured country has that name
};

class BatchPipeline {
 public:
  // `read` fills `batch` with the next records and returns false once the input is
  // exhausted (the records it filled on that call are still processed). The batch
  // is new or one written earlier, its records emptied of output and failure but keeping
  // their strings' memory, so that a steady stream allocates nothing per record;
  // `read` resizes it to the records it holds. Calls never overlap.
  using ReadFunction = std::function<bool(std::vector<Record>& batch)>;
  // Runs once per record, with the calling thread's own `scratch`.
  using ProcessFunction = std::function<void(Record& record, std::vector<char>& scratch)>;
  // Runs once per batch, in input order, never two at once; `idle` is true when no
  // further batch is ready to be written right now (a good moment to flush).
  // False stops the run: nothing more is read, and no later batch is written.
  using WriteFunction = std::function<bool(std::vector<Record>& batch, bool idle)>;

  BatchPipeline(size_t maxBatchesInFlight, ReadFunction read, ProcessFunction process,
                WriteFunction write);
  BatchPipeline(const BatchPipeline&) = delete;
  BatchPipeline& operator=(const BatchPipeline&) = delete;

  // Reads, processes and writes the whole input on `threadCount` threads, the
  // calling thread among them, and returns when everything read is written, or
  // soon after a write failed (then true: the run was stopped).
  bool run(unsigned threadCount);

 private:
  struct Batch {
    std::vector<Record> records;
    uint64_t sequence = 0;
  };
  void work();
  // Reads the next batch into `batch`; false when the input was already exhausted.
  bool readNext(Batch& batch);
  // Hands in a processed batch, writes what is due if no other thread is writing,
  // and returns an empty batch to fill next.
  std::unique_ptr<Batch> handIn(std::unique_ptr<Batch> batch);
  // The processed batch whose turn it is to be written, if it is ready.
  std::vector<std::unique_ptr<Batch>>::iterator readyBatch(uint64_t sequence) REQUIRES(mutex_);
  static void emptyForReuse(std::vector<Record>& records);

  ReadFunction read_;
  ProcessFunction process_;
  WriteFunction write_;
  size_t maxBatchesInFlight_;

  cmn::Mutex inputMutex_;  // serialises read_
  bool inputDone_ GUARDED_BY(inputMutex_) = false;

  cmn::Mutex mutex_ ACQUIRED_AFTER(inputMutex_);
  std::condition_variable roomAvailable_;
  uint64_t nextRead_ GUARDED_BY(mutex_) = 0;   // sequence of the next batch read
  uint64_t nextWrite_ GUARDED_BY(mutex_) = 0;  // sequence of the next batch to write
  bool writing_ GUARDED_BY(mutex_) = false;    // a thread is writing; others only hand in
  bool stopped_ GUARDED_BY(mutex_) = false;    // a write failed: read and write no more
  // Processed, waiting for their turn; and written, ready to be filled again.
  std::vector<std::unique_ptr<Batch>> ready_ GUARDED_BY(mutex_);
  std::vector<std::unique_ptr<Batch>> spare_ GUARDED_BY(mutex_);
};

}  // namespace zebparse
