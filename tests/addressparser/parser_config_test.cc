// Configuration loading (from files and text, one on top of another), country
// resolution and the rule-set tables; RULE elements read into Rule records, and
// checkRule; word-list loading and look-ups.
#include "addressparser/parser_config.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>

#include "addressparser/parser_fixture.h"
#include "addressparser/rule.h"
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
  zeb_test::ExpectEach(rows,
                       [&](const char* country) { return parser().resolveCountryCode(country); });
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
  // Each rule set as "code:rules/first context rule".
  std::string shapes;
  for (const char* code : {"US", "CA", "DE", "FR"}) {
    const RuleSet* ruleSet = config().findRuleSet(code);
    ASSERT_NE(nullptr, ruleSet) << code;
    shapes += std::string(code) + ":" + std::to_string(ruleSet->rules.size()) + "/" +
              std::to_string(ruleSet->firstContextRule) + " ";
  }
  EXPECT_EQ("US:3/2 CA:2/0 DE:1/1 FR:0/0 ", shapes);
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

std::string meaningList(const std::vector<TokenMeaning>& meanings) {
  return addr_test::joined(meanings, ",", meaningName);
}

class RuleLoaderTest : public addr_test::ParserFixture {
 protected:
  // The rules of the US rule set that `ruleSet` (a RULESET's content) gives.
  const RuleList& loadRules(const std::string& ruleSet) {
    load("<R><RULESET c2=\"US\">" + ruleSet + "</RULESET></R>");
    return config().findRuleSet("US")->rules;
  }
  // The single RULE element that `attributes` describe.
  const Rule& loadOneRule(const std::string& attributes) {
    const RuleList& rules = loadRules("<NOCONTEXT><RULE " + attributes + "/></NOCONTEXT>");
    EXPECT_EQ(1u, rules.size()) << attributes;
    return *rules.front();
  }
};

// A rule as "name|description|condition|eliminate|terminal|set|setNext|setText|context".
std::string described(const Rule& rule) {
  return rule.name + "|" + rule.description + "|" + rule.condition + "|" +
         meaningList(rule.eliminate) + "|" + (rule.terminal ? "terminal" : "") + "|" +
         meaningName(rule.set) + "|" + meaningName(rule.setNext) + "|" + rule.setText + "|" +
         (rule.withContext ? "context" : "");
}

TEST_F(RuleLoaderTest, ReadsEveryAttributeAsWritten) {
  EXPECT_EQ(
      described(loadOneRule(
          R"x(name="num" description=" first number " condition="ISNUMBER AND ISTOKENA(PREV,X)" )x"
          R"x(eliminate="PREDIR" terminal="YES" set="STREETNUM" setNext="STREETNAME")x")),
      "num| first number |ISNUMBER AND ISTOKENA(PREV,X)|PREDIR|terminal|STREETNUM|STREETNAME|"
      "STREETNUM|");
  // Meaning names are case-sensitive and not trimmed.
  EXPECT_EQ(described(loadOneRule(R"(set="streetname" setNext="SUFFIX ")")),
            "|||||UNKNOWN|UNKNOWN|streetname|");
}

TEST_F(RuleLoaderTest, TerminalIsYesInAnyAsciiCase) {
  const std::pair<const char*, bool> rows[] = {
      {"YES", true}, {"yEs", true}, {"Y", false}, {"YES ", false}};
  zeb_test::ExpectEach(rows, [&](const char* text) {
    return loadOneRule(std::string("terminal=\"") + text + "\"").terminal;
  });
}

TEST_F(RuleLoaderTest, EliminateSkipsEmptyPiecesAndKeepsUnknownOnes) {
  const std::pair<const char*, const char*> rows[] = {
      {"PREDIR,,POSTDIR,", "PREDIR,POSTDIR"},
      {"PREDIR, POSTDIR", "PREDIR,UNKNOWN"},
      {"predir", "UNKNOWN"},
      {"SUFFIX,PREFIX,SUFFIX", "SUFFIX,PREFIX,SUFFIX"},
  };
  zeb_test::ExpectEach(rows, [&](const char* text) {
    return meaningList(loadOneRule(std::string("eliminate=\"") + text + "\"").eliminate);
  });
}

TEST_F(RuleLoaderTest, ContextFreeRulesComeFirstFromTheFirstGroupsOnly) {
  const RuleList& rules = loadRules(R"(
      <WITHCONTEXT><RULE name="c1"/><RULE name="c2"/></WITHCONTEXT>
      <NOCONTEXT><RULE name="n1"><RULE name="nested"/></RULE><!-- note --><OTHER/>
        <RULE name="n2"/></NOCONTEXT>
      <NOCONTEXT><RULE name="second group"/></NOCONTEXT>
      <RULE name="stray"/>)");
  std::string names;
  for (const auto& rule : rules) names += rule->name + (rule->withContext ? "+ " : " ");
  EXPECT_EQ("n1 n2 c1+ c2+ ", names);
}

