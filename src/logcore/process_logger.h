// The process logger slot: every component logs through it. Empty until the
// plug-in's initialisation installs the host's logger; messages sent before that
// are dropped. The slot knows the Logger only by pointer: the logging library
// installs it together with the function that dispatches to it (see
// setProcessLogger in logging/logger.h), so this library needs nothing above it.
// Tested by tests/logging/logger_test.cc.
#pragma once

#include <cstdarg>
#include <cstdint>

#include "common/format.h"

struct LogMessage;
class Logger;

// Hands one message to the installed logger.
using LoggerDispatch = void (*)(Logger& logger, LogMessage& message);

// Fills the slot; a null logger empties it.
void installProcessLogger(Logger* logger, LoggerDispatch dispatch);
Logger* processLogger();
void logMessage(LogMessage& message);
void logFormatted(uint32_t level, const char* format, va_list args);
// One formatted line from a named component ("logger", "eventwriter", ...).
void logFormattedFrom(const char* source, uint32_t level, const char* format, va_list args);
void logWarning(const char* format, ...) ZEB_PRINTF_FORMAT(1, 2);
