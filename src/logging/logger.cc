// Message dispatch: the configuration file watch, the source label, the level
// name, the global then the module pass, and the collection of writer failures.
// Tested by tests/logging/logger_test.cc.
#include "logging/logger.h"

#include <algorithm>
#include <optional>

#include "common/datetime.h"
#include "common/os.h"
#include "common/path.h"
#include "errors/tarn_exception.h"
#include "logcore/process_logger.h"
#include "logging/log_clock.h"
#include "logging/logger_internal.h"

namespace {

// The configuration file is looked at no more often than this, in message time.
constexpr int64_t kConfigCheckIntervalMillis = 60000;

// A real point in time, not one of the special values at the ends of the range.
bool isRealTime(const cmn::DateTime& time) {
  return time.milliseconds() > cmn::DateTime::kPast && time.milliseconds() < cmn::DateTime::kFuture;
}

bool checkIsDue(int64_t messageMillis, int64_t lastCheckMillis) {
  int64_t elapsed = 0;
  if (__builtin_sub_overflow(messageMillis, lastCheckMillis, &elapsed)) {
    return messageMillis > lastCheckMillis;
  }
  return elapsed > kConfigCheckIntervalMillis;
}

}  // namespace

namespace zlog {

bool configFileModifiedTime(const std::string& path, int64_t& seconds) {
  cmn::PathValue value;
  cmn::SetPath(value, path.c_str());
  cmn::FileStatus status;
  if (!cmn::statusOf(cmn::NativePath(value), status)) return false;
  seconds = status.modifiedSeconds;
  return true;
}

namespace {}  // namespace

void reportFromLogger(uint32_t level, const char* format, ...) {
  va_list args;
  va_start(args, format);
  try {
    logFormattedFrom("logger", level, format, args);
  } catch (const std::exception&) {
    // A failing writer must neither stop a reload nor swallow the message
    // being dispatched; it fails again on the next message it is given.
  }
  va_end(args);
}

}  // namespace zlog

Logger::~Logger() { clear(); }

void Logger::log(LogMessage& message) {
  // Configuration watch. A thread that logs from inside a dispatch (a writer
  // reporting its own failure) still holds the lock for reading and could not
  // take it for writing to reload; it leaves the check to the next message.
  std::string reloadPath;
  if (!lock.heldByThisThread()) {
    ReadGuard guard(lock);
    if (!configPath.empty()) {
      if (!message.time.isValid()) message.time = cmn::DateTime(zlog::nowMillis());
      const int64_t messageMillis = message.time.milliseconds();
      if (isRealTime(message.time) &&
          checkIsDue(messageMillis, lastConfigCheck.load(std::memory_order_relaxed))) {
        lastConfigCheck.store(messageMillis, std::memory_order_relaxed);
        int64_t modified = 0;
        if (!zlog::configFileModifiedTime(configPath, modified)) {
          zlog::reportFromLogger(kLevelError, "Failed to stat logger config file: %s",
                                 configPath.c_str());
        } else if (modified != configModified) {
          reloadPath = configPath;  // copied under the lock: the reload empties configPath
        }
      }
    }
  }
  if (!reloadPath.empty()) loadConfigFile(reloadPath);  // a failed reload keeps the old one

  if (message.lines.empty()) return;

  std::optional<TarnLog_Exception> lastFailure;
  {
    ReadGuard guard(lock);
    const std::string& module = message.source.empty() ? name : message.source;

    std::string sourceLabel = module;
    sourceLabel += ':';
    sourceLabel += std::to_string(cmn::currentThreadNumber());
    if (!message.tag.empty()) {
      sourceLabel += ':';
      sourceLabel += message.tag;
    }

    const auto levelName = levelNames.find(message.level);
    static const std::string kUnknownLevel = "UNKNOWN";
    const std::string& levelText =
        levelName != levelNames.end() ? levelName->second : kUnknownLevel;

    std::vector<bool> served(writers.size(), false);
    std::string timeStamp;  // formatted on the first writer served, at most once

    auto serve = [&](uint32_t index) {
      if (timeStamp.empty()) {
        if (!message.time.isValid()) message.time = cmn::DateTime(zlog::nowMillis());
        cmn::formatDateTime(message.time, timeStamp);
      }
      try {
        writers[index].writer->write(timeStamp, sourceLabel, levelText, message);
      } catch (const TarnLog_Exception& failure) {
        if (lastFailure) {
          *lastFailure = failure;
        } else {
          lastFailure.emplace(failure);
        }
      }
    };
    auto pass = [&](const FilterTable& table) {
      for (const auto& [mask, indices] : table) {
        if ((mask & message.level) != message.level) continue;
        for (uint32_t index : indices) {
          if (index >= writers.size() || served[index]) continue;
          served[index] = true;
          serve(index);
        }
      }
    };

    pass(globalFilters);
    const auto moduleTable = moduleFilters.find(module);
    if (moduleTable != moduleFilters.end()) pass(moduleTable->second);
  }
  if (lastFailure) throw TarnLog_Exception(*lastFailure);
}

void setProcessLogger(Logger* logger) {
  installProcessLogger(logger, [](Logger& target, LogMessage& message) { target.log(message); });
}
