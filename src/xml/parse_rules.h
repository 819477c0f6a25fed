// What XMLDoc holds a document to beyond libxml2's own checks (see XMLDoc::Rules), and
// the one wording of every refusal, whichever of libxml2's parsers found it.
// Tested by tests/xml/xml_doc_test.cc.
#pragma once

#include <cstddef>
#include <string>

#include <libxml/parser.h>

#include "xml/xml_doc.h"

namespace xml {

// Watches one parse through the SAX callbacks of `context` and stops it at the first
// thing the rules refuse: a record document's DOCTYPE before its internal subset is
// read, any declaration of an entity before anything could be expanded, an element
// one level too deep. Attach it after libxml2 has set up the context for the parse
// (its options included) and before the parse starts; it must outlive the parse.
class ParseGuard {
 public:
  ParseGuard(xmlParserCtxtPtr context, XMLDoc::Rules rules) : context_(context), rules_(rules) {}
  ~ParseGuard() { context_->_private = nullptr; }
  ParseGuard(const ParseGuard&) = delete;
  ParseGuard& operator=(const ParseGuard&) = delete;

  void Attach();
  // Why the parse was stopped; empty when it was not.
  const std::string& refusal() const { return refusal_; }

 private:
  static ParseGuard* Of(void* context);
  void Refuse(std::string reason);

  static void InternalSubset(void* context, const xmlChar* name, const xmlChar* externalId,
                             const xmlChar* systemId);
  static void EntityDecl(void* context, const xmlChar* name, int type, const xmlChar* publicId,
                         const xmlChar* systemId, xmlChar* content);
  static void UnparsedEntityDecl(void* context, const xmlChar* name, const xmlChar* publicId,
                                 const xmlChar* systemId, const xmlChar* notation);
  static xmlEntityPtr GetEntity(void* context, const xmlChar* name);
  static void StartElement(void* context, const xmlChar* localName, const xmlChar* prefix,
                           const xmlChar* uri, int namespaceCount, const xmlChar** namespaces,
                           int attributeCount, int defaultedCount, const xmlChar** attributes);
  static void EndElement(void* context, const xmlChar* localName, const xmlChar* prefix,
                         const xmlChar* uri);

  const xmlParserCtxtPtr context_;
  const XMLDoc::Rules rules_;
  int depth_ = 0;
  std::string refusal_;
};

// The refusal of text that holds, written raw, a character XML cannot carry (see
// XMLDoc::Rules); empty when it holds none. Such characters are found before
// libxml2 parses, because its two parsers report them differently or not at all: the
// parser reading from memory takes a NUL for the end of the text and silently drops
// what follows.
std::string FindRawCharacterRefusal(const char* text, size_t length);

// Why libxml2 failed to parse, in the words of the rules where it found what they
// refuse. `generic` is what it reported outside the context, if anything.
std::string DescribeFailure(xmlParserCtxtPtr context, const std::string& generic);

}  // namespace xml
