// Tests of loading RULE elements into Rule records, and of checkRule.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "addressparser/parser_fixture.h"
#include "addressparser/rule.h"

namespace addr {
namespace {

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
  for (const auto& [text, terminal] : rows) {
    EXPECT_EQ(terminal, loadOneRule(std::string("terminal=\"") + text + "\"").terminal)
        << "[" << text << "]";
  }
}

TEST_F(RuleLoaderTest, EliminateSkipsEmptyPiecesAndKeepsUnknownOnes) {
  const std::pair<const char*, const char*> rows[] = {
      {"PREDIR,,POSTDIR,", "PREDIR,POSTDIR"},
      {"PREDIR, POSTDIR", "PREDIR,UNKNOWN"},
      {"predir", "UNKNOWN"},
      {"SUFFIX,PREFIX,SUFFIX", "SUFFIX,PREFIX,SUFFIX"},
  };
  for (const auto& [text, meanings] : rows) {
    const Rule& rule = loadOneRule(std::string("eliminate=\"") + text + "\"");
    EXPECT_EQ(meanings, meaningList(rule.eliminate)) << "[" << text << "]";
  }
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

}  // namespace
}  // namespace addr
