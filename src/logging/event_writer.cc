// The event-log writer over the system's event log. Tested by tests/logging/writers_test.cc.
#include "logging/event_writer.h"

#include <atomic>

#include "common/os.h"
#include "logcore/log_message.h"
#include "logcore/process_logger.h"
#include "logging/process_settings.h"

namespace {

// The event-log type of a level name. Names compare exactly.
uint16_t eventTypeOf(const std::string& levelName) {
  if (levelName == "ERR" || levelName == "CRIT") return kEventTypeError;
  if (levelName == "WARN") return kEventTypeWarning;
  return kEventTypeInformation;
}

// The system's own event log: the Windows event log, or the system log on Linux.
class SystemLog : public SystemEventLog {
 public:
  void* registerSource(const std::string& name, uint32_t& errorCode) override {
    return cmn::registerEventSource(name, errorCode);
  }
  bool reportEvent(void* source, uint16_t eventType, const std::string& text,
                   uint32_t& errorCode) override {
    return cmn::reportEvent(source, eventType, text, errorCode);
  }
  void deregisterSource(void* source) override { cmn::deregisterEventSource(source); }
};

SystemLog gSystemLog;
std::atomic<SystemEventLog*> gEventLog{nullptr};

SystemEventLog& activeEventLog() {
  SystemEventLog* replacement = gEventLog.load(std::memory_order_acquire);
  return replacement != nullptr ? *replacement : gSystemLog;
}

// One failure report, formatted now and logged once the writer's lock is released.
std::string failureText(const char* format, ...) ZEB_PRINTF_FORMAT(1, 2);
std::string failureText(const char* format, ...) {
  va_list args;
  va_start(args, format);
  LogMessage formatted;
  formatted.appendFormattedV(format, args);
  va_end(args);
  return formatted.lines.front();
}

}  // namespace

void setSystemEventLogForTesting(SystemEventLog* eventLog) {
  gEventLog.store(eventLog, std::memory_order_release);
}

CEventWriter::CEventWriter() : CLockedLogWriter("eventwriter") {}

bool CEventWriter::registered(std::string& failure) {
  if (eventSource != nullptr) return true;
  std::string sourceName;
  moduleName(sourceName);
  uint32_t errorCode = 0;
  SystemEventLog& candidate = activeEventLog();
  eventSource = candidate.registerSource(sourceName, errorCode);
  if (eventSource == nullptr) {
    failure = failureText("Failed RegisterEventSource [%s]: 0x%04x", sourceName.c_str(), errorCode);
    return false;  // tried again with the next message
  }
  eventLog = &candidate;
  return true;
}

// The system log serialises its own calls, so reporting under the writer's lock
// costs no concurrency.
std::string CEventWriter::writeLocked(const std::string&, const std::string&,
                                      const std::string& levelName, const LogMessage& message) {
  std::string failure;
  if (!registered(failure)) return failure;

  std::string text = "[";
  text += levelName;
  text += "] ";
  for (const std::string& line : message.lines) {
    text += line;
    text += '\n';
  }
  uint32_t errorCode = 0;
  if (!eventLog->reportEvent(eventSource, eventTypeOf(levelName), text, errorCode)) {
    failure = failureText("Failed ReportEvent: 0x%04x", errorCode);
  }
  return failure;
}

void CEventWriter::reportFailure(const std::string& failure) {
  LogMessage report;
  report.reset("eventwriter", kLevelError);
  report.appendFormatted("%s", failure.c_str());
  logMessage(report);
}

void CEventWriter::closeLocked() {
  if (eventSource != nullptr) eventLog->deregisterSource(eventSource);
  eventSource = nullptr;
  eventLog = nullptr;
}

std::unique_ptr<CLogWriter> CEventWriterFactory::create() {
  return std::make_unique<CEventWriter>();
}

CEventWriterFactory& eventWriterFactory() {
  static CEventWriterFactory factory;
  return factory;
}
