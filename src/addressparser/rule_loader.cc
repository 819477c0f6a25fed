// Loading of RULE elements into Rule records. Tested by parser_config_test.cc.
//
// Nothing is checked at load time: unknown meaning names become UNKNOWN and the
// condition text is compiled only when a record first reaches the rule.
#include <utility>

#include "addressparser/config_xml.h"
#include "addressparser/rule.h"
#include "common/string_util.h"

namespace addr {
namespace {

// "YES" in any ASCII letter case; nothing else (no trimming, no "Y" or "TRUE").
bool isYes(std::string_view text) {
  static constexpr char kYes[] = "YES";
  if (text.size() != 3) return false;
  for (size_t i = 0; i < 3; ++i) {
    if (cmn::AsciiUpper(text[i]) != kYes[i]) return false;
  }
  return true;
}

TokenMeaning meaningOf(const std::string& text) {
  return text.empty() ? UNKNOWN : meaningFromName(text);
}

void loadRule(Rule& rule, xmlNodePtr ruleElement) {
  rule.name = NodeAttribute(ruleElement, "name", "");
  rule.description = NodeAttribute(ruleElement, "description", "");
  rule.condition = NodeAttribute(ruleElement, "condition", "");
  rule.setText = NodeAttribute(ruleElement, "set", "");
  rule.setNextText = NodeAttribute(ruleElement, "setNext", "");
  rule.eliminateText = NodeAttribute(ruleElement, "eliminate", "");

  // Empty pieces (doubled, leading or trailing commas) are skipped; pieces are not
  // trimmed, so "PREDIR, POSTDIR" yields PREDIR and UNKNOWN, which eliminates nothing.
  if (!rule.eliminateText.empty()) {
    std::vector<std::string> pieces;
    cmn::Split(rule.eliminateText, pieces, ",");
    for (const std::string& piece : pieces) rule.eliminate.push_back(meaningFromName(piece));
  }

  rule.terminal = isYes(NodeAttribute(ruleElement, "terminal", ""));
  rule.set = meaningOf(rule.setText);
  rule.setNext = meaningOf(rule.setNextText);
}

}  // namespace

void loadRuleGroup(xmlNodePtr ruleSetElement, bool withContext, RuleList& rules) {
  xmlNodePtr group = firstChildNamed(ruleSetElement, withContext ? "WITHCONTEXT" : "NOCONTEXT");
  if (group == nullptr) return;
  // Only direct RULE children count: a RULE nested inside another is not a rule.
  for (xmlNodePtr element = firstChildNamed(group, "RULE"); element != nullptr;
       element = nextElementOfSameName(element)) {
    auto rule = std::make_unique<Rule>();
    rule->withContext = withContext;
    loadRule(*rule, element);
    rules.push_back(std::move(rule));
  }
}

}  // namespace addr
