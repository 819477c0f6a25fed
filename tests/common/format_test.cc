#include "common/format.h"

#include <gtest/gtest.h>

namespace cmn {
namespace {

TEST(Format, GrowsForLongResults) {
  std::string out = "old";
  EXPECT_EQ(Format(out, "%s-%d", "a", 7), 3);
  EXPECT_EQ(out, "a-7");
  const std::string longText(100000, 'x');
  EXPECT_EQ(Format(out, "<%s>", longText.c_str()), 100002);
  EXPECT_EQ(out, "<" + longText + ">");
  EXPECT_EQ(Format(out, "%s", ""), 0);
  EXPECT_EQ(out, "");
}

TEST(FormatBounded, CutsAtTheLimitAndIgnoresANullFormat) {
  std::string out = "kept";
  const char* noFormat = nullptr;
  FormatBounded(out, noFormat);
  EXPECT_EQ(out, "kept");
  const std::string longText(kFormatBoundedLimit + 100, 'y');
  FormatBounded(out, "a%s", longText.c_str());
  ASSERT_EQ(out.size(), kFormatBoundedLimit);
  EXPECT_EQ(out, "a" + longText.substr(0, kFormatBoundedLimit - 1));
  const std::string exact(kFormatBoundedLimit, 'z');
  EXPECT_EQ(FormatBounded(out, "%s", exact.c_str()), exact);
  EXPECT_EQ(FormatBounded(out, "%d%%", 50), "50%");
}

}  // namespace
}  // namespace cmn
