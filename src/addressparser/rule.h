// A rule of the address parser as loaded from a RULE element, and the loading of a
// rule group. Tested by tests/addressparser/rule_loader_test.cc.
#pragma once

#include <libxml/tree.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "addressparser/condition_node.h"
#include "addressparser/token.h"

namespace addr {

struct ConditionProgram;

struct Rule {
  Rule() = default;
  Rule(const Rule&) = delete;
  Rule& operator=(const Rule&) = delete;
  ~Rule();

  std::string name;
  std::string description;
  std::string condition;
  std::vector<TokenMeaning> eliminate;
  TokenMeaning set = UNKNOWN;
  TokenMeaning setNext = UNKNOWN;
  bool terminal = false;
  bool withContext = false;

  // The compiled condition and the program evaluation runs (which points into the
  // tree), owned by the rule; null until the first evaluation. Records are parsed on
  // many threads: the first compilation runs under compileMutex and publishes the
  // tree, then the program, with release stores, so evaluation reads the program
  // lock-free with an acquire load. A compilation that throws publishes nothing, so
  // the next evaluation compiles (and throws) again.
  std::atomic<ConditionNode*> compiledCondition{nullptr};
  std::atomic<ConditionProgram*> compiledProgram{nullptr};
  std::mutex compileMutex;
};

using RuleList = std::vector<std::unique_ptr<Rule>>;

// Appends the rules of the first NOCONTEXT (withContext false) or WITHCONTEXT child.
void loadRuleGroup(xmlNodePtr ruleSetElement, bool withContext, RuleList& rules);
void loadRule(Rule& rule, xmlNodePtr ruleElement);

}  // namespace addr
