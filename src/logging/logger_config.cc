// Loading a logger configuration: parsing the text into new filter tables and
// writers aside from the current ones, then replacing the configuration as a
// whole under the write lock, or not at all. Tested by
// tests/logging/logger_config_test.cc.
#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "common/path.h"
#include "common/string_util.h"
#include "logging/logger.h"
#include "logging/logger_internal.h"

namespace {

constexpr uint32_t kLevelConfigProgress = 64;
constexpr uint32_t kAllLevels = 0xFFFFFFFFu;

// Appends a writer index to the vector of its mask, creating it as needed.
void addFilter(FilterTable& table, uint32_t mask, uint32_t index) { table[mask].push_back(index); }

}  // namespace

bool parseFilter(const Logger& logger, const std::string& text, FilterList& out) {
  out.clear();
  std::vector<std::string> pieces;
  cmn::Split(text, pieces, ";");
  for (const std::string& piece : pieces) {
    const size_t dot = piece.rfind('.');
    if (dot == std::string::npos || dot + 1 == piece.size()) return false;
    std::string module = piece.substr(0, dot);
    const std::string levelPart = piece.substr(dot + 1);
    if (module == "*") module.clear();  // every module, like an empty module part

    uint32_t mask = 0;
    if (levelPart == "*") {
      mask = kAllLevels;
    } else {
      const bool negated = levelPart[0] == '!';
      const auto value = logger.levelValues.find(negated ? levelPart.substr(1) : levelPart);
      if (value == logger.levelValues.end()) return false;
      mask = negated ? ~value->second : value->second;
    }
    out.emplace_back(std::move(module), mask);
  }
  return !out.empty();
}

bool Logger::loadConfig(const std::string& text) {
  FilterTable newGlobal;
  std::map<std::string, FilterTable> newModules;
  std::vector<WriterEntry> newWriters;

  // Writers of a rejected text were never opened and are deleted unopened.
  auto reject = [&] {
    WriteGuard guard(lock);
    newWriters.clear();
    return false;
  };

  try {
    std::vector<std::string> lines;
    cmn::Split(text, lines, "\n");
    for (std::string& line : lines) {
      cmn::TrimLeft(line);
      cmn::TrimRight(line);
      cmn::ReplaceAll(line, "$NODE_NAME", name.c_str());
      cmn::ReplaceAll(line, "$MODULE_NAME", name.c_str());
      if (line.empty() || line[0] == '#') continue;  // "#" starts a comment only here

      std::vector<std::string> fields;
      cmn::Split(line, fields, " \t");
      if (fields.size() != 2) {
        zlog::reportFromLogger(kLevelError, "Invalid config line: %s", line.c_str());
        return reject();
      }
      Uri uri(fields[0]);
      const auto factory = factories.find(uri.scheme);
      if (factory == factories.end() || factory->second == nullptr) {
        zlog::reportFromLogger(kLevelError, "Unknown log type [%s] for config line: %s",
                               uri.scheme.c_str(), line.c_str());
        return reject();
      }
      FilterList filters;
      if (!parseFilter(*this, fields[1], filters)) {
        zlog::reportFromLogger(kLevelError, "Invalid filter: %s", line.c_str());
        return reject();
      }

      const auto index = static_cast<uint32_t>(newWriters.size());
      newWriters.push_back(WriterEntry{std::move(uri), factory->second->create()});
      for (const auto& [module, mask] : filters) {
        addFilter(module.empty() ? newGlobal : newModules[module], mask, index);
      }
      zlog::reportFromLogger(kLevelConfigProgress, "Got config line: %s %s", fields[0].c_str(),
                             fields[1].c_str());
    }
  } catch (...) {
    return reject();
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

bool Logger::loadConfigFile(const std::string& path) {
  // The watch passes our own configPath, which loadConfig empties: work on a copy.
  const std::string pathCopy = path;
  cmn::PathValue value;
  cmn::SetPath(value, pathCopy.c_str());
  const std::string nativePath = cmn::NativePath(value);

  // The modification time is taken before reading, so that an edit made while
  // the file is read shows as a change at the next check rather than being lost.
  struct stat status {};
  const bool statusKnown = ::stat(nativePath.c_str(), &status) == 0;

  std::string text;
  bool readable = !(statusKnown && S_ISDIR(status.st_mode));
  if (readable) {
    std::ifstream in(nativePath, std::ios::in);
    readable = in.is_open();
    if (readable) {
      std::ostringstream content;
      content << in.rdbuf();
      readable = !in.bad();
      text = content.str();
    }
  }
  if (!readable) {
    zlog::reportFromLogger(kLevelError,
                           "Failed to open configuration file [%s]. Retaining current config.",
                           pathCopy.c_str());
    return false;
  }

  if (!loadConfig(text)) {
    zlog::reportFromLogger(kLevelError, "Failed to load new config file %s", pathCopy.c_str());
    return false;
  }
  {
    WriteGuard guard(lock);
    configPath = pathCopy;
    if (statusKnown) configModified = static_cast<int64_t>(status.st_mtime);
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
