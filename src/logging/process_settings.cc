// The process settings table under its readers-writer lock.
// Tested by tests/logging/logger_test.cc.
#include "logging/process_settings.h"

#include <map>

#include "common/mutex.h"

namespace {

class ProcessSettings {
 public:
  bool get(const std::string& name, std::string& value) EXCLUDES(lock_) {
    cmn::ReaderLock guard(lock_);
    const auto found = values_.find(name);
    if (found == values_.end()) {
      value.clear();
      return false;
    }
    value = found->second;
    return true;
  }

  void set(const std::string& name, const std::string& value) EXCLUDES(lock_) {
    cmn::WriterLock guard(lock_);
    values_[name] = value;
  }

 private:
  cmn::SharedMutex lock_;  // never taken recursively, so the standard lock serves
  std::map<std::string, std::string> values_ GUARDED_BY(lock_);
};

// Built on first use, so that it exists whatever order static objects are built in.
ProcessSettings& processSettings() {
  static ProcessSettings settings;
  return settings;
}

}  // namespace

bool getProcessSetting(const std::string& name, std::string& value) {
  return processSettings().get(name, value);
}

void setProcessSetting(const std::string& name, const std::string& value) {
  processSettings().set(name, value);
}

bool moduleName(std::string& value) { return getProcessSetting("DIZ_MODULE", value); }
