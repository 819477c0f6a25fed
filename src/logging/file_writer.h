// The file writer: log lines appended to the file named by its URI
// ("file:///var/log/zeb/app.log?rotateSize=1024&rotateAge=24&keep=3"), rotated
// into numbered copies once it grows past rotateSize kilobytes or has been
// written for more than rotateAge hours. Unlike the other writers it reports
// its failures by throwing TarnLog_Exception (component "LOG"), which the
// logger keeps until every other writer has been served.
//
// A log file whose name goes away while it is open (the file deleted, or its
// directory) would swallow every later line unnoticed. The writer looks at most
// once a second: a file deleted under it is reported as a failed write (the
// lines since the last look are lost) and the path opened again, which fails,
// and is retried with every message, while the directory is missing. A file
// renamed away (rotated by another tool) kept its lines; the path is simply
// opened again. Messages name the file with any URI password masked.
// Tested by tests/logging/file_writer_test.cc.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

#include "common/path.h"
#include "logging/log_writer.h"

class CFileWriter : public CLogWriter {
 public:
  ~CFileWriter() override;
  // Reads the options; the file itself is opened by the first write.
  void open(const Uri& uri) override;
  void write(const std::string& timeStamp, const std::string& sourceLabel,
             const std::string& levelName, const LogMessage& message) override;
  void close() override;

  std::mutex mutex;               // guards every field below
  cmn::PathValue path;            // the log file
  std::string shownPath;          // the file as messages name it: password masked, escaped
  int fd = -1;                    // open between the first write and close or rotation
  bool writeFailed = false;       // a write to the open file failed; stays until it is closed
  int64_t lastRotationCheck = 0;  // milliseconds
  bool rotationEnabled = false;   // rotateSize or rotateAge set
  bool bare = false;              // "style=bare": the line text only
  int32_t keep = -1;              // rotated copies kept; negative: all
  uint32_t rotateSize = 0;        // bytes; 0: never by size
  uint32_t rotateAge = 0;         // seconds; 0: never by age
  int64_t streamOpenedAt = 0;     // milliseconds; when this writer opened the file
  int64_t lastNameCheck = 0;      // milliseconds; when the open file was last found at path

 private:
  // Whether the open file was deleted (true) or renamed away since the last
  // look: either way it is closed, so that the path is opened again.
  bool closeIfNameLost();
  void closeFile();
  [[noreturn]] void reportWriteFailure(std::unique_lock<std::mutex>& guard);
};

class CFileWriterFactory : public CLogWriterFactory {
 public:
  std::unique_ptr<CLogWriter> create() override;
};

// The process's one file writer factory, for a host to register.
CFileWriterFactory& fileWriterFactory();

// Rotates a log file into its numbered copies, "<file>..0" being the newest:
//
//   app.log..(n-1) -> app.log..n, ..., app.log..0 -> app.log..1, app.log -> app.log..0
//
// where n is the first free copy number, limited to keep - 1 so that the
// oldest copy is deleted first. keep 0 deletes the file; a negative keep keeps
// every copy. Failed renames and deletions are ignored.
void rotateLogFile(const cmn::PathValue& path, int32_t keep);
