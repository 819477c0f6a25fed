// Tests of loading RULE elements into Rule records.
#include <gtest/gtest.h>

#include <string>

#include "addressparser/rule.h"
#include "xml/xml_doc.h"

namespace addr {
namespace {

std::string meaningList(const std::vector<TokenMeaning>& meanings) {
  std::string text;
  for (TokenMeaning meaning : meanings) {
    if (!text.empty()) text += ",";
    text += meaningName(meaning);
  }
  return text;
}

// Loads the rules of both groups of the RULESET that `xml` is.
RuleList loadRuleSet(const std::string& xml) {
  XMLDoc document;
  document.ParseXML(xml.c_str());
  RuleList rules;
  loadRuleGroup(document.Root(), false, rules);
  loadRuleGroup(document.Root(), true, rules);
  return rules;
}

// Loads the single RULE element that `attributes` describe.
std::unique_ptr<Rule> loadOneRule(const std::string& attributes) {
  RuleList rules =
      loadRuleSet("<RULESET><NOCONTEXT><RULE " + attributes + "/></NOCONTEXT></RULESET>");
  EXPECT_EQ(1u, rules.size()) << attributes;
  return rules.empty() ? nullptr : std::move(rules.front());
}

TEST(RuleLoader, ReadsEveryAttributeAsWritten) {
  auto rule = loadOneRule(
      R"x(name="num" description=" first number " condition="ISNUMBER AND ISTOKENA(PREV,X)" )x"
      R"x(eliminate="PREDIR" terminal="YES" set="STREETNUM" setNext="STREETNAME")x");
  ASSERT_NE(nullptr, rule);
  EXPECT_EQ("num", rule->name);
  EXPECT_EQ(" first number ", rule->description);
  EXPECT_EQ("ISNUMBER AND ISTOKENA(PREV,X)", rule->condition);
  EXPECT_EQ("PREDIR", meaningList(rule->eliminate));
  EXPECT_TRUE(rule->terminal);
  EXPECT_EQ(STREETNUM, rule->set);
  EXPECT_EQ(STREETNAME, rule->setNext);
  EXPECT_FALSE(rule->withContext);
  EXPECT_EQ(nullptr, rule->compiledCondition.load());
}

TEST(RuleLoader, MissingAttributesReadAsEmpty) {
  auto rule = loadOneRule("");
  ASSERT_NE(nullptr, rule);
  EXPECT_EQ("", rule->name);
  EXPECT_EQ("", rule->condition);
  EXPECT_TRUE(rule->eliminate.empty());
  EXPECT_FALSE(rule->terminal);
  EXPECT_EQ(UNKNOWN, rule->set);
  EXPECT_EQ(UNKNOWN, rule->setNext);
}

TEST(RuleLoader, TerminalIsYesInAnyAsciiCase) {
  struct Row {
    const char* text;
    bool terminal;
  };
  const Row rows[] = {{"YES", true}, {"yes", true},   {"Yes", true},   {"yEs", true},
                      {"Y", false},  {"TRUE", false}, {"YES ", false}, {" YES", false},
                      {"", false},   {"NO", false},   {"YESS", false}};
  for (const Row& row : rows) {
    auto rule = loadOneRule(std::string("terminal=\"") + row.text + "\"");
    ASSERT_NE(nullptr, rule);
    EXPECT_EQ(row.terminal, rule->terminal) << "[" << row.text << "]";
  }
}

TEST(RuleLoader, EliminateSkipsEmptyPiecesAndKeepsUnknownOnes) {
  struct Row {
    const char* text;
    const char* meanings;
  };
  const Row rows[] = {
      {"PREDIR,,POSTDIR,", "PREDIR,POSTDIR"},
      {",PREDIR", "PREDIR"},
      {"PREDIR, POSTDIR", "PREDIR,UNKNOWN"},
      {"predir", "UNKNOWN"},
      {",,", ""},
      {"SUFFIX,PREFIX,SUFFIX", "SUFFIX,PREFIX,SUFFIX"},
  };
  for (const Row& row : rows) {
    auto rule = loadOneRule(std::string("eliminate=\"") + row.text + "\"");
    ASSERT_NE(nullptr, rule);
    EXPECT_EQ(row.meanings, meaningList(rule->eliminate)) << "[" << row.text << "]";
  }
}

TEST(RuleLoader, MeaningNamesAreCaseSensitive) {
  auto rule = loadOneRule(R"(set="streetname" setNext="SUFFIX ")");
  ASSERT_NE(nullptr, rule);
  EXPECT_EQ(UNKNOWN, rule->set);
  EXPECT_EQ(UNKNOWN, rule->setNext);
}

TEST(RuleLoader, ContextFreeRulesComeFirstEachGroupInDocumentOrder) {
  RuleList rules = loadRuleSet(R"(<RULESET>
      <WITHCONTEXT><RULE name="c1"/><RULE name="c2"/></WITHCONTEXT>
      <NOCONTEXT><RULE name="n1"/><!-- note --><OTHER/><RULE name="n2"/></NOCONTEXT>
      </RULESET>)");
  ASSERT_EQ(4u, rules.size());
  const char* const names[] = {"n1", "n2", "c1", "c2"};
  const bool withContext[] = {false, false, true, true};
  for (size_t i = 0; i < rules.size(); ++i) {
    EXPECT_EQ(names[i], rules[i]->name) << i;
    EXPECT_EQ(withContext[i], rules[i]->withContext) << i;
  }
}

TEST(RuleLoader, OnlyTheFirstGroupAndDirectRulesAreLoaded) {
  RuleList rules = loadRuleSet(R"(<RULESET>
      <NOCONTEXT><RULE name="a"><RULE name="nested"/></RULE></NOCONTEXT>
      <NOCONTEXT><RULE name="second group"/></NOCONTEXT>
      </RULESET>)");
  ASSERT_EQ(1u, rules.size());
  EXPECT_EQ("a", rules[0]->name);
}

TEST(RuleLoader, RuleSetWithoutGroupsGivesNoRules) {
  EXPECT_TRUE(loadRuleSet("<RULESET><RULE name=\"stray\"/></RULESET>").empty());
}

}  // namespace
}  // namespace addr
