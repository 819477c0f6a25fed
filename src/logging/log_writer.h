// The interface every log writer implements and the factory interface that
// creates them. A configuration line creates one writer through the factory
// registered under its URI scheme; the logger opens it once when the
// configuration is installed, calls write from many threads at once while
// holding its lock for reading, and closes and deletes it when the
// configuration is replaced. A writer therefore protects its own state; this
// system's writers do it through CLockedLogWriter (locked_log_writer.h).
// Tested by tests/logging/writers_test.cc.
#pragma once

#include <memory>
#include <string>

struct LogMessage;
class Uri;

class CLogWriter {
 public:
  CLogWriter() = default;
  CLogWriter(const CLogWriter&) = delete;
  CLogWriter& operator=(const CLogWriter&) = delete;
  virtual ~CLogWriter() = default;

  // Configures the writer from its URI; called once, under the logger's write lock.
  virtual void open(const Uri& uri) = 0;
  // Writes every line of the message. The three texts come from the logger:
  // the formatted time stamp, the source label ("module:thread[:tag]") and the
  // level name. A writer ignores messages whose source label begins with its
  // own name and ":" (its own failure reports).
  virtual void write(const std::string& timeStamp, const std::string& sourceLabel,
                     const std::string& levelName, const LogMessage& message) = 0;
  // Releases the output; called under the logger's write lock.
  virtual void close() = 0;
};

class CLogWriterFactory {
 public:
  CLogWriterFactory() = default;
  CLogWriterFactory(const CLogWriterFactory&) = delete;
  CLogWriterFactory& operator=(const CLogWriterFactory&) = delete;
  virtual ~CLogWriterFactory() = default;

  // A new writer in its initial state; the caller owns it.
  virtual std::unique_ptr<CLogWriter> create() = 0;
};
