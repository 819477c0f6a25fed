// The condition compiler (its stages, precedence, the spellings of a term, keyword
// and parameter rules, the conditions it must reject) and condition evaluation (every
// keyword's test, offsets at the ends of the list, scopes, side effects, compilation
// on first use and its failures).
#include <gtest/gtest.h>

#include <atomic>
#include <latch>
#include <memory>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "addressparser/condition_compiler.h"
#include "addressparser/condition_evaluator.h"
#include "addressparser/condition_keywords.h"
#include "addressparser/parser_fixture.h"
#include "addressparser/token_text.h"
#include "errors/tarn_exception.h"
#include "test_checks.h"

namespace addr {
namespace {

std::string compiled(const std::string& condition) {
  return dumpCondition(*compileCondition(condition));
}

TEST(ConditionCompilerStages, ParenthesesAreCutOutThenJoinTheirTerms) {
  // A condition, after splitParentheses, and after joinTermParameters.
  const char* const rows[][3] = {
      {"ISTOKENA(NEXT,PREFIX)", "ISTOKENA ( NEXT,PREFIX )", "ISTOKENA:NEXT,PREFIX"},
      {"((X))", "( ( X ) )", "( ( X ) )"},
      {"NOT(X)AND(Y)", "NOT ( X ) AND ( Y )", "NOT ( X ) AND ( Y )"},  // NOT is no operand
      {"ISTOKENA ( PREFIX ) AND X", "ISTOKENA ( PREFIX ) AND X", "ISTOKENA:PREFIX AND X"},
      {"ISTOKENA(NEXT, PREFIX)", "ISTOKENA ( NEXT, PREFIX )", "ISTOKENA ( NEXT, PREFIX )"},
      {"  X   Y  ", "X Y", "X Y"},
  };
  for (const auto& [condition, afterSplit, afterJoin] : rows) {
    const std::vector<std::string> split = splitParentheses(splitConditionWords(condition));
    EXPECT_EQ(afterSplit, addr_test::joined(split, " ")) << condition;
    EXPECT_EQ(afterJoin, addr_test::joined(joinTermParameters(split), " ")) << condition;
  }
}

TEST(ConditionCompilerTree, AndOrShareOnePrecedenceNotBindsTighterAndQuirksStay) {
  const std::pair<const char*, const char*> rows[] = {
      {"X OR Y AND Z", "AND(OR(X,Y),Z)"},
      {"X AND Y OR Z", "OR(AND(X,Y),Z)"},
      {"NOT X AND Y", "AND(NOT(X),Y)"},
      {"X AND NOT Y", "AND(X,NOT(Y))"},
      {"X AND (Y OR Z)", "AND(X,OR(Y,Z))"},
      {"NOT (X OR Y) AND Z", "AND(NOT(OR(X,Y)),Z)"},
      {"((X))", "X"},
      {"ISTOKENA(PREFIX)", "ISTOKENA:PREFIX"},  // three spellings of one term
      {"ISTOKENA ( PREFIX )", "ISTOKENA:PREFIX"},
      {"ISTOKENA:PREFIX", "ISTOKENA:PREFIX"},
      {"X and Y", "Y"},  // lower-case "and" is an operand; side by side, the last stays
      {"X )", "X"},      // an unmatched ")" is ignored
      {"( X AND Y", "OPEN(AND(X,Y))"},  // an unmatched "(" wraps its part
      {"X OR (Y", "OR(X,OPEN(Y))"},
      {"ISTOKENA(NEXT, PREFIX)", "PREFIX"},  // a blank after the comma: no longer one term
      {"   ", "NOT()"},                      // holds, like an empty condition
  };
  zeb_test::ExpectEach(rows, compiled);
}

TEST(ConditionCompilerLeaf, KeywordsIgnoreCaseOffsetsAndParametersDoNot) {
  const std::tuple<const char*, int32_t, int32_t, std::vector<TokenMeaning>> rows[] = {
      {"istokena:STREETNUM", kIsTokenA, 0, {STREETNUM}},
      {"IsTokenA:NEXT,STREETNAME", kIsTokenA, 1, {STREETNAME}},
      {"ISTOKENA:PREV2,STREETNAME", kIsTokenA, -2, {STREETNAME}},
      // Only the first item offsets.
      {"ISTOKENA:STREETNUM,NEXT", kIsTokenA, 0, {STREETNUM, UNKNOWN}},
      {"ISTOKENA:,,PREFIX,,", kIsTokenA, 0, {PREFIX}},
      {"LENGTHIS:NEXT,>=,3", kLengthIs, 1, {UNKNOWN, UNKNOWN}},
      {"LENGTHIS:PREFIX,==,NEXT2,PREV", kLengthIs, 0, {PREFIX, UNKNOWN, UNKNOWN, UNKNOWN}},
      {"MEANINGSCOMPETE:PREDIR,POSTDIR", kMeaningsCompete, 0, {PREDIR, POSTDIR}},
      {"WEHAVE", kWeHave, 0, {}},
      {"ISLASTTOKEN:PREV0", kIsLastToken, -1, {}},
      {"NOSUCHKEYWORD:PREFIX", kNoKeyword, 0, {PREFIX}},
      {"ISTOKENA :PREFIX", kNoKeyword, 0, {PREFIX}},  // keywords are not trimmed
      {":PREFIX", kNoKeyword, 0, {PREFIX}},
  };
  for (const auto& [term, keyword, offset, parameters] : rows) {
    auto leaf = compileLeaf(term);
    EXPECT_EQ(keyword, leaf->keyword) << term;
    EXPECT_EQ(offset, leaf->offset) << term;
    EXPECT_EQ(parameters, leaf->parameters) << term;
  }
}

TEST(ConditionCompilerLeaf, OffsetWords) {
  const std::pair<const char*, int32_t> rows[] = {
      {"NEXT", 1},
      {"NEXT0", 1},
      {"NEXT+2", 2},
      {"PREV", -1},
      {"PREV0", -1},
      {"PREV-2", 2},  // "-n" of a negative n, as the offset word has always read
      {"next", 0},
      {"PREFIX", 0},
      {"", 0},
      {"NEXT99999999999", 2147483647},
      {"PREV99999999999", -2147483647},
  };
  zeb_test::ExpectEach(rows, parseOffset);
}

// The exception rule authors see: every field of it is part of the interface.
TEST(ConditionCompilerErrors, UnknownParameterNamesTheItem) {
  for (const char* item : {"streetnum", "3a", "=>"}) {
    std::string condition = std::string("ISTOKENA:PREFIX,") + item;
    const auto e = zeb_test::Thrown<Tarn_Exception>([&] { compileCondition(condition); });
    ASSERT_TRUE(e) << condition << " compiled";
    const ExceptionMessage message = e->firstMessage();
    EXPECT_EQ(e->component + " " + std::to_string(e->severity) + " " + message.id + " " +
                  message.messageTemplate + " " + addr_test::joined(message.arguments, "|"),
              "KVD " + std::to_string(CRITICAL_ERROR) +
                  " 0000E {0} Error reading address parser rules. Unknown parameter: " + item);
  }
}

TEST(ConditionCompilerErrors, OperatorsWithoutOperandsAreRejected) {
  for (const char* condition : {"NOT", "( )", "X AND", "AND X", "X NOT", ")", "X AND ( )"}) {
    const auto e = zeb_test::Thrown<Tarn_Exception>([&] { compileCondition(condition); });
    ASSERT_TRUE(e) << "[" << condition << "] compiled";
    EXPECT_TRUE(
        zeb_test::Holds(e->firstMessage().arguments.at(0), std::string("[") + condition + "]"));
  }
}

// A fuzzer's nesting must neither overflow the stack while compiling nor while the
// tree is released.
TEST(ConditionCompilerTree, DeepNestingCompilesAndReleases) {
  constexpr int kDepth = 200000;
  EXPECT_EQ("X", compiled(std::string(kDepth, '(') + "X" + std::string(kDepth, ')')));

  auto tree = compileCondition(zeb_test::Repeated("NOT ", kDepth) + "X");
  EXPECT_EQ(NOT, tree->nodeKind);
  EXPECT_TRUE(zeb_test::Holds(dumpCondition(*tree), "..."));
}

// A program as "entry step...", each step "index:KEYWORD?onTrue:onFalse", the
// outcomes written T and F.
std::string program(const std::string& condition) {
  auto tree = compileCondition(condition);
  const ConditionProgram compiledProgram = compileProgram(*tree);
  auto exit = [](uint32_t at) {
    return at == kConditionHolds ? "T" : at == kConditionFails ? "F" : std::to_string(at);
  };
  std::string out = exit(compiledProgram.entry);
  for (size_t i = 0; i < compiledProgram.steps.size(); ++i) {
    const ConditionStep& step = compiledProgram.steps[i];
    out += " " + std::to_string(i) + ":" + keywordName(step.keyword) + "?" + exit(step.onTrue) +
           ":" + exit(step.onFalse);
  }
  return out;
}

TEST(ConditionCompilerProgram, OperatorsBecomeJumpsBetweenLeavesInTextOrder) {
  const std::pair<const char*, const char*> rows[] = {
      {"ISNUMBER", "0 0:ISNUMBER?T:F"},
      {"ISFIRSTTOKEN AND ISNUMBER", "0 0:ISFIRSTTOKEN?1:F 1:ISNUMBER?T:F"},
      {"ISFIRSTTOKEN OR ISNUMBER", "0 0:ISFIRSTTOKEN?T:1 1:ISNUMBER?T:F"},
      {"NOT ISNUMBER", "0 0:ISNUMBER?F:T"},
      {"NOT NOT ISNUMBER", "0 0:ISNUMBER?T:F"},
      {"NOT (ISFIRSTTOKEN AND ISNUMBER)", "0 0:ISFIRSTTOKEN?1:T 1:ISNUMBER?F:T"},
      {"NOT (ISFIRSTTOKEN OR ISNUMBER)", "0 0:ISFIRSTTOKEN?F:1 1:ISNUMBER?F:T"},
      {"(ISFIRSTTOKEN OR ISLASTTOKEN) AND NOT ISNUMBER",
       "0 0:ISFIRSTTOKEN?2:1 1:ISLASTTOKEN?2:F 2:ISNUMBER?F:T"},
      {"ISFIRSTTOKEN OR ISLASTTOKEN AND ISNUMBER",  // ((A OR B) AND C)
       "0 0:ISFIRSTTOKEN?2:1 1:ISLASTTOKEN?2:F 2:ISNUMBER?T:F"},
      {"ISFIRSTTOKEN AND (ISLASTTOKEN OR ISNUMBER) AND ISLETTER",
       "0 0:ISFIRSTTOKEN?1:F 1:ISLASTTOKEN?3:2 2:ISNUMBER?3:F 3:ISLETTER?T:F"},
      // A leaf without a keyword is false without a test of its own.
      {"NOSUCHWORD OR ISNUMBER", "0 0:ISNUMBER?T:F"},
      {"ISNUMBER AND NOSUCHWORD", "0 0:ISNUMBER?F:F"},
      {"NOT NOSUCHWORD", "T"},
      {"(ISNUMBER", "F"},  // an unmatched "(" makes what follows false
      {"   ", "T"},
  };
  zeb_test::ExpectEach(rows, program);
}

using addr_test::dumpCandidates;
using addr_test::dumpTokens;
using addr_test::makeTokens;

constexpr const char* kWordLists = R"(<CONFIG><ADDRESSPARTS c2="US">
  <PREFIX><PART data="HWY" std="HWY"/></PREFIX>
  <SUFFIX><PART data="ST" std="ST"/><PART data="STREET" std="ST"/><PART data="RD" std="RD"/>
    <PART data="ROAD" std="RD"/><PART data="SR" std="SR"/></SUFFIX>
  <BUILDINGSIDE><PART data="REAR" std="REAR"/></BUILDINGSIDE>
  <UNITSIDE><PART data="UPPER" std="UPPER"/></UNITSIDE>
  <BUILDINGTYPE><PART data="BLDG" std="BLDG"/></BUILDINGTYPE>
  <COUNTY><PART data="COUNTY" std="CO"/></COUNTY>
  <POBOX><PART data="PO BOX" std="PO BOX"/></POBOX>
  <UNITLABEL><PART data="APT" std="APT"/></UNITLABEL>
  <DIRECTIONAL><PART data="N" std="N"/><PART data="NORTH" std="N"/><PART data="W" std="W"/>
    <PART data="E" std="E"/><PART data="S" std="S"/></DIRECTIONAL>
  <RURAL><PART data="RR" std="RR"/></RURAL>
</ADDRESSPARTS></CONFIG>)";

class ConditionEvaluatorTest : public addr_test::ParserFixture {
 protected:
  void SetUp() override { load(kWordLists); }

