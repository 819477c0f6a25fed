// Log files and their rotation. Tested by tests/logging/file_writer_test.cc.
#include "logging/file_writer.h"

#include <algorithm>

#include "common/file_util.h"
#include "common/string_util.h"
#include "errors/tarn_exception.h"
#include "logging/log_clock.h"
#include "logging/log_message.h"
#include "logging/process_logger.h"
#include "logging/uri.h"

namespace {

// The file size and age are looked at no more often than this.
constexpr int64_t kRotationCheckIntervalMillis = 60000;

TarnLog_Exception fileError(const char* messageTemplate, const std::string& path) {
  ExceptionMessage message;
  message.id = "    E";
  message.messageTemplate = messageTemplate;
  message.arguments.push_back(path);
  formatMessage(message);
  TarnLog_Exception error(std::string(), message, CRITICAL_ERROR);
  error.component = "LOG";
  return error;
}

cmn::PathValue copyPath(const std::string& directory, const std::string& file, uint32_t number) {
  // JoinPath adds its own "." before the extension, hence the two dots.
  const std::string extension = "." + std::to_string(number);
  cmn::PathValue copy;
  cmn::JoinPath(copy, directory.c_str(), file.c_str(), extension.c_str());
  return copy;
}

}  // namespace

void rotateLogFile(const cmn::PathValue& path, int32_t keep) {
  if (keep == 0) {
    cmn::deleteFile(path);
    return;
  }
  const std::string directory = cmn::directoryOf(path.utf8);
  const std::string file = cmn::fileNameOf(path.utf8);
  uint32_t free = 0;
  while (cmn::fileExists(copyPath(directory, file, free))) ++free;
  if (keep > 0) free = std::min(free, static_cast<uint32_t>(keep) - 1);

  cmn::deleteFile(copyPath(directory, file, free));  // exists only when the limit applied
  for (uint32_t i = free; i >= 1; --i) {
    cmn::moveFile(copyPath(directory, file, i - 1), copyPath(directory, file, i));
  }
  cmn::moveFile(path, copyPath(directory, file, 0));
}

CFileWriter::~CFileWriter() {
  if (stream.is_open()) stream.close();
}

void CFileWriter::open(const Uri& uri) {
  std::lock_guard<std::mutex> guard(mutex);
  bare = false;
  keep = -1;
  rotateSize = 0;
  rotateAge = 0;
  lastRotationCheck = 0;
  cmn::SetPath(path, (uri.host + uri.path).c_str());

  const auto option = [&uri](const char* name) -> const std::string* {
    const auto found = uri.params.find(name);
    return found != uri.params.end() ? &found->second : nullptr;
  };
  if (const std::string* style = option("style")) bare = *style == "bare";
  // Both sizes are kept in 32 bits, as configured values always have been.
  if (const std::string* kilobytes = option("rotateSize")) {
    rotateSize = static_cast<uint32_t>(cmn::TextToInt(*kilobytes)) << 10;
  }
  if (const std::string* hours = option("rotateAge")) {
    rotateAge = static_cast<uint32_t>(cmn::TextToInt(*hours)) * 3600u;
  }
  if (const std::string* copies = option("keep")) keep = cmn::TextToInt(*copies);
  rotationEnabled = rotateSize != 0 || rotateAge != 0;
}

void CFileWriter::write(const std::string& timeStamp, const std::string& sourceLabel,
                        const std::string& levelName, const LogMessage& message) {
  if (cmn::StartsWith(sourceLabel, "filewriter:")) return;  // our own failure reports

  std::unique_lock<std::mutex> guard(mutex);
  if (!stream.is_open()) {
    // Appending: a configuration reload, or a rotation whose rename failed,
    // must not wipe what the file already holds.
    stream.open(cmn::NativePath(path), std::ios::out | std::ios::app);
    if (!stream.is_open()) throw fileError("Failed to open log file: {0}", path.utf8);
    streamOpenedAt = zlog::nowMillis();
  }

  for (const std::string& line : message.lines) {
    if (!bare) stream << timeStamp << " [" << sourceLabel << "] " << levelName << ": ";
    stream << line << std::endl;
  }
  if (!stream.good()) reportWriteFailure(guard);

  const int64_t now = zlog::nowMillis();
  if (!rotationEnabled || now - lastRotationCheck <= kRotationCheckIntervalMillis) return;
  lastRotationCheck = now;
  const bool tooLarge = rotateSize != 0 && cmn::fileSize(path) > static_cast<int64_t>(rotateSize);
  const bool tooOld = rotateAge != 0 && now - streamOpenedAt > int64_t{rotateAge} * 1000;
  if (tooLarge || tooOld) {
    stream.close();
    rotateLogFile(path, keep);  // the next write opens a new file
  }
}

void CFileWriter::reportWriteFailure(std::unique_lock<std::mutex>& guard) {
  const std::string failedPath = path.utf8;
  guard.unlock();  // the report may reach other writers; none of them needs ours
  LogMessage report;
  report.reset("filewriter", kLevelCritical);
  report.appendFormatted("Failed to write to log file: %s", failedPath.c_str());
  logMessage(report);
  throw fileError("Failed to write to log file: {0}", failedPath);
}

void CFileWriter::close() {
  std::lock_guard<std::mutex> guard(mutex);
  if (stream.is_open()) stream.close();  // a failed close only marks the stream failed
}

std::unique_ptr<CLogWriter> CFileWriterFactory::create() { return std::make_unique<CFileWriter>(); }

CFileWriterFactory& fileWriterFactory() {
  static CFileWriterFactory factory;
  return factory;
}
