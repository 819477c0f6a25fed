// FlatDocument: libxml2's SAX events kept as a flat element list.
// Tested by tests/xml/xml_doc_test.cc.
#include "xml/flat_document.h"

#include <cstdint>

#include <libxml/parser.h>

#include "xml/parser_context.h"
#include "xml/single_line_writer.h"
#include "xml/xml_doc.h"

namespace xml {

// Collects one document's elements; any event outside the flat shape stops the
// parse and refuses the document.
class FlatDocument::Reader {
 public:
  Reader(FlatDocument& document, xmlParserCtxtPtr context)
      : document_(document), context_(context) {}

  bool refused() const { return refused_; }

  static const xmlSAXHandler& Handler() {
    static const xmlSAXHandler handler = [] {
      xmlSAXHandler h{};
      h.initialized = XML_SAX2_MAGIC;
      h.startElementNs = &StartElement;
      h.endElementNs = &EndElement;
      h.characters = &Characters;
      h.ignorableWhitespace = &Characters;
      h.getEntity = &RefuseEntity;
      h.internalSubset = &RefuseSubset;
      h.externalSubset = &RefuseSubset;
      h.cdataBlock = &RefuseText;
      h.comment = &RefuseComment;
      h.processingInstruction = &RefuseInstruction;
      h.reference = &RefuseReference;
      return h;
    }();
    return handler;
  }

 private:
  static Reader& Of(void* context) {
    return *static_cast<Reader*>(static_cast<xmlParserCtxtPtr>(context)->_private);
  }

  void Refuse() {
    refused_ = true;
    xmlStopParser(context_);
  }

  static void StartElement(void* context, const xmlChar* localName, const xmlChar* prefix,
                           const xmlChar* uri, int namespaceCount, const xmlChar**,
                           int attributeCount, int, const xmlChar**) {
    Reader& reader = Of(context);
    FlatDocument& doc = reader.document_;
    if (reader.refused_) return;
    if (++reader.depth_ > kDeepestNesting || prefix != nullptr || uri != nullptr ||
        namespaceCount != 0 || attributeCount != 0 ||
        (reader.open_ != kNone && doc.elements_[reader.open_].textLength != 0) ||
        doc.elements_.size() >= kNone - 1) {
      reader.Refuse();
      return;
    }
    Element element;
    const char* name = reinterpret_cast<const char*>(localName);
    element.nameBegin = static_cast<uint32_t>(doc.names_.size());
    doc.names_.append(name);
    element.nameLength = static_cast<uint32_t>(doc.names_.size() - element.nameBegin);
    element.parent = reader.open_;
    reader.open_ = static_cast<Index>(doc.elements_.size());
    doc.elements_.push_back(element);
  }

  static void EndElement(void* context, const xmlChar*, const xmlChar*, const xmlChar*) {
    Reader& reader = Of(context);
    FlatDocument& doc = reader.document_;
    if (reader.refused_ || reader.open_ == kNone) return;
    Element& element = doc.elements_[reader.open_];
    element.end = static_cast<Index>(doc.elements_.size());
    if (element.textLength != 0) {
      doc.texts_ += '\0';  // each text is read as a C string when written
    }
    reader.open_ = element.parent;
    --reader.depth_;
  }

  static bool IsBlank(const xmlChar* text, int length) {
    for (int i = 0; i < length; ++i) {
      if (text[i] != ' ' && text[i] != '\t' && text[i] != '\n' && text[i] != '\r') return false;
    }
    return true;
  }

  static void Characters(void* context, const xmlChar* text, int length) {
    Reader& reader = Of(context);
    FlatDocument& doc = reader.document_;
    if (reader.refused_ || length <= 0) return;
    // Text beside child elements is mixed content. Blank text is dropped, and a
    // whitespace-only piece that does not continue text already there is kept or
    // dropped by rules that look at the tree built so far.
    if (reader.open_ == kNone || doc.HasChildren(reader.open_) ||
        (doc.elements_[reader.open_].textLength == 0 && IsBlank(text, length)) ||
        doc.texts_.size() > UINT32_MAX - static_cast<size_t>(length) - 1) {
      reader.Refuse();
      return;
    }
    Element& element = doc.elements_[reader.open_];
    if (element.textLength == 0) {
      element.textBegin = static_cast<uint32_t>(doc.texts_.size());
    }
    doc.texts_.append(reinterpret_cast<const char*>(text), static_cast<size_t>(length));
    element.textLength += static_cast<uint32_t>(length);
  }