TEST(CheckRule, FindsEveryWrongNameInTextOrder) {
  const std::pair<RuleText, const char*> rows[] = {
      {{"", "", "ISNUMBER AND ISTOKENA(PREV,STREETNUM)", "STREETNUM", "", "PREDIR,POSTDIR"}, ""},
      {{"", "", "", "", "", ""}, ""},
      {{"", "", "ISWHAT AND ISTOKENA AND NOPE", "", "", ""}, "1:ISWHAT 1:NOPE 2:ISTOKENA"},
      {{"", "", "ISTOKENA(PREV,NOSUCH)", "", "", ""}, "0"},
      // An unmatched "(" leaves a leaf without keyword, which is not a word of the rule.
      {{"", "", "( ISNUMBER AND CANTOKENBEA:NEXT", "", "", ""}, "2:CANTOKENBEA:NEXT"},
      {{"", "", "", "STREETNAM", "suffix", ",UNITNUM,,POBOXNUMBER,"},
       "3:STREETNAM 4:suffix 5:POBOXNUMBER"},
  };
  for (const auto& [rule, problems] : rows) {
    std::string found;
    for (const RuleProblem& problem : checkRule(rule)) {
      if (!found.empty()) found += ' ';
      found += std::to_string(problem.kind);
      if (problem.kind != RuleProblem::kDoesNotCompile) found += ":" + problem.item;
    }
    EXPECT_EQ(problems, found) << rule.condition;
  }
}

class WordListsTest : public addr_test::ParserFixture {
 protected:
  const WordList::Entry* entry(ListKind kind, const std::string& word, const std::string& code) {
    const WordList* list = config().wordList(kind, code);
    return list == nullptr ? nullptr : list->find(word);
  }
  bool has(ListKind kind, const std::string& word, const std::string& code) {
    return entry(kind, word, code) != nullptr;
  }
};

TEST_F(WordListsTest, LookUpsIgnoreCaseAndTheLatestEqualWordGivesTheStandardForm) {
  // Keys of 63 bytes and more share one length class; the long rows check that.
  const std::string longWord(70, 'X');
  load(R"(<CONFIG><ADDRESSPARTS c2="DE"><SUFFIX>
         <PART data="Straße" std="STR"/><PART data="STRASSE" std="STRA"/><PART data="Weg"/>
         <PART data=")" +
       longWord + R"("/></SUFFIX></ADDRESSPARTS></CONFIG>)");
  const std::pair<std::string, bool> rows[] = {{"STRASSE", true},
                                               {"strasse", true},
                                               {"WEGE", false},
                                               {"", false},
                                               {"Strass", false},
                                               {std::string(70, 'x'), true},
                                               {std::string(64, 'X'), false}};
  zeb_test::ExpectEach(rows,
                       [&](const std::string& word) { return has(ListKind::kSuffix, word, "DE"); });
  EXPECT_EQ(3u, config().wordList(ListKind::kSuffix, "DE")->size());
  const WordList::Entry* street = entry(ListKind::kSuffix, "strasse", "DE");
  EXPECT_EQ("Straße", street->word);  // the first text of the key stays
  EXPECT_EQ("STRA", street->standardForm);
}

TEST_F(WordListsTest, MissingCountryFallsBackToUs) {
  load(R"(<CONFIG>
       <ADDRESSPARTS c2="US"><DIRECTIONAL><PART data="N" std="N"/></DIRECTIONAL>
         <SUFFIX><PART data="ST" std="ST"/></SUFFIX></ADDRESSPARTS>
       <ADDRESSPARTS c2="CA"><DIRECTIONAL/><UNITLABEL><PART data="APT"/></UNITLABEL>
       </ADDRESSPARTS></CONFIG>)");
  const std::tuple<ListKind, const char*, const char*, bool> rows[] = {
      {ListKind::kDirectional, "n", "GB", true},   // GB has no lists at all: the US ones apply
      {ListKind::kDirectional, "N", "CA", false},  // CA's empty list hides the fallback...
      {ListKind::kSuffix, "ST", "CA", true},       // ...its missing list does not
      {ListKind::kPoBox, "BOX", "GB", false},      // no list anywhere
      {ListKind::kUnitLabel, "APT", "CA", true},
      {ListKind::kUnitLabel, "APT", "US", false},  // "US" has no fallback of its own
  };
  for (const auto& [kind, word, code, found] : rows) {
    EXPECT_EQ(found, has(kind, word, code)) << word << " " << code;
  }
  // The lists worked out per country at load are those wordListFor finds.
  for (const char* code : {"FR", "US", "CA", "", "LONGER THAN A CODE"}) {
    for (size_t kind = 0; kind < kListKindCount; ++kind) {
      EXPECT_EQ(wordListFor(config().tables().wordLists[kind], code),
                config().wordListsFor(code)[kind])
          << code << " list " << kind;
    }
  }
}

