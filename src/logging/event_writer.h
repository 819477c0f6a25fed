// The event-log writer. On Linux the system log stands in for the event log:
// registering the event source opens the system log under the name of the
// process setting "DIZ_MODULE" (empty when unset), and each message becomes
// one entry whose priority follows the level name ("ERR" and "CRIT" error,
// "WARN" warning, anything else information). The entry text is "[LEVEL] "
// followed by every line and a line feed. The source is registered on the
// first message, not at open, and kept until close; a failed registration is
// retried with the next message. Failures are reported as log messages with
// source "eventwriter", which this writer itself skips.
// Tested by tests/logging/writers_test.cc.
#pragma once

#include <cstdint>

#include "logging/locked_log_writer.h"

// Event types, as the event log numbers them.
inline constexpr uint16_t kEventTypeError = 1;
inline constexpr uint16_t kEventTypeWarning = 2;
inline constexpr uint16_t kEventTypeInformation = 4;

// The platform seam: the system log by default, a fake in tests.
class SystemEventLog {
 public:
  virtual ~SystemEventLog() = default;
  // A handle for the source `name`, or nullptr with `errorCode` set.
  virtual void* registerSource(const std::string& name, uint32_t& errorCode) = 0;
  // Reports one event; false with `errorCode` set when it could not be reported.
  virtual bool reportEvent(void* handle, uint16_t eventType, const std::string& text,
                           uint32_t& errorCode) = 0;
  virtual void deregisterSource(void* handle) = 0;
};

// Replaces the system log for the whole process; nullptr restores it. The
// replacement must outlive every event writer that registered with it.
void setSystemEventLogForTesting(SystemEventLog* eventLog);

class CEventWriter : public CLockedLogWriter {
 public:
  CEventWriter();
  ~CEventWriter() override = default;  // does not deregister: close does

 protected:
  void openLocked(const Uri&) override REQUIRES(writerLock()) {}
  std::string writeLocked(const std::string& timeStamp, const std::string& sourceLabel,
                          const std::string& levelName, const LogMessage& message) override
      REQUIRES(writerLock());
  void closeLocked() override REQUIRES(writerLock());
  void reportFailure(const std::string& failure) override EXCLUDES(writerLock());

 private:
  // Registers the event source unless it is; false with `failure` set when
  // registration failed.
  bool registered(std::string& failure) REQUIRES(writerLock());

  void* eventSource GUARDED_BY(writerLock()) = nullptr;         // null until the first message
  SystemEventLog* eventLog GUARDED_BY(writerLock()) = nullptr;  // the seam it was registered with
};

class CEventWriterFactory : public CLogWriterFactory {
 public:
  std::unique_ptr<CLogWriter> create() override;
};

// The process's one event-log writer factory, for a host to register.
CEventWriterFactory& eventWriterFactory();
