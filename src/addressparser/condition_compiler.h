// Compiles the text of a rule condition into a ConditionNode tree, in visible
// stages: split on blanks, splitParentheses, joinTermParameters, the tree builder,
// and the compilation of each leaf (parseConditionParameters, parseOffset); then the
// tree into the ConditionProgram that evaluation runs (compileProgram).
// Tested by tests/addressparser/condition_test.cc.
//
// Nothing here recurses over the tree: conditions come from configuration files and
// fuzzers, and a deeply nested one must not overflow the stack.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "addressparser/condition_node.h"
#include "addressparser/condition_program.h"
#include "addressparser/token.h"

namespace addr {

// Compiles a condition. The caller owns the tree.
//
// Throws Tarn_Exception (component "KVD", CRITICAL ERROR, message "0000E" with
// template "{0}") when a parameter item is neither a meaning name, an offset word, a
// digit string nor a comparison word, and when an operator lacks its operands ("AND"
// alone, "NOT" alone, "()"): a broken rule must not pass silently.
//
// Deliberate quirks of the language, kept so existing rule files read the same:
// an unmatched ")" is ignored; an unmatched "(" wraps what follows in a leaf with no
// keyword, so that part is false; operands written side by side without an operator
// leave only the last one. A condition made of blanks only holds, like an empty one.
std::unique_ptr<ConditionNode> compileCondition(std::string_view conditionText);

// Lays the tree's leaves out as steps with their exits (see condition_program.h).
// A leaf that names no keyword, and an operator missing an operand, is false
// without testing anything, so it becomes a jump to its failure exit.
ConditionProgram compileProgram(const ConditionNode& root);

// Stage 1: the words between blanks (only the blank character separates).
std::vector<std::string> splitConditionWords(std::string_view conditionText);
// Stage 2: cuts "(" and ")" out of every word, so each stands as a word of its own.
// Cuts at every parenthesis at once, which is the fixed point that cutting at the
// first one and repeating until the word count stops changing reaches.
std::vector<std::string> splitParentheses(const std::vector<std::string>& words);
// Stage 3: an operand followed by "(", an operand and ")" becomes "operand:operand".
std::vector<std::string> joinTermParameters(const std::vector<std::string>& words);

// Compiles one term ("KEYWORD" or "KEYWORD:parameters") into a leaf.
std::unique_ptr<ConditionNode> compileLeaf(const std::string& word);

struct ConditionParameters {
  int32_t offset = 0;
  std::vector<TokenMeaning> parameters;
};
// Reads the text after a term's ":"; throws on an unknown item (see compileCondition).
ConditionParameters parseConditionParameters(std::string_view parameterText);
// "PREVn" gives -n, "NEXTn" gives n, with n 0 or missing read as 1; any other item
// gives 0. n is read like a C integer (blanks, sign, digits) and clamped to 32 bits.
int32_t parseOffset(std::string_view item);

// LENGTHIS's test from its parameter text: the first all-digit item is the number
// (saturating at 2^62), the item before it the comparison (equality when there is
// none or it is no comparison word); no such item, kNever.
LengthTest parseLengthTest(std::string_view parameterText);

// A compact one-line rendering of a tree for tests and diagnostics:
// "AND(OR(X,Y),NOT(Z))", leaves as their term text ("ISTOKENA:PREFIX"), an unmatched
// "(" as "OPEN(...)". Nesting deeper than kMaxDumpDepth prints "...".
inline constexpr size_t kMaxDumpDepth = 200;
std::string dumpCondition(const ConditionNode& root);

// For `zebparse check`: the keyword texts of leaves that name no keyword (they
// evaluate false), and the terms of keywords that read a meaning but were written
// without one. In tree order (left to right).
std::vector<std::string> unknownKeywords(const ConditionNode& root);
std::vector<std::string> termsMissingMeaning(const ConditionNode& root);

}  // namespace addr
