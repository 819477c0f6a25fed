// Checks the shipped support directory (config/support): the country names that
// records carry resolve to their codes, and the host's token data loads cleanly and
// gives variant spellings one standard form. Parsing accuracy is measured by the
// config_accuracy_* tests through zeb_eval.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "addressparser/address_parser.h"
#include "host/token_info_table.h"

namespace {

// The shipped directory, fixed at build time so the tests find it from any directory.
std::string supportPath(const char* file) {
  return std::string(ZEB_DEFAULT_SUPPORT_DIR) + "/" + file;
}

class DefaultSupportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(addr::AddressParser::load(supportPath("addressParserMetaData.xml"), parser_),
              addr::kConfigOk);
  }
  addr::AddressParserPtr parser_;
};

TEST_F(DefaultSupportTest, CountryNamesAsRecordsWriteThemResolveToTheirCode) {
  const struct {
    const char* country;
    const char* code;
  } rows[] = {
      {"US", "US"},
      {"USA", "US"},
      {"U.S.A.", "US"},
      {"United States", "US"},
      {"UNITED STATES", "US"},
      {"united states", "US"},
      {"CA", "CA"},
      {"Canada", "CA"},
      {"CANADA", "CA"},
      {"GB", "GB"},
      {"UK", "GB"},
      {"United Kingdom", "GB"},
      {"AU", "AU"},
      {"AUS", "AU"},
      {"Australia", "AU"},
      {"FR", "FR"},
      {"FRA", "FR"},
      {"France", "FR"},
      {"DE", "DE"},
      {"Deutschland", "DE"},
      {"GERMANY", "DE"},
      {"ES", "ES"},
      {"España", "ES"},
      {"ESPAÑA", "ES"},
      {"IT", "IT"},
      {"Italia", "IT"},
      {"NL", "NL"},
      {"Nederland", "NL"},
      {"The Netherlands", "NL"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(parser_->resolveCountryCode(row.country), row.code) << row.country;
  }
}

TEST_F(DefaultSupportTest, UnknownOrEmptyCountryFallsBackToTheUnitedStates) {
  EXPECT_EQ(parser_->defaultCountry(), "US");
  for (const char* country : {"", "Atlantis", " US", "U S A X"}) {
    EXPECT_EQ(parser_->resolveCountryCode(country), "US") << "[" << country << "]";
  }
}

TEST_F(DefaultSupportTest, EverySupportedCountryHasARuleSetAndARegion) {
  for (const char* code : {"US", "CA", "GB", "AU", "FR", "DE", "ES", "IT", "NL"}) {
    bool hasRules = false;
    for (const auto& ruleSet : parser_->ruleSets()) {
      if (ruleSet.code == code) hasRules = !ruleSet.rules.empty();
    }
    EXPECT_TRUE(hasRules) << code;
    EXPECT_EQ(parser_->regionBaseByName().count(code), 1u) << code;
  }
}

class TokenInfoDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(table_.load(supportPath("tokenInfo.tsv"), problems_));
    ASSERT_GT(table_.size(), 0u) << "no token data at " << supportPath("tokenInfo.tsv");
  }
  // The standard form the plug-in would encode, or the word itself; "" when dropped.
  std::string keyWord(const char* category, const char* word) const {
    TokenInfo info{};
    if (!table_.lookup(category, word, &info)) return word;
    if (info.score < 50) return "";
    return info.standardForm != nullptr ? info.standardForm : word;
  }
  zeb::TokenInfoTable table_;
  std::vector<std::string> problems_;
};

TEST_F(TokenInfoDataTest, LoadsWithoutProblems) {
  EXPECT_TRUE(problems_.empty()) << problems_.front();
  EXPECT_GT(table_.size(), 100u);
}

TEST_F(TokenInfoDataTest, VariantSpellingsShareOneStandardForm) {
  const struct {
    const char* category;
    const char* a;
    const char* b;
  } rows[] = {
      {"CITY", "ST", "SAINT"},
      {"CITY", "SANKT", "ST"},
      {"CITY", "STE", "SAINTE"},
      {"CITY", "FT", "FORT"},
      {"CITY", "MT", "MOUNT"},
      {"STR_NAME", "1ST", "FIRST"},
      {"STR_NAME", "22ND", "TWENTYSECOND"},
      {"STR_NAME", "13TH", "THIRTEENTH"},
      {"STR_NAME", "100TH", "HUNDREDTH"},
      {"STR_NAME", "MT", "MOUNT"},
      {"CITY", "N", "NORTH"},
      {"STR_NAME", "DR", "DOCTOR"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(keyWord(row.category, row.a), keyWord(row.category, row.b))
        << row.category << " " << row.a << " / " << row.b;
  }
}

TEST_F(TokenInfoDataTest, NoiseWordsAreDroppedAndOrdinaryWordsKept) {
  for (const char* word : {"THE", "OF", "DE", "VAN"}) {
    EXPECT_EQ(keyWord("STR_NAME", word), "") << word;
    EXPECT_EQ(keyWord("CITY", word), "") << word;
  }
  EXPECT_EQ(keyWord("CITY", "SPRINGFIELD"), "SPRINGFIELD");
  // DOCTOR is a street-name reading only; a city called DR stays as written.
  EXPECT_EQ(keyWord("CITY", "DR"), "DR");
}

}  // namespace
