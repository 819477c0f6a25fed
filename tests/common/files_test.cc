// Paths (composition, normalisation, the lenient UTF-16 converter), file operations
// on real files in a scratch directory, and date and time texts in UTC.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <utility>

#include "common/datetime.h"
#include "common/file_util.h"
#include "common/path.h"
#include "test_files.h"

namespace cmn {
namespace {

TEST(NormalisePath, CollapsesSeparatorsAndKeepsNetworkPrefix) {
  const std::pair<const char*, const char*> rows[] = {
      {"C:/a/./b/", "C:\\a\\b"},
      {"C:\\\\dir\\\\\\x", "C:\\dir\\x"},
      {"\\\\server\\share\\", "\\\\server\\share"},
      {"///x", "\\\\x"},
      {"a/.//./b", "a\\b"},
      {"/", ""},
      {"", ""},
      {"rel\\file.xml", "rel\\file.xml"},
  };
  for (const auto& [text, expected] : rows) {
    PathValue path;
    SetPath(path, text);
    EXPECT_EQ(path.utf8, expected) << text;
    EXPECT_EQ(path.utf16, std::u16string(path.utf8.begin(), path.utf8.end())) << text;
  }
}

TEST(JoinPath, JoinsWithOneBackslash) {
  struct Row {
    const char* directory;
    const char* file;
    const char* extension;
    const char* expected;
  } rows[] = {
      {"C:\\dir\\", "x.xml", nullptr, "C:\\dir\\x.xml"},
      {nullptr, "x", "log", "x.log"},
      {"", "x", "", "x"},
      {"d", nullptr, nullptr, "d"},
      {"d", "x", "1", "d\\x.1"},
  };
  for (const Row& row : rows) {
    PathValue path;
    JoinPath(path, row.directory, row.file, row.extension);
    EXPECT_EQ(path.utf8, row.expected) << (row.directory ? row.directory : "(null)");
  }
}

TEST(NativePath, GivesTheOperatingSystemForwardSlashes) {
  PathValue path;
  JoinPath(path, "/srv/zeb/support", "a.xml");
  EXPECT_EQ(NativePath(path), "/srv/zeb/support/a.xml");
  SetPath(path, nullptr);
  EXPECT_EQ(NativePath(path), "");
}

TEST(Utf8ToUtf16Lenient, ReplacesBadSequencesByQuestionMarks) {
  const std::pair<std::string, std::u16string> rows[] = {
      {"abc", u"abc"},
      {"\xC3\xA9", u"\u00E9"},
      {"\xF0\x9F\x98\x80", u"\U0001F600"},
      {"\xF0\xA0\x80\x80", u"\U00020000"},
      {"\xF1\x80\x80\x80", u"?"},  // U+40000: beyond the accepted planes
      {"\xF0\x8F\xBF\xBF", u"?"},  // over-long four-byte form
      {"\xC0\xAF", u"?"},          // over-long slash
      {"\xE0\x80\xAF", u"?"},
      {"\xEF\xBF\xBD", u"?"},  // U+FFFD
      {"\xEF\xBF\xBF", u"?"},  // U+FFFF
      {"\xEF\xBF\xBC", u"\uFFFC"},
      {"\xED\xA0\x80", u"?"},                              // an encoded surrogate
      {std::string("\x80") + "a", u"?a"},                  // stray continuation byte
      {std::string("\xC3") + "a", u"?a"},                  // cut sequence resumes at 'a'
      {"\xE2\x82", u"?"},                                  // cut at the end of the text
      {std::string("\xF8\x88\x80\x80\x80") + "a", u"?a"},  // five-byte form
      {std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
  };
  for (const auto& [text, expected] : rows) {
    EXPECT_EQ(Utf8ToUtf16Lenient(text), expected) << text;
  }
}

class FileUtilTest : public ::testing::Test {
 protected:
  // The composed form of a file in the scratch directory: backslash separators.
  PathValue Composed(const char* name) const {
    PathValue path;
    JoinPath(path, directory_.c_str(), name);
    return path;
  }
  void Write(const char* name, const std::string& content) const {
    zeb_test::writeFile(scratch_.file(name), content);
  }

  zeb_test::ScratchDirectory scratch_;
  const std::string& directory_ = scratch_.path();
};

TEST_F(FileUtilTest, ComposedPathReachesTheRealFileAndDirectory) {
  const PathValue path = Composed("a.log");
  ASSERT_NE(path.utf8.find('\\'), std::string::npos);
  EXPECT_FALSE(fileExists(path));
  EXPECT_EQ(fileSize(path), -1);
  Write("a.log", "12345");
  EXPECT_TRUE(fileExists(path));
  EXPECT_EQ(fileSize(path), 5);

  Write("empty", "");
  EXPECT_EQ(fileSize(Composed("empty")), 0);
  ASSERT_TRUE(std::filesystem::create_directory(directory_ + "/sub"));
  EXPECT_TRUE(fileExists(Composed("sub")));
  EXPECT_EQ(fileSize(Composed("sub")), 0);
  PathValue directory;
  SetPath(directory, directory_.c_str());
  EXPECT_EQ(fileSize(directory), 0);
}

TEST_F(FileUtilTest, MoveRefusesToReplaceAndDeleteRemovesFilesOnly) {
  Write("a", "first");
  Write("b", "second!");
  EXPECT_FALSE(moveFile(Composed("a"), Composed("b")));
  EXPECT_EQ(fileSize(Composed("b")), 7);
  EXPECT_TRUE(fileExists(Composed("a")));
  EXPECT_TRUE(moveFile(Composed("a"), Composed("c")));
  EXPECT_FALSE(fileExists(Composed("a")));
  EXPECT_EQ(fileSize(Composed("c")), 5);
  EXPECT_FALSE(moveFile(Composed("missing"), Composed("d")));

  EXPECT_TRUE(deleteFile(Composed("c")));
  EXPECT_FALSE(fileExists(Composed("c")));
  EXPECT_FALSE(deleteFile(Composed("c")));
  ASSERT_TRUE(std::filesystem::create_directory(directory_ + "/sub"));
  EXPECT_FALSE(deleteFile(Composed("sub")));
  EXPECT_TRUE(fileExists(Composed("sub")));
}

TEST(PathSplitting, AtTheLastBackslash) {
  struct Row {
    const char* path;
    const char* directory;
    const char* file;
  } rows[] = {
      {"name.log", "", "name.log"},
      {"C:\\logs\\name.log", "C:\\logs", "name.log"},
      {"\\name", "", "name"},
      {"dir\\", "dir", ""},
      {"", "", ""},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(directoryOf(row.path), row.directory) << row.path;
    EXPECT_EQ(fileNameOf(row.path), row.file) << row.path;
  }
}

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
