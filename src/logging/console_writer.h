// The console writer: standard error, or standard output for the host
// "stdout" ("console://stdout"); "style=bare" writes the line text only.
// All console writers share one process-wide lock, so the lines of one message
// are never interleaved with another's on either stream.
// Tested by tests/logging/console_writer_test.cc.
#pragma once

#include <iostream>

#include "logging/log_writer.h"

class CConsoleWriter : public CLogWriter {
 public:
  void open(const Uri& uri) override;
  void write(const std::string& timeStamp, const std::string& sourceLabel,
             const std::string& levelName, const LogMessage& message) override;
  void close() override {}

  std::ostream* errorStream = &std::cerr;   // used unless toStdout
  std::ostream* outputStream = &std::cout;  // used when toStdout
  bool bare = false;
  bool toStdout = false;
};

class CConsoleWriterFactory : public CLogWriterFactory {
 public:
  std::unique_ptr<CLogWriter> create() override;
};

// The process's one console writer factory, for a host to register.
CConsoleWriterFactory& consoleWriterFactory();
