// Loading a logger configuration: parsing the text into new filter tables and
// writers aside from the current ones, then replacing the configuration as a
// whole under the write lock, or not at all. Tested by
// tests/logging/logger_test.cc.
#include <cerrno>
#include <cstring>

#include "common/os.h"
#include "common/path.h"
#include "common/string_util.h"
#include "common/terminal_text.h"
#include "logging/logger.h"
#include "logging/logger_internal.h"

namespace {

constexpr uint32_t kLevelConfigProgress = 64;
constexpr uint32_t kAllLevels = 0xFFFFFFFFu;
// A logger configuration is a few lines; anything this large is not one (and
// /dev/zero would otherwise be read until memory runs out).
constexpr size_t kMaxConfigBytes = 1 << 20;

// Appends a writer index to the vector of its mask, creating it as needed.
void addFilter(FilterTable& table, uint32_t mask, uint32_t index) { table[mask].push_back(index); }

// Reads a whole file and the status of what was read; 0, or the errno value of
// the step that failed. A directory is refused rather than read as nothing, and
// so is a file over kMaxConfigBytes.
int readWholeFile(const std::string& path, std::string& text, cmn::FileStatus& status) {
  const int fd = cmn::openFile(path, cmn::OpenFor::kRead);
  if (fd < 0) return errno;
  int error = 0;
  if (!cmn::statusOf(fd, status)) {
    error = errno != 0 ? errno : EIO;
  } else if (status.directory) {
    error = EISDIR;
  }
  char buffer[1 << 16];
  while (error == 0) {
    const int64_t got = cmn::readFile(fd, buffer, sizeof buffer);
    if (got > 0) {
      text.append(buffer, static_cast<size_t>(got));
      if (text.size() > kMaxConfigBytes) error = EFBIG;
    } else if (got == 0) {
      break;
    } else if (errno != EINTR) {
      error = errno;
    }
  }
  cmn::closeFile(fd);
  return error;
}

}  // namespace

namespace zlog {

bool parseFilterExplained(const Logger& logger, const std::string& text, FilterList& out,
                          std::string* problem) {
  out.clear();
  auto refuse = [problem](std::string why) {
    if (problem != nullptr) *problem = std::move(why);
    return false;
  };
  std::vector<std::string> pieces;
  cmn::Split(text, pieces, ";");
  for (const std::string& piece : pieces) {
    const size_t dot = piece.rfind('.');
    if (dot == std::string::npos || dot + 1 == piece.size()) {
      return refuse("filter [" + piece + "] is not MODULE.LEVEL");
    }
    std::string module = piece.substr(0, dot);
    const std::string levelPart = piece.substr(dot + 1);
    if (module == "*") module.clear();  // every module, like an empty module part

    uint32_t mask = 0;
    if (levelPart == "*") {
      mask = kAllLevels;
    } else {
      const bool negated = levelPart[0] == '!';
      const std::string levelName = negated ? levelPart.substr(1) : levelPart;
      const auto value = logger.levelValues.find(levelName);
      if (value == logger.levelValues.end()) {
        return refuse("unknown level [" + levelName + "] in filter [" + piece + "]");
      }
      mask = negated ? ~value->second : value->second;
    }
    out.emplace_back(std::move(module), mask);
  }
  return out.empty() ? refuse("no filter") : true;
}

}  // namespace zlog

bool parseFilter(const Logger& logger, const std::string& text, FilterList& out) {
  return zlog::parseFilterExplained(logger, text, out, nullptr);
}

