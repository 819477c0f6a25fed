// One log message as components build it and the logger dispatches it.
// Tested by tests/logging/logger_test.cc.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <string>
#include <vector>

#include "common/datetime.h"
#include "common/format.h"

// Level bits the system itself emits.
inline constexpr uint32_t kLevelCritical = 1;
inline constexpr uint32_t kLevelError = 2;
inline constexpr uint32_t kLevelWarning = 4;
inline constexpr uint32_t kLevelInformation = 16;
inline constexpr uint32_t kLevelProgress = 64;

struct LogMessage {
  std::vector<std::string> lines;
  uint32_t level = 0;
  std::string source;
  std::string tag;
  cmn::DateTime time;  // invalid until the logger stamps it

  // Sets source and level and empties the lines; tag and time stay.
  LogMessage& reset(const std::string& newSource, uint32_t newLevel);
  // Appends one line formatted into 4096 bytes (longer output is cut at 4095).
  LogMessage& appendFormatted(const char* format, ...) ZEB_PRINTF_FORMAT(2, 3);
  LogMessage& appendFormattedV(const char* format, va_list args);
};
