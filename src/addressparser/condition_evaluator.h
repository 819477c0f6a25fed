// Evaluates rule conditions at a token position, compiling a rule's condition on its
// first evaluation. Tested by tests/addressparser/condition_evaluator_test.cc.
//
// Evaluation walks the tree with an explicit stack (a fuzzed condition can nest
// deeper than the call stack allows) and allocates nothing for trees up to
// kInlineEvaluationDepth deep: keyword tests read AddressToken::folded and the
// word lists' folded look-ups.
//
// A keyword that reads a meaning (WEHAVE, WEHAVEPOSSIBLETOKENMEANING, ISTOKENA,
// ISFIRSTSETTOKENA, CANTOKENBEA) written without one tests the meaning UNKNOWN, as
// does a digit or comparison item in its place: ISTOKENA then holds for an unsettled
// token, WEHAVE when some token in its scope is unsettled, and the candidate tests
// are false. No test reads or writes past the 17 candidate flags.
#pragma once

#include <cstddef>

#include "addressparser/condition_node.h"
#include "addressparser/rule.h"
#include "addressparser/token.h"

namespace addr {

inline constexpr size_t kInlineEvaluationDepth = 32;

// True when the rule's condition is empty; otherwise compiles it on first use and
// evaluates it at `position`. May change the candidates and meanings of tokens
// (ONLYONCE, and every settledMeaning that records a token's only candidate).
// Throws what compileCondition throws, on every evaluation of a rule whose condition
// does not compile.
bool evaluateCondition(Rule& rule, TokenList& tokens, size_t position);

// The rule's compiled condition, compiled on first use. Safe when several threads
// reach the same rule at once: the first compiles under the rule's compileMutex and
// publishes the tree with a release store; later calls take no lock. A compilation
// that throws publishes nothing, so the next call compiles (and throws) again.
// The rule's condition must not be empty.
const ConditionNode& compiledConditionOf(Rule& rule);

// Evaluates a compiled tree at `position`. "AND" and "OR" skip their right operand
// once the left decides, so its side effects happen only when it is reached.
bool evaluateConditionNode(const ConditionNode& root, TokenList& tokens, size_t position);

}  // namespace addr
