// The process settings table under its readers-writer lock.
// Tested by tests/logging/uri_test.cc.
#include "logging/process_settings.h"

#include <map>
#include <mutex>
#include <shared_mutex>

namespace {

struct ProcessSettings {
  std::shared_mutex lock;  // never taken recursively, so the standard lock serves
  std::map<std::string, std::string> values;
};

// Built on first use, so that it exists whatever order static objects are built in.
ProcessSettings& processSettings() {
  static ProcessSettings settings;
  return settings;
}

}  // namespace

bool getProcessSetting(const std::string& name, std::string& value) {
  ProcessSettings& settings = processSettings();
  std::shared_lock<std::shared_mutex> guard(settings.lock);
  const auto found = settings.values.find(name);
  if (found == settings.values.end()) {
    value.clear();
    return false;
  }
  value = found->second;
  return true;
}

void setProcessSetting(const std::string& name, const std::string& value) {
  ProcessSettings& settings = processSettings();
  std::unique_lock<std::shared_mutex> guard(settings.lock);
  settings.values[name] = value;
}

bool moduleName(std::string& value) { return getProcessSetting("DIZ_MODULE", value); }
