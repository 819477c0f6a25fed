// The event-log writer behind a fake system log: what it would report, under
// which source name, and how it reports its own failures.
#include "logging/event_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "logging/process_settings.h"
#include "test_writers.h"

namespace {

using zebtest::TestLogger;

struct ReportedEvent {
  uint16_t type;
  std::string text;
};

class FakeEventLog : public SystemEventLog {
 public:
  void* registerSource(const std::string& name, uint32_t& errorCode) override {
    registeredNames.push_back(name);
    if (failRegistration) {
      errorCode = 0x57;
      return nullptr;
    }
    return this;
  }
  bool reportEvent(void* handle, uint16_t eventType, const std::string& text,
                   uint32_t& errorCode) override {
    EXPECT_EQ(handle, this);
    if (failReport) {
      errorCode = 0x6ba;
      return false;
    }
    events.push_back({eventType, text});
    return true;
  }
  void deregisterSource(void*) override { ++deregistrations; }

  bool failRegistration = false;
  bool failReport = false;
  std::vector<std::string> registeredNames;
  std::vector<ReportedEvent> events;
  int deregistrations = 0;
};

class EventWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setSystemEventLogForTesting(&eventLog);
    setProcessSetting("DIZ_MODULE", "");
  }
  void TearDown() override {
    test.logger.clear();
    setSystemEventLogForTesting(nullptr);
  }
  TestLogger test;
  FakeEventLog eventLog;
};

TEST_F(EventWriterTest, OneEventPerMessageTypedByLevelName) {
  setProcessSetting("DIZ_MODULE", "zebparse");
  ASSERT_TRUE(test.logger.loadConfig("event://local db.*"));
  EXPECT_TRUE(eventLog.registeredNames.empty()) << "registered before the first message";

  const std::pair<uint32_t, uint16_t> rows[] = {
      {kLevelCritical, kEventTypeError},  {kLevelError, kEventTypeError},
      {kLevelWarning, kEventTypeWarning}, {kLevelInformation, kEventTypeInformation},
      {1u << 20, kEventTypeInformation},  // "UNKNOWN"
  };
  for (const auto& [level, type] : rows) {
    eventLog.events.clear();
    LogMessage message;
    message.reset("db", level);
    message.lines = {"one", "two", "three"};
    test.logger.log(message);
    ASSERT_EQ(eventLog.events.size(), 1u) << level;
    EXPECT_EQ(eventLog.events[0].type, type) << level;
    const std::string name =
        test.logger.levelNames.count(level) ? test.logger.levelNames[level] : "UNKNOWN";
    EXPECT_EQ(eventLog.events[0].text, "[" + name + "] one\ntwo\nthree\n");
  }
  EXPECT_EQ(eventLog.registeredNames, std::vector<std::string>{"zebparse"});
  test.logger.clear();
  EXPECT_EQ(eventLog.deregistrations, 1);
}

TEST_F(EventWriterTest, FailedRegistrationIsReportedAndRetriedWithTheNextMessage) {
  setProcessSetting("DIZ_MODULE", "zeb");
  eventLog.failRegistration = true;
  ASSERT_TRUE(test.logger.loadConfig("event://local db.*;eventwriter.*\nrecord://r *.*"));
  test.recorded().clear();

  test.log("db", kLevelError, "lost for the event log");
  EXPECT_TRUE(eventLog.events.empty());
  EXPECT_TRUE(test.recorded().contains("Failed RegisterEventSource [zeb]: 0x0057"));

  eventLog.failRegistration = false;
  test.log("db", kLevelError, "second");
  ASSERT_EQ(eventLog.events.size(), 1u);
  EXPECT_EQ(eventLog.events[0].text, "[ERR] second\n");
  EXPECT_EQ(eventLog.registeredNames.size(), 2u);
}

TEST_F(EventWriterTest, FailedReportIsLoggedButNotSentBackToTheEventLog) {
  eventLog.failReport = true;
  ASSERT_TRUE(test.logger.loadConfig("event://local db.*;eventwriter.*\nrecord://r *.*"));
  test.recorded().clear();
  test.log("db", kLevelError, "x");
  const auto lines = test.recorded().lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].text, "x");
  EXPECT_EQ(lines[1].text, "Failed ReportEvent: 0x06ba");
  EXPECT_EQ(lines[1].levelName, "ERR");
  EXPECT_EQ(lines[1].sourceLabel.rfind("eventwriter:", 0), 0u);

  eventLog.failReport = false;
  test.log("eventwriter", kLevelError, "own report");
  EXPECT_TRUE(eventLog.events.empty());
  EXPECT_TRUE(test.recorded().contains("own report"));
  // The settings table offers no removal; an empty module name reads as none.
  EXPECT_EQ(eventLog.registeredNames, std::vector<std::string>{""});
}

}  // namespace
