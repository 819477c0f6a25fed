// The process logger slot and the logging entry points every component uses.
// Tested by tests/logging/logger_test.cc.
#include "logcore/process_logger.h"

#include <atomic>

#include "logcore/log_message.h"

namespace {

// Set once by the plug-in's initialisation and read by every thread after. The
// dispatch is stored before the logger and read after it, so a thread that
// sees a logger also sees how to reach it.
std::atomic<Logger*> gProcessLogger{nullptr};
std::atomic<LoggerDispatch> gDispatch{nullptr};

// Both loaded in the order that pairs with installProcessLogger's stores.
bool installed(Logger*& logger, LoggerDispatch& dispatch) {
  logger = gProcessLogger.load(std::memory_order_acquire);
  if (logger == nullptr) return false;
  dispatch = gDispatch.load(std::memory_order_acquire);
  return dispatch != nullptr;
}

}  // namespace

void installProcessLogger(Logger* logger, LoggerDispatch dispatch) {
  if (logger != nullptr) gDispatch.store(dispatch, std::memory_order_release);
  gProcessLogger.store(logger, std::memory_order_release);
}

Logger* processLogger() { return gProcessLogger.load(std::memory_order_acquire); }

void logMessage(LogMessage& message) {
  Logger* logger = nullptr;
  LoggerDispatch dispatch = nullptr;
  if (installed(logger, dispatch)) dispatch(*logger, message);
}

void logFormattedFrom(const char* source, uint32_t level, const char* format, va_list args) {
  Logger* logger = nullptr;
  LoggerDispatch dispatch = nullptr;
  if (!installed(logger, dispatch)) return;
  LogMessage message;
  message.reset(source, level);
  message.appendFormattedV(format, args);
  dispatch(*logger, message);
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
