// Date and time texts, in UTC.
#include "common/datetime.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <utility>

#include "test_files.h"

namespace cmn {
namespace {

// Broken-down times are known only in a known zone; nothing else here reads it.
const bool kUtc = [] {
  zeb_test::setEnvironment("TZ", "UTC");
  tzset();
  return true;
}();

std::string Text(const DateTime& value, bool emptyIfInvalid = false) {
  std::string out = "stale";
  return formatDateTime(value, out, emptyIfInvalid);
}

TEST(DateTimeText, SpecialValues) {
  EXPECT_EQ(Text(DateTime::null()), "NULL");
  EXPECT_EQ(Text(DateTime::null(), true), "NULL");
  EXPECT_EQ(Text(DateTime()), "#INVALID#");
  EXPECT_EQ(Text(DateTime(), true), "");
  EXPECT_EQ(Text(DateTime::past()), "#INVALID#");
  EXPECT_EQ(Text(DateTime::future(), true), "#INVALID#");
  // The last real times before the special values still break down.
  EXPECT_EQ(Text(DateTime(DateTime::kFuture - 1)), "292278994-08-17 07:12:55.806");
  EXPECT_EQ(Text(DateTime(DateTime::kPast + 1)), "-292275055-05-16 16:47:04.195");
}

TEST(DateTimeText, PadsEveryFieldAndTheMilliseconds) {
  const std::pair<int64_t, const char*> rows[] = {
      {0, "1970-01-01 00:00:00.000"},
      {5, "1970-01-01 00:00:00.005"},
      {1234567890123, "2009-02-13 23:31:30.123"},
      {-1, "1969-12-31 23:59:59.999"},
      {951782400050, "2000-02-29 00:00:00.050"},
  };
  for (const auto& [millis, expected] : rows) EXPECT_EQ(Text(DateTime(millis)), expected) << millis;
}

TEST(DateTime, NowIsARealTime) {
  const DateTime now = DateTime::now();
  EXPECT_TRUE(now.isValid());
  EXPECT_GT(now.milliseconds(), 1600000000000);  // after September 2020
  EXPECT_LT(now.milliseconds(), DateTime::future().milliseconds());
}

}  // namespace
}  // namespace cmn
