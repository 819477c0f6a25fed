// Tests of the rule engine: narrowing, rule application, the passes and the joining
// of neighbours, read as token transcripts ("12:STREETNUM MAIN:STREETNAME").
#include "addressparser/rule_engine.h"

#include <gtest/gtest.h>

#include <deque>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "addressparser/parser_fixture.h"
#include "addressparser/token_text.h"
#include "errors/tarn_exception.h"
#include "test_checks.h"

namespace addr {
namespace {

using addr_test::dumpCandidates;
using addr_test::dumpTokens;
using addr_test::makeTokens;
using addr_test::RecordingTrace;

struct WrittenRule {
  const char* name;
  const char* condition;
  TokenMeaning set = UNKNOWN;
  TokenMeaning setNext = UNKNOWN;
  std::vector<TokenMeaning> eliminate = {};
  bool terminal = false;
};

// Context-free rules first, then context rules, as the loader stores them.
RuleSet makeRuleSet(const std::vector<WrittenRule>& contextFree,
                    const std::vector<WrittenRule>& context = {}) {
  RuleSet ruleSet;
  auto add = [&](const WrittenRule& written, bool withContext) {
    auto rule = std::make_unique<Rule>();
    rule->name = written.name;
    rule->condition = written.condition;
    rule->set = written.set;
    rule->setNext = written.setNext;
    rule->eliminate = written.eliminate;
    rule->terminal = written.terminal;
    rule->withContext = withContext;
    ruleSet.rules.push_back(std::move(rule));
  };
  for (const WrittenRule& written : contextFree) add(written, false);
  ruleSet.firstContextRule = ruleSet.rules.size();
  for (const WrittenRule& written : context) add(written, true);
  return ruleSet;
}

class RuleEngineTest : public addr_test::ParserFixture {
 protected:
  void SetUp() override {
    load(R"(<CONFIG><ADDRESSPARTS c2="US">
      <SUFFIX><PART data="ST" std="ST"/></SUFFIX>
      <DIRECTIONAL><PART data="N" std="N"/></DIRECTIONAL>
      <UNITLABEL><PART data="APT" std="APT"/></UNITLABEL>
      <POBOX><PART data="PO BOX" std="PO BOX"/></POBOX>
    </ADDRESSPARTS><ADDRESSPARTS c2="CA"><SUFFIX/></ADDRESSPARTS></CONFIG>)");
  }
  void run(const RuleSet& rules, TokenList& tokens, EngineTrace* trace = nullptr,
           size_t indexFromTokens = kIndexFromTokens) {
    runRules(config(), rules, tokens, trace, indexFromTokens);
  }
};

TEST_F(RuleEngineTest, NarrowingKeepsOnlyMeaningsWhoseListHoldsTheWord) {
  const char* const rows[][3] = {
      {"n", "US", "STREETNUM|PREDIR|POSTDIR|STREETNAME|UNITNUM|POBOXNUM|RRHCNUM|RRHCBOXNUM"},
      {"St", "GB", "STREETNUM|STREETNAME|SUFFIX|UNITNUM|POBOXNUM|RRHCNUM|RRHCBOXNUM"},  // US lists
      {"PO BOX", "US", "STREETNUM|STREETNAME|UNITNUM|POBOXNUM|POBOXTYPE|RRHCNUM|RRHCBOXNUM"},
      {"APT", "US", "STREETNUM|STREETNAME|UNITNUM|UNITLABEL|POBOXNUM|RRHCNUM|RRHCBOXNUM"},
  };
  // Each token is narrowed by its own country's lists.
  TokenList tokens;
  std::vector<std::string> expected;
  for (const auto& [text, country, candidates] : rows) {
    tokens.push_back(std::make_unique<AddressToken>(text, country));
    expected.push_back("narrowed " + std::to_string(expected.size()) + " " + candidates);
  }
  RecordingTrace trace;
  run(makeRuleSet({}), tokens, &trace);
  trace.events.resize(expected.size());
  EXPECT_EQ(expected, trace.events);
}

TEST_F(RuleEngineTest, OneRuleOutcomes) {
  // What the row shows, the rule, the tokens before, the rule's reports in the
  // context-free pass, and the tokens after.
  const std::tuple<const char*, WrittenRule, const char*, const char*, const char*> rows[] = {
      {"settled token", {"r", "", STREETNAME}, "12:STREETNUM", "", "12:STREETNUM"},
      {"condition fails", {"r", "ISLETTER", STREETNAME}, "12", "", "12:?"},
      {"sets", {"r", "ISNUMBER", STREETNUM}, "12", "0 ended", "12:STREETNUM"},
      {"non-terminal", {"r", "", UNKNOWN, UNKNOWN, {UNITNUM}}, "12", "0", "12:?"},
      {"terminal", {"r", "", UNKNOWN, UNKNOWN, {UNITNUM}, true}, "12", "0 ended", "12:?"},
      {"eliminated to one",
       {"r", "", UNKNOWN, UNKNOWN, {PREDIR, UNKNOWN}},
       "N:PREDIR|POSTDIR",
       "0 ended",
       "N:POSTDIR"},
      {"setNext is undone by the next token's narrowing",
       {"r", "ISNUMBER", STREETNUM, SUFFIX},
       "12 MAIN",
       "0 ended",
       "12:STREETNUM MAIN:?"},
      {"setNext survives narrowing when the list holds the word",
       {"r", "NOT ISNUMBER AND NOT ISSUFFIXWORD", STREETNAME, SUFFIX},
       "MAIN ST",
       "0 ended",
       "MAIN:STREETNAME ST:SUFFIX"},
      {"setNext leaves a settled neighbour alone",
       {"r", "", STREETNAME, UNITNUM},
       "A B:STREETNUM",
       "0 ended",
       "A:STREETNAME B:STREETNUM"},
      {"setNext at the last token", {"r", "", STREETNAME, UNITNUM}, "A", "0 ended", "A:STREETNAME"},
      // While the first token's rules run, ST still has all candidates: PREDIR too.
      {"later tokens are not narrowed yet",
       {"r", "CANTOKENBEA:NEXT,PREDIR", STREETNAME},
       "MAIN ST",
       "0 ended",
       "MAIN:STREETNAME ST:?"},
  };
  for (const auto& [what, rule, before, reports, after] : rows) {
    RuleSet rules = makeRuleSet({rule});
    TokenList tokens = makeTokens(before, "US");
    RecordingTrace trace;
    run(rules, tokens, &trace);
    std::string fired;
    for (const std::string& event : trace.events) {
      if (event.rfind("fired 0 ", 0) != 0) continue;
      std::string rest = event.substr(8);  // "<index> r[ ended]"
      fired += rest.erase(rest.find(" r"), 2) + ";";
    }
    EXPECT_EQ(reports[0] == '\0' ? "" : std::string(reports) + ";", fired) << what;
    EXPECT_EQ(after, dumpTokens(tokens)) << what;
  }
}

TEST_F(RuleEngineTest, NonTerminalRuleLetsTheNextRuleRunTerminalStopsIt) {
  for (bool terminal : {false, true}) {
    RuleSet rules = makeRuleSet(
        {{"first", "", UNKNOWN, UNKNOWN, {UNITNUM}, terminal}, {"second", "", STREETNAME}});
    TokenList tokens = makeTokens("MAIN", "US");
    run(rules, tokens);
    EXPECT_EQ(terminal ? "MAIN:?" : "MAIN:STREETNAME", dumpTokens(tokens)) << terminal;
  }
}

TEST_F(RuleEngineTest, MergingJoinsSettledNeighbours) {
  const std::pair<const char*, const char*> rows[] = {
      {"A:STREETNAME B:STREETNAME C:STREETNAME", "A_B_C:STREETNAME"},
      {"4:UNITNUM B:UNITNUM", "4B:UNITNUM"},
      {"A:STREETNAME 12:STREETNUM B:STREETNAME", "A:STREETNAME 12:STREETNUM B:STREETNAME"},
      {"N:PREDIR W:PREDIR", "N:PREDIR W:PREDIR"},
      {"X Y", "X:? Y:?"},
      {"1:STREETNUM 2:STREETNUM A:STREETNAME B:STREETNAME 3:UNITNUM 4:UNITNUM",
       "1_2:STREETNUM A_B:STREETNAME 34:UNITNUM"},
  };
  for (const auto& [before, after] : rows) {
    TokenList tokens = makeTokens(before, "US");
    mergeAdjacentTokens(tokens);
    EXPECT_EQ(after, dumpTokens(tokens)) << before;
  }
}

TEST_F(RuleEngineTest, MergedTokenIsFoundUnderItsNewText) {
  TokenList tokens = makeTokens("PO:STREETNAME BOX:STREETNAME", "US");
  mergeAdjacentTokens(tokens);
  ASSERT_EQ(1u, tokens.size());
  EXPECT_EQ("PO BOX", tokens[0]->text);
  EXPECT_EQ("po box", tokens[0]->folded);

  // Unit numbers join with nothing between: two halves of one UTF-8 sequence fold
  // as the whole character.
  tokens = makeTokens("A:UNITNUM \xC3:UNITNUM \x89:UNITNUM", "US");
  mergeAdjacentTokens(tokens);
  ASSERT_EQ(1u, tokens.size());
  EXPECT_EQ(foldWord("A\xC3\x89"), tokens[0]->folded);
}

// Context passes stop after the first that leaves every token settled, at six at most.
TEST_F(RuleEngineTest, ContextPassesStopOnceEverythingIsSettled) {
  RuleSet never = makeRuleSet({}, {{"never", "ISLETTER", STREETNAME}});
  TokenList tokens = makeTokens("MAIN", "US");
  RecordingTrace trace;
  run(never, tokens, &trace);
  EXPECT_EQ(kMaxContextPasses, trace.contextPasses);

  RuleSet early = makeRuleSet({{"name", "", STREETNAME}});
  tokens = makeTokens("OAK TREE", "US");
  RecordingTrace once;
  run(early, tokens, &once);
  EXPECT_EQ(1, once.contextPasses);  // which still joins
  EXPECT_EQ("OAK_TREE:STREETNAME", dumpTokens(tokens));
}

TEST_F(RuleEngineTest, ContextRulesSettleWhatTheContextFreePassLeft) {
  RuleSet rules = makeRuleSet({{"number", "ISNUMBER AND ISFIRSTTOKEN", STREETNUM}},
                              {{"after name", "ISTOKENA:PREV,STREETNAME", STREETNAME},
                               {"after number", "ISTOKENA:PREV,STREETNUM", STREETNAME}});
  TokenList tokens = makeTokens("12 OAK TREE HILL", "US");
  RecordingTrace trace;
  run(rules, tokens, &trace);
  EXPECT_EQ("12:STREETNUM OAK_TREE_HILL:STREETNAME", dumpTokens(tokens));
  const std::vector<std::string> expected = {
      "narrowed 0 STREETNUM|STREETNAME|UNITNUM|POBOXNUM|RRHCNUM|RRHCBOXNUM",
      "fired 0 0 number ended",
      "narrowed 1 STREETNUM|STREETNAME|UNITNUM|POBOXNUM|RRHCNUM|RRHCBOXNUM",
      "narrowed 2 STREETNUM|STREETNAME|UNITNUM|POBOXNUM|RRHCNUM|RRHCBOXNUM",
      "narrowed 3 STREETNUM|STREETNAME|UNITNUM|POBOXNUM|RRHCNUM|RRHCBOXNUM",
      "passEnd 0 12:STREETNUM OAK:? TREE:? HILL:?",
      "fired 1 1 after number ended",
      "fired 1 2 after name ended",
      "fired 1 3 after name ended",
      "merged 1 1 [OAK TREE] [TREE]",
      "merged 1 1 [OAK TREE HILL] [HILL]",
      "passEnd 1 12:STREETNUM OAK_TREE_HILL:STREETNAME settled",
  };
  EXPECT_EQ(expected, trace.events);
}

// Word-list answers are remembered per token during a parse; a join must not leave
// the joined token answering for its old text.
TEST_F(RuleEngineTest, WordListsSeeTheJoinedTextInTheNextPass) {
  RuleSet rules = makeRuleSet({{"words", "NOT ISNUMBER", STREETNAME}},
                              {{"box number", "ISPOBOXWORD(PREV) AND ISNUMBER", POBOXNUM}});
  TokenList tokens = makeTokens("PO BOX 12", "US");
  RecordingTrace trace;
  run(rules, tokens, &trace);
  EXPECT_EQ("PO_BOX:STREETNAME 12:POBOXNUM", dumpTokens(tokens));
  EXPECT_EQ(2, trace.contextPasses);
}

// Long addresses are scanned through a MeaningIndex: the tokens, the meanings read
// on the way and the trace must be the same as without it.
void expectSameWithAndWithoutIndex(const ParserConfig& config, const RuleSet& rules,
                                   const std::string& text) {
  std::string outcome[2];
  for (size_t indexed = 0; indexed < 2; ++indexed) {
    TokenList tokens = makeTokens(text, "US");
    RecordingTrace trace;
    runRules(config, rules, tokens, &trace, indexed == 1 ? 0 : static_cast<size_t>(-1));
    for (const std::string& event : trace.events) outcome[indexed] += event + "\n";
    for (const auto& token : tokens) {
      outcome[indexed] += dumpCandidates(*token) + "=" + meaningName(token->meaning) + " ";
    }
  }
  std::string conditions;
  for (const auto& rule : rules.rules) conditions += rule->condition + "\n";
  ASSERT_EQ(outcome[0], outcome[1]) << text << "\n" << conditions;
}

TEST_F(RuleEngineTest, MeaningIndexFollowsChangesOfCandidatesAndJoins) {
  // ONLYONCE leaves N with PREDIR alone, which WEHAVE must then find.
  expectSameWithAndWithoutIndex(config(),
                                makeRuleSet({}, {{"once", "ONLYONCE(NEXT,STREETNUM)"},
                                                 {"predir", "WEHAVE(PREDIR)", STREETNAME}}),
                                "1:STREETNUM X N:STREETNUM|PREDIR Y");
  // After A and B are joined, 7 is the token after X.
  expectSameWithAndWithoutIndex(
      config(),
      makeRuleSet({}, {{"after", "ISFIRSTTOKEN(PREV) AND WEHAVE(NEXT,STREETNUM)", UNITLABEL}}),
      "A:STREETNAME B:STREETNAME X 7:STREETNUM");
}

TEST_F(RuleEngineTest, MeaningIndexChangesNothing) {
  using zeb_test::Split;
  const std::vector<std::string> meanings = Split(
      "STREETNUM STREETNAME PREFIX SUFFIX PREDIR POSTDIR UNITNUM UNITLABEL POBOXTYPE POBOXNUM "
      "RRHCNUM RRHCBOXNUM",
      ' ');
  const std::vector<std::string> scans =
      Split("WEHAVE WEHAVEPOSSIBLETOKENMEANING ONLYONCE ISFIRSTSETTOKENA", ' ');
  const char* const offsets[] = {"", "PREV,", "NEXT,", "PREV2,"};
  const std::vector<std::string> tests = Split(
      "ISNUMBER HASNUMBERS ISLETTER ISSUFFIXWORD ISUNITWORD ISFIRSTTOKEN ISLASTTOKEN "
      "NUMBERFOLLOWSPREFIX NUMBERPRECEDESSUFFIX NUMBERFOLLOWSPREFIX(PREV) WEHAVE "
      "ISFIRSTSETTOKENA WEHAVEPOSSIBLETOKENMEANING(NEXT)",
      ' ');
  const std::vector<std::string> words = Split("12 3 MAIN ST N APT 4B PO_BOX X #", ' ');
  std::mt19937 random(19);
  auto pick = [&](const auto& from) { return std::string(from[random() % std::size(from)]); };
  auto meaning = [&] { return meaningFromName(pick(meanings)); };
  auto term = [&] {
    std::string text = random() % 3 == 0 ? "NOT " : "";
    switch (random() % 3) {
      case 0:
        return text + pick(tests);
      case 1:
        return text + "ISTOKENA(" + pick(offsets) + pick(meanings) + ")";
      default:
        return text + pick(scans) + "(" + pick(offsets) + pick(meanings) + "," + pick(meanings) +
               ")";
    }
  };
  for (int round = 0; round < 1000; ++round) {
    std::vector<WrittenRule> groups[2];
    std::deque<std::string> conditions;  // what the rules' texts point to
    for (auto& group : groups) {
      for (size_t n = 1 + random() % 8; n > 0; --n) {
        std::string condition = term();
        for (size_t more = random() % 3; more > 0; --more) {
          condition += (random() % 2 == 0 ? " AND " : " OR ") + term();
        }
        conditions.push_back(condition);
        WrittenRule rule{"r", conditions.back().c_str(), random() % 3 == 0 ? UNKNOWN : meaning(),
                         random() % 4 == 0 ? meaning() : UNKNOWN};
        for (size_t k = random() % 8; k > 0; --k) rule.eliminate.push_back(meaning());
        rule.terminal = random() % 2 == 0;
        group.push_back(rule);
      }
    }
    std::string text;
    for (size_t n = 1 + random() % 100; n > 0; --n) text += pick(words) + " ";
    expectSameWithAndWithoutIndex(config(), makeRuleSet(groups[0], groups[1]), text);
    if (HasFatalFailure()) return;
  }
}

TEST_F(RuleEngineTest, ConditionErrorLeavesTheEngine) {
  RuleSet rules =
      makeRuleSet({{"number", "ISNUMBER", STREETNUM}, {"broken", "ISTOKENA:streetnum"}});
  TokenList tokens = makeTokens("12 MAIN", "US");
  EXPECT_THROW(run(rules, tokens), Tarn_Exception);
  EXPECT_EQ("12:STREETNUM MAIN:?", dumpTokens(tokens));
}

}  // namespace
}  // namespace addr
