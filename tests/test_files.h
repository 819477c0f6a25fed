// Scratch files and the system for the tests, on Linux and Windows alike: a fresh
// directory removed afterwards, whole-file reads and writes, file times, file URIs
// and environment variables. Used across tests/.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "common/os.h"

namespace zeb_test {

class ScratchDirectory {
 public:
  ScratchDirectory() {
    static std::atomic<int> counter{0};
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() /
        ("zebtest-" + std::to_string(cmn::currentThreadNumber()) + "_" + std::to_string(counter++));
    // Left behind by an earlier process whose thread had the same number.
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
    path_ = path.generic_string();
  }
  ~ScratchDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

inline std::string readFile(const std::string& path) {
  std::ostringstream content;
  content << std::ifstream(path, std::ios::binary).rdbuf();
  return content.str();
}

inline void writeFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// Sets a file's modification time, so that a change shows however fast the test runs.
inline void setModifiedTime(const std::string& path, int64_t seconds) {
  const auto time =
      std::chrono::file_clock::from_sys(std::chrono::sys_seconds(std::chrono::seconds(seconds)));
  std::error_code ignored;
  std::filesystem::last_write_time(path, time, ignored);
}

// A file URI for a path of this system: file:///C:/logs/app.log on Windows.
inline std::string fileUri(const std::string& path) {
  return (!path.empty() && path.front() == '/' ? "file://" : "file:///") + path;
}

inline void setEnvironment(const char* name, const char* value) {
#if defined(_WIN32)
  _putenv_s(name, value);
#else
  setenv(name, value, 1);
#endif
}

inline void unsetEnvironment(const char* name) {
#if defined(_WIN32)
  _putenv_s(name, "");  // an empty value removes the variable
#else
  unsetenv(name);
#endif
}

}  // namespace zeb_test
