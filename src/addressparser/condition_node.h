// The compiled form of a rule condition: a tree of ConditionNode records. Each node
// owns its operands. Built by compileCondition, laid out for evaluation by compileProgram.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "addressparser/token.h"

namespace addr {

enum ConditionNodeKind : int32_t { LEAF = 0, NOT = 1, AND = 2, OR = 3 };

struct ConditionNode {
  std::unique_ptr<ConditionNode> left;   // first operand of AND and OR
  std::unique_ptr<ConditionNode> right;  // second operand of AND and OR, only one of NOT
  std::string operatorText;
  std::string termText;
  ConditionNodeKind nodeKind = LEAF;
  int32_t keyword = 0;  // 0: no keyword (such a leaf evaluates false)
  std::string parameterText;
  int32_t offset = 0;
  std::vector<TokenMeaning> parameters;

  // Releases the operands iteratively: a fuzzed condition can nest deeply enough to
  // overflow the stack of a recursive destructor.
  ~ConditionNode();
};

}  // namespace addr
