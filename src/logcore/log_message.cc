// Building log messages. Tested by tests/logging/logger_test.cc.
#include "logcore/log_message.h"

#include <cstdio>

namespace {

// One formatted line never exceeds this many bytes including the terminator;
// longer output is cut, not grown, so a runaway argument cannot flood a log.
constexpr size_t kLineBufferSize = 4096;

}  // namespace

LogMessage& LogMessage::reset(const std::string& newSource, uint32_t newLevel) {
  source = newSource;
  level = newLevel;
  lines.clear();
  return *this;
}

LogMessage& LogMessage::appendFormatted(const char* format, ...) {
  va_list args;
  va_start(args, format);
  try {
    appendFormattedV(format, args);
  } catch (...) {
    va_end(args);
    throw;
  }
  va_end(args);
  return *this;
}

LogMessage& LogMessage::appendFormattedV(const char* format, va_list args) {
  char buffer[kLineBufferSize];
  buffer[0] = '\0';
  if (format != nullptr) {
    const int written = std::vsnprintf(buffer, sizeof buffer, format, args);
    if (written < 0) buffer[0] = '\0';  // encoding error: keep an empty line
  }
  lines.emplace_back(buffer);
  return *this;
}
