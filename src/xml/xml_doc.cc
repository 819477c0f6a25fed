// XMLDoc and the node functions over libxml2. Tested by tests/xml/xml_doc_test.cc.
#include "xml/xml_doc.h"

#include <climits>
#include <cstring>

#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/xpathInternals.h>

#include "common/format.h"
#include "errors/tarn_exception.h"
#include "xml/parse_rules.h"
#include "xml/parser_context.h"
#include "xml/single_line_writer.h"

namespace {

const xmlChar* AsXmlChars(const std::string& text) {
  return reinterpret_cast<const xmlChar*>(text.c_str());
}

std::string FromXmlChars(const xmlChar* text) {
  return text != nullptr ? std::string(reinterpret_cast<const char*>(text)) : std::string();
}

bool HasName(xmlNodePtr node, const std::string& name) {
  return node->name != nullptr && xmlStrEqual(node->name, AsXmlChars(name));
}

// Errors go into the exception, not to the host's standard error.
void IgnoreXmlError(void*, xmlErrorPtr) {}

[[noreturn]] void ThrowParseError(const std::string& reason, std::string_view fileName) {
  std::string text;
  if (fileName.empty()) {
    cmn::FormatBounded(text, "%s", reason.c_str());
  } else {
    cmn::FormatBounded(text, "%s (file [%.*s])", reason.c_str(), static_cast<int>(fileName.size()),
                       fileName.data());
  }
  throw Tarn_Exception("XMLDoc::ParseXML()", text, MAJOR_ERROR);
}

using xml::GenericErrorCapture;
using xml::ThreadParserContext;

thread_local ThreadParserContext pushContext(ThreadParserContext::Kind::kPush);
thread_local ThreadParserContext memoryContext(ThreadParserContext::Kind::kMemory);

// External resources are never fetched; problems are reported through the exception
// only. Whitespace-only text between elements is dropped from every document, the
// first of the process included: libxml2 keeps this choice in a process-wide default
// that its first writer would switch while other threads parse, so it is a parse
// option here. Short texts (codes such as "US" or "ADDR1") are kept inside their
// text node instead of in a block of their own, which libxml2 handles everywhere the
// content is read, replaced or freed.
constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING |
                              XML_PARSE_NOBLANKS | XML_PARSE_COMPACT;

// The whole document as one final chunk; the tree when it is well formed.
xmlDocPtr PushWhole(xmlParserCtxtPtr context, const char* text, size_t length,
                    xml::ParseGuard& guard) {
  // The first bytes go in with the reset so that their encoding is detected.
  if (xmlCtxtResetPush(context, text, static_cast<int>(length), nullptr, nullptr) != 0) {
    return nullptr;
  }
  xmlCtxtUseOptions(context, kParseOptions);
  guard.Attach();
  // A tree built before a failure is not the document.
  const bool wellFormed = xml::FinishWholeDocument(context);
  xmlDocPtr doc = context->myDoc;
  context->myDoc = nullptr;
  if (!wellFormed) {
    xmlFreeDoc(doc);
    return nullptr;
  }
  return doc;
}

}  // namespace

XMLDoc::~XMLDoc() { xmlFreeDoc(doc_); }

void XMLDoc::ParseXML(const char* text) {
  ParseXML(text, text != nullptr ? std::strlen(text) : 0);
}

