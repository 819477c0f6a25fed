// Message dispatch: filtering, serving each writer once, the source label,
// level names, time stamps, writer failures and the configuration file watch.
#include "logging/logger.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "common/datetime.h"
#include "test_checks.h"
#include "test_writers.h"

namespace {

using zebtest::ScratchDirectory;
using zebtest::TestClock;
using zebtest::TestLogger;

struct FilterCase {
  const char* config;
  const char* source;
  uint32_t level;
  size_t written;  // how many writers wrote the message
};

// Each writer a message is admitted to writes it once, however many masks admit it.
TEST(LoggerDispatch, FiltersByLevelAndExactModuleAndServesEachWriterOnce) {
  const FilterCase cases[] = {
      {"record://r *.ERR", "db", kLevelError, 1},
      {"record://r *.ERR", "db", kLevelWarning, 0},
      {"record://r db.ERR", "db", kLevelError, 1},
      {"record://r db.ERR", "Db", kLevelError, 0},  // module names are case-sensitive
      {"record://r db.ERR", "db.pool", kLevelError, 0},
      {"record://r zebhost.WARN", "", kLevelWarning, 1},  // empty source: the logger's name
      {"record://r $MODULE_NAME.ERR", "other", kLevelError, 0},
      {"record://r $NODE_NAME.ERR", "zebhost", kLevelError, 1},
      {"record://r *.ERR;*.WARN", "db", kLevelWarning, 1},
      {"record://r *.ERR;*.*", "db", kLevelError, 1},    // two global masks admit the message
      {"record://r *.*;db.ERR", "db", kLevelError, 1},   // served globally, skipped per module
      {"record://r db.ERR;db.*", "db", kLevelError, 1},  // two masks of one module
      {"record://r db.*\nrecord://r db.*", "db", kLevelError, 2},  // the same URI twice
  };
  for (const FilterCase& c : cases) {
    TestLogger test(c.config);
    test.log(c.source, c.level, "probe");
    std::set<int> writers;
    for (const auto& line : test.recorded().lines()) writers.insert(line.writerId);
    EXPECT_EQ(test.recorded().texts(), std::vector<std::string>(c.written, "probe"))
        << c.config << " source [" << c.source << "] level " << c.level;
    EXPECT_EQ(writers.size(), c.written) << c.config;
  }
}

TEST(LoggerDispatch, SourceLabelCarriesModuleThreadAndTagAndLevelName) {
  TestLogger test("record://r *.*");
  const std::string thread = std::to_string(cmn::currentThreadNumber());

  test.log("logger", kLevelError, "plain");
  test.log("", 1u << 20, "unnamed, odd level");
  LogMessage tagged;
  tagged.reset("db", kLevelWarning);
  tagged.tag = "tx42";
  tagged.appendFormatted("%s", "tagged");
  test.logger.log(tagged);

  const auto lines = test.recorded().lines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].sourceLabel, "logger:" + thread);
  EXPECT_EQ(lines[1].sourceLabel, "zebhost:" + thread);
  EXPECT_EQ(lines[2].sourceLabel, "db:" + thread + ":tx42");
  EXPECT_EQ(lines[0].levelName, "ERR");
  EXPECT_EQ(lines[1].levelName, "UNKNOWN");
  EXPECT_EQ(lines[2].levelName, "WARN");
}

TEST(LoggerDispatch, CallersTimeIsKeptAndMissingTimeIsStampedOnlyWhenWritten) {
  TestLogger test("record://r *.ERR");

  LogMessage stamped;
  stamped.reset("db", kLevelError);
  stamped.time = cmn::DateTime(1000000000123);
  stamped.lines.push_back("stamped");
  test.logger.log(stamped);
  std::string expected;
  cmn::formatDateTime(cmn::DateTime(1000000000123), expected);
  ASSERT_EQ(test.recorded().lines().size(), 1u);
  EXPECT_EQ(test.recorded().lines()[0].timeStamp, expected);
  EXPECT_EQ(stamped.time.milliseconds(), 1000000000123);

  // Filtered out: no writer served, so no time was needed.
  const LogMessage dropped = test.log("db", kLevelWarning, "dropped");
  EXPECT_FALSE(dropped.time.isValid());
  const LogMessage written = test.log("db", kLevelError, "written");
  EXPECT_TRUE(written.time.isValid());
}

TEST(LoggerDispatch, EveryWriterIsTriedAndTheLastFailureIsThrown) {
  TestLogger test("fail://first *.*\nrecord://r *.*\nfail://second *.*");
  const auto failure =
      zeb_test::Thrown<TarnLog_Exception>([&] { test.log("db", kLevelError, "survives"); });
  ASSERT_TRUE(failure);
  EXPECT_STREQ(failure->what(), "writer second failed");
  EXPECT_EQ(failure->component, "LOG");
  EXPECT_EQ(failure->entryCount, 1);
  EXPECT_EQ(test.recorded().texts(), std::vector<std::string>{"survives"});
}

TEST(LoggerDispatch, OtherExceptionLeavesAtOnceAndReleasesTheLock) {
  TestLogger test("fail://plain *.*\nrecord://r *.*");
  EXPECT_THROW(test.log("db", kLevelError, "lost"), std::runtime_error);
  EXPECT_TRUE(test.recorded().texts().empty());
  // A lock left held for reading would make this wait for ever.
  EXPECT_TRUE(test.logger.loadConfig("record://r *.*"));
}

