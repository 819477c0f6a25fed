// Unicode helpers: the ASCII shortcuts must agree with ICU, and bad input must survive.
#include "common/ustring.h"

#include <gtest/gtest.h>
#include <unicode/locid.h>
#include <unicode/uchar.h>

namespace cmn {
namespace {

TEST(UpperCase, FullUpperCasing) {
  const std::pair<const char*, const char*> rows[] = {
      {"main st 12b", "MAIN ST 12B"},
      {"stra\u00DFe", "STRASSE"},  // sharp s grows to two letters
      {"\u00E9cole", "\u00C9COLE"},
      {"x\xFFy \xF0\x9F\x98\x80", "X\xEF\xBF\xBDY \xF0\x9F\x98\x80"},  // U+FFFD; a pair
      {"", ""},
  };
  for (const auto& [text, expected] : rows) EXPECT_EQ(UpperCase(text), expected) << text;
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
  for (const auto& [text, expected] : rows) EXPECT_EQ(FoldCase(text), expected) << text;
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

}  // namespace
}  // namespace cmn