  bool evaluate(const std::string& condition, TokenList& tokens, size_t position) {
    return evaluateConditionNode(config(), *compileCondition(condition), tokens, position);
  }
};

// Keywords that test the text of one token, or its word lists.
TEST_F(ConditionEvaluatorTest, TextAndWordListKeywords) {
  // A condition, texts it holds for, texts it fails for.
  const std::tuple<const char*, std::vector<const char*>, std::vector<const char*>> rows[] = {
      {"ISNUMBER", {" -42 "}, {"4a", "--1"}},
      {"ISLETTER", {"b"}, {"\xC3\xA9", "AB"}},  // "é" is one letter in two bytes
      {"ISNUMBERSIGN", {"#"}, {"##"}},
      {"HASNUMBERSIGN", {"A#1"}, {}},
      {"HASNUMBERS", {"APT4"}, {"APT"}},
      {"LENGTHIS(>=,3)", {}, {"AB"}},
      {"LENGTHIS:2", {"AB"}, {}},
      {"LENGTHIS:!=,2", {}, {"AB"}},
      {"LENGTHIS:<=,2", {"AB"}, {}},
      {"LENGTHIS:<,2", {}, {"AB"}},
      {"LENGTHIS:>,1", {"AB"}, {}},
      {"LENGTHIS:==,2", {"\xC3\xA9"}, {}},  // bytes, not letters
      {"LENGTHIS", {}, {"AB"}},
      {"LENGTHIS:>=", {}, {"AB"}},
      // Three letters in six bytes are a possible unit number.
      {"ISPOSSIBLEUNITNUMBER", {"4B", "\xC3\x89\xC3\x89\xC3\x89"}, {"ABCD"}},
      {"ISDIRECTIONALWORD", {"north"}, {"NW"}},
      {"CANBEFIRSTWORDINDIRECTIONAL", {"NORTH"}, {"W"}},
      {"CANBESECONDWORDINDIRECTIONAL", {"W"}, {"N"}},
      {"ISSUFFIXWORD", {"street"}, {"MAIN"}},
      {"ISPREFIXACTINGSUFFIXWORD", {"ROAD", "SR"}, {"ST"}},
      {"ISPREFIXWORD", {"hwy"}, {}},
      {"ISBUILDINGSIDEWORD", {"REAR"}, {}},
      {"ISUNITSIDEWORD", {"UPPER"}, {}},
      {"ISBUILDINGTYPEWORD", {"BLDG"}, {}},
      {"ISCOUNTYWORD", {"County"}, {}},
      {"ISPOBOXWORD", {"po box"}, {}},
      {"ISRURALROUTEWORD", {"RR"}, {}},
      {"ISUNITWORD", {"Apt"}, {"UPPER"}},
  };
  for (const auto& [condition, holds, fails] : rows) {
    for (bool expected : {true, false}) {
      for (const char* text : expected ? holds : fails) {
        TokenList tokens;
        tokens.push_back(std::make_unique<AddressToken>(text, "US"));
        EXPECT_EQ(expected, evaluate(condition, tokens, 0)) << condition << " on [" << text << "]";
      }
    }
  }
}

// Keywords that read meanings and candidates, at a position in a token list.
TEST_F(ConditionEvaluatorTest, MeaningKeywordsAndOffsets) {
  const std::tuple<const char*, const char*, size_t, bool> rows[] = {
      {"ISTOKENA(NEXT,STREETNAME)", "12:STREETNUM MAIN:STREETNAME", 0, true},
      {"ISTOKENA(NEXT,STREETNAME)", "12:STREETNUM MAIN:STREETNAME", 1, false},
      {"ISTOKENA(PREV2,STREETNAME)", "A:STREETNAME B C", 2, true},
      {"ISTOKENA(PREV2,STREETNAME)", "A:STREETNAME B C", 1, false},
      {"ISTOKENA", "X", 0, true},  // no meaning: not settled
      {"ISTOKENA", "12:STREETNUM", 0, false},
      {"ISTOKENMEANINGSET", "12:STREETNUM", 0, true},
      {"ISTOKENMEANINGSET", "N:PREDIR|POSTDIR", 0, false},
      {"ISFIRSTTOKEN", "A B", 0, true},
      {"ISFIRSTTOKEN:NEXT", "A B", 0, false},
      {"ISLASTTOKEN", "A B", 1, true},
      {"ISLASTTOKEN:NEXT", "A B", 0, true},
      {"LENGTHIS(NEXT,<,4)", "X ABC", 0, true},
      {"LENGTHIS(NEXT,<,4)", "X ABCD", 0, false},
      {"CANTOKENBEA:UNITNUM", "X", 0, true},
      {"CANTOKENBEA:UNITNUM", "X:STREETNAME", 0, false},
      {"CANTOKENBEA", "X", 0, false},  // no meaning: never a candidate
      {"MEANINGSCOMPETE:PREDIR,POSTDIR", "N:PREDIR|POSTDIR", 0, true},
      {"MEANINGSCOMPETE:PREDIR,POSTDIR", "N:PREDIR|POSTDIR|STREETNAME", 0, false},
      {"MEANINGSCOMPETE:PREDIR,POSTDIR", "N:PREDIR", 0, false},
      // WEHAVE counts the current token without an offset, and takes its scope from
      // the offset's sign.
      {"WEHAVE:STREETNUM", "12:STREETNUM X", 0, true},
      {"WEHAVE:NEXT,STREETNUM", "12:STREETNUM X", 0, false},
      {"WEHAVE:NEXT,STREETNUM", "X Y 12:STREETNUM", 0, true},  // beyond the next token
      {"WEHAVE:PREV,STREETNUM", "12:STREETNUM X Y", 2, true},
      {"WEHAVE:PREV,STREETNUM", "12:STREETNUM X", 0, false},
      {"WEHAVE", "12:STREETNUM X", 0, true},  // no meaning: some token unsettled
      // WEHAVEPOSSIBLETOKENMEANING never looks at the current token.
      {"WEHAVEPOSSIBLETOKENMEANING:STREETNUM", "X Y", 0, false},
      {"WEHAVEPOSSIBLETOKENMEANING:STREETNUM", "X Y", 1, true},
      {"WEHAVEPOSSIBLETOKENMEANING:NEXT,STREETNUM", "X Y", 0, true},
      {"WEHAVEPOSSIBLETOKENMEANING:NEXT,STREETNUM", "X Y:STREETNAME", 0, false},
      {"WEHAVEPOSSIBLETOKENMEANING:PREV,STREETNUM", "X Y", 1, true},
      // ISFIRSTSETTOKENA after the token: unsettled tokens on the way must allow m.
      {"ISFIRSTSETTOKENA:NEXT,SUFFIX", "MAIN X:SUFFIX|STREETNAME ST:SUFFIX", 0, true},
      {"ISFIRSTSETTOKENA:NEXT,SUFFIX", "MAIN X:STREETNAME|UNITNUM ST:SUFFIX", 0, false},
      {"ISFIRSTSETTOKENA:NEXT,SUFFIX", "MAIN X:SUFFIX|STREETNAME", 0, false},
      {"ISFIRSTSETTOKENA:NEXT,SUFFIX", "MAIN APT:UNITLABEL ST:SUFFIX", 0, false},
      // ... from the first token up to the current one.
      {"ISFIRSTSETTOKENA:STREETNUM", "N:PREDIR|STREETNUM 12:STREETNUM MAIN", 2, true},
      {"ISFIRSTSETTOKENA:STREETNUM", "N:PREDIR 12:STREETNUM MAIN", 2, false},
      {"ISFIRSTSETTOKENA:STREETNUM", "MAIN X", 0, false},
      {"ISFIRSTSETTOKENA", "MAIN X", 0, true},
      // ... and before it: the last settled meaning, and m possible just before.
      {"ISFIRSTSETTOKENA:PREV,STREETNUM", "12:STREETNUM X:STREETNUM|STREETNAME Y", 2, true},
      {"ISFIRSTSETTOKENA:PREV,STREETNUM", "12:STREETNUM X:STREETNAME|UNITNUM Y", 2, false},
      {"ISFIRSTSETTOKENA:PREV,STREETNUM", "12:STREETNUM 3:UNITNUM Y", 2, false},
      {"NUMBERFOLLOWSPREFIX", "X HWY:PREFIX 12", 0, true},
      {"NUMBERFOLLOWSPREFIX", "X 12 HWY:PREFIX", 0, false},
      {"NUMBERFOLLOWSPREFIX", "X HWY:PREFIX MAIN", 0, false},
      {"NUMBERPRECEDESSUFFIX", "X 12 ST:SUFFIX", 0, true},
      {"NUMBERPRECEDESSUFFIX", "X MAIN ST:SUFFIX", 0, false},
      {"NUMBERPRECEDESSUFFIX", "X ST:SUFFIX 12", 0, false},
      {"ISTOKENA:NEXT99999999999,STREETNUM", "X 12:STREETNUM", 0, false},
  };
  for (const auto& [condition, written, position, expected] : rows) {
    TokenList tokens = makeTokens(written, "US");
    EXPECT_EQ(expected, evaluate(condition, tokens, position))
        << condition << " at " << position << " of [" << written << "]";
  }
}

TEST_F(ConditionEvaluatorTest, OnlyOnceRemovesBothDirectionalsOnceOneIsSettled) {
  TokenList tokens = makeTokens("N:PREDIR W", "US");
  EXPECT_TRUE(evaluate("ONLYONCE:PREDIR", tokens, 1));
  EXPECT_EQ(
      "STREETNUM|STREETNAME|PREFIX|SUFFIX|UNITNUM|UNITLABEL|BUILDINGSIDE|UNITSIDE|"
      "BUILDINGTYPE|COUNTY|POBOXNUM|POBOXTYPE|RRHCLABEL|RRHCNUM|RRHCBOXNUM",
      dumpCandidates(*tokens[1]));

  TokenList unsettled = makeTokens("N W", "US");
  EXPECT_TRUE(evaluate("ONLYONCE:PREDIR,3", unsettled, 1));
  EXPECT_EQ(17u, unsettled[1]->candidateCount());
}

TEST_F(ConditionEvaluatorTest, SkippedOperandsHaveNoSideEffects) {
  TokenList tokens = makeTokens("N:PREDIR W", "US");
  EXPECT_FALSE(evaluate("ISFIRSTTOKEN AND ONLYONCE:PREDIR", tokens, 1));
  EXPECT_TRUE(evaluate("ISLASTTOKEN OR ONLYONCE:PREDIR", tokens, 1));
  EXPECT_FALSE(evaluate("NOT (ISLASTTOKEN OR ONLYONCE:PREDIR)", tokens, 1));
  EXPECT_TRUE(evaluate("NOT (NOT ISLASTTOKEN AND ONLYONCE:PREDIR)", tokens, 1));
  EXPECT_EQ(17u, tokens[1]->candidateCount());
  // Reached through a negated operand that did not decide, it does its work.
  EXPECT_FALSE(evaluate("NOT (NOT ISLASTTOKEN OR ONLYONCE:PREDIR)", tokens, 1));
  EXPECT_EQ(15u, tokens[1]->candidateCount());
}

// Operators combine exactly as in boolean logic, at any nesting.
TEST_F(ConditionEvaluatorTest, OperatorsCombineLikeBooleanLogic) {
  // At the first of two tokens ISFIRSTTOKEN holds and ISLASTTOKEN fails.
  const std::pair<const char*, bool> rows[] = {
      {"ISFIRSTTOKEN AND ISLASTTOKEN", false},
      {"NOT (ISFIRSTTOKEN AND ISLASTTOKEN)", true},
      {"NOT ((ISLASTTOKEN OR NOT ISFIRSTTOKEN) AND ISFIRSTTOKEN) AND ISFIRSTTOKEN", true},
      {"ISLASTTOKEN AND ISFIRSTTOKEN OR ISFIRSTTOKEN", true},   // ((A AND B) OR C)
      {"ISFIRSTTOKEN OR ISFIRSTTOKEN AND ISLASTTOKEN", false},  // ((A OR B) AND C)
  };
  TokenList tokens = makeTokens("A B", "US");
  zeb_test::ExpectEach(rows, [&](const char* condition) { return evaluate(condition, tokens, 0); });
}

// A condition compiles once, on its first evaluation; a broken one fails on every
// evaluation, never silently.
TEST_F(ConditionEvaluatorTest, ConditionCompilesOnFirstEvaluation) {
  TokenList tokens = makeTokens("12 MAIN", "US");
  for (const char* holds : {"", "   "}) {
    Rule rule;
    rule.condition = holds;
    EXPECT_TRUE(evaluateCondition(config(), rule, tokens, 0)) << "[" << holds << "]";
  }
  Rule rule;
  rule.condition = "ISNUMBER AND ISFIRSTTOKEN";
  EXPECT_TRUE(evaluateCondition(config(), rule, tokens, 0));
  const ConditionNode* first = &rule.compiledCondition();
  EXPECT_FALSE(evaluateCondition(config(), rule, tokens, 1));
  EXPECT_EQ(first, &rule.compiledCondition());

  for (const char* condition : {"ISTOKENA:streetnum", "ISNUMBER AND", "NOT"}) {
    Rule broken;
    broken.condition = condition;
    for (int attempt = 0; attempt < 3; ++attempt) {
      EXPECT_THROW(evaluateCondition(config(), broken, tokens, 0), Tarn_Exception) << condition;
    }
  }
}

TEST_F(ConditionEvaluatorTest, DeepNestingEvaluatesWithoutRecursion) {
  constexpr int kDepth = 200000;
  TokenList tokens = makeTokens("12", "US");
  const std::string negated = zeb_test::Repeated("NOT ", kDepth);
  EXPECT_TRUE(evaluate(negated + "ISNUMBER", tokens, 0));
  EXPECT_FALSE(evaluate("NOT " + negated + "ISNUMBER", tokens, 0));

  EXPECT_TRUE(
      evaluate(std::string(kDepth, '(') + "ISNUMBER" + std::string(kDepth, ')'), tokens, 0));

  const std::string chain = "ISNUMBER" + zeb_test::Repeated(" AND ISNUMBER", kDepth);
  EXPECT_TRUE(evaluate(chain, tokens, 0));
  EXPECT_FALSE(evaluate(chain + " AND ISLETTER", tokens, 0));
}

TEST_F(ConditionEvaluatorTest, EmptyTokenListMakesEveryLeafFalse) {
  TokenList tokens;
  EXPECT_FALSE(evaluate("ISNUMBER", tokens, 0));
  EXPECT_TRUE(evaluate("NOT WEHAVE:STREETNUM", tokens, 0));
}

// Several threads reach a rule's first evaluation together: one compiles, all see
// the same tree, and a broken rule throws on every thread.
TEST_F(ConditionEvaluatorTest, ConcurrentFirstEvaluationCompilesOnce) {
  constexpr int kThreads = 8;
  constexpr int kRounds = 20;
  for (int round = 0; round < kRounds; ++round) {
    Rule rule;
    rule.condition = "ISNUMBER AND NOT ISLETTER AND (ISFIRSTTOKEN OR WEHAVE:PREV,STREETNUM)";
    Rule broken;
    broken.condition = "ISTOKENA:streetnum";
    std::latch start(kThreads);
    std::atomic<int> held{0};
    std::atomic<int> thrown{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
      threads.emplace_back([&] {
        TokenList tokens = addr_test::makeTokens("12 MAIN", "ZZ");
        start.arrive_and_wait();
        if (evaluateCondition(config(), rule, tokens, 0)) ++held;
        try {
          evaluateCondition(config(), broken, tokens, 0);
        } catch (const Tarn_Exception&) {
          ++thrown;
        }
      });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(kThreads, held.load());
    EXPECT_EQ(kThreads, thrown.load());
  }
}

}  // namespace
}  // namespace addr
