// Log files and their rotation. Tested by tests/logging/writers_test.cc.
#include "logging/file_writer.h"

#include <algorithm>
#include <cerrno>

#include "common/file_util.h"
#include "common/os.h"
#include "common/string_util.h"
#include "common/terminal_text.h"
#include "errors/tarn_exception.h"
#include "logcore/log_message.h"
#include "logcore/process_logger.h"
#include "logging/log_clock.h"
#include "logging/logger_internal.h"
#include "logging/uri.h"

namespace {

// The file size and age are looked at no more often than this.
constexpr int64_t kRotationCheckIntervalMillis = 60000;
// Whether the open file still has its name is looked at no more often than
// this: two system calls a second cost nothing, two per message would make a
// message cost about three times as much (bench/log_file_bench).
constexpr int64_t kNameCheckIntervalMillis = 1000;

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

// Writes all of `text`; false when the system refuses part of it.
bool writeAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const int64_t written = cmn::writeFile(fd, text.data() + done, text.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    done += static_cast<size_t>(written);
  }
  return true;
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

CFileWriter::CFileWriter() : CLockedLogWriter("filewriter") {}

// No other thread can reach a writer being destroyed, so its lock is not taken.
CFileWriter::~CFileWriter() NO_THREAD_SAFETY_ANALYSIS { closeFile(); }

void CFileWriter::openLocked(const Uri& uri) {
  bare = false;
  keep = -1;
  rotateSize = 0;
  rotateAge = 0;
  lastRotationCheck = 0;
  cmn::SetPath(path, (uri.host + uri.path).c_str());
  // A URI without "//" keeps its user part in the path; the name shown comes
  // from the same text with the password masked.
  const Uri shown = literalUri(maskUriPasswords(uri.text));
  cmn::PathValue shownValue;
  cmn::SetPath(shownValue, (shown.host + shown.path).c_str());
  shownPath = cmn::EscapeForTerminal(shownValue.utf8);

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

std::string CFileWriter::writeLocked(const std::string& timeStamp, const std::string& sourceLabel,
                                     const std::string& levelName, const LogMessage& message) {
  int64_t now = zlog::nowMillis();
  bool linesLost = false;
  if (fd >= 0 && !writeFailed && now - lastNameCheck > kNameCheckIntervalMillis) {
    lastNameCheck = now;
    linesLost = closeIfNameLost();
  }
  if (fd < 0) {
    // Appending: a configuration reload, or a rotation whose rename failed,
    // must not wipe what the file already holds.
    fd = cmn::openFile(cmn::NativePath(path), cmn::OpenFor::kAppend);
    if (fd < 0) {
      // Lost lines are the news; the open is tried again with the next message.
      if (linesLost) return shownPath;
      throw fileError("Failed to open log file: {0}", shownPath);
    }
    writeFailed = false;
    streamOpenedAt = now;
    lastNameCheck = now;
  }

  // One write per message: its lines reach the file together, never
  // interleaved with another writer's on the same file.
  std::string text;
  for (const std::string& line : message.lines) {
    if (!bare) {
      text += timeStamp;
      text += " [";
      text += sourceLabel;
      text += "] ";
      text += levelName;
      text += ": ";
    }
    text += line;
    text += '\n';
  }
  if (!writeFailed) writeFailed = !writeAll(fd, text);
  if (writeFailed) return shownPath;

  now = zlog::nowMillis();
  if (rotationEnabled && now - lastRotationCheck > kRotationCheckIntervalMillis) {
    lastRotationCheck = now;
    const bool tooLarge = rotateSize != 0 && cmn::fileSize(path) > static_cast<int64_t>(rotateSize);
    const bool tooOld = rotateAge != 0 && now - streamOpenedAt > int64_t{rotateAge} * 1000;
    if (tooLarge || tooOld) {
      closeFile();
      rotateLogFile(path, keep);  // the next write opens a new file
    }
  }
  return linesLost ? shownPath : std::string();
}

bool CFileWriter::closeIfNameLost() {
  cmn::FileStatus opened;
  if (!cmn::statusOf(fd, opened)) return false;  // cannot tell: keep writing
  cmn::FileStatus named;
  const bool deleted = opened.unlinked;
  if (deleted || !cmn::statusOf(cmn::NativePath(path), named) || named.volume != opened.volume ||
      named.index != opened.index) {
    closeFile();
  }
  return deleted;
}

void CFileWriter::closeFile() {
  if (fd >= 0) cmn::closeFile(fd);  // a failed close loses nothing written: writes are unbuffered
  fd = -1;
}

void CFileWriter::reportFailure(const std::string& shownFile) {
  LogMessage report;
  report.reset("filewriter", kLevelCritical);
  report.appendFormatted("Failed to write to log file: %s", shownFile.c_str());
  logMessage(report);
  throw fileError("Failed to write to log file: {0}", shownFile);
}

void CFileWriter::closeLocked() { closeFile(); }

std::unique_ptr<CLogWriter> CFileWriterFactory::create() { return std::make_unique<CFileWriter>(); }

CFileWriterFactory& fileWriterFactory() {
  static CFileWriterFactory factory;
  return factory;
}
