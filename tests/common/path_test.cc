// Path composition, normalisation and the lenient converter behind the UTF-16 form.
#include "common/path.h"

#include <gtest/gtest.h>

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
      {"\xED\xA0\x80", u"?"},  // an encoded surrogate
      {"\x80"
       "a",
       u"?a"},  // stray continuation byte
      {"\xC3"
       "a",
       u"?a"},             // cut sequence resumes at 'a'
      {"\xE2\x82", u"?"},  // cut at the end of the text
      {"\xF8\x88\x80\x80\x80"
       "a",
       u"?a"},  // five-byte form
      {std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
  };
  for (const auto& [text, expected] : rows) {
    EXPECT_EQ(Utf8ToUtf16Lenient(text), expected) << text;
  }
}

}  // namespace
}  // namespace cmn
