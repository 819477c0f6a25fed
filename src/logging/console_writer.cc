// Console output. Tested by tests/logging/writers_test.cc.
#include "logging/console_writer.h"

#include "common/ustring.h"
#include "logcore/log_message.h"
#include "logging/uri.h"

namespace {

// Shared by every console writer, those built before this file's static objects
// and those still writing while they are destroyed: made on first use, never freed.
cmn::Mutex& consoleLock() {
  static cmn::Mutex* const lock = new cmn::Mutex;
  return *lock;
}

}  // namespace

CConsoleWriter::CConsoleWriter() : CLockedLogWriter(consoleLock(), nullptr) {}

void CConsoleWriter::openLocked(const Uri& uri) {
  bare = false;
  toStdout = uri.host == "stdout";
  const auto style = uri.params.find("style");
  if (style != uri.params.end()) bare = style->second == "bare";
}

std::string CConsoleWriter::writeLocked(const std::string& timeStamp,
                                        const std::string& sourceLabel,
                                        const std::string& levelName, const LogMessage& message) {
  std::ostream& out = toStdout ? *outputStream : *errorStream;
  if (bare) {
    for (const std::string& line : message.lines) out << line << std::endl;
    return {};
  }
  const std::string stamp = cmn::ToCodePage(timeStamp);
  for (const std::string& line : message.lines) {
    out << stamp << " [" << sourceLabel << "] " << levelName << ": " << cmn::ToCodePage(line)
        << std::endl;
  }
  return {};  // the console reports no failures of its own
}

std::unique_ptr<CLogWriter> CConsoleWriterFactory::create() {
  return std::make_unique<CConsoleWriter>();
}

CConsoleWriterFactory& consoleWriterFactory() {
  static CConsoleWriterFactory factory;
  return factory;
}