  static xmlEntityPtr RefuseEntity(void* context, const xmlChar*) {
    Of(context).Refuse();
    return nullptr;
  }
  static void RefuseSubset(void* context, const xmlChar*, const xmlChar*, const xmlChar*) {
    Of(context).Refuse();
  }
  static void RefuseText(void* context, const xmlChar*, int) { Of(context).Refuse(); }
  static void RefuseComment(void* context, const xmlChar*) { Of(context).Refuse(); }
  static void RefuseInstruction(void* context, const xmlChar*, const xmlChar*) {
    Of(context).Refuse();
  }
  static void RefuseReference(void* context, const xmlChar*) { Of(context).Refuse(); }

  FlatDocument& document_;
  xmlParserCtxtPtr context_;
  Index open_ = kNone;
  int depth_ = 0;
  bool refused_ = false;
};

namespace {

thread_local ThreadParserContext flatContext(ThreadParserContext::Kind::kPush);

}  // namespace

bool FlatDocument::Read(const char* text, size_t length) {
  // libxml2 creates its per-thread state under a mutex that only its initialisation
  // makes; two threads reaching it first would race. The call also keeps the
  // once-per-process initialisation linked into every binary that reads documents.
  InitializeXmlLibrary();
  elements_.clear();
  names_.clear();
  texts_.clear();
  edits_.clear();
  // XMLDoc refuses larger record documents.
  static_assert(kLargestRecordDocument <= kLargestPushedDocument);
  if (text == nullptr || length == 0 || length > kLargestRecordDocument) {
    return false;
  }
  GenericErrorCapture quiet;
  xmlParserCtxtPtr context = flatContext.Acquire();
  if (context == nullptr ||
      xmlCtxtResetPush(context, text, static_cast<int>(length), nullptr, nullptr) != 0) {
    flatContext.Drop();
    return false;
  }
  xmlCtxtUseOptions(context, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  // The handler is set after the options, which may change some of its entries; the
  // user data stays the context itself, as libxml2's own handlers expect.
  *context->sax = Reader::Handler();
  context->userData = context;
  Reader reader(*this, context);
  context->_private = &reader;
  const bool wellFormed = FinishWholeDocument(context);
  context->_private = nullptr;
  // A document stopped because it is not flat leaves the context as reusable as any;
  // one that failed is dropped, as XMLDoc does.
  if (reader.refused()) {
    return false;
  }
  if (!wellFormed) {
    flatContext.Drop();
    return false;
  }
  return !elements_.empty();
}

FlatDocument::Index FlatDocument::FirstChild(Index element, std::string_view name) const {
  if (element >= elements_.size()) return kNone;
  for (Index child = element + 1; child < elements_[element].end; child = elements_[child].end) {
    if (Name(child) == name) return child;
  }
  return kNone;
}

FlatDocument::Index FlatDocument::NextSibling(Index element, std::string_view name) const {
  if (element >= elements_.size()) return kNone;
  Index parent = elements_[element].parent;
  Index parentEnd = parent != kNone ? elements_[parent].end : static_cast<Index>(elements_.size());
  for (Index sibling = elements_[element].end; sibling < parentEnd;
       sibling = elements_[sibling].end) {
    if (Name(sibling) == name) return sibling;
  }
  return kNone;
}

std::string_view FlatDocument::Name(Index element) const {
  const Element& e = elements_[element];
  return std::string_view(names_).substr(e.nameBegin, e.nameLength);
}

std::string FlatDocument::Content(Index element) const {
  std::string content;
  if (element >= elements_.size()) return content;
  // Only childless elements hold text, and document order is index order.
  for (Index i = element; i < elements_[element].end; ++i) {
    content.append(texts_, elements_[i].textBegin, elements_[i].textLength);
  }
  return content;
}

std::string_view FlatDocument::Text(Index element) const {
  if (element >= elements_.size()) return {};
  const Element& e = elements_[element];
  return std::string_view(texts_).substr(e.textBegin, e.textLength);
}

bool FlatDocument::HasChildren(Index element) const {
  const Element& e = elements_[element];
  // An element still open has its children so far behind it in the list.
  Index end = e.end != 0 ? e.end : static_cast<Index>(elements_.size());
  return end > element + 1;
}

FlatDocument::Edit& FlatDocument::EditOf(Index element) {
  Element& e = elements_[element];
  if (e.edit < 0) {
    e.edit = static_cast<int32_t>(edits_.size());
    edits_.emplace_back();
  }
  return edits_[static_cast<size_t>(e.edit)];
}

const FlatDocument::Edit* FlatDocument::EditOf(Index element) const {
  int32_t edit = elements_[element].edit;
  return edit >= 0 ? &edits_[static_cast<size_t>(edit)] : nullptr;
}

void FlatDocument::SetContent(Index element, const std::string& text) {
  if (element >= elements_.size()) return;
  Edit& edit = EditOf(element);
  edit.replacesContent = true;
  edit.content = text;
  // A child appended before is part of the content replaced.
  edit.appendedName.clear();
  edit.appendedText.clear();
}

void FlatDocument::AppendTextChild(Index element, std::string name, const std::string& text) {
  if (element >= elements_.size()) return;
  Edit& edit = EditOf(element);
  edit.appendedName = std::move(name);
  edit.appendedText = text.c_str();  // a text node keeps the text up to its first NUL
}

void FlatDocument::Rename(Index element, std::string name) {
  if (element >= elements_.size()) return;
  EditOf(element).renamedTo = std::move(name);
}

void FlatDocument::WriteName(std::string& out, Index element) const {
  const Edit* edit = EditOf(element);
  if (edit != nullptr && !edit->renamedTo.empty()) {
    out += edit->renamedTo;
  } else {
    out += Name(element);
  }
}

void FlatDocument::Write(std::string& out, Index markupParent, std::string_view markup) const {
  if (markup.empty()) markupParent = kNone;
  out.reserve(out.size() + 2 * names_.size() + texts_.size() + markup.size() + 64);
  // The elements whose end tag is still to be written, innermost last.
  std::vector<Index> open;
  open.reserve(16);
  Index i = 0;
  const Index count = static_cast<Index>(elements_.size());
  while (i < count || !open.empty()) {
    // Close every open element whose subtree ends here.
    while (!open.empty() && (i >= count || elements_[open.back()].end <= i)) {
      Index closing = open.back();
      open.pop_back();
      const Edit* edit = EditOf(closing);
      if (edit != nullptr && !edit->appendedName.empty()) {
        out += '<';
        out += edit->appendedName;
        out += '>';
        AppendEscapedText(out, edit->appendedText.c_str());
        out += "</";
        out += edit->appendedName;
        out += '>';
      }
      if (closing == markupParent) out += markup;
      out += "</";
      WriteName(out, closing);
      out += '>';
    }
    if (i >= count) break;

    const Element& element = elements_[i];
    const Edit* edit = EditOf(i);
    const bool replaced = edit != nullptr && edit->replacesContent;
    const bool hasOwnContent = replaced ? !edit->content.empty()
                                        : element.textLength != 0 || element.end > i + 1;
    const bool hasContent = hasOwnContent || (edit != nullptr && !edit->appendedName.empty()) ||
                            i == markupParent;
    out += '<';
    WriteName(out, i);
    if (!hasContent) {
      out += "/>";
      i = element.end;
      continue;
    }
    out += '>';
    if (replaced) {
      AppendEscapedText(out, edit->content.c_str());
    } else if (element.textLength != 0) {
      AppendEscapedText(out, texts_.c_str() + element.textBegin);
    }
    open.push_back(i);
    // A replaced content hides the element's own children.
    i = replaced ? element.end : i + 1;
  }
}

}  // namespace xml
