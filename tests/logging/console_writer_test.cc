// Console output as it reaches the process's real standard streams.
#include "logging/console_writer.h"

#include <gtest/gtest.h>

#include <string>

#include "test_writers.h"

namespace {

using zebtest::TestLogger;

struct ConsoleCase {
  const char* config;
  bool toStdout;
  bool bare;
};

TEST(ConsoleWriter, ChoosesStreamAndStyleFromTheUri) {
  const ConsoleCase cases[] = {
      {"console://stdout db.*", true, false},
      {"console: db.*", false, false},
      {"console://STDOUT db.*", false, false},  // the host is compared exactly
      {"console://stdout?style=bare db.*", true, true},
  };
  for (const ConsoleCase& c : cases) {
    TestLogger test;
    ASSERT_TRUE(test.logger.loadConfig(c.config)) << c.config;
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    LogMessage message;
    message.reset("db", kLevelWarning);
    message.lines = {"first", "second", "third"};
    test.logger.log(message);
    const std::string out = ::testing::internal::GetCapturedStdout();
    const std::string err = ::testing::internal::GetCapturedStderr();

    const std::string& written = c.toStdout ? out : err;
    EXPECT_TRUE((c.toStdout ? err : out).empty()) << c.config;
    std::string expected;
    std::string stamp;
    cmn::formatDateTime(message.time, stamp);
    const std::string prefix =
        c.bare ? "" : stamp + " [db:" + std::to_string(cmn::currentThreadNumber()) + "] WARN: ";
    for (const char* line : {"first", "second", "third"}) expected += prefix + line + "\n";
    EXPECT_EQ(written, expected) << c.config;
  }
}

TEST(ConsoleWriter, WritesTheWritersOwnFailureReports) {
  TestLogger test;
  ASSERT_TRUE(test.logger.loadConfig("console://stdout?style=bare eventwriter.*;filewriter.*"));
  ::testing::internal::CaptureStdout();
  test.log("eventwriter", kLevelError, "Failed ReportEvent: 0x0005");
  test.log("filewriter", kLevelCritical, "Failed to write to log file: x");
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            "Failed ReportEvent: 0x0005\nFailed to write to log file: x\n");
}

}  // namespace
