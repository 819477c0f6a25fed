// The Logger: level and module filters, the configured writers and the watched
// configuration file. The host creates it (filling levelNames, levelValues,
// factories and name, then loading the first configuration) and owns it; the
// plug-in runs this same code on it through the process logger slot.
//
// The field order is the layout shared with the host and must not change.
// `lock` guards every field after it: dispatch (log) holds it for reading,
// loading a configuration holds it for writing while the old configuration is
// replaced, so a dispatching thread sees either the old or the new
// configuration, never a mixture and never an unopened writer.
//
// Configuration text: one line per writer, "<writer URI> <filter list>", for
// instance "console://stdout *.!DBUG". A filter is "<module>.<level>" split at
// its last "."; module "*" (or empty) means every module, level "*" every
// level, "!NAME" every level but NAME. Lines starting with "#" are comments;
// "$NODE_NAME" and "$MODULE_NAME" stand for the logger's name.
// Tested by tests/logging/logger_test.cc.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "logcore/log_message.h"
#include "logging/log_writer.h"
#include "logging/rw_lock.h"
#include "logging/uri.h"

// Level mask to writer indices, in the order configuration lines added them.
// A mask admits a message of level L when (mask & L) == L.
using FilterTable = std::map<uint32_t, std::vector<uint32_t>>;

// One configured writer: its parsed URI and the writer, owned by the logger.
struct WriterEntry {
  Uri uri;
  std::unique_ptr<CLogWriter> writer;
};

// The configuration nobody has changed: every module's messages of every level
// but "DBUG" on standard output.
inline constexpr const char* kDefaultLoggerConfig = "console://stdout *.!DBUG";

class Logger {
 public:
  Logger() = default;
  Logger(const Logger&) = delete;
  Logger& operator=(const Logger&) = delete;
  // Closes and deletes the writers; the factories are not the logger's.
  ~Logger();

  // Dispatches one message to every writer whose filter admits it, each writer
  // once. May set message.time. Checks the watched configuration file at most
  // once per minute of message time, even for a message without lines. When
  // writers throw TarnLog_Exception the others are still served and the last
  // such exception is thrown afterwards.
  void log(LogMessage& message);

  // Parses a configuration text and, when every line is valid, replaces the
  // current configuration with it; otherwise the current one stays. After a
  // direct load no file is watched. On failure `whyNot`, when given, says why
  // for a person to read: the line number and the line, URI passwords masked
  // and control bytes escaped.
  bool loadConfig(const std::string& text, std::string* whyNot = nullptr);
  // Loads a configuration file and watches it for changes from then on. A file
  // over 1 MiB is refused. `whyNot` as for loadConfig, or the system's reason
  // why the file could not be read.
  bool loadConfigFile(const std::string& path, std::string* whyNot = nullptr);
  // Closes and deletes every writer and empties both filter tables.
  void clear();

  ReadersWriterLock lock;
  std::map<std::string, FilterTable> moduleFilters;  // exact, case-sensitive module names
  FilterTable globalFilters;                         // filters for every module ("*")
  std::vector<WriterEntry> writers;            // index = the writer's identity in the filter tables
  std::map<uint32_t, std::string> levelNames;  // filled by the creator
  std::map<std::string, uint32_t> levelValues;          // filled by the creator
  std::map<std::string, CLogWriterFactory*> factories;  // by URI scheme; not owned
  std::string name;            // source of messages without one; value of $NODE_NAME
  std::string configText;      // text of the configuration last loaded
  std::string configPath;      // watched configuration file; empty: none
  int64_t configModified = 0;  // modification time of configPath at its load, seconds
  // Message time (milliseconds) of the last look at configPath. Threads that
  // hold the lock only for reading update it, hence atomic; the later store wins.
  std::atomic<int64_t> lastConfigCheck{0};

 private:
  void clearWhileWriting();
};

// (module, mask) pairs of a filter list; the module is empty for every module.
using FilterList = std::vector<std::pair<std::string, uint32_t>>;

// Parses a filter list such as "*.ERR;db.pool.WARN". True when every filter is
// valid and there is at least one.
bool parseFilter(const Logger& logger, const std::string& text, FilterList& out);

// Installs `logger` in the process logger slot (nullptr empties it): from then
// on every component's messages are dispatched by it.
void setProcessLogger(Logger* logger);