// Exceptions reach it too (tarn_exception_test.cc).
TEST(ProcessLogger, WarningsReachTheInstalledLogger) {
  TestLogger test("record://r *.*");
  logWarning("disk %d%% full", 93);
  const auto lines = test.recorded().lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].text, "disk 93% full");
  EXPECT_EQ(lines[0].levelName, "WARN");
  EXPECT_EQ(lines[0].sourceLabel.rfind("zebhost:", 0), 0u) << lines[0].sourceLabel;
}

TEST(LogMessageBuilding, ResetKeepsTagAndTimeAndLongLinesAreCut) {
  LogMessage message;
  message.tag = "t";
  message.time = cmn::DateTime(5);
  message.reset("a", kLevelError).appendFormatted("%d", 1);
  message.reset("b", kLevelWarning);
  EXPECT_TRUE(message.lines.empty());
  EXPECT_EQ(message.source, "b");
  EXPECT_EQ(message.level, kLevelWarning);
  EXPECT_EQ(message.tag, "t");
  EXPECT_EQ(message.time.milliseconds(), 5);

  const std::string longText(5000, 'x');
  message.appendFormatted("%s", longText.c_str());
  ASSERT_EQ(message.lines.size(), 1u);
  EXPECT_EQ(message.lines[0], std::string(4095, 'x'));
}

// The configuration file watch runs on message time, so a test moves a clock
// instead of waiting a minute.
class LoggerWatch : public ::testing::Test {
 protected:
  void SetUp() override {
    configFile = scratch.file("logger.cfg");
    zebtest::writeFile(configFile, "record://r *.*\n");
    zebtest::setModifiedTime(configFile, 1000);
    ASSERT_TRUE(test.logger.loadConfigFile(configFile));
    EXPECT_EQ(test.logger.configModified, 1000);
    EXPECT_TRUE(test.recorded().contains("Successfully loaded config file " + configFile));
    test.recorded().clear();
  }

  // Rewrites the watched file and gives it a new modification time.
  void rewrite(const std::string& text, int64_t modifiedSeconds) {
    zebtest::writeFile(configFile, text);
    zebtest::setModifiedTime(configFile, modifiedSeconds);
  }

  // A message without lines: it is never written but still looks at the file.
  void touchLogger() {
    LogMessage empty;
    empty.reset("db", kLevelError);
    test.logger.log(empty);
  }

  TestClock clock;
  ScratchDirectory scratch;
  TestLogger test;
  std::string configFile;
};

TEST_F(LoggerWatch, ChangedFileIsReloadedOnlyAfterAMinuteOfMessageTime) {
  rewrite("record://r *.ERR\n", 2000);
  clock.advance(60000);  // not more than a minute yet
  touchLogger();
  EXPECT_EQ(test.logger.configText, "record://r *.*\n");

  clock.advance(1);
  touchLogger();
  EXPECT_EQ(test.logger.configText, "record://r *.ERR\n");
  EXPECT_EQ(test.logger.configPath, configFile);
  EXPECT_EQ(test.logger.configModified, 2000);
  test.recorded().clear();
  test.log("db", kLevelWarning, "filtered by the new configuration");
  EXPECT_TRUE(test.recorded().texts().empty());
}

TEST_F(LoggerWatch, CallersMessageTimeDrivesTheCheck) {
  rewrite("record://r *.ERR\n", 2000);
  LogMessage message;
  message.reset("db", kLevelError);
  message.time = cmn::DateTime(clock.now() + 60001);
  test.logger.log(message);
  EXPECT_EQ(test.logger.configText, "record://r *.ERR\n");
}

TEST_F(LoggerWatch, DeletedFileIsReportedAndTheConfigurationStays) {
  std::filesystem::remove(configFile);
  clock.advance(60001);
  test.log("db", kLevelError, "still written");
  EXPECT_TRUE(test.recorded().contains("Failed to stat logger config file: " + configFile));
  EXPECT_TRUE(test.recorded().contains("still written"));
  EXPECT_EQ(test.logger.configText, "record://r *.*\n");

  // The next look comes a minute later, not with every message.
  test.recorded().clear();
  clock.advance(1000);
  test.log("db", kLevelError, "again");
  EXPECT_EQ(test.recorded().texts(), std::vector<std::string>{"again"});
}

TEST_F(LoggerWatch, InvalidFileIsRetriedAtEachCheckUntilCorrected) {
  rewrite("record://r *.NOSUCHLEVEL\n", 2000);
  for (int check = 0; check < 2; ++check) {
    test.recorded().clear();
    clock.advance(60001);
    test.log("db", kLevelError, "flows");
    EXPECT_TRUE(test.recorded().contains("Failed to load new config file " + configFile))
        << "check " << check;
    EXPECT_TRUE(test.recorded().contains("flows"));
    EXPECT_EQ(test.logger.configModified, 1000);
  }
  rewrite("record://r *.WARN\n", 3000);
  clock.advance(60001);
  touchLogger();
  EXPECT_EQ(test.logger.configText, "record://r *.WARN\n");
  EXPECT_EQ(test.logger.configModified, 3000);
}

TEST_F(LoggerWatch, DirectLoadStopsTheWatch) {
  ASSERT_TRUE(test.logger.loadConfig("record://r *.*"));
  EXPECT_TRUE(test.logger.configPath.empty());
  rewrite("record://r *.ERR\n", 2000);
  clock.advance(60001);
  touchLogger();
  EXPECT_EQ(test.logger.configText, "record://r *.*");
}

}  // namespace
