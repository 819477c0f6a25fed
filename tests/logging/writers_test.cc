// The writers: console output as it reaches the process's real standard streams;
// the event-log writer behind a fake system log (what it would report, under which
// source name, how it reports its own failures); log files in a scratch directory
// (writing, appending across reloads, real rotation by size and by age with a test
// clock, and the failures a full disk, a vanished file or directory or a blocked
// rename cause).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "logging/console_writer.h"
#include "logging/event_writer.h"
#include "logging/file_writer.h"
#include "logging/process_settings.h"
#include "test_checks.h"
#include "test_writers.h"

namespace {

using zebtest::labelOf;
using zebtest::readFile;
using zebtest::ScratchDirectory;
using zebtest::TestClock;
using zebtest::TestLogger;
namespace fs = std::filesystem;

TEST(ConsoleWriter, ChoosesStreamAndStyleFromTheUri) {
  const std::tuple<const char*, bool, bool> cases[] = {
      {"console://stdout db.*", true, false},
      {"console: db.*", false, false},
      {"console://STDOUT db.*", false, false},  // the host is compared exactly
      {"console://stdout?style=bare db.*", true, true},
  };
  for (const auto& [config, toStdout, bare] : cases) {
    TestLogger test(config);
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    const LogMessage message = test.logLines("db", kLevelWarning, {"first", "second", "third"});
    const std::string out = ::testing::internal::GetCapturedStdout();
    const std::string err = ::testing::internal::GetCapturedStderr();

    std::string stamp;
    const std::string prefix =
        bare ? "" : cmn::formatDateTime(message.time, stamp) + " [" + labelOf("db") + "] WARN: ";
    const std::string lines = prefix + "first\n" + prefix + "second\n" + prefix + "third\n";
    using Streams = std::pair<std::string, std::string>;
    EXPECT_EQ(Streams(out, err), toStdout ? Streams(lines, "") : Streams("", lines)) << config;
  }
}

TEST(ConsoleWriter, WritesTheWritersOwnFailureReports) {
  TestLogger test("console://stdout?style=bare eventwriter.*;filewriter.*");
  ::testing::internal::CaptureStdout();
  test.log("eventwriter", kLevelError, "Failed ReportEvent: 0x0005");
  test.log("filewriter", kLevelCritical, "Failed to write to log file: x");
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            "Failed ReportEvent: 0x0005\nFailed to write to log file: x\n");
}

using Events = std::vector<std::pair<uint16_t, std::string>>;

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
  Events events;
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

  const std::tuple<uint32_t, uint16_t, std::string> rows[] = {
      {kLevelCritical, kEventTypeError, "CRIT"},
      {kLevelError, kEventTypeError, "ERR"},
      {kLevelWarning, kEventTypeWarning, "WARN"},
      {kLevelInformation, kEventTypeInformation, "INFO"},
      {1u << 20, kEventTypeInformation, "UNKNOWN"}};
  for (const auto& [level, type, name] : rows) {
    eventLog.events.clear();
    test.logLines("db", level, {"one", "two", "three"});
    EXPECT_EQ(eventLog.events, (Events{{type, "[" + name + "] one\ntwo\nthree\n"}})) << level;
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
  EXPECT_EQ(eventLog.events, (Events{{kEventTypeError, "[ERR] second\n"}}));
  EXPECT_EQ(eventLog.registeredNames.size(), 2u);
}

TEST_F(EventWriterTest, FailedReportIsLoggedButNotSentBackToTheEventLog) {
  eventLog.failReport = true;
  ASSERT_TRUE(test.logger.loadConfig("event://local db.*;eventwriter.*\nrecord://r *.*"));
  test.recorded().clear();
  test.log("db", kLevelError, "x");
  EXPECT_EQ(test.recorded().shown(),
            (std::vector<std::string>{
                "[" + labelOf("db") + "] ERR: x",
                "[" + labelOf("eventwriter") + "] ERR: Failed ReportEvent: 0x06ba"}));

  eventLog.failReport = false;
  test.log("eventwriter", kLevelError, "own report");
  EXPECT_TRUE(eventLog.events.empty());
  EXPECT_TRUE(test.recorded().contains("own report"));
  // The settings table offers no removal; an empty module name reads as none.
  EXPECT_EQ(eventLog.registeredNames, std::vector<std::string>{""});
}

constexpr int64_t kJustOverAMinute = 60001;

