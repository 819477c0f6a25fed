// Test doubles shared by the logging tests: a recording writer whose lines
// outlive the writer (a configuration reload deletes writers), a writer that
// throws TarnLog_Exception, a settable clock, and a logger set up the way a
// host sets one up. Test code only.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>
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
  // Just the texts, in order: what most assertions compare.
  std::vector<std::string> texts() const {
    std::vector<std::string> out;
    for (const RecordedLine& line : lines()) out.push_back(line.text);
    return out;
  }
  bool contains(const std::string& text) const {
    for (const RecordedLine& line : lines()) {
      if (line.text == text) return true;
    }
    return false;
  }
  void clear() {
    std::lock_guard<std::mutex> guard(mutex_);
    lines_.clear();
  }

  std::atomic<int> created{0};
  std::atomic<int> opened{0};
  std::atomic<int> closed{0};
  std::atomic<int> destroyed{0};

 private:
  mutable std::mutex mutex_;
  std::vector<RecordedLine> lines_;
};

class RecordingWriter : public CLogWriter {
 public:
  RecordingWriter(std::shared_ptr<Recording> recording, int id)
      : recording_(std::move(recording)), id_(id) {}
  ~RecordingWriter() override { ++recording_->destroyed; }
  void open(const Uri&) override { ++recording_->opened; }
  void write(const std::string& timeStamp, const std::string& sourceLabel,
             const std::string& levelName, const LogMessage& message) override {
    for (const std::string& line : message.lines) {
      recording_->add({id_, timeStamp, sourceLabel, levelName, line});
    }
  }
  void close() override { ++recording_->closed; }

 private:
  std::shared_ptr<Recording> recording_;
  int id_;
};

class RecordingWriterFactory : public CLogWriterFactory {
 public:
  std::unique_ptr<CLogWriter> create() override {
    return std::make_unique<RecordingWriter>(recording, recording->created++);
  }
  std::shared_ptr<Recording> recording = std::make_shared<Recording>();
};

// Throws a TarnLog_Exception whose text names the writer's URI host, so that
// a test can tell which of several failing writers an exception came from;
// the host "plain" throws a std::runtime_error instead.
class ThrowingWriter : public CLogWriter {
 public:
  void open(const Uri& uri) override { name_ = uri.host; }
  void write(const std::string&, const std::string&, const std::string&,
             const LogMessage&) override {
    if (name_ == "plain") throw std::runtime_error("plain failure");
    TarnLog_Exception failure(std::string(), "writer " + name_ + " failed", CRITICAL_ERROR);
    failure.component = "LOG";
    throw failure;
  }
  void close() override {}

 private:
  std::string name_;
};

class ThrowingWriterFactory : public CLogWriterFactory {
 public:
  std::unique_ptr<CLogWriter> create() override { return std::make_unique<ThrowingWriter>(); }
};

// A clock the test moves by hand.
class TestClock {
 public:
  static constexpr int64_t kStart = 1767225600000;  // 2026-01-01 00:00:00 UTC
  TestClock() {
    now_.store(kStart);
    zlog::setClockForTesting(&TestClock::read);
  }
  ~TestClock() { zlog::setClockForTesting(nullptr); }
  void advance(int64_t millis) { now_.fetch_add(millis); }
  int64_t now() const { return now_.load(); }

 private:
  static int64_t read() { return now_.load(); }
  static inline std::atomic<int64_t> now_{0};
};

// A logger as a host creates one: the usual level names and a recording
// writer under "record", a throwing one under "fail" and the system's three
// writers. It is also the process logger while it lives, so the logging
// subsystem's own reports reach it.
class TestLogger {
 public:
  TestLogger() {
    const std::pair<uint32_t, const char*> levels[] = {
        {kLevelCritical, "CRIT"},    {kLevelError, "ERR"}, {kLevelWarning, "WARN"}, {8, "NOTE"},
        {kLevelInformation, "INFO"}, {32, "TRACE"},        {kLevelProgress, "DBUG"}};
    for (const auto& [value, levelName] : levels) {
      logger.levelNames[value] = levelName;
      logger.levelValues[levelName] = value;
    }
    logger.factories["record"] = &recordingFactory;
    logger.factories["fail"] = &throwingFactory;
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

  // Logs one line with the given source and level; returns the message.
  LogMessage log(const std::string& source, uint32_t level, const std::string& text) {
    LogMessage message;
    message.reset(source, level);
    message.lines.push_back(text);
    logger.log(message);
    return message;
  }

  const Recording& recorded() const { return *recordingFactory.recording; }
  Recording& recorded() { return *recordingFactory.recording; }

  Logger logger;
  RecordingWriterFactory recordingFactory;
  ThrowingWriterFactory throwingFactory;
};

// A fresh directory under the system's temporary directory, removed afterwards.
class ScratchDirectory {
 public:
  ScratchDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zeblog-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~ScratchDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

inline std::string readFile(const std::string& path) {
  std::ifstream in(path);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

inline void writeFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::trunc);
  out << text;
}

// Sets a file's modification time, so that a change shows however fast the test runs.
inline void setModifiedTime(const std::string& path, int64_t seconds) {
  const struct timeval times[2] = {{static_cast<time_t>(seconds), 0},
                                   {static_cast<time_t>(seconds), 0}};
  ::utimes(path.c_str(), times);
}

}  // namespace zebtest
