// The locking base of the log writers. Exercised by
// tests/logging/concurrency_test.cc and the writers' tests.
#include "logging/locked_log_writer.h"

#include "common/string_util.h"

CLockedLogWriter::CLockedLogWriter(const char* ownSource) : CLockedLogWriter(ownLock_, ownSource) {}

CLockedLogWriter::CLockedLogWriter(cmn::Mutex& sharedLock, const char* ownSource)
    : lock_(sharedLock),
      ownLabelStart_(ownSource != nullptr ? std::string(ownSource) + ":" : std::string()) {}

void CLockedLogWriter::open(const Uri& uri) {
  cmn::MutexLock guard(lock_);
  openLocked(uri);
}

void CLockedLogWriter::write(const std::string& timeStamp, const std::string& sourceLabel,
                             const std::string& levelName, const LogMessage& message) {
  if (!ownLabelStart_.empty() && cmn::StartsWith(sourceLabel, ownLabelStart_.c_str())) {
    return;  // the writer's own failure report
  }
  std::string failure;
  {
    cmn::MutexLock guard(lock_);
    failure = writeLocked(timeStamp, sourceLabel, levelName, message);
  }
  if (!failure.empty()) reportFailure(failure);
}

void CLockedLogWriter::close() {
  cmn::MutexLock guard(lock_);
  closeLocked();
}

void CLockedLogWriter::reportFailure(const std::string&) {}
