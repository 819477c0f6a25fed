// Selection of the address elements of a record document.
// Tested by tests/plugin/record_processing_test.cc.
#include "plugin/address_elements.h"

#include <cstring>

namespace plugin {
namespace {

// An XPath name test without prefix: an element of that name in no namespace.
bool IsPlainElement(xmlNodePtr node, const char* name) {
  return node->type == XML_ELEMENT_NODE && node->ns == nullptr &&
         std::strcmp(reinterpret_cast<const char*>(node->name), name) == 0;
}

// libxml2 compares a node with a string in two steps: a hash of the first two bytes
// of the node's text, taken from text and CDATA descendants only (entity references
// are not followed), and then the full string value (entity references followed).
// Both must agree for a match, so text that only an entity supplies at the start
// never matches. This is xmlXPathNodeValHash's walk, for an element.
unsigned int LeadingTextHash(xmlNodePtr element) {
  unsigned int hash = 0;
  bool haveFirstByte = false;
  xmlNodePtr node = element->children;
  while (node != nullptr) {
    const xmlChar* text = nullptr;
    if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
      text = node->content;
    }
    if (text != nullptr && text[0] != 0) {
      if (haveFirstByte) {
        return hash + (static_cast<unsigned int>(text[0]) << 8);
      }
      if (text[1] != 0) {
        return static_cast<unsigned int>(text[0]) + (static_cast<unsigned int>(text[1]) << 8);
      }
      haveFirstByte = true;
      hash = text[0];
    }
    // An entity reference's child is its declaration: not descended into.
    if (node->children != nullptr && node->type != XML_DTD_NODE &&
        node->children->type != XML_ENTITY_DECL) {
      node = node->children;
      continue;
    }
    while (node != nullptr && node->next == nullptr) {
      node = node->parent;
      if (node == element) node = nullptr;
    }
    if (node != nullptr) node = node->next;
  }
  return hash;
}

unsigned int StringHash(const char* text) {
  if (text[0] == '\0') return 0;
  return static_cast<unsigned int>(static_cast<unsigned char>(text[0])) +
         (static_cast<unsigned int>(static_cast<unsigned char>(text[1])) << 8);
}

// XPath's FELEM_CODE = 'code' for one FELEM_CODE element. The usual element holds one
// text node and is compared in place.
bool CodeEquals(xmlNodePtr codeElement, const char* code) {
  xmlNodePtr child = codeElement->children;
  if (child == nullptr) {
    return code[0] == '\0';
  }
  if (child->next == nullptr &&
      (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE)) {
    const char* text = child->content != nullptr ? reinterpret_cast<const char*>(child->content) : "";
    return std::strcmp(text, code) == 0;
  }
  if (LeadingTextHash(codeElement) != StringHash(code)) {
    return false;
  }
  xmlChar* content = xmlNodeGetContent(codeElement);
  bool equal = std::strcmp(content != nullptr ? reinterpret_cast<const char*>(content) : "", code) == 0;
  xmlFree(content);
  return equal;
}

// Records `element` for every code, not yet found, that one of its FELEM_CODE
// children carries. Returns how many codes were newly found.
size_t MatchCodes(xmlNodePtr element, AddressElements& found) {
  size_t newlyFound = 0;
  for (xmlNodePtr child = element->children; child != nullptr; child = child->next) {
    if (!IsPlainElement(child, "FELEM_CODE")) {
      continue;
    }
    // The usual FELEM_CODE holds one text node: its text is compared with each code
    // directly, most codes failing on the first byte.
    xmlNodePtr text = child->children;
    if (text == nullptr || (text->next == nullptr && (text->type == XML_TEXT_NODE ||
                                                      text->type == XML_CDATA_SECTION_NODE))) {
      const char* value = text != nullptr && text->content != nullptr
                              ? reinterpret_cast<const char*>(text->content)
                              : "";
      for (size_t code = 0; code < kAddressCodeCount; ++code) {
        const char* name = kAddressCodes[code];
        if (found[code] == nullptr && value[0] == name[0] && std::strcmp(value, name) == 0) {
          found[code] = element;
          ++newlyFound;
        }
      }
      continue;
    }
    for (size_t code = 0; code < kAddressCodeCount; ++code) {
      if (found[code] == nullptr && CodeEquals(child, kAddressCodes[code])) {
        found[code] = element;
        ++newlyFound;
      }
    }
  }
  return newlyFound;
}

}  // namespace

std::string AddressElementXPath(AddressCode code) {
  return std::string("/STD_BOM/OBS_FEAT/OBS_FELEM[./FELEM_CODE = '") + kAddressCodes[code] +
         "']";
}

AddressElements SelectAddressElements(xmlDocPtr doc) {
  AddressElements found{};
  if (doc == nullptr) {
    return found;
  }
  size_t foundCount = 0;
  // Document order: every OBS_FEAT under every STD_BOM, each OBS_FELEM in turn.
  for (xmlNodePtr root = doc->children; root != nullptr; root = root->next) {
    if (!IsPlainElement(root, "STD_BOM")) {
      continue;
    }
    for (xmlNodePtr feature = root->children; feature != nullptr; feature = feature->next) {
      if (!IsPlainElement(feature, "OBS_FEAT")) {
        continue;
      }
      for (xmlNodePtr element = feature->children; element != nullptr; element = element->next) {
        if (IsPlainElement(element, "OBS_FELEM")) {
          foundCount += MatchCodes(element, found);
          if (foundCount == kAddressCodeCount) {
            return found;
          }
        }
      }
    }
  }
  return found;
}

FlatAddressElements SelectAddressElements(const xml::FlatDocument& doc) {
  using Index = xml::FlatDocument::Index;
  constexpr Index kNone = xml::FlatDocument::kNone;
  FlatAddressElements found;
  found.fill(kNone);
  if (doc.Name(0) != "STD_BOM") {
    return found;
  }
  // A flat document has no namespaces, and an element's string value is the text of
  // its descendants, which is what the XPath comparison looks at.
  size_t foundCount = 0;
  for (Index feature = doc.FirstChild(0, "OBS_FEAT"); feature != kNone;
       feature = doc.NextSibling(feature, "OBS_FEAT")) {
    for (Index element = doc.FirstChild(feature, "OBS_FELEM"); element != kNone;
         element = doc.NextSibling(element, "OBS_FELEM")) {
      for (Index code = doc.FirstChild(element, "FELEM_CODE"); code != kNone;
           code = doc.NextSibling(code, "FELEM_CODE")) {
        std::string nested;
        const std::string_view value =
            doc.HasChildren(code) ? std::string_view(nested = doc.Content(code)) : doc.Text(code);
        if (value.empty()) continue;
        for (size_t i = 0; i < kAddressCodeCount; ++i) {
          if (found[i] == kNone && value[0] == kAddressCodes[i][0] && value == kAddressCodes[i]) {
            found[i] = element;
            if (++foundCount == kAddressCodeCount) return found;
          }
        }
      }
    }
  }
  return found;
}

}  // namespace plugin