void XMLDoc::ParseXML(const char* text, size_t length, Rules rules, std::string_view fileName) {
  InitializeXmlLibrary();  // see FlatDocument::Read
  xmlFreeDoc(doc_);
  doc_ = nullptr;
  if (text == nullptr || length == 0) {
    return;
  }
  if (rules == Rules::kRecordDocument && length > xml::kLargestRecordDocument) {
    std::string reason;
    cmn::Format(reason, "record document of %zu bytes refused: the largest accepted is %zu bytes",
                length, xml::kLargestRecordDocument);
    ThrowParseError(reason, fileName);
  }
  if (length > static_cast<size_t>(INT_MAX)) {
    ThrowParseError("libxml2 error:document too large", fileName);
  }
  if (std::string refusal = xml::FindRawCharacterRefusal(text, length); !refusal.empty()) {
    ThrowParseError(refusal, fileName);
  }
  ThreadParserContext& owner = length <= xml::kLargestPushedDocument ? pushContext : memoryContext;
  xmlParserCtxtPtr context = owner.Acquire();
  if (context == nullptr) {
    ThrowParseError("libxml2 error:out of memory", fileName);
  }
  std::string failure;
  {
    GenericErrorCapture generic;
    xml::ParseGuard guard(context, rules);
    if (&owner == &pushContext) {
      doc_ = PushWhole(context, text, length, guard);
    } else {
      guard.Attach();
      doc_ = xmlCtxtReadMemory(context, text, static_cast<int>(length), nullptr, nullptr,
                               kParseOptions);
    }
    if (!guard.refusal().empty()) {
      failure = guard.refusal();
    } else if (doc_ == nullptr) {
      failure = xml::DescribeFailure(context, generic.FirstReport());
    }
  }
  if (!failure.empty()) {
    // A parse stopped by the guard may still have handed out what it had built.
    xmlFreeDoc(doc_);
    doc_ = nullptr;
    owner.Drop();
    ThrowParseError(failure, fileName);
  }
}

xmlNodePtr XMLDoc::Root() const { return doc_ != nullptr ? xmlDocGetRootElement(doc_) : nullptr; }

xmlXPathObjectPtr XMLDoc::EvaluateXPath(const std::string& expression) const {
  if (doc_ == nullptr) {
    return nullptr;
  }
  xmlXPathContextPtr context = xmlXPathNewContext(doc_);
  if (context == nullptr) {
    return nullptr;
  }
  context->node = Root();
  context->error = IgnoreXmlError;
  xmlXPathObjectPtr result = xmlXPathEvalExpression(AsXmlChars(expression), context);
  xmlXPathFreeContext(context);
  return result;
}

xmlNodePtr XMLDoc::FindElement(xmlNodePtr start, const std::string& name) const {
  if (start == nullptr) {
    xmlNodePtr root = Root();
    return root != nullptr && HasName(root, name) ? root : nullptr;
  }
  for (xmlNodePtr child = start->children; child != nullptr; child = child->next) {
    if (child->type == XML_ELEMENT_NODE && HasName(child, name)) {
      return child;
    }
  }
  return nullptr;
}

size_t XMLDoc::Dump(std::string& output) const {
  output.clear();
  if (doc_ != nullptr && doc_->children == nullptr) {
    return 0;
  }
  if (doc_ == nullptr) {
    return 0;
  }
  // Our own writer gives the same text several times faster; for trees it does not
  // reproduce, or whose first top-level node is not markup (only possible for trees
  // built by hand), libxml2's output is cut down instead.
  output.reserve(2048);
  if (!xml::WriteSingleLine(doc_, output) || output.empty() || output.front() != '<') {
    xml::DumpThroughLibxml(doc_, output);
  }
  return output.size();
}

bool XMLDoc::DumpWithTrailingMarkup(std::string& output, xmlNodePtr parent,
                                    std::string_view markup) const {
  output.clear();
  if (doc_ == nullptr || doc_->children == nullptr) {
    return false;
  }
  output.reserve(2048);
  if (!xml::WriteSingleLine(doc_, output, xml::TrailingMarkup{parent, markup}) ||
      output.empty() || output.front() != '<') {
    output.clear();
    return false;
  }
  return true;
}

xmlNodePtr FindChildElement(xmlNodePtr node, const std::string& name) {
  if (node == nullptr) {
    return nullptr;
  }
  switch (node->type) {
    case XML_ELEMENT_NODE:
    case XML_ENTITY_NODE:
    case XML_ENTITY_DECL:
    case XML_DOCUMENT_NODE:
    case XML_HTML_DOCUMENT_NODE:
      break;
    default:
      return nullptr;
  }
  for (xmlNodePtr child = node->children; child != nullptr; child = child->next) {
    if (child->type == XML_ELEMENT_NODE && HasName(child, name)) {
      return child;
    }
  }
  return nullptr;
}

std::string NodeName(xmlNodePtr node) {
  return node != nullptr ? FromXmlChars(node->name) : std::string();
}

