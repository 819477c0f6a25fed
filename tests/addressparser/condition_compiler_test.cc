// Tests of the condition compiler: its stages, precedence, the spellings of a term,
// keyword and parameter rules, and the conditions it must reject.
#include "addressparser/condition_compiler.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "addressparser/condition_keywords.h"
#include "addressparser/parser_fixture.h"
#include "errors/tarn_exception.h"
#include "test_checks.h"

namespace addr {
namespace {

std::string compiled(const std::string& condition) {
  return dumpCondition(*compileCondition(condition));
}

TEST(ConditionCompilerStages, ParenthesesAreCutOutThenJoinTheirTerms) {
  struct Row {
    const char* condition;
    const char* split;   // after splitParentheses
    const char* joined;  // after joinTermParameters
  } rows[] = {
      {"ISTOKENA(NEXT,PREFIX)", "ISTOKENA ( NEXT,PREFIX )", "ISTOKENA:NEXT,PREFIX"},
      {"((X))", "( ( X ) )", "( ( X ) )"},
      {"NOT(X)AND(Y)", "NOT ( X ) AND ( Y )", "NOT ( X ) AND ( Y )"},  // NOT is no operand
      {"ISTOKENA ( PREFIX ) AND X", "ISTOKENA ( PREFIX ) AND X", "ISTOKENA:PREFIX AND X"},
      {"ISTOKENA(NEXT, PREFIX)", "ISTOKENA ( NEXT, PREFIX )", "ISTOKENA ( NEXT, PREFIX )"},
      {"  X   Y  ", "X Y", "X Y"},
  };
  for (const Row& row : rows) {
    const std::vector<std::string> split = splitParentheses(splitConditionWords(row.condition));
    EXPECT_EQ(row.split, addr_test::joined(split, " ")) << row.condition;
    EXPECT_EQ(row.joined, addr_test::joined(joinTermParameters(split), " ")) << row.condition;
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
  for (const auto& [condition, tree] : rows) EXPECT_EQ(tree, compiled(condition)) << condition;
}

TEST(ConditionCompilerLeaf, KeywordsIgnoreCaseOffsetsAndParametersDoNot) {
  struct Row {
    const char* term;
    int32_t keyword;
    int32_t offset;
    std::vector<TokenMeaning> parameters;
  } rows[] = {
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
  for (const Row& row : rows) {
    auto leaf = compileLeaf(row.term);
    EXPECT_EQ(row.keyword, leaf->keyword) << row.term;
    EXPECT_EQ(row.offset, leaf->offset) << row.term;
    EXPECT_EQ(row.parameters, leaf->parameters) << row.term;
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
  for (const auto& [item, offset] : rows) EXPECT_EQ(offset, parseOffset(item)) << item;
}

// The exception rule authors see: every field of it is part of the interface.
TEST(ConditionCompilerErrors, UnknownParameterNamesTheItem) {
  for (const char* item : {"streetnum", "3a", "=>"}) {
    std::string condition = std::string("ISTOKENA:PREFIX,") + item;
    const auto e = zeb_test::Thrown<Tarn_Exception>([&] { compileCondition(condition); });
    ASSERT_TRUE(e) << condition << " compiled";
    EXPECT_EQ("KVD", e->component) << condition;
    EXPECT_EQ(CRITICAL_ERROR, e->severity) << condition;
    const ExceptionMessage message = e->firstMessage();
    EXPECT_EQ("0000E", message.id) << condition;
    EXPECT_EQ("{0}", message.messageTemplate) << condition;
    EXPECT_EQ(message.arguments,
              std::vector<std::string>{"Error reading address parser rules. Unknown parameter: " +
                                       std::string(item)});
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
  std::string parenthesised(kDepth, '(');
  parenthesised += "X";
  parenthesised += std::string(kDepth, ')');
  EXPECT_EQ("X", compiled(parenthesised));

  std::string negated;
  for (int i = 0; i < kDepth; ++i) negated += "NOT ";
  negated += "X";
  auto tree = compileCondition(negated);
  EXPECT_EQ(NOT, tree->nodeKind);
  EXPECT_TRUE(zeb_test::Holds(dumpCondition(*tree), "..."));
}

// A program as "entry step...", each step "index:KEYWORD?onTrue:onFalse", the
// outcomes written T and F.
std::string program(const std::string& condition) {
  auto tree = compileCondition(condition);
  const ConditionProgram compiledProgram = compileProgram(*tree);
  auto exit = [](uint32_t at) {
    if (at == kConditionHolds) return std::string("T");
    if (at == kConditionFails) return std::string("F");
    return std::to_string(at);
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
  for (const auto& [condition, expected] : rows) {
    EXPECT_EQ(expected, program(condition)) << condition;
  }
}

}  // namespace
}  // namespace addr
