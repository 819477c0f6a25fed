// Tests of configuration loading, country resolution and the rule-set tables.
#include "addressparser/parser_config.h"

#include <gtest/gtest.h>

#include "addressparser/parser_fixture.h"
#include "addressparser/word_lists.h"
#include "errors/tarn_exception.h"

namespace addr {
namespace {

class ParserConfigTest : public addr_test::ParserFixture {};

// Countries and regions shared by the resolution tests: region 4 has a base that
// names no region, region 5 is its own base.
const char kCountriesAndRegions[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<addressParserMetaData>
  <COUNTRIES>
    <COUNTRY name="United States" c2="US"/>
    <COUNTRY name="Canada" c2="XX"/>
    <COUNTRY name="Canada" c2="CA"/>
    <COUNTRY name="Deutschland" c2="DE"/>
    <COUNTRY name="Nowhere" c2="NW"/>
    <COUNTRY name="Blank" c2=""/>
    <COUNTRY name="Orphan" c2="OR"/>
    <COUNTRY name="Self" c2="SE"/>
    <COUNTRY name="Quebec" c2="QC"/>
    <DEFAULTCOUNTRY name="CA"/>
    <DEFAULTCOUNTRY name="DE"/>
  </COUNTRIES>
  <REGIONS>
    <REGION id="1" name="US" priority="1" base="0"/>
    <REGION id="2" name="CA" base=""/>
    <REGION id="3" name="DE"/>
    <REGION id="3" name="NW"/>
    <REGION id="4" name="OR" base="99"/>
    <REGION id="5" name="SE" base="5"/>
    <REGION id="6" name="QC" base="2"/>
  </REGIONS>
</addressParserMetaData>)";

TEST_F(ParserConfigTest, ResolvesCountriesThroughNamesAndRegions) {
  load(kCountriesAndRegions);
  struct Row {
    const char* country;
    const char* code;
  };
  const Row rows[] = {
      {"United States", "US"},
      {"Canada", "CA"},       // the later COUNTRY of a name wins
      {"Deutschland", "DE"},  // the first REGION of an id wins...
      {"Nowhere", "CA"},      // ...so the second one's name is no region
      {"Blank", "CA"},        // empty code
      {"Orphan", "CA"},       // base names no region
      {"Self", "SE"},         // base is its own id
      {"Quebec", "QC"},       // the code is returned, not its base
      {"canada", "CA"},       // names compare case-sensitively
      {"Canada ", "CA"},      // and are not trimmed
      {"", "CA"},
      {"CA", "CA"},  // a code is not a country name
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.code, resolveCountryCode(row.country)) << "[" << row.country << "]";
  }
  EXPECT_EQ("CA", defaultCountry());
  EXPECT_EQ("CA", regionBaseByName().at("QC"));
  EXPECT_EQ(0u, regionBaseByName().count("OR"));
}

TEST_F(ParserConfigTest, DefaultCountryIsUsWhenAbsentOrEmpty) {
  const char* const configurations[] = {
      "<R><COUNTRIES><DEFAULTCOUNTRY name=\"\"/></COUNTRIES></R>",
      "<R><COUNTRIES><DEFAULTCOUNTRY/></COUNTRIES></R>",
      "<R><COUNTRIES/></R>",
      "<R/>",
      "",
  };
  for (const char* xml : configurations) {
    addr::clearParserConfiguration();
    load(xml);
    EXPECT_EQ("US", defaultCountry()) << xml;
  }
}

TEST_F(ParserConfigTest, SectionsNestedBelowTheRootAreNotFound) {
  load(R"(<ROOT><WRAPPER>
      <COUNTRIES><COUNTRY name="France" c2="FR"/><DEFAULTCOUNTRY name="FR"/></COUNTRIES>
      <REGIONS><REGION id="1" name="FR"/></REGIONS>
      <ADDRESSPARTS c2="FR"><SUFFIX><PART data="RUE"/></SUFFIX></ADDRESSPARTS>
      <RULESET c2="FR"><NOCONTEXT><RULE/></NOCONTEXT></RULESET>
      </WRAPPER></ROOT>)");
  EXPECT_EQ("US", resolveCountryCode("France"));
  EXPECT_TRUE(countryCodeByName().empty());
  EXPECT_TRUE(regionBaseByName().empty());
  EXPECT_FALSE(isInWordList(wordListTable(ListKind::kSuffix), "RUE", "FR"));
  EXPECT_EQ(nullptr, findRuleSet("FR"));
}

TEST_F(ParserConfigTest, RuleSetsSplitAtTheFirstContextRule) {
  load(R"(<R>
      <RULESET c2="US">
        <WITHCONTEXT><RULE name="c1"/></WITHCONTEXT>
        <NOCONTEXT><RULE name="n1"/><RULE name="n2"/></NOCONTEXT>
      </RULESET>
      <RULESET c2="CA"><WITHCONTEXT><RULE name="c1"/><RULE name="c2"/></WITHCONTEXT></RULESET>
      <RULESET c2="DE"><NOCONTEXT><RULE name="n1"/></NOCONTEXT></RULESET>
      <RULESET c2="FR"/>
      </R>)");
  struct Row {
    const char* code;
    size_t ruleCount;
    size_t firstContextRule;
  };
  const Row rows[] = {{"US", 3, 2}, {"CA", 2, 0}, {"DE", 1, 1}, {"FR", 0, 0}};
  for (const Row& row : rows) {
    const RuleSet* ruleSet = findRuleSet(row.code);
    ASSERT_NE(nullptr, ruleSet) << row.code;
    EXPECT_EQ(row.ruleCount, ruleSet->rules.size()) << row.code;
    EXPECT_EQ(row.firstContextRule, ruleSet->firstContextRule) << row.code;
  }
}

TEST_F(ParserConfigTest, LaterRuleSetReplacesTheEarlierList) {
  load(R"(<R>
      <RULESET c2="US"><NOCONTEXT><RULE name="old1"/><RULE name="old2"/></NOCONTEXT></RULESET>
      <RULESET c2="US"><WITHCONTEXT><RULE name="new"/></WITHCONTEXT></RULESET>
      </R>)");
  const RuleSet* ruleSet = findRuleSet("US");
  ASSERT_NE(nullptr, ruleSet);
  ASSERT_EQ(1u, ruleSet->rules.size());
  EXPECT_EQ("new", ruleSet->rules[0]->name);
  EXPECT_EQ(0u, ruleSet->firstContextRule);
}

TEST_F(ParserConfigTest, RuleSetLookUpNeverInserts) {
  load("<R><RULESET c2=\"US\"/></R>");
  EXPECT_EQ(nullptr, findRuleSet("GB"));
  EXPECT_EQ(1u, ruleSets().size());
}

TEST_F(ParserConfigTest, FreeingReleasesRulesButKeepsTheOtherTables) {
  load(kCountriesAndRegions);
  load(R"(<R><ADDRESSPARTS c2="US"><SUFFIX><PART data="ST"/></SUFFIX></ADDRESSPARTS>
      <RULESET c2="US"><NOCONTEXT><RULE/></NOCONTEXT><WITHCONTEXT><RULE/></WITHCONTEXT></RULESET>
      </R>)");
  // The second load merges: the first file's countries are still there.
  EXPECT_EQ("CA", resolveCountryCode("Canada"));
  freeParserConfiguration();
  ASSERT_NE(nullptr, findRuleSet("US"));
  EXPECT_TRUE(findRuleSet("US")->rules.empty());
  EXPECT_EQ(0u, findRuleSet("US")->firstContextRule);
  EXPECT_EQ("", defaultCountry());
  EXPECT_EQ("CA", countryCodeByName().at("Canada"));
  EXPECT_TRUE(isInWordList(wordListTable(ListKind::kSuffix), "ST", "US"));
}

// Answers are remembered per thread between records; every change of the tables
// must still show at once.
TEST_F(ParserConfigTest, ChangedTablesAreSeenAtOnce) {
  load(R"(<R><COUNTRIES><COUNTRY name="Land" c2="DE"/></COUNTRIES>
      <REGIONS><REGION id="1" name="DE"/><REGION id="2" name="FR"/></REGIONS>
      <RULESET c2="DE"/></R>)");
  EXPECT_EQ("DE", resolveCountryCode("Land"));
  EXPECT_EQ(nullptr, findRuleSet("FR"));
  const RuleSet* german = findRuleSet("DE");
  ASSERT_NE(nullptr, german);

  load(R"(<R><COUNTRIES><COUNTRY name="Land" c2="FR"/></COUNTRIES><RULESET c2="FR"/></R>)");
  EXPECT_EQ("FR", resolveCountryCode("Land"));
  EXPECT_NE(nullptr, findRuleSet("FR"));
  EXPECT_EQ(german, findRuleSet("DE"));

  freeParserConfiguration();
  EXPECT_EQ("", resolveCountryCode(""));  // the default country is emptied

  clearParserConfiguration();
  EXPECT_EQ(nullptr, findRuleSet("DE"));
  EXPECT_EQ("", resolveCountryCode("Land"));
}

TEST_F(ParserConfigTest, MissingFileIsStatusThreeAndChangesNothing) {
  load(kCountriesAndRegions);
  EXPECT_EQ(kConfigCannotOpen,
            loadParserConfiguration("/nonexistent/dir/addressParserMetaData.xml"));
  EXPECT_EQ(kConfigCannotOpen, loadParserConfiguration(::testing::TempDir()));
  EXPECT_EQ("CA", defaultCountry());
}

TEST_F(ParserConfigTest, MalformedFileThrowsBeforeAnyTableChanges) {
  struct Row {
    const char* text;
    const char* messageStart;
  } rows[] = {
      {"<R><COUNTRIES><COUNTRY name=\"France\" c2=\"FR\"/></COUNTRIES><R>", "libxml2 error:"},
      {"<!DOCTYPE R [<!ENTITY e \"France\">]><R><COUNTRIES><COUNTRY name=\"&e;\" c2=\"FR\"/>"
       "</COUNTRIES></R>",
       "entity \"e\" refused: documents may not declare entities"},
  };
  for (const Row& row : rows) {
    try {
      addr_test::loadConfigurationText(row.text);
      ADD_FAILURE() << "no exception for " << row.text;
    } catch (const Tarn_Exception& error) {
      const ExceptionMessage message = error.firstMessage();
      ASSERT_EQ(1u, message.arguments.size());
      const std::string& text = message.arguments[0];
      EXPECT_EQ(0u, text.rfind(row.messageStart, 0)) << text;
      EXPECT_NE(std::string::npos, text.find(".xml])")) << "names the file: " << text;
    }
    EXPECT_TRUE(countryCodeByName().empty());
    EXPECT_EQ("", defaultCountry());
  }
}

}  // namespace
}  // namespace addr