TEST_F(WordListsTest, SequencesHaveNoFallbackAndKeepOrderAndDuplicates) {
  load(R"(<CONFIG>
       <ADDRESSPARTS c2="US"><CAREOF><PART data="C/O"/></CAREOF>
         <STICKY_SUFFIX><PART data="WAY"/></STICKY_SUFFIX></ADDRESSPARTS>
       <ADDRESSPARTS c2="DE"><STICKY_SUFFIX>
         <PART data="STRASSE"/><PART data="WEG"/><PART data="STRASSE"/>
       </STICKY_SUFFIX></ADDRESSPARTS>
       </CONFIG>)");
  EXPECT_TRUE(config().careOfWordsOf("DE").empty());
  EXPECT_TRUE(config().stickySuffixesOf("GB").empty());
  EXPECT_EQ((std::vector<std::string>{"STRASSE", "WEG", "STRASSE"}),
            config().stickySuffixesOf("DE"));
  EXPECT_EQ((std::vector<std::string>{"C/O"}), config().careOfWordsOf("US"));
}

TEST_F(WordListsTest, StickySuffixesAreAddedToTheSuffixList) {
  load(R"(<CONFIG><ADDRESSPARTS c2="DE">
       <STICKY_SUFFIX><PART data="STRASSE" std="STR"/></STICKY_SUFFIX>
       <SUFFIX><PART data="ALLEE" std="AL"/><PART data="strasse" std="S"/></SUFFIX>
       </ADDRESSPARTS></CONFIG>)");
  // The SUFFIX list is read first whatever the document order; the sticky suffix
  // then joins it and, being the later entry, gives the standard form.
  EXPECT_TRUE(has(ListKind::kSuffix, "ALLEE", "DE"));
  EXPECT_EQ("STR", entry(ListKind::kSuffix, "STRASSE", "DE")->standardForm);
  EXPECT_EQ(2u, config().wordList(ListKind::kSuffix, "DE")->size());
}

TEST_F(WordListsTest, WhichElementsAndPartsAreRead) {
  load(R"(<CONFIG>
       <ADDRESSPARTS c2="US"><PREFIX><PART data="OLD"/></PREFIX>
         <COUNTY><PART data="COUNTY"/></COUNTY>
         <POBOX><PART data="PO BOX"/><X><PART data="NESTED"/></X>text<PART data="BOX"/></POBOX>
         <POBOX><PART data="SECOND"/></POBOX></ADDRESSPARTS>
       <ADDRESSPARTS c2="US"><PREFIX><PART data="NEW"/></PREFIX></ADDRESSPARTS>
       <ADDRESSPARTS><RURAL><PART std="RR"/><PART data="RURAL ROUTE"/></RURAL></ADDRESSPARTS>
       </CONFIG>)");
  const std::tuple<ListKind, const char*, const char*, bool, const char*> rows[] = {
      {ListKind::kPrefix, "OLD", "US", false, "a later ADDRESSPARTS replaces the list"},
      {ListKind::kPrefix, "NEW", "US", true, ""},
      {ListKind::kCounty, "COUNTY", "US", true, "lists it does not hold stay"},
      {ListKind::kPoBox, "po box", "US", true, ""},
      {ListKind::kPoBox, "BOX", "US", true, "text and other elements between PARTs"},
      {ListKind::kPoBox, "NESTED", "US", false, "only direct PART children"},
      {ListKind::kPoBox, "SECOND", "US", false, "only the first list element of a name"},
      {ListKind::kRural, "", "", true, "missing attributes read as empty"},
  };
  for (const auto& [kind, word, code, found, why] : rows) {
    EXPECT_EQ(found, has(kind, word, code)) << why;
  }
  EXPECT_EQ("RR", entry(ListKind::kRural, "", "")->standardForm);
  EXPECT_EQ("", entry(ListKind::kRural, "RURAL ROUTE", "")->standardForm);
}

// Phrase joining skips words that begin no phrase; it must never skip one that does.
TEST(WordList, WordsThatMayBeginAPhrase) {
  WordList list;
  list.set("PO BOX", "PO BOX");
  list.set("Post Office Box", "PO BOX");
  list.set("BOX", "BOX");
  const std::string longFirstWord(70, 'x');
  list.set(longFirstWord + " Y", "Y");
  const std::pair<std::string, bool> rows[] = {
      {"po", true},   {"post", true}, {"post office", true},  // joined words
      {"box", false}, {"p", false},   {"po box", false},      // no key goes on after them
      {"mo", false},  {"", false},    {longFirstWord, true},
  };
  zeb_test::ExpectEach(rows,
                       [&](const std::string& folded) { return list.mayBeginPhrase(folded); });
}

TEST(FoldWord, AsciiAndUnicodeFoldAlike) {
  const std::pair<const char*, const char*> rows[] = {
      {"MAIN ST", "main st"}, {"STRAẞE", "strasse"}, {"ΣΟΦΙΑ", "σοφια"}};
  zeb_test::ExpectEach(rows, [](const char* word) { return foldWord(word); });
}

}  // namespace
}  // namespace addr
