// The millisecond time stamp and its local-time text form.
#include "common/datetime.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include "common/os.h"

namespace cmn {

DateTime DateTime::now() {
  const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
  return DateTime(std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count());
}

std::string& formatDateTime(const DateTime& value, std::string& out, bool emptyIfInvalid) {
  const int64_t millis = value.milliseconds();
  if (emptyIfInvalid && !value.isValid()) {
    out.clear();
    return out;
  }
  if (millis > DateTime::kPast && millis < DateTime::kFuture) {
    // Floor division, so times before 1970 keep a millisecond part of 0 to 999.
    int64_t seconds = millis / 1000;
    int64_t milliPart = millis % 1000;
    if (milliPart < 0) {
      milliPart += 1000;
      --seconds;
    }
    const std::time_t clock = static_cast<std::time_t>(seconds);
    std::tm local{};
    // Times whose year does not fit the broken-down form cannot be shown.
    if (localTime(clock, local)) {
      char buffer[64];
      const int length =
          std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d.%03d",
                        local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                        local.tm_min, local.tm_sec, static_cast<int>(milliPart));
      out.assign(buffer, static_cast<size_t>(length));
      return out;
    }
  }
  out.assign(value.isNull() ? "NULL" : "#INVALID#");
  return out;
}

}  // namespace cmn
