// The clock the logging subsystem reads: message time stamps, the configuration
// file watch and the file writer's rotation checks. Tests replace it so that
// "a minute later" and "a day later" need no sleeping.
// Tested through tests/logging/logger_test.cc and writers_test.cc.
#pragma once

#include <cstdint>

namespace zlog {

// Milliseconds since the Unix epoch, UTC.
using ClockFunction = int64_t (*)();

int64_t nowMillis();

// Installs a replacement clock for the whole process; nullptr restores the
// system clock.
void setClockForTesting(ClockFunction clock);

}  // namespace zlog
