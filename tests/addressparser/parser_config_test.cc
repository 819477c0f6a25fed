// Tests of configuration loading (from files and text, one on top of another),
// country resolution and the rule-set tables.
#include "addressparser/parser_config.h"

#include <gtest/gtest.h>

#include "addressparser/parser_fixture.h"
#include "addressparser/word_lists.h"
#include "errors/tarn_exception.h"
#include "test_checks.h"
#include "test_files.h"

namespace addr {
namespace {

class ParserConfigTest : public addr_test::ParserFixture {};

// Countries and regions shared by the resolution tests: region 4 has a base that
// names no region, region 5 is its own base.
const char kCountriesAndRegions[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<addressParserMetaData><COUNTRIES>
  <COUNTRY name="United States" c2="US"/><COUNTRY name="Canada" c2="XX"/>
  <COUNTRY name="Canada" c2="CA"/><COUNTRY name="Deutschland" c2="DE"/>
  <COUNTRY name="Nowhere" c2="NW"/><COUNTRY name="Blank" c2=""/><COUNTRY name="Orphan" c2="OR"/>
  <COUNTRY name="Self" c2="SE"/><COUNTRY name="Quebec" c2="QC"/>
  <DEFAULTCOUNTRY name="CA"/><DEFAULTCOUNTRY name="DE"/>
</COUNTRIES><REGIONS>
  <REGION id="1" name="US" priority="1" base="0"/><REGION id="2" name="CA" base=""/>
  <REGION id="3" name="DE"/><REGION id="3" name="NW"/><REGION id="4" name="OR" base="99"/>
  <REGION id="5" name="SE" base="5"/><REGION id="6" name="QC" base="2"/>
</REGIONS></addressParserMetaData>)";

TEST_F(ParserConfigTest, ResolvesCountriesThroughNamesAndRegions) {
  load(kCountriesAndRegions);
  const std::pair<const char*, const char*> rows[] = {
      {"United States", "US"},
      {"Canada", "CA"},       // the later COUNTRY of a name wins
      {"Deutschland", "DE"},  // the first REGION of an id wins...
      {"Nowhere", "CA"},      // ...so the second one's name is no region
      {"Blank", "CA"},        // empty code
      {"Orphan", "CA"},       // base names no region
      {"Self", "SE"},         // base is its own id
      {"Quebec", "QC"},       // the code is returned, not its base
      {"canada", "CA"},       // names compare case-sensitively
      {"", "CA"},
  };
  for (const auto& [country, code] : rows) {
    EXPECT_EQ(code, parser().resolveCountryCode(country)) << "[" << country << "]";
  }
  EXPECT_EQ("CA", parser().defaultCountry());
  EXPECT_EQ("CA", parser().regionBaseByName().at("QC"));
  EXPECT_EQ(0u, parser().regionBaseByName().count("OR"));
}

TEST_F(ParserConfigTest, DefaultCountryIsUsWhenAbsentOrEmpty) {
  const char* const configurations[] = {
      "<R><COUNTRIES><DEFAULTCOUNTRY name=\"\"/></COUNTRIES></R>",
      "<R><COUNTRIES><DEFAULTCOUNTRY/></COUNTRIES></R>",
      "",
  };
  for (const char* xml : configurations) {
    EXPECT_EQ("US", AddressParser::fromText(xml)->defaultCountry()) << xml;
  }
  EXPECT_EQ("", AddressParser::empty()->defaultCountry());
}

TEST_F(ParserConfigTest, SectionsNestedBelowTheRootAreNotFound) {
  load(R"(<ROOT><WRAPPER>
      <COUNTRIES><COUNTRY name="France" c2="FR"/><DEFAULTCOUNTRY name="FR"/></COUNTRIES>
      <REGIONS><REGION id="1" name="FR"/></REGIONS>
      <ADDRESSPARTS c2="FR"><SUFFIX><PART data="RUE"/></SUFFIX></ADDRESSPARTS>
      <RULESET c2="FR"><NOCONTEXT><RULE/></NOCONTEXT></RULESET>
      </WRAPPER></ROOT>)");
  EXPECT_EQ("US", parser().resolveCountryCode("France"));
  EXPECT_TRUE(parser().countryCodeByName().empty());
  EXPECT_TRUE(parser().regionBaseByName().empty());
  EXPECT_EQ(nullptr, config().wordList(ListKind::kSuffix, "FR"));
  EXPECT_FALSE(parser().hasRuleSet("FR"));
}

std::string listing(const std::vector<AddressParser::RuleSetListing>& ruleSets) {
  return addr_test::joined(ruleSets, "; ", [](const auto& ruleSet) {
    return ruleSet.code + ":" + addr_test::joined(ruleSet.rules, "", [](const RuleText* rule) {
             return " " + rule->name;
           });
  });
}

TEST_F(ParserConfigTest, RuleSetsSplitAtTheFirstContextRuleAndLaterOnesReplace) {
  load(R"(<R>
      <RULESET c2="US">
        <WITHCONTEXT><RULE name="c1"/></WITHCONTEXT>
        <NOCONTEXT><RULE name="n1"/><RULE name="n2"/></NOCONTEXT>
      </RULESET>
      <RULESET c2="CA"><WITHCONTEXT><RULE name="c1"/><RULE name="c2"/></WITHCONTEXT></RULESET>
      <RULESET c2="DE"><NOCONTEXT><RULE name="old"/></NOCONTEXT></RULESET>
      <RULESET c2="FR"/>
      <RULESET c2="DE"><NOCONTEXT><RULE name="n1"/></NOCONTEXT></RULESET>
      </R>)");
  struct Row {
    const char* code;
    size_t ruleCount;
    size_t firstContextRule;
  };
  const Row rows[] = {{"US", 3, 2}, {"CA", 2, 0}, {"DE", 1, 1}, {"FR", 0, 0}};
  for (const Row& row : rows) {
    const RuleSet* ruleSet = config().findRuleSet(row.code);
    ASSERT_NE(nullptr, ruleSet) << row.code;
    EXPECT_EQ(row.ruleCount, ruleSet->rules.size()) << row.code;
    EXPECT_EQ(row.firstContextRule, ruleSet->firstContextRule) << row.code;
  }
  EXPECT_EQ(nullptr, config().findRuleSet("GB"));  // a look-up never inserts
  EXPECT_EQ("CA: c1 c2; DE: n1; FR:; US: n1 n2 c1", listing(parser().ruleSets()));
  EXPECT_EQ("US: n1 n2 c1; CA: c1 c2; DE: old; FR:; DE: n1", listing(parser().ruleSetsAsRead()));
}

// A second load merges into the first key by key; releasing the rules keeps the
// other tables for a later load to merge into. Neither changes the original.
TEST_F(ParserConfigTest, LoadsMergeAndReleasingRulesKeepsTheOtherTables) {
  load(kCountriesAndRegions);
  const AddressParserPtr first = parser_;
  load(R"(<R><COUNTRIES><COUNTRY name="Self" c2="US"/></COUNTRIES>
      <ADDRESSPARTS c2="US"><SUFFIX><PART data="ST"/></SUFFIX></ADDRESSPARTS>
      <RULESET c2="US"><NOCONTEXT><RULE/></NOCONTEXT><WITHCONTEXT><RULE/></WITHCONTEXT></RULESET>
      </R>)");
  EXPECT_EQ("CA", parser().resolveCountryCode("Canada"));  // from the first load
  EXPECT_EQ("US", parser().resolveCountryCode("Self"));    // replaced by the second
  EXPECT_EQ("US", parser().defaultCountry());              // the second file names no default
  EXPECT_EQ("SE", first->resolveCountryCode("Self"));
  EXPECT_FALSE(first->hasRuleSet("US"));

  parser_ = parser_->withoutRules();
  ASSERT_NE(nullptr, config().findRuleSet("US"));
  EXPECT_TRUE(config().findRuleSet("US")->rules.empty());
  EXPECT_EQ(0u, config().findRuleSet("US")->firstContextRule);
  EXPECT_EQ("", parser().defaultCountry());
  EXPECT_EQ("", parser().resolveCountryCode(""));
  EXPECT_EQ("CA", parser().countryCodeByName().at("Canada"));
  EXPECT_NE(nullptr, config().wordList(ListKind::kSuffix, "US")->find("ST"));

  load("<R><RULESET c2=\"DE\"/></R>");
  EXPECT_EQ("US", parser().defaultCountry());
  EXPECT_TRUE(config().findRuleSet("US")->rules.empty());
  EXPECT_TRUE(parser().hasRuleSet("DE"));
}

TEST_F(ParserConfigTest, LoadsFilesAndReportsThoseItCannotOpen) {
  zeb_test::ScratchDirectory scratch;
  zeb_test::writeFile(scratch.file("config.xml"), kCountriesAndRegions);
  AddressParserPtr loaded;
  EXPECT_EQ(kConfigOk, AddressParser::load(scratch.file("config.xml"), loaded));
  ASSERT_NE(nullptr, loaded);
  EXPECT_EQ("CA", loaded->defaultCountry());

  const AddressParserPtr before = loaded;
  EXPECT_EQ(kConfigCannotOpen,
            AddressParser::load("/nonexistent/dir/addressParserMetaData.xml", loaded));
  EXPECT_EQ(kConfigCannotOpen, AddressParser::load(::testing::TempDir(), loaded));  // a directory
  EXPECT_EQ(before, loaded);
}

TEST_F(ParserConfigTest, MalformedDocumentThrowsNamingIt) {
  const std::pair<const char*, const char*> rows[] = {
      {"<R><COUNTRIES><COUNTRY name=\"France\" c2=\"FR\"/></COUNTRIES><R>", "libxml2 error:"},
      {"<!DOCTYPE R [<!ENTITY e \"France\">]><R><COUNTRIES><COUNTRY name=\"&e;\" c2=\"FR\"/>"
       "</COUNTRIES></R>",
       "entity \"e\" refused: documents may not declare entities"},
  };
  for (const auto& [text, messageStart] : rows) {
    const auto error = zeb_test::Thrown<Tarn_Exception>(
        [&] { AddressParser::fromText(text, nullptr, "config.xml"); });
    ASSERT_TRUE(error) << "no exception for " << text;
    const ExceptionMessage message = error->firstMessage();
    ASSERT_EQ(1u, message.arguments.size());
    const std::string& shown = message.arguments[0];
    EXPECT_EQ(0u, shown.rfind(messageStart, 0)) << shown;
    EXPECT_TRUE(zeb_test::Holds(shown, "config.xml])")) << "names the file";
  }
}

}  // namespace
}  // namespace addr