class FileWriterTest : public ::testing::Test {
 protected:
  // Installs one file writer on app.log with the given query options, plus the
  // recording writer, which sees every message including the failure reports.
  void configure(const std::string& options) {
    const std::string query = options.empty() ? "" : "?" + options;
    ASSERT_TRUE(
        test.logger.loadConfig(zeb_test::fileUri(logPath) + query + " *.!DBUG\nrecord://r *.*"));
    test.recorded().clear();
  }

  void write(const std::string& text) { test.log("db", kLevelError, text); }

  // A line longer than 1024 bytes: one of them exceeds rotateSize=1.
  static std::string bigLine(const std::string& marker) { return marker + std::string(1100, '.'); }

  // Writes a big line a minute after the previous check, so the write ends in
  // a rotation whose copy 0 holds just that line.
  void rotateWith(const std::string& marker) {
    clock.advance(kJustOverAMinute);
    write(bigLine(marker));
  }

  std::string copy(int number) const { return logPath + ".." + std::to_string(number); }

  TestClock clock;
  ScratchDirectory scratch;
  TestLogger test;
  std::string logPath = scratch.file("app.log");
};

TEST_F(FileWriterTest, WritesPrefixedOrBareLinesAndAppendsAcrossReloads) {
  configure("");
  const LogMessage message = test.logLines("db", kLevelWarning, {"one", "two"}, "t1");
  std::string stamp;
  const std::string prefix =
      cmn::formatDateTime(message.time, stamp) + " [" + labelOf("db") + ":t1] WARN: ";
  EXPECT_EQ(readFile(logPath), prefix + "one\n" + prefix + "two\n");

  fs::remove(logPath);
  configure("style=bare");
  test.logLines("db", kLevelWarning, {"one", "two"}, "t1");
  write("before reload");
  configure("style=bare");  // a reload appends to what the file holds
  write("after reload");
  // The writer's own failure reports never go to a log file.
  test.log("filewriter", kLevelCritical, "Failed to write to log file: elsewhere");
  EXPECT_EQ(readFile(logPath), "one\ntwo\nbefore reload\nafter reload\n");
  EXPECT_TRUE(test.recorded().contains("Failed to write to log file: elsewhere"));
}

TEST_F(FileWriterTest, RotatesBySizeAtTheFirstCheckAfterAMinute) {
  configure("style=bare&rotateSize=1");
  write("A");           // the first check comes at once: too small to rotate yet
  write(bigLine("B"));  // over 1024 bytes now, but the last check was just made
  EXPECT_FALSE(fs::exists(copy(0)));

  clock.advance(kJustOverAMinute);
  write("C");
  EXPECT_EQ(readFile(copy(0)), "A\n" + bigLine("B") + "\nC\n");
  EXPECT_FALSE(fs::exists(logPath)) << "the next write opens the new file";
  write("D");
  EXPECT_EQ(readFile(logPath), "D\n");
}

TEST_F(FileWriterTest, KeepsTheConfiguredNumberOfCopies) {
  // Options, and the markers of copy 0, 1, ... that must exist.
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {"style=bare&rotateSize=1&keep=0", {}},
      {"style=bare&rotateSize=1&keep=2", {"C", "B"}},
      {"style=bare&rotateSize=1", {"C", "B", "A"}},
      {"style=bare&rotateSize=1&keep=-5", {"C", "B", "A"}},
  };
  for (const auto& [options, copies] : cases) {
    for (const auto& entry : fs::directory_iterator(scratch.path())) fs::remove(entry.path());
    configure(options);
    rotateWith("A");
    rotateWith("B");
    rotateWith("C");
    EXPECT_FALSE(fs::exists(logPath)) << options;
    for (size_t i = 0; i < copies.size(); ++i) {
      EXPECT_EQ(readFile(copy(static_cast<int>(i))), bigLine(copies[i]) + "\n")
          << options << " copy " << i;
    }
    EXPECT_FALSE(fs::exists(copy(static_cast<int>(copies.size())))) << options;
  }
}

TEST_F(FileWriterTest, RotatesByAgeOnceTheFileIsOlderThanConfigured) {
  configure("style=bare&rotateAge=1&keep=3");
  write("opened");
  clock.advance(3600 * 1000);  // exactly one hour: not older than an hour
  write("at one hour");
  EXPECT_FALSE(fs::exists(copy(0)));
  clock.advance(kJustOverAMinute);
  write("past one hour");
  EXPECT_EQ(readFile(copy(0)), "opened\nat one hour\npast one hour\n");

  write("new file");  // its age counts from now
  clock.advance(30 * 60 * 1000);
  write("half an hour later");
  EXPECT_EQ(readFile(logPath), "new file\nhalf an hour later\n");
}

