// Test doubles of the logging tests (tests/logging, tests/errors): a recording
// writer whose lines outlive it (a configuration reload deletes writers), a writer
// that throws, a settable clock and a logger set up as a host sets one up.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "errors/tarn_exception.h"
#include "logcore/log_message.h"
#include "logcore/process_logger.h"
#include "logging/log_clock.h"
#include "logging/logger.h"
#include "logging/uri.h"
#include "logging/writers.h"
#include "test_files.h"

namespace zebtest {

struct RecordedLine {
  int writerId;  // creation number of the writer that wrote it, from 0
  std::string timeStamp;
  std::string sourceLabel;
  std::string levelName;
  std::string text;
};

// Everything the writers of one factory saw, kept past the writers' deletion.
class Recording {
 public:
  void add(RecordedLine line) {
    std::lock_guard<std::mutex> guard(mutex_);
    lines_.push_back(std::move(line));
  }
  std::vector<RecordedLine> lines() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return lines_;
  }
  std::vector<std::string> texts() const {
    std::vector<std::string> out;
    for (const RecordedLine& line : lines()) out.push_back(line.text);
    return out;
  }
  // Each line as a prefixed log file shows it: "[label] LEVEL: text".
  std::vector<std::string> shown() const {
    std::vector<std::string> out;
    for (const RecordedLine& line : lines()) {
      out.push_back("[" + line.sourceLabel + "] " + line.levelName + ": " + line.text);
    }
    return out;
  }
  bool contains(const std::string& text) const { return std::ranges::count(texts(), text) > 0; }
  void clear() {
    std::lock_guard<std::mutex> guard(mutex_);
    lines_.clear();
  }

  std::atomic<int> created{0}, opened{0}, closed{0}, destroyed{0};

 private:
  mutable std::mutex mutex_;
  std::vector<RecordedLine> lines_;
};

// Under the scheme "fail" every write throws a TarnLog_Exception that names the
// URI's host (a std::runtime_error for the host "plain"); otherwise it records.
class TestWriter : public CLogWriter {
 public:
  TestWriter(std::shared_ptr<Recording> recording, int id)
      : recording_(std::move(recording)), id_(id) {}
  ~TestWriter() override { ++recording_->destroyed; }
  void open(const Uri& uri) override {
    ++recording_->opened;
    failing_ = uri.scheme == "fail";
    host_ = uri.host;
  }
  void write(const std::string& timeStamp, const std::string& sourceLabel,
             const std::string& levelName, const LogMessage& message) override {
    if (failing_ && host_ == "plain") throw std::runtime_error("plain failure");
    if (failing_) {
      TarnLog_Exception failure(std::string(), "writer " + host_ + " failed", CRITICAL_ERROR);
      failure.component = "LOG";
      throw failure;
    }
    for (const std::string& line : message.lines) {
      recording_->add({id_, timeStamp, sourceLabel, levelName, line});
    }
  }
  void close() override { ++recording_->closed; }

 private:
  std::shared_ptr<Recording> recording_;
  int id_;
  bool failing_ = false;
  std::string host_;
};

class TestWriterFactory : public CLogWriterFactory {
 public:
  std::unique_ptr<CLogWriter> create() override {
    return std::make_unique<TestWriter>(recording, recording->created++);
  }
  std::shared_ptr<Recording> recording = std::make_shared<Recording>();
};

// The source label of a message from `module` logged on this thread.
inline std::string labelOf(const std::string& module) {
  return module + ":" + std::to_string(cmn::currentThreadNumber());
}

// A clock the test moves by hand.
class TestClock {
 public:
  static constexpr int64_t kStart = 1767225600000;  // 2026-01-01 00:00:00 UTC
  TestClock() {
    now_.store(kStart);
    zlog::setClockForTesting([] { return now_.load(); });
  }
  ~TestClock() { zlog::setClockForTesting(nullptr); }
  void advance(int64_t millis) { now_.fetch_add(millis); }
  int64_t now() const { return now_.load(); }

 private:
  static inline std::atomic<int64_t> now_{0};
};

// A logger as a host creates one: the usual level names, test writers under
// "record" and "fail" and the system's three writers. It is the process logger
// while it lives, so the logging subsystem's own reports reach it.
class TestLogger {
 public:
  TestLogger() {
    logger.levelNames = {{kLevelCritical, "CRIT"},
                         {kLevelError, "ERR"},
                         {kLevelWarning, "WARN"},
                         {kLevelInformation, "INFO"},
                         {kLevelProgress, "DBUG"}};
    for (const auto& [value, levelName] : logger.levelNames) logger.levelValues[levelName] = value;
    logger.factories["record"] = &recordingFactory;
    logger.factories["fail"] = &recordingFactory;
    logger.factories["console"] = &consoleWriterFactory();
    logger.factories["file"] = &fileWriterFactory();
    logger.factories["event"] = &eventWriterFactory();
    logger.name = "zebhost";
    setProcessLogger(&logger);
  }
  // The same with `config` loaded and the loader's reports cleared away.
  explicit TestLogger(const std::string& config) : TestLogger() {
    EXPECT_TRUE(logger.loadConfig(config)) << config;
    recorded().clear();
  }
  ~TestLogger() {
    setProcessLogger(nullptr);
    logger.clear();
  }

  // Logs one message with the given source, level, lines and tag; returns it as stamped.
  LogMessage logLines(const std::string& source, uint32_t level, std::vector<std::string> lines,
                      const std::string& tag = "") {
    LogMessage message;
    message.reset(source, level).lines = std::move(lines);
    message.tag = tag;
    logger.log(message);
    return message;
  }
  LogMessage log(const std::string& source, uint32_t level, const std::string& text) {
    return logLines(source, level, {text});
  }

  Recording& recorded() const { return *recordingFactory.recording; }

  Logger logger;
  TestWriterFactory recordingFactory;
};

using zeb_test::readFile;
using zeb_test::ScratchDirectory;
using zeb_test::setModifiedTime;
using zeb_test::writeFile;

}  // namespace zebtest
