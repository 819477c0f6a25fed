// The common helpers: byte-string and Unicode helpers, printf-style formatting, and
// text as it reaches a terminal (boundaries, bad input, the ASCII shortcuts agreeing
// with ICU); paths (composition, normalisation, the lenient UTF-16 converter); file
// operations on real files in a scratch directory; and date and time texts in UTC.
#include <gtest/gtest.h>
#include <unicode/locid.h>
#include <unicode/uchar.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "common/datetime.h"
#include "common/file_util.h"
#include "common/format.h"
#include "common/path.h"
#include "common/string_util.h"
#include "common/terminal_text.h"
#include "common/ustring.h"
#include "test_checks.h"
#include "test_files.h"

namespace cmn {
namespace {

std::string Joined(const std::vector<std::string>& items) {
  std::string out;
  for (const auto& item : items) out += "[" + item + "]";
  return out;
}

TEST(Split, YieldsMaximalRunsAndNeverEmptyItems) {
  const std::tuple<const char*, const char*, const char*> rows[] = {
      {"  a \t b  ", " \t", "[a][b]"}, {"", " ", ""},       {"   ", " ", ""}, {"abc", " ", "[abc]"},
      {"a,,b;c", ",;", "[a][b][c]"},   {"abc", "", "[abc]"}};
  for (const auto& [text, separators, expected] : rows) {
    std::vector<std::string> out = {"stale"};
    const size_t count = Split(text, out, separators);
    EXPECT_EQ(Joined(out), expected) << "text '" << text << "'";
    EXPECT_EQ(count, out.size()) << "text '" << text << "'";
  }
  std::vector<std::string> out = {"x"};
  EXPECT_EQ(Split("a b", out, " ", true), 3u) << "keep appends to the list";
  EXPECT_EQ(Joined(out), "[x][a][b]");
  EXPECT_EQ(Split("five", out, " "), 1u) << "a reused list drops longer leftovers";
  EXPECT_EQ(Joined(out), "[five]");
}

TEST(SplitFields, KeepsEmptyFieldsAndAlwaysTheLastOne) {
  const std::tuple<const char*, const char*, bool, bool, const char*> rows[] = {
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
  for (const auto& [text, separators, collapse, skipLeading, expected] : rows) {
    std::vector<std::string> out = {"stale", "stale", "stale", "stale"};
    const size_t count = SplitFields(text, out, separators, collapse, skipLeading);
    EXPECT_EQ(Joined(out), expected) << "text '" << text << "'";
    EXPECT_EQ(count, out.size()) << "text '" << text << "'";
  }
}

TEST(ReplaceAll, DoesNotRescanInsertedText) {
  const std::tuple<const char*, const char*, const char*, const char*, size_t> rows[] = {
      {"aaa", "a", "aa", "aaaaaa", 3},
      {"aaaa", "aa", "a", "aa", 2},
      {"abc", "b", nullptr, "ac", 1},
      {"abc", "", "y", "abc", 0},
  };
  for (const auto& [input, search, replacement, expected, count] : rows) {
    std::string text = input;
    EXPECT_EQ(ReplaceAll(text, search, replacement), count) << input;
    EXPECT_EQ(text, expected) << input;
  }
}

TEST(NumberReading, StopsAtTheFirstOtherByte) {
  // The callers read numbers from files: sizes, counts, region ids.
  const std::pair<const char*, int32_t> rows[] = {
      {" \t\r\n-17x", -17},       {"+8", 8}, {"--3", 0}, {"", 0}, {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN},
  };
  zeb_test::ExpectEach(rows, [](const char* text) { return TextToInt(text); });
}

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

TEST(EscapeForTerminal, EscapesWhatATerminalWouldActOn) {
  const std::pair<std::string, const char*> rows[] = {
      {"Main St 12", "Main St 12"},
      {"caf\xC3\xA9 \xE5\x8C\x97 C:\\data", "caf\xC3\xA9 \xE5\x8C\x97 C:\\data"},
      {"\x1B]0;owned\x07x", "\\x1B]0;owned\\x07x"},  // escape sequence, bell
      {"a\tb\r\nc\x7F", "a\tb\\x0D\\x0Ac\\x7F"},
      {std::string("nul\0in", 6), "nul\\x00in"},
      {"\xC2\x9Bm", "\\xC2\\x9Bm"},                                      // C1 control (CSI)
      {"abc\xE2\x80\xAEzyx", "abc\\xE2\\x80\\xAEzyx"},                   // right-to-left override
      {"bad \xFF\xC3 utf8 \xE5\x8C", "bad \\xFF\\xC3 utf8 \\xE5\\x8C"},  // invalid, truncated
  };
  for (const auto& [text, shown] : rows) EXPECT_EQ(shown, EscapeForTerminal(text)) << shown;
}

TEST(EscapeForTerminal, CutsLongTextAtAWholeCharacter) {
  EXPECT_EQ("abcd... (2 more bytes)", EscapeForTerminal("abcdef", 4));
  EXPECT_EQ("ab... (3 more bytes)", EscapeForTerminal("ab\xC3\xA9z", 3));  // é does not fit
  EXPECT_EQ("abcdef", EscapeForTerminal("abcdef", 6));
  EXPECT_EQ(std::string(200, 'x') + "... (800 more bytes)",
            EscapeForTerminal(std::string(1000, 'x')));
}

TEST(UpperCase, FullUpperCasing) {
  const std::pair<const char*, const char*> rows[] = {
      {"main st 12b", "MAIN ST 12B"},
      {"stra\u00DFe", "STRASSE"},  // sharp s grows to two letters
      {"x\xFFy \xF0\x9F\x98\x80", "X\xEF\xBF\xBDY \xF0\x9F\x98\x80"},  // U+FFFD; a pair
      {"", ""},
  };
  zeb_test::ExpectEach(rows, [](const auto& text) { return UpperCase(text); });
}

TEST(UpperCase, TurkishDefaultLocaleIsNotShortcut) {
  const icu::Locale saved = icu::Locale::getDefault();
  UErrorCode status = U_ZERO_ERROR;
  icu::Locale::setDefault(icu::Locale("tr"), status);
  const ustring upper = UpperCase("istanbul");
  // Only a small i needs the locale; other ASCII text stays on the shortcut.
  const bool plainWithoutI = AsciiUpperCaseIsPlain("north st 12b");
  const bool plainWithI = AsciiUpperCaseIsPlain("north st 12b i");
  const ustring upperWithoutI = UpperCase("north st");
  icu::Locale::setDefault(saved, status);
  ASSERT_TRUE(U_SUCCESS(status));
  EXPECT_EQ(upper, "\xC4\xB0STANBUL");
  EXPECT_TRUE(plainWithoutI);
  EXPECT_FALSE(plainWithI);
  EXPECT_EQ(upperWithoutI, "NORTH ST");
  EXPECT_FALSE(AsciiUpperCaseIsPlain("\u00E9cole"));
  EXPECT_EQ(UpperCase("istanbul"), "ISTANBUL");
}

TEST(FoldCase, AsciiShortcutAndIcuAgree) {
  const std::pair<const char*, const char*> rows[] = {
      {"Main STREET", "main street"}, {"ABC Stra\u00DFE", "abc strasse"},  // ASCII prefix, then ICU
      {"\u212AELVIN", "kelvin"},                                           // KELVIN SIGN folds to k
      {"\u00C9COLE", "\u00E9cole"},   {"AB\xFF", "ab\xEF\xBF\xBD"},       {"", ""},
  };
  zeb_test::ExpectEach(rows, [](const auto& text) { return FoldCase(text); });
}

TEST(RemoveNonAlnum, DeletesEveryUnitNeitherAlphanumericNorKept) {
  ustring text = "12-B Main St.";
  EXPECT_EQ(RemoveNonAlnum(text, u"-"), 3u);
  EXPECT_EQ(text, "12-BMainSt");
  text = "\u00DCber & co";
  EXPECT_EQ(RemoveNonAlnum(text, u""), 3u);
  EXPECT_EQ(text, "\u00DCberco");
  text = "---";
  EXPECT_EQ(RemoveNonAlnum(text, u""), 3u);
  EXPECT_EQ(text, "");
}

TEST(ToCodePage, DefaultCodePageKeepsUtf8) {
  EXPECT_EQ(ToCodePage(std::string_view("Z\xC3\xBCrich")), "Z\xC3\xBCrich");
  EXPECT_EQ(ToCodePage(ToUnicode("\xE2\x82\xAC")), "\xE2\x82\xAC");
  const char* none = nullptr;
  EXPECT_EQ(ToCodePage(none), "");
  const std::string longText(20000, 'a');
  EXPECT_EQ(ToCodePage(std::string_view(longText)), longText);
}

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
  const std::tuple<const char*, const char*, const char*, const char*> rows[] = {
      {"C:\\dir\\", "x.xml", nullptr, "C:\\dir\\x.xml"},
      {nullptr, "x", "log", "x.log"},
      {"", "x", "", "x"},
      {"d", nullptr, nullptr, "d"},
      {"d", "x", "1", "d\\x.1"},
  };
  for (const auto& [directory, file, extension, expected] : rows) {
    PathValue path;
    JoinPath(path, directory, file, extension);
    EXPECT_EQ(path.utf8, expected) << (directory ? directory : "(null)");
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
  zeb_test::ExpectEach(rows, [](const std::string& text) { return Utf8ToUtf16Lenient(text); });
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
  const std::tuple<const char*, const char*, const char*> rows[] = {
      {"name.log", "", "name.log"},
      {"C:\\logs\\name.log", "C:\\logs", "name.log"},
      {"\\name", "", "name"},
      {"dir\\", "dir", ""},
      {"", "", ""},
  };
  for (const auto& [path, directory, file] : rows) {
    EXPECT_EQ(directoryOf(path), directory) << path;
    EXPECT_EQ(fileNameOf(path), file) << path;
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
  zeb_test::ExpectEach(rows, [](int64_t millis) { return Text(DateTime(millis)); });
}

TEST(DateTime, NowIsARealTime) {
  const DateTime now = DateTime::now();
  EXPECT_TRUE(now.isValid());
  EXPECT_GT(now.milliseconds(), 1600000000000);  // after September 2020
  EXPECT_LT(now.milliseconds(), DateTime::future().milliseconds());
}

}  // namespace
}  // namespace cmn
