// A record document read without building libxml2's tree. Most records are a plain
// nest of elements with text: no attributes, namespaces, comments, processing
// instructions, CDATA, entity declarations or mixed content. For those, libxml2's
// SAX events are kept as a flat list of elements in document order, which costs a
// fraction of building, walking and freeing the tree. Any document outside that shape
// is refused, and the caller reads it as an XMLDoc instead; so is any document libxml2
// rejects or that breaks the rules for record documents (a DOCTYPE, more than
// kLargestRecordDocument bytes, more than kDeepestNesting levels), so that the tree
// parser reports the problem in its words.
//
// What is written is exactly what XMLDoc::DumpWithTrailingMarkup writes for the same
// document after the same edits. Tested by tests/xml/xml_doc_test.cc, which
// compares the two on varied documents.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace xml {

class FlatDocument {
 public:
  using Index = uint32_t;
  static constexpr Index kNone = UINT32_MAX;

  // Reads `text`; false when it is not a flat document (or not well formed), and
  // then nothing may be asked of this object but another Read. A document that holds
  // any whitespace-only text is refused: whether libxml2 drops it as blank text
  // depends on the tree.
  bool Read(const char* text, size_t length);

  // The root element is element 0.
  Index FirstChild(Index element, std::string_view name) const;
  Index NextSibling(Index element, std::string_view name) const;
  std::string_view Name(Index element) const;
  // The text of the element and all its descendants, as libxml2's node content.
  std::string Content(Index element) const;
  bool HasChildren(Index element) const;
  // The element's own text: all of its content when it has no children.
  std::string_view Text(Index element) const;

  // Replaces the element's content by `text` (up to its first NUL), as
  // SetNodeContent does.
  void SetContent(Index element, const std::string& text);
  // Appends <name>text</name> as the element's last child, as NewTextChild does.
  void AppendTextChild(Index element, std::string name, const std::string& text);
  void Rename(Index element, std::string name);

  // The document on one line, with `markup` written after the last child of
  // `markupParent` (kNone for no markup).
  void Write(std::string& out, Index markupParent, std::string_view markup) const;

 private:
  struct Element {
    uint32_t nameBegin = 0;
    uint32_t nameLength = 0;
    uint32_t textBegin = 0;
    uint32_t textLength = 0;
    Index parent = kNone;
    Index end = 0;  // one past the last element of its subtree
    int32_t edit = -1;  // index into edits_, or -1
  };
  struct Edit {
    bool replacesContent = false;
    std::string content;        // when replacesContent: the new content
    std::string renamedTo;      // when non-empty
    std::string appendedName;   // when non-empty: a child appended last
    std::string appendedText;
  };
  class Reader;
  friend class Reader;

  Edit& EditOf(Index element);
  const Edit* EditOf(Index element) const;
  void WriteName(std::string& out, Index element) const;

  std::vector<Element> elements_;
  std::string names_;
  std::string texts_;
  std::vector<Edit> edits_;
};

}  // namespace xml