bool Logger::loadConfig(const std::string& text, std::string* whyNot) {
  FilterTable newGlobal;
  std::map<std::string, FilterTable> newModules;
  std::vector<WriterEntry> newWriters;

  // Writers of a rejected text were never opened and are deleted unopened.
  // Whatever the caller is told names the line; lines may carry passwords and
  // bytes a terminal would act on, so they are shown masked and escaped.
  size_t lineNumber = 0;
  auto reject = [&](const std::string& why) {
    if (whyNot != nullptr) *whyNot = "line " + std::to_string(lineNumber) + ": " + why;
    WriteGuard guard(lock);
    newWriters.clear();
    return false;
  };

  try {
    std::vector<std::string> lines;
    cmn::SplitFields(text, lines, "\n");  // empty lines kept, so that lines count true
    for (std::string& line : lines) {
      ++lineNumber;
      cmn::TrimLeft(line);
      cmn::TrimRight(line);
      cmn::ReplaceAll(line, "$NODE_NAME", name.c_str());
      cmn::ReplaceAll(line, "$MODULE_NAME", name.c_str());
      if (line.empty() || line[0] == '#') continue;  // "#" starts a comment only here

      const std::string shownLine = cmn::EscapeForTerminal(maskUriPasswords(line));
      std::vector<std::string> fields;
      cmn::Split(line, fields, " \t");
      if (fields.size() != 2) {
        zlog::reportFromLogger(kLevelError, "Invalid config line: %s", shownLine.c_str());
        return reject("expected 2 fields (a writer URI and a filter list), found " +
                      std::to_string(fields.size()) + " in [" + shownLine + "]");
      }
      Uri uri(fields[0]);
      const auto factory = factories.find(uri.scheme);
      if (factory == factories.end() || factory->second == nullptr) {
        const std::string shownScheme = cmn::EscapeForTerminal(uri.scheme);
        zlog::reportFromLogger(kLevelError, "Unknown log type [%s] for config line: %s",
                               shownScheme.c_str(), shownLine.c_str());
        std::string known;
        for (const auto& [scheme, registered] : factories) {
          if (registered != nullptr) known += (known.empty() ? "" : ", ") + scheme;
        }
        return reject("no writer for the scheme [" + shownScheme + "] (known: " + known + ") in [" +
                      shownLine + "]");
      }
      FilterList filters;
      std::string filterProblem;
      if (!zlog::parseFilterExplained(*this, fields[1], filters, &filterProblem)) {
        zlog::reportFromLogger(kLevelError, "Invalid filter: %s", shownLine.c_str());
        return reject(cmn::EscapeForTerminal(filterProblem) + " in [" + shownLine + "]");
      }

      const auto index = static_cast<uint32_t>(newWriters.size());
      newWriters.push_back(WriterEntry{std::move(uri), factory->second->create()});
      for (const auto& [module, mask] : filters) {
        addFilter(module.empty() ? newGlobal : newModules[module], mask, index);
      }
      zlog::reportFromLogger(kLevelConfigProgress, "Got config line: %s %s",
                             cmn::EscapeForTerminal(maskUriPasswords(fields[0])).c_str(),
                             cmn::EscapeForTerminal(fields[1]).c_str());
    }
  } catch (const std::exception& failure) {
    return reject(cmn::EscapeForTerminal(maskUriPasswords(failure.what())));
  } catch (...) {
    return reject("unexpected failure");
  }

  {
    WriteGuard guard(lock);
    clearWhileWriting();
    globalFilters = std::move(newGlobal);
    moduleFilters = std::move(newModules);
    writers = std::move(newWriters);
    configText = text;
    configPath.clear();
    for (WriterEntry& entry : writers) entry.writer->open(entry.uri);
  }
  zlog::reportFromLogger(kLevelConfigProgress, "Successfully loaded new config");
  return true;
}

bool Logger::loadConfigFile(const std::string& path, std::string* whyNot) {
  // The watch passes our own configPath, which loadConfig empties: work on a copy.
  const std::string pathCopy = path;
  cmn::PathValue value;
  cmn::SetPath(value, pathCopy.c_str());

  // The modification time is that of the file read, taken before reading, so
  // that an edit made meanwhile shows as a change at the next check.
  std::string text;
  cmn::FileStatus status;
  const int readError = readWholeFile(cmn::NativePath(value), text, status);
  if (readError != 0) {
    zlog::reportFromLogger(kLevelError,
                           "Failed to open configuration file [%s]. Retaining current config.",
                           pathCopy.c_str());
    if (whyNot != nullptr) *whyNot = std::string("cannot read it: ") + std::strerror(readError);
    return false;
  }

  if (!loadConfig(text, whyNot)) {
    zlog::reportFromLogger(kLevelError, "Failed to load new config file %s", pathCopy.c_str());
    return false;
  }
  {
    WriteGuard guard(lock);
    configPath = pathCopy;
    configModified = status.modifiedSeconds;
  }
  zlog::reportFromLogger(kLevelConfigProgress, "Successfully loaded config file %s",
                         pathCopy.c_str());
  return true;
}

void Logger::clear() {
  WriteGuard guard(lock);
  clearWhileWriting();
}

void Logger::clearWhileWriting() {
  moduleFilters.clear();
  globalFilters.clear();
  for (WriterEntry& entry : writers) {
    entry.writer->close();
    entry.writer.reset();
  }
  writers.clear();
}
