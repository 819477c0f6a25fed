// checkRule: what a rule would get wrong quietly at run time. Tested by
// parser_config_test.cc and end to end by tests/tools/zebparse_test.cc (zebparse check).
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "addressparser/address_parser.h"
#include "addressparser/condition_compiler.h"

namespace addr {

std::vector<RuleProblem> checkRule(const RuleText& rule) {
  std::vector<RuleProblem> problems;
  try {
    std::unique_ptr<ConditionNode> tree = compileCondition(rule.condition);
    if (tree) {
      for (std::string& keyword : unknownKeywords(*tree)) {
        problems.push_back({RuleProblem::kUnknownKeyword, std::move(keyword)});
      }
      for (std::string& term : termsMissingMeaning(*tree)) {
        problems.push_back({RuleProblem::kTermMissingMeaning, std::move(term)});
      }
    }
  } catch (const std::exception& e) {
    problems.push_back({RuleProblem::kDoesNotCompile, e.what()});
  }
  auto isNoMeaning = [](const std::string& name) {
    return !name.empty() && meaningFromName(name) == UNKNOWN;
  };
  if (isNoMeaning(rule.setText)) problems.push_back({RuleProblem::kSetIsNoMeaning, rule.setText});
  if (isNoMeaning(rule.setNextText)) {
    problems.push_back({RuleProblem::kSetNextIsNoMeaning, rule.setNextText});
  }
  // Every piece between commas, as the loader reads them.
  const std::string& eliminate = rule.eliminateText;
  for (size_t start = 0; start <= eliminate.size();) {
    size_t comma = eliminate.find(',', start);
    if (comma == std::string::npos) comma = eliminate.size();
    std::string piece = eliminate.substr(start, comma - start);
    if (isNoMeaning(piece)) problems.push_back({RuleProblem::kEliminateIsNoMeaning, piece});
    start = comma + 1;
  }
  return problems;
}

}  // namespace addr
