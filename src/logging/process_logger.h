// The process logger slot: every component logs through it. Empty until the
// plug-in's initialisation installs the host's logger; messages sent before that
// are dropped. Tested by tests/logging/logger_test.cc.
#pragma once

#include <cstdarg>
#include <cstdint>

struct LogMessage;
class Logger;

void setProcessLogger(Logger* logger);
Logger* processLogger();
void logMessage(LogMessage& message);
void logFormatted(uint32_t level, const char* format, va_list args);
// One formatted line from a named component ("logger", "eventwriter", ...).
void logFormattedFrom(const char* source, uint32_t level, const char* format, va_list args);
void logWarning(const char* format, ...) __attribute__((format(printf, 1, 2)));
