// The base of this system's log writers. Dispatch calls write from many threads
// at once, so every writer serialises its work; this base does it once for all
// of them: its public operations are final, take the writer's lock and call a
// protected step that runs with the lock held, so a concrete writer only
// formats and writes. A failure the step wants logged is reported after the
// lock is released, so that the report, which goes through the whole dispatch,
// never runs under a writer's lock. Messages whose source label begins with the
// writer's own source name and ":" (its own failure reports) are skipped before
// the lock is taken.
// Exercised by tests/logging/concurrency_test.cc and the writers' tests.
#pragma once

#include <string>

#include "common/mutex.h"
#include "common/thread_annotations.h"
#include "logging/log_writer.h"

class CLockedLogWriter : public CLogWriter {
 public:
  void open(const Uri& uri) final;
  void write(const std::string& timeStamp, const std::string& sourceLabel,
             const std::string& levelName, const LogMessage& message) final;
  void close() final;

 protected:
  // A writer with a lock of its own. `ownSource`: the source name of the
  // writer's failure reports ("filewriter"), or nullptr when it makes none.
  explicit CLockedLogWriter(const char* ownSource);
  // A writer that shares `sharedLock` (which outlives it) with other writers.
  CLockedLogWriter(cmn::Mutex& sharedLock, const char* ownSource);

  // The lock the steps below run under; it guards the concrete writer's state.
  cmn::Mutex& writerLock() const RETURN_CAPABILITY(lock_) { return lock_; }

  virtual void openLocked(const Uri& uri) REQUIRES(lock_) = 0;
  // Writes every line of the message. Returns a failure to report once the
  // lock is released (see reportFailure), or an empty string. May throw.
  virtual std::string writeLocked(const std::string& timeStamp, const std::string& sourceLabel,
                                  const std::string& levelName, const LogMessage& message)
      REQUIRES(lock_) = 0;
  virtual void closeLocked() REQUIRES(lock_) = 0;
  // Reports what writeLocked returned, without the lock; may throw.
  virtual void reportFailure(const std::string& failure) EXCLUDES(lock_);

 private:
  cmn::Mutex ownLock_;
  cmn::Mutex& lock_;           // ownLock_ or the shared lock
  std::string ownLabelStart_;  // the own source name and ":"; empty: none
};
