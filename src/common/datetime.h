// A millisecond time stamp with special values, standing in for the RW date-time
// class, and its text form. Tested by tests/common/common_test.cc.
#pragma once

#include <cstdint>
#include <string>

namespace cmn {

class DateTime {
 public:
  // Milliseconds since the Unix epoch, UTC. The special values sit at the far ends
  // of the range so that every real time lies strictly between past and future.
  static constexpr int64_t kInvalid = INT64_MIN;
  static constexpr int64_t kNull = INT64_MIN + 1;
  static constexpr int64_t kPast = INT64_MIN + 2;
  static constexpr int64_t kFuture = INT64_MAX;

  constexpr DateTime() = default;  // invalid
  constexpr explicit DateTime(int64_t millis) : millis_(millis) {}

  static DateTime now();
  static constexpr DateTime null() { return DateTime(kNull); }
  static constexpr DateTime past() { return DateTime(kPast); }
  static constexpr DateTime future() { return DateTime(kFuture); }

  constexpr bool isValid() const { return millis_ != kInvalid; }
  constexpr bool isNull() const { return millis_ == kNull; }
  constexpr int64_t milliseconds() const { return millis_; }

 private:
  int64_t millis_ = kInvalid;
};

// "%04d-%02d-%02d %02d:%02d:%02d.%03d" in local time; "NULL" and "#INVALID#" for the
// special values; empty text for the invalid value when emptyIfInvalid is set.
std::string& formatDateTime(const DateTime& value, std::string& out, bool emptyIfInvalid = false);

}  // namespace cmn
