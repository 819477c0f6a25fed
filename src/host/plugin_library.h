// A plug-in loaded with dlopen and driven through its four C entry points only
// (initPlugin, runDQM, getVersion, closePlugin), as any third-party host would.
// The plug-in lets exceptions leave initPlugin and runDQM; this wrapper is where
// the host catches them (Tarn_Exception, then any std::exception, then anything),
// so that no exception crosses into the rest of the host.
// Tested by tests/host/host_services_test.cc.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "plugin/host_services.h"

namespace zeb {

inline constexpr const char* kPluginFileName = "libzebConfigParseAddr.so";

class PluginLibrary {
 public:
  // Null and a message naming the path when the library or one of its entry points
  // cannot be found.
  static std::unique_ptr<PluginLibrary> open(const std::string& path, std::string& error);
  ~PluginLibrary();  // unloads the library; closePlugin is the caller's business
  PluginLibrary(const PluginLibrary&) = delete;
  PluginLibrary& operator=(const PluginLibrary&) = delete;

  // initPlugin with the host's lookup callback. False with the plug-in's message
  // (or the text of the exception it threw) on failure.
  bool init(LookupFunction lookup, std::string& error);

  // Outcome of one record.
  struct RunResult {
    int32_t status = 0;  // runDQM's result; meaningless when `threw`
    bool threw = false;
    std::string error;   // the exception's text when `threw`
  };
  // runDQM on one record document; `buffer` receives the result text.
  RunResult run(const char* document, char* buffer, uint32_t bufferSize);

  std::string version();
  int32_t close();
  const std::string& path() const { return path_; }

 private:
  PluginLibrary() = default;
  void* handle_ = nullptr;
  std::string path_;
  InitPluginFunction init_ = nullptr;
  RunDQMFunction run_ = nullptr;
  GetVersionFunction version_ = nullptr;
  ClosePluginFunction close_ = nullptr;
};

}  // namespace zeb
