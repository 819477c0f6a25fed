// Boundaries of the byte-string helpers.
#include "common/string_util.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace cmn {
namespace {

std::string Joined(const std::vector<std::string>& items) {
  std::string out;
  for (const auto& item : items) out += "[" + item + "]";
  return out;
}

TEST(Split, YieldsMaximalRunsAndNeverEmptyItems) {
  struct Row {
    const char* text;
    const char* separators;
    const char* expected;
  } rows[] = {
      {"  a \t b  ", " \t", "[a][b]"}, {"", " ", ""},       {"   ", " ", ""}, {"abc", " ", "[abc]"},
      {"a,,b;c", ",;", "[a][b][c]"},   {"abc", "", "[abc]"}};
  for (const Row& row : rows) {
    std::vector<std::string> out = {"stale"};
    const size_t count = Split(row.text, out, row.separators);
    EXPECT_EQ(Joined(out), row.expected) << "text '" << row.text << "'";
    EXPECT_EQ(count, out.size()) << "text '" << row.text << "'";
  }
  std::vector<std::string> out = {"x"};
  EXPECT_EQ(Split("a b", out, " ", true), 3u) << "keep appends to the list";
  EXPECT_EQ(Joined(out), "[x][a][b]");
  EXPECT_EQ(Split("five", out, " "), 1u) << "a reused list drops longer leftovers";
  EXPECT_EQ(Joined(out), "[five]");
}

TEST(SplitFields, KeepsEmptyFieldsAndAlwaysTheLastOne) {
  struct Row {
    const char* text;
    const char* separators;
    bool collapse;
    bool skipLeading;
    const char* expected;
  } rows[] = {
      {"a;;b", ";", false, false, "[a][][b]"},
      {"a;", ";", false, false, "[a][]"},
      {"", ";", false, false, "[]"},
      {";a", ";", false, false, "[][a]"},
      {";;a", ";", false, true, "[a]"},
      {"a;;b", ";", true, false, "[a][b]"},
      {"a;;", ";", true, false, "[a][]"},
      {";;", ";", false, true, "[]"},
      {"a b\tc", nullptr, false, false, "[a][b][c]"},
      {"a b", "", false, false, "[a][b]"},
  };
  for (const Row& row : rows) {
    std::vector<std::string> out = {"stale", "stale", "stale", "stale"};
    const size_t count = SplitFields(row.text, out, row.separators, row.collapse, row.skipLeading);
    EXPECT_EQ(Joined(out), row.expected) << "text '" << row.text << "'";
    EXPECT_EQ(count, out.size()) << "text '" << row.text << "'";
  }
}

TEST(Trim, RemovesOnlyTheSetAtEachEnd) {
  std::string text = " \t\r\n ";
  EXPECT_EQ(TrimLeft(text), "");
  text = " \t\r\n ";
  EXPECT_EQ(TrimRight(text), "");
  text = "\t a b \n";
  EXPECT_EQ(TrimLeft(text), "a b \n");
  EXPECT_EQ(TrimRight(text), "a b");
  text = "xxaxx";
  EXPECT_EQ(TrimLeft(text, "x"), "axx");
  text = "";
  EXPECT_EQ(TrimLeft(text), "");
}

TEST(ReplaceAll, DoesNotRescanInsertedText) {
  struct Row {
    const char* text;
    const char* search;
    const char* replacement;
    const char* expected;
    size_t count;
  } rows[] = {
      {"a.b.c", ".", "..", "a..b..c", 2},
      {"aaa", "a", "aa", "aaaaaa", 3},
      {"aaaa", "aa", "a", "aa", 2},
      {"abc", "b", nullptr, "ac", 1},
      {"abc", "x", "y", "abc", 0},
      {"abc", "", "y", "abc", 0},
      {"", "a", "b", "", 0},
  };
  for (const Row& row : rows) {
    std::string text = row.text;
    EXPECT_EQ(ReplaceAll(text, row.search, row.replacement), row.count) << row.text;
    EXPECT_EQ(text, row.expected) << row.text;
  }
}

TEST(NumberReading, StopsAtTheFirstOtherByte) {
  const std::pair<const char*, int32_t> rows[] = {
      {" \t\r\n-17x", -17},
      {"+8", 8},
      {"", 0},
      {"-", 0},
      {"--3", 0},
      {"1 2", 1},
      {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN},
      {"4294967297", 1},  // no overflow check: the value wraps
  };
  for (const auto& [text, value] : rows) EXPECT_EQ(TextToInt(text), value) << text;

  const std::pair<const char*, uint32_t> hexRows[] = {
      {"ff", 0xFF}, {" 1aG", 0x1A}, {"DEADbeef", 0xDEADBEEF},  {"", 0},
      {"0x10", 0},  {"g", 0},       {"123456789", 0x23456789},
  };
  for (const auto& [text, value] : hexRows) EXPECT_EQ(HexToInt(text), value) << text;
}

TEST(IsAllDigits, EmptyTextHoldsNoOtherByte) {
  EXPECT_TRUE(IsAllDigits(""));
  EXPECT_TRUE(IsAllDigits("0123"));
  EXPECT_FALSE(IsAllDigits("12a"));
  EXPECT_FALSE(IsAllDigits("-1"));
}

TEST(StartsAndEndsWith, NullNeverMatches) {
  EXPECT_FALSE(StartsWith("abc", nullptr));
  EXPECT_FALSE(StartsWith("ab", "abc"));
  EXPECT_TRUE(StartsWith("abc", ""));
  EXPECT_FALSE(EndsWith("abc", nullptr));
  EXPECT_FALSE(EndsWith("bc", "abc"));
  EXPECT_TRUE(EndsWith("abc", "bc"));
}

TEST(Padding, NeverCutsAndPadsAfterTheSign) {
  EXPECT_EQ(PadLeft("12345", '0', 3), "12345");
  EXPECT_EQ(PadLeft("7", '0', 3), "007");
  EXPECT_EQ(FormatInt(42, 5), "00042");
  EXPECT_EQ(FormatInt(123456, 3), "123456");
  EXPECT_EQ(FormatInt(-5, 3), "-05");
  EXPECT_EQ(FormatInt(0, 0), "0");
  std::string text = "abC1-z";
  EXPECT_EQ(AsciiUpper(text), "ABC1-Z");
  text = "a-b-c";
  EXPECT_EQ(RemoveChar(text, '-'), 2u);
  EXPECT_EQ(text, "abc");
}

}  // namespace
}  // namespace cmn
