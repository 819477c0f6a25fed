// What tests need from the system beyond the platform layer, on Linux and Windows
// alike: environment variables, scratch directories and file times.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/os.h"

namespace zebtest {

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

// A new, empty directory under the system's temporary directory, named after
// `prefix`, this process and a counter.
inline std::string makeScratchDirectory(const std::string& prefix) {
  static std::atomic<int> counter{0};
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() /
      (prefix + std::to_string(cmn::currentThreadNumber()) + "_" + std::to_string(counter++));
  std::filesystem::remove_all(path);
  std::filesystem::create_directories(path);
  return path.generic_string();
}

// A file URI for a path of this system: file:///C:/logs/app.log on Windows.
inline std::string fileUri(const std::string& path) {
  return (!path.empty() && path.front() == '/' ? "file://" : "file:///") + path;
}

// Sets a file's modification time, so that a change shows however fast the test runs.
inline void setModifiedTime(const std::string& path, int64_t seconds) {
  const auto time =
      std::chrono::file_clock::from_sys(std::chrono::sys_seconds(std::chrono::seconds(seconds)));
  std::error_code ignored;
  std::filesystem::last_write_time(path, time, ignored);
}

}  // namespace zebtest