std::string NodeContent(xmlNodePtr node, const std::string& defaultText) {
  if (node == nullptr) {
    return defaultText;
  }
  // An element holding only text and CDATA (the usual record element) is read
  // directly; anything else goes through libxml2, which also follows entity
  // references.
  std::string content;
  bool direct = node->type == XML_ELEMENT_NODE;
  for (xmlNodePtr child = node->children; direct && child != nullptr; child = child->next) {
    if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) {
      if (child->content != nullptr) {
        content.append(reinterpret_cast<const char*>(child->content));
      }
    } else {
      direct = false;
    }
  }
  if (!direct) {
    xmlChar* text = xmlNodeGetContent(node);
    content = FromXmlChars(text);
    xmlFree(text);
  }
  return content.empty() ? defaultText : content;
}

std::string NodeAttribute(xmlNodePtr node, const std::string& name,
                          const std::string& defaultText) {
  if (node == nullptr || node->type != XML_ELEMENT_NODE) {
    return defaultText;
  }
  xmlChar* value = xmlGetProp(node, AsXmlChars(name));
  if (value == nullptr) {
    return defaultText;
  }
  std::string text = FromXmlChars(value);
  xmlFree(value);
  return text;
}

void SetNodeContent(xmlNodePtr node, const std::string& text) {
  if (node == nullptr) {
    return;
  }
  if (node->type != XML_ELEMENT_NODE) {
    // Text-like nodes store their content as it is: it is literal already.
    xmlNodeSetContent(node, AsXmlChars(text));
    return;
  }
  // The children go and one text node holds the literal text, so "&" and "<" stay
  // characters and are escaped only when the document is written.
  xmlNodeSetContent(node, nullptr);
  if (!text.empty()) {
    xmlNodePtr textNode = xmlNewDocTextLen(node->doc, AsXmlChars(text),
                                           static_cast<int>(std::strlen(text.c_str())));
    if (textNode != nullptr && xmlAddChild(node, textNode) == nullptr) {
      xmlFreeNode(textNode);
    }
  }
}

void SetNodeName(xmlNodePtr node, const std::string& name) {
  if (node != nullptr) {
    xmlNodeSetName(node, AsXmlChars(name));
  }
}

namespace {

// libxml2's xmlNewChild would let the new element inherit the parent's namespace;
// ours are created in no namespace.
xmlNodePtr AppendElement(xmlNodePtr parent, xmlNodePtr element) {
  if (element != nullptr && xmlAddChild(parent, element) == nullptr) {
    xmlFreeNode(element);
    return nullptr;
  }
  return element;
}

}  // namespace

xmlNodePtr NewChild(xmlNodePtr parent, const std::string& name) {
  if (parent == nullptr) {
    return nullptr;
  }
  return AppendElement(parent, xmlNewDocNode(parent->doc, nullptr, AsXmlChars(name), nullptr));
}

xmlNodePtr NewTextChild(xmlNodePtr parent, const std::string& name, const std::string& text) {
  if (parent == nullptr) {
    return nullptr;
  }
  // The raw variant takes the text literally; escaping happens when it is written.
  return AppendElement(parent, xmlNewDocRawNode(parent->doc, nullptr, AsXmlChars(name),
                                                AsXmlChars(text)));
}

xmlNodePtr NextSibling(xmlNodePtr node) { return node != nullptr ? node->next : nullptr; }

void NodesOf(xmlXPathObjectPtr result, std::vector<xmlNodePtr>& nodes, bool clear) {
  if (result == nullptr || clear) {
    nodes.clear();
  }
  if (result == nullptr || result->nodesetval == nullptr) {
    return;
  }
  xmlNodeSetPtr set = result->nodesetval;
  for (int i = 0; i < set->nodeNr; ++i) {
    if (set->nodeTab[i] != nullptr && set->nodeTab[i]->type != XML_NAMESPACE_DECL) {
      nodes.push_back(set->nodeTab[i]);
    }
  }
}

void FreeXPathResult(xmlXPathObjectPtr result) {
  if (result != nullptr) {
    xmlXPathFreeObject(result);
  }
}
