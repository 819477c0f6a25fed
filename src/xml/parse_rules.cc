// The rules every parsed document is held to, and their messages.
// Tested by tests/xml/xml_doc_test.cc.
#include "xml/parse_rules.h"

#include <cstdint>
#include <cstring>
#include <string_view>

#include <libxml/SAX2.h>
#include <libxml/encoding.h>

#include "common/format.h"

namespace xml {
namespace {

std::string CharacterRefusal(uint32_t value, int line) {
  std::string text;
  cmn::Format(text, "character U+%04X not allowed in XML (line %d)", value, line);
  return text;
}

std::string AsText(const xmlChar* text) {
  return text != nullptr ? reinterpret_cast<const char*>(text) : "";
}

// libxml2 ends its messages with a line feed and may hold a second line in them.
std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// Escape is the shift of the ISO-2022 encodings, which libxml2 reads when the XML
// declaration names one.
bool DeclaresIso2022(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  if (!text.starts_with("<?xml")) return false;
  return text.substr(0, text.find("?>")).find("2022") != std::string_view::npos;
}

}  // namespace

void ParseGuard::Attach() {
  xmlSAXHandler& sax = *context_->sax;
  sax.internalSubset = &InternalSubset;
  sax.entityDecl = &EntityDecl;
  sax.unparsedEntityDecl = &UnparsedEntityDecl;
  sax.getEntity = &GetEntity;
  sax.startElementNs = &StartElement;
  sax.endElementNs = &EndElement;
  context_->_private = this;
}

ParseGuard* ParseGuard::Of(void* context) {
  return static_cast<ParseGuard*>(static_cast<xmlParserCtxtPtr>(context)->_private);
}

void ParseGuard::Refuse(std::string reason) {
  if (refusal_.empty()) refusal_ = std::move(reason);
  xmlStopParser(context_);
}

void ParseGuard::InternalSubset(void* context, const xmlChar* name, const xmlChar* externalId,
                                const xmlChar* systemId) {
  ParseGuard* guard = Of(context);
  if (guard != nullptr && guard->rules_ == XMLDoc::Rules::kRecordDocument) {
    guard->Refuse("DOCTYPE refused: record documents may not carry a document type declaration");
    return;
  }
  xmlSAX2InternalSubset(context, name, externalId, systemId);
}

void ParseGuard::EntityDecl(void* context, const xmlChar* name, int type, const xmlChar* publicId,
                            const xmlChar* systemId, xmlChar* content) {
  if (ParseGuard* guard = Of(context)) {
    guard->Refuse("entity \"" + AsText(name) + "\" refused: documents may not declare entities");
    return;
  }
  xmlSAX2EntityDecl(context, name, type, publicId, systemId, content);
}

void ParseGuard::UnparsedEntityDecl(void* context, const xmlChar* name, const xmlChar* publicId,
                                    const xmlChar* systemId, const xmlChar* notation) {
  if (ParseGuard* guard = Of(context)) {
    guard->Refuse("entity \"" + AsText(name) + "\" refused: documents may not declare entities");
    return;
  }
  xmlSAX2UnparsedEntityDecl(context, name, publicId, systemId, notation);
}

xmlEntityPtr ParseGuard::GetEntity(void* context, const xmlChar* name) {
  // XML's five predefined entities never get here. With no declarations allowed,
  // every other name is undeclared: libxml2 refuses that itself unless a DTD outside
  // the document (which is never read) might declare it, and then it would only
  // leave the reference out of the text.
  auto* parser = static_cast<xmlParserCtxtPtr>(context);
  ParseGuard* guard = Of(context);
  if (guard != nullptr && (parser->hasExternalSubset || parser->hasPErefs)) {
    guard->Refuse("entity reference \"&" + AsText(name) +
                  ";\" refused: only XML's predefined entities are allowed");
    return nullptr;
  }
  return xmlSAX2GetEntity(context, name);
}

void ParseGuard::StartElement(void* context, const xmlChar* localName, const xmlChar* prefix,
                              const xmlChar* uri, int namespaceCount, const xmlChar** namespaces,
                              int attributeCount, int defaultedCount, const xmlChar** attributes) {
  ParseGuard* guard = Of(context);
  if (guard != nullptr && ++guard->depth_ > kDeepestNesting) {
    std::string reason;
    cmn::Format(reason, "document nested deeper than %d elements", kDeepestNesting);
    guard->Refuse(std::move(reason));
    return;
  }
  xmlSAX2StartElementNs(context, localName, prefix, uri, namespaceCount, namespaces, attributeCount,
                        defaultedCount, attributes);
}

void ParseGuard::EndElement(void* context, const xmlChar* localName, const xmlChar* prefix,
                            const xmlChar* uri) {
  xmlSAX2EndElementNs(context, localName, prefix, uri);
  if (ParseGuard* guard = Of(context)) --guard->depth_;
}

std::string FindRawCharacterRefusal(const char* text, size_t length) {
  // The code units are read in the form that libxml2 detects from the first bytes:
  // UTF-16 or UCS-4 when the text starts so, single bytes otherwise, and every
  // encoding libxml2 reads from single bytes gives the C0 controls their ASCII codes.
  // EBCDIC and the unusual UCS-4 byte orders are left to libxml2.
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  size_t unit = 1;
  bool bigEndian = false;
  switch (xmlDetectCharEncoding(bytes, length < 4 ? static_cast<int>(length) : 4)) {
    case XML_CHAR_ENCODING_NONE:
    case XML_CHAR_ENCODING_UTF8:
      break;
    case XML_CHAR_ENCODING_UTF16LE:
      unit = 2;
      break;
    case XML_CHAR_ENCODING_UTF16BE:
      unit = 2;
      bigEndian = true;
      break;
    case XML_CHAR_ENCODING_UCS4LE:
      unit = 4;
      break;
    case XML_CHAR_ENCODING_UCS4BE:
      unit = 4;
      bigEndian = true;
      break;
    default:
      return {};
  }
  const bool escapeAllowed = unit == 1 && DeclaresIso2022(std::string_view(text, length));
  int line = 1;
  for (size_t i = 0; i + unit <= length; i += unit) {
    uint32_t value = 0;
    for (size_t b = 0; b < unit; ++b) {
      value = value << 8 | bytes[i + (bigEndian ? b : unit - 1 - b)];
    }
    if (value >= 0x20 || value == '\t' || value == '\r' || (value == 0x1B && escapeAllowed)) {
      continue;
    }
    if (value != '\n') return CharacterRefusal(value, line);
    ++line;
  }
  return {};
}

std::string DescribeFailure(xmlParserCtxtPtr context, const std::string& generic) {
  const xmlError& error = context->lastError;
  if (error.message == nullptr) return "libxml2 error:" + OneLine(generic);
  const char* message = error.message;
  // Characters XML cannot carry that the text writes as references, or that only
  // the decoding of a wider encoding reveals; libxml2 gives the code point.
  if (error.code == XML_ERR_INVALID_CHAR &&
      (std::strstr(message, "invalid xmlChar value") != nullptr ||
       std::strstr(message, "invalid Char value") != nullptr ||
       std::strstr(message, "out of allowed range") != nullptr)) {
    return CharacterRefusal(static_cast<uint32_t>(error.int1), error.line);
  }
  // A document that ends inside an element: the push parser takes it for content
  // after the end, the parser reading from memory adds a line number the other cannot.
  if (error.code == XML_ERR_DOCUMENT_END && context->nameNr > 0 && context->name != nullptr) {
    return "libxml2 error:Premature end of data in tag " + AsText(context->name);
  }
  if (error.code == XML_ERR_TAG_NOT_FINISHED && error.str1 != nullptr) {
    return "libxml2 error:Premature end of data in tag " + std::string(error.str1);
  }
  return "libxml2 error:" + OneLine(message);
}

}  // namespace xml
