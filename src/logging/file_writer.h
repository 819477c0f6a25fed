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
// Tested by tests/logging/writers_test.cc.
#pragma once

#include <cstdint>
#include <string>

#include "common/path.h"
#include "logging/locked_log_writer.h"

class CFileWriter : public CLockedLogWriter {
 public:
  CFileWriter();
  ~CFileWriter() override;

 protected:
  // Reads the options; the file itself is opened by the first write.
  void openLocked(const Uri& uri) override REQUIRES(writerLock());
  std::string writeLocked(const std::string& timeStamp, const std::string& sourceLabel,
                          const std::string& levelName, const LogMessage& message) override
      REQUIRES(writerLock());
  void closeLocked() override REQUIRES(writerLock());
  // Logs "Failed to write to log file" and throws it.
  [[noreturn]] void reportFailure(const std::string& shownFile) override EXCLUDES(writerLock());

 private:
  // Whether the open file was deleted (true) or renamed away since the last
  // look: either way it is closed, so that the path is opened again.
  bool closeIfNameLost() REQUIRES(writerLock());
  void closeFile() REQUIRES(writerLock());

  cmn::PathValue path GUARDED_BY(writerLock());    // the log file
  std::string shownPath GUARDED_BY(writerLock());  // as messages name it: password masked, escaped
  int fd GUARDED_BY(writerLock()) = -1;  // open between the first write and close or rotation
  bool writeFailed GUARDED_BY(writerLock()) = false;       // stays until the file is closed
  int64_t lastRotationCheck GUARDED_BY(writerLock()) = 0;  // milliseconds
  bool rotationEnabled GUARDED_BY(writerLock()) = false;   // rotateSize or rotateAge set
  bool bare GUARDED_BY(writerLock()) = false;              // "style=bare": the line text only
  int32_t keep GUARDED_BY(writerLock()) = -1;              // rotated copies kept; negative: all
  uint32_t rotateSize GUARDED_BY(writerLock()) = 0;        // bytes; 0: never by size
  uint32_t rotateAge GUARDED_BY(writerLock()) = 0;         // seconds; 0: never by age
  int64_t streamOpenedAt GUARDED_BY(writerLock()) = 0;     // milliseconds; when the file was opened
  int64_t lastNameCheck GUARDED_BY(writerLock()) =
      0;  // milliseconds; when it was last found at path
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
