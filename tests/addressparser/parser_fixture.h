// Shared fixture of the address parser tests: loads a configuration XML given as a
// string (through a temporary file and loadParserConfiguration) into the
// process-wide tables, and empties the tables before and after each test.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>

#include "addressparser/parser_config.h"

namespace addr_test {

// Writes `content` to a fresh file in the temporary directory; removed by the
// destructor.
class TempFile {
 public:
  explicit TempFile(const std::string& content) {
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path() /
            ("zeb_parser_" + std::to_string(::getpid()) + "_" + std::to_string(counter++) + ".xml");
    std::ofstream out(path_, std::ios::binary);
    out << content;
  }
  ~TempFile() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  std::string path() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

// Loads `xml` as the configuration file; returns loadParserConfiguration's status.
// Exceptions (malformed XML) pass through.
inline int loadConfigurationText(const std::string& xml) {
  TempFile file(xml);
  return addr::loadParserConfiguration(file.path());
}

class ParserFixture : public ::testing::Test {
 protected:
  void SetUp() override { addr::clearParserConfiguration(); }
  void TearDown() override { addr::clearParserConfiguration(); }

  // Loads `xml` and expects status 0.
  void load(const std::string& xml) {
    ASSERT_EQ(addr::kConfigOk, loadConfigurationText(xml)) << xml;
  }
};

}  // namespace addr_test
