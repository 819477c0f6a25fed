// The XML side of the configuration loader, private to its .cc files
// (config_loader.cc, rule_loader.cc): the loaders visit the first child of a name
// and then each following sibling element of the same name, skipping text, comments
// and differently named elements in between. No other file of the parser sees
// libxml2. Tested through the loader, by tests/addressparser/parser_config_test.cc.
#pragma once

#include <libxml/tree.h>

#include <cstring>
#include <string>

#include "addressparser/rule.h"
#include "xml/xml_doc.h"

namespace addr {

// The first child element of `node` named `name`; null when `node` is null (an
// absent section), so that a chain of look-ups needs no check at every step.
inline xmlNodePtr firstChildNamed(xmlNodePtr node, const std::string& name) {
  return node == nullptr ? nullptr : FindChildElement(node, name);
}

// The next sibling element after `node` whose name equals the name of `node`.
inline xmlNodePtr nextElementOfSameName(xmlNodePtr node) {
  if (node == nullptr) return nullptr;
  for (xmlNodePtr sibling = node->next; sibling != nullptr; sibling = sibling->next) {
    if (sibling->type == XML_ELEMENT_NODE && sibling->name != nullptr && node->name != nullptr &&
        std::strcmp(reinterpret_cast<const char*>(sibling->name),
                    reinterpret_cast<const char*>(node->name)) == 0) {
      return sibling;
    }
  }
  return nullptr;
}

// Appends the rules of the first NOCONTEXT (withContext false) or WITHCONTEXT child.
void loadRuleGroup(xmlNodePtr ruleSetElement, bool withContext, RuleList& rules);

}  // namespace addr
