// The process settings table: named text values shared by the whole process.
// The host's start-up code sets "DIZ_MODULE" (the module's name, which the
// event-log writer uses as its source name); this system only reads it.
// Tested by tests/logging/logger_test.cc.
#pragma once

#include <string>

// True and the value when the setting exists; otherwise `value` is emptied.
bool getProcessSetting(const std::string& name, std::string& value);
// Stores or replaces a setting.
void setProcessSetting(const std::string& name, const std::string& value);
// The setting "DIZ_MODULE".
bool moduleName(std::string& value);
