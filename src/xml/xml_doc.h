// XMLDoc: one parsed libxml2 document, with element search, XPath, node editing and
// single-line serialisation. Node handles are libxml2's own and live as long as the
// document. Tested by tests/xml/xml_doc_test.cc.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <libxml/tree.h>
#include <libxml/xpath.h>

namespace xml {

// Input limits, the same for both readers of record documents (XMLDoc and
// FlatDocument). Record documents come from the host in a fixed, shallow shape (four
// levels of elements, a few hundred bytes); the limits leave them ample room and
// bound the memory and time that any one record can take: a 1 MiB document of the
// densest markup builds a tree of about 40 MB in about 0.15 s.
inline constexpr size_t kLargestRecordDocument = 1 << 20;  // bytes
// Elements open at once, the root counting as one; libxml2's own default.
inline constexpr int kDeepestNesting = 256;

}  // namespace xml

class XMLDoc {
 public:
  // What a document is held to beyond being well-formed XML. Every document is
  // refused when it declares an entity (entities are never expanded), refers to an
  // entity that only a DTD outside the document could declare, nests elements deeper
  // than xml::kDeepestNesting, or holds a character that XML cannot carry (U+0000,
  // the other C0 controls but tab, line feed and carriage return, U+FFFE, U+FFFF;
  // raw or as a character reference). A record document is also refused when it has
  // a DOCTYPE at all or is larger than xml::kLargestRecordDocument.
  enum class Rules { kGeneral, kRecordDocument };

  XMLDoc() = default;
  ~XMLDoc();
  XMLDoc(const XMLDoc&) = delete;
  XMLDoc& operator=(const XMLDoc&) = delete;

  // Frees any document held, then parses `text`. Empty (or null) text leaves no
  // document; text that is not well-formed throws Tarn_Exception
  // ("XMLDoc::ParseXML()", "libxml2 error:...", MAJOR ERROR), and so does a document
  // that breaks `rules`, with a text of its own. A `fileName` is named in the error.
  void ParseXML(const char* text);
  void ParseXML(const char* text, size_t length, Rules rules = Rules::kGeneral,
                std::string_view fileName = {});

  xmlNodePtr Root() const;
  // The caller frees the result with FreeXPathResult.
  xmlXPathObjectPtr EvaluateXPath(const std::string& expression) const;
  xmlNodePtr FindElement(xmlNodePtr start, const std::string& name) const;
  // Serialises on one line without the XML declaration; returns the length.
  size_t Dump(std::string& output) const;
  // Dump as if the elements that `markup` writes (single-line, well-formed, see
  // xml::AppendEscapedText) had been appended as the last children of `parent`.
  // Returns false, with `output` empty, when only libxml2's serialiser can write this
  // tree: the caller then appends the nodes for real and calls Dump.
  bool DumpWithTrailingMarkup(std::string& output, xmlNodePtr parent,
                              std::string_view markup) const;

  xmlDocPtr document() const { return doc_; }

 private:
  xmlDocPtr doc_ = nullptr;  // owned
};

xmlNodePtr FindChildElement(xmlNodePtr node, const std::string& name);
std::string NodeName(xmlNodePtr node);
std::string NodeContent(xmlNodePtr node, const std::string& defaultText);
std::string NodeAttribute(xmlNodePtr node, const std::string& name, const std::string& defaultText);
void SetNodeContent(xmlNodePtr node, const std::string& text);
void SetNodeName(xmlNodePtr node, const std::string& name);
xmlNodePtr NewChild(xmlNodePtr parent, const std::string& name);
xmlNodePtr NewTextChild(xmlNodePtr parent, const std::string& name, const std::string& text);
xmlNodePtr NextSibling(xmlNodePtr node);
void NodesOf(xmlXPathObjectPtr result, std::vector<xmlNodePtr>& nodes, bool clear);
void FreeXPathResult(xmlXPathObjectPtr result);
void InitializeXmlLibrary();
void CleanupXmlLibrary();
