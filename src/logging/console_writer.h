// The console writer: standard error, or standard output for the host
// "stdout" ("console://stdout"); "style=bare" writes the line text only.
// All console writers share one process-wide lock, so the lines of one message
// are never interleaved with another's on either stream.
// Tested by tests/logging/writers_test.cc.
#pragma once

#include <iostream>

#include "logging/locked_log_writer.h"

class CConsoleWriter : public CLockedLogWriter {
 public:
  CConsoleWriter();

 protected:
  void openLocked(const Uri& uri) override REQUIRES(writerLock());
  std::string writeLocked(const std::string& timeStamp, const std::string& sourceLabel,
                          const std::string& levelName, const LogMessage& message) override
      REQUIRES(writerLock());
  void closeLocked() override REQUIRES(writerLock()) {}

 private:
  std::ostream* errorStream GUARDED_BY(writerLock()) = &std::cerr;   // used unless toStdout
  std::ostream* outputStream GUARDED_BY(writerLock()) = &std::cout;  // used when toStdout
  bool bare GUARDED_BY(writerLock()) = false;
  bool toStdout GUARDED_BY(writerLock()) = false;
};

class CConsoleWriterFactory : public CLogWriterFactory {
 public:
  std::unique_ptr<CLogWriter> create() override;
};

// The process's one console writer factory, for a host to register.
CConsoleWriterFactory& consoleWriterFactory();