TEST_F(FileWriterTest, FullDiskIsReportedAndThrownAtEveryWrite) {
  ASSERT_TRUE(test.logger.loadConfig("file:///dev/full *.!DBUG\nrecord://r *.*"));
  test.recorded().clear();
  for (int attempt = 0; attempt < 2; ++attempt) {
    const auto failure = zeb_test::Thrown<TarnLog_Exception>([&] { write("nowhere to go"); });
    ASSERT_TRUE(failure) << "writing to a full device succeeded";
    EXPECT_EQ(failure->component, "LOG");
    EXPECT_EQ(failure->severity, CRITICAL_ERROR);
    const ExceptionMessage message = failure->firstMessage();
    EXPECT_EQ(message.id + "|" + message.messageTemplate + "|" + message.text,
              "    E|Failed to write to log file: {0}|Failed to write to log file: \\dev\\full");
  }
  // Each failure is reported, and the other writers are served all the same.
  const std::string report =
      "[" + labelOf("filewriter") + "] CRIT: Failed to write to log file: \\dev\\full";
  const std::string line = "[" + labelOf("db") + "] ERR: nowhere to go";
  EXPECT_EQ(test.recorded().shown(), (std::vector<std::string>{report, line, report, line}));
}

TEST_F(FileWriterTest, UnopenableFileThrowsAndIsRetriedWithTheNextMessage) {
  logPath = scratch.file("later/app.log");
  configure("style=bare");
  const auto failure = zeb_test::Thrown<TarnLog_Exception>([&] { write("lost"); });
  ASSERT_TRUE(failure) << "opened a file in a missing directory";
  cmn::PathValue composed;
  cmn::SetPath(composed, logPath.c_str());
  EXPECT_EQ(std::string(failure->what()), "Failed to open log file: " + composed.utf8);
  EXPECT_EQ(failure->firstMessage().id, "    E");
  EXPECT_TRUE(test.recorded().contains("lost")) << "the other writers are still served";
  fs::create_directory(scratch.file("later"));
  write("found");
  EXPECT_EQ(readFile(logPath), "found\n");
}

struct VanishCase {
  const char* what;
  void (*vanish)(const std::string& logPath);
  bool reported;         // lines went to a file without a name: a write failure
  const char* reopened;  // what the path holds after the next message
};

TEST_F(FileWriterTest, FileThatLosesItsNameIsReportedAndReopened) {
  const VanishCase cases[] = {
      {"directory removed",
       [](const std::string& log) { fs::remove_all(fs::path(log).parent_path()); }, true, nullptr},
      {"file deleted", [](const std::string& log) { fs::remove(log); }, true, "next\n"},
      {"file renamed away", [](const std::string& log) { fs::rename(log, log + ".old"); }, false,
       "next\n"},
  };
  for (const VanishCase& c : cases) {
    SCOPED_TRACE(c.what);
    logPath = scratch.file("logs/app.log");
    fs::create_directories(scratch.file("logs"));
    configure("style=bare");
    write("first");
    c.vanish(logPath);
    write("within the second: lost if deleted");
    clock.advance(1001);
    if (c.reported) {
      EXPECT_THROW(write("next"), TarnLog_Exception);
      cmn::PathValue shown;
      cmn::SetPath(shown, logPath.c_str());
      EXPECT_TRUE(test.recorded().contains("Failed to write to log file: " + shown.utf8));
    } else {
      EXPECT_NO_THROW(write("next"));
    }
    EXPECT_TRUE(test.recorded().contains("next")) << "the other writers are still served";
    if (c.reopened != nullptr) {
      EXPECT_EQ(readFile(logPath), c.reopened);
    } else {
      EXPECT_THROW(write("still no directory"), TarnLog_Exception);  // retried, not cached
      fs::create_directories(scratch.file("logs"));
      write("recovered");
      EXPECT_EQ(readFile(logPath), "recovered\n");
    }
    fs::remove_all(scratch.file("logs"));
  }
}

TEST_F(FileWriterTest, BlockedRotationKeepsTheFileAndItsLines) {
  configure("style=bare&rotateSize=1&keep=1");
  // A non-empty directory where copy 0 belongs: neither deleted nor replaced.
  fs::create_directories(copy(0) + "/occupied");
  write(bigLine("A"));
  rotateWith("B");
  EXPECT_TRUE(fs::is_directory(copy(0)));
  write("C");  // reopens the same file; appending keeps what it held
  EXPECT_EQ(readFile(logPath), bigLine("A") + "\n" + bigLine("B") + "\nC\n");
}

}  // namespace
