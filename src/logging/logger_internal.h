// Helpers shared by the logger's dispatch and configuration code; not part of
// the logging API.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "logging/logger.h"
#include "common/format.h"

namespace zlog {

// Modification time of a configuration file in seconds; false when it cannot
// be queried.
bool configFileModifiedTime(const std::string& path, int64_t& seconds);

// Logs one line with source "logger" through the process logger. Best effort:
// a writer's exception while reporting is dropped.
void reportFromLogger(uint32_t level, const char* format, ...)
    ZEB_PRINTF_FORMAT(2, 3);

// parseFilter, and on failure what is wrong with the list, for a person to read.
bool parseFilterExplained(const Logger& logger, const std::string& text, FilterList& out,
                          std::string* problem);

}  // namespace zlog
