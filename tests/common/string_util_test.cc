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

TEST(ReplaceAll, DoesNotRescanInsertedText) {
  struct Row {
    const char* text;
    const char* search;
    const char* replacement;
    const char* expected;
    size_t count;
  } rows[] = {
      {"aaa", "a", "aa", "aaaaaa", 3},
      {"aaaa", "aa", "a", "aa", 2},
      {"abc", "b", nullptr, "ac", 1},
      {"abc", "", "y", "abc", 0},
  };
  for (const Row& row : rows) {
    std::string text = row.text;
    EXPECT_EQ(ReplaceAll(text, row.search, row.replacement), row.count) << row.text;
    EXPECT_EQ(text, row.expected) << row.text;
  }
}

TEST(NumberReading, StopsAtTheFirstOtherByte) {
  // The callers read numbers from files: sizes, counts, region ids.
  const std::pair<const char*, int32_t> rows[] = {
      {" \t\r\n-17x", -17},
      {"+8", 8},
      {"--3", 0},
      {"", 0},
      {"1 2", 1},
      {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN},
  };
  for (const auto& [text, value] : rows) EXPECT_EQ(TextToInt(text), value) << text;
}

}  // namespace
}  // namespace cmn
