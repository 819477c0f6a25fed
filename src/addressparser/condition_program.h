// The form in which rule conditions are evaluated: the leaves of a ConditionNode tree
// laid out in an array, each naming the step that follows when its test holds and
// the one that follows when it fails. Built by compileProgram (condition_compiler.h),
// run by evaluateCondition (condition_evaluator.h).
//
// Evaluating "AND", "OR" and "NOT" with short circuits visits the leaves in an order
// that depends only on the last leaf reached and its value, so the operators vanish
// into the jumps: AND(a, b) sends a's success to b and its failure to the AND's own
// failure, OR(a, b) the other way round, and NOT swaps its operand's two exits. The
// program therefore tests exactly the leaves the tree walk tests, in the same order,
// with the same side effects, in one loop without recursion or a stack however
// deep the tree.
#pragma once

#include <cstdint>
#include <vector>

#include "addressparser/condition_node.h"
#include "addressparser/token.h"

namespace addr {

// Step indices at or above this are the outcome of the whole condition.
inline constexpr uint32_t kConditionFails = 0xFFFFFFFE;
inline constexpr uint32_t kConditionHolds = 0xFFFFFFFF;

// LENGTHIS, read from its parameter text once: a token's length in bytes compared
// with a number. kNever when the text holds no number.
enum class LengthComparison : uint8_t {
  kNever,
  kEqual,
  kNotEqual,
  kLess,
  kLessOrEqual,
  kGreater,
  kGreaterOrEqual,
};
struct LengthTest {
  LengthComparison comparison = LengthComparison::kNever;
  uint64_t length = 0;

  bool holdsFor(uint64_t tokenLength) const {
    switch (comparison) {
      case LengthComparison::kNever:
        return false;
      case LengthComparison::kEqual:
        return tokenLength == length;
      case LengthComparison::kNotEqual:
        return tokenLength != length;
      case LengthComparison::kLess:
        return tokenLength < length;
      case LengthComparison::kLessOrEqual:
        return tokenLength <= length;
      case LengthComparison::kGreater:
        return tokenLength > length;
      case LengthComparison::kGreaterOrEqual:
        return tokenLength >= length;
    }
    return false;
  }
};

struct ConditionStep {
  // Copied from the leaf, which the step's test reads for anything else.
  int32_t keyword = 0;
  int32_t offset = 0;
  TokenMeaning meaning = UNKNOWN;  // the leaf's first parameter, UNKNOWN when none
  uint32_t onTrue = kConditionHolds;
  uint32_t onFalse = kConditionFails;
  const ConditionNode* leaf = nullptr;  // in the tree the program was compiled from
  LengthTest lengthTest;                // for LENGTHIS
};

// Refers into the tree it was compiled from, which must outlive it. Steps are in the
// order of their leaves in the condition text, so every jump goes forward.
struct ConditionProgram {
  std::vector<ConditionStep> steps;
  uint32_t entry = kConditionHolds;  // first step, or the outcome when no leaf is tested
};

}  // namespace addr
