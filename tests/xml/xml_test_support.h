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

// ASCII text as UTF-16LE, without a byte-order mark.
inline std::string Utf16Le(const std::string& ascii) {
  std::string bytes;
  for (char c : ascii) bytes += {c, '\0'};
  return bytes;
}

// UTF-16LE text, with its byte-order mark, that holds a lone high surrogate between
// `before` and `after` (both ASCII), which libxml2 fails to convert.
inline std::string BrokenUtf16(const std::string& before, const std::string& after) {
  return "\xff\xfe" + Utf16Le(before) + std::string("\x00\xd8", 2) + Utf16Le(after);
}

}  // namespace xml_test
