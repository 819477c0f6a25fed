// The process logger slot and the logging entry points every component uses.
// Tested by tests/logging/logger_test.cc.
#include "logging/process_logger.h"

#include <atomic>

#include "logging/log_message.h"
#include "logging/logger.h"

namespace {

// Set once by the plug-in's initialisation and read by every thread after.
std::atomic<Logger*> gProcessLogger{nullptr};

}  // namespace

void setProcessLogger(Logger* logger) { gProcessLogger.store(logger, std::memory_order_release); }

Logger* processLogger() { return gProcessLogger.load(std::memory_order_acquire); }

void logMessage(LogMessage& message) {
  if (Logger* logger = processLogger()) logger->log(message);
}

void logFormattedFrom(const char* source, uint32_t level, const char* format, va_list args) {
  Logger* logger = processLogger();
  if (logger == nullptr) return;
  LogMessage message;
  message.reset(source, level);
  message.appendFormattedV(format, args);
  logger->log(message);
}

void logFormatted(uint32_t level, const char* format, va_list args) {
  logFormattedFrom("", level, format, args);
}

void logWarning(const char* format, ...) {
  va_list args;
  va_start(args, format);
  try {
    logFormatted(kLevelWarning, format, args);
  } catch (...) {
    va_end(args);
    throw;
  }
  va_end(args);
}
