// Helpers shared by the XML tests and the flat-document fuzz target.
#pragma once

#include <string>
#include <vector>

#include <libxml/tree.h>

namespace xml_test {

// The tree's elements in document order, which is a flat document's index order.
inline std::vector<xmlNodePtr> ElementsInOrder(xmlNodePtr root) {
  std::vector<xmlNodePtr> elements;
  std::vector<xmlNodePtr> stack = {root};
  while (!stack.empty()) {
    xmlNodePtr node = stack.back();
    stack.pop_back();
    elements.push_back(node);
    std::vector<xmlNodePtr> children;
    for (xmlNodePtr child = node->children; child != nullptr; child = child->next) {
      if (child->type == XML_ELEMENT_NODE) children.push_back(child);
    }
    stack.insert(stack.end(), children.rbegin(), children.rend());
  }
  return elements;
}

// UTF-16LE text with a lone high surrogate between `before` and `after` (both ASCII),
// which libxml2 fails to convert.
inline std::string BrokenUtf16(const std::string& before, const std::string& after) {
  std::string bytes = "\xff\xfe";
  for (char c : before) bytes += {c, '\0'};
  bytes += std::string("\x00\xd8", 2);
  for (char c : after) bytes += {c, '\0'};
  return bytes;
}

}  // namespace xml_test
