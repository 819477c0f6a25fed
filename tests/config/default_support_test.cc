// Checks the shipped support directory (config/support): the country names that
// records carry resolve to their codes, and the host's token data loads cleanly and
// gives variant spellings one standard form. Parsing accuracy is measured by the
// config_accuracy_* tests through zeb_eval.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "addressparser/address_parser.h"
#include "host/token_info_table.h"
#include "test_checks.h"

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

// Unknown and empty names fall back to the United States.
TEST_F(DefaultSupportTest, CountryNamesAsRecordsWriteThemResolveToTheirCode) {
  const std::pair<const char*, std::vector<const char*>> rows[] = {
      {"US", {"US", "USA", "U.S.A.", "United States", "UNITED STATES", "united states"}},
      {"US", {"", "Atlantis", " US", "U S A X"}},
      {"CA", {"CA", "Canada", "CANADA"}},
      {"GB", {"GB", "UK", "United Kingdom"}},
      {"AU", {"AU", "AUS", "Australia"}},
      {"FR", {"FR", "FRA", "France"}},
      {"DE", {"DE", "Deutschland", "GERMANY"}},
      {"ES", {"ES", "Espa\u00F1a", "ESPA\u00D1A"}},
      {"IT", {"IT", "Italia"}},
      {"NL", {"NL", "Nederland", "The Netherlands"}},
  };
  EXPECT_EQ(parser_->defaultCountry(), "US");
  for (const auto& [code, countries] : rows) {
    for (const char* country : countries) {
      EXPECT_EQ(parser_->resolveCountryCode(country), code) << "[" << country << "]";
    }
  }
}

class TokenInfoDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(table_.load(supportPath("tokenInfo.tsv"), problems_));
    ASSERT_GT(table_.size(), 100u) << "no token data at " << supportPath("tokenInfo.tsv");
    EXPECT_TRUE(problems_.empty()) << problems_.front();
  }
  // The standard form the plug-in would encode, or the word itself; "" when dropped.
  std::string keyWord(const char* category, const std::string& word) const {
    TokenInfo info{};
    if (!table_.lookup(category, word.c_str(), &info)) return word;
    if (info.score < 50) return "";
    return info.standardForm != nullptr ? info.standardForm : word;
  }
  zeb::TokenInfoTable table_;
  std::vector<std::string> problems_;
};

// Each group of spellings must share one standard form.
TEST_F(TokenInfoDataTest, VariantSpellingsShareOneStandardForm) {
  const std::pair<const char*, std::vector<const char*>> rows[] = {
      {"CITY", {"ST SAINT SANKT", "STE SAINTE", "FT FORT", "MT MOUNT", "N NORTH"}},
      {"STR_NAME",
       {"1ST FIRST", "22ND TWENTYSECOND", "13TH THIRTEENTH", "100TH HUNDREDTH", "MT MOUNT",
        "DR DOCTOR"}},
  };
  for (const auto& [category, groups] : rows) {
    for (const char* group : groups) {
      const std::vector<std::string> words = zeb_test::Split(group, ' ');
      for (const std::string& word : words) {
        EXPECT_EQ(keyWord(category, word), keyWord(category, words[0])) << category << " " << group;
      }
    }
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
