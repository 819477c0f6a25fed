// Fuzzes the flat reading of record documents against the tree: a document that
// FlatDocument accepts must parse as a tree too, and after the same edits both must
// be written identically. The first byte chooses the edits; the rest is the document.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "xml/flat_document.h"
#include "xml/xml_doc.h"
#include "../tests/xml/xml_test_support.h"

namespace {

// Whether `node` lies strictly inside `ancestor`'s subtree, which replacing the
// ancestor's content frees.
bool strictlyInside(xmlNodePtr node, xmlNodePtr ancestor) {
  for (xmlNodePtr up = node->parent; up != nullptr; up = up->parent) {
    if (up == ancestor) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 8192) return 0;
  const unsigned choice = data[0];
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  xml::FlatDocument flat;
  if (!flat.Read(text.data(), text.size())) return 0;
  XMLDoc tree;
  tree.ParseXML(text.data(), text.size());  // an exception here is a finding
  const std::vector<xmlNodePtr> nodes = xml_test::ElementsInOrder(tree.Root());
  const size_t count = nodes.size();

  // Edits inside a subtree whose content is replaced would touch freed nodes.
  const size_t replacedAt = (choice >> 3) % count;
  const size_t appendedTo = (choice >> 5) % count;
  size_t markupAt = (choice >> 2) % count;
  const bool replacing = choice & 1;
  const bool appending =
      (choice & 2) && !(replacing && strictlyInside(nodes[appendedTo], nodes[replacedAt]));
  if (replacing && strictlyInside(nodes[markupAt], nodes[replacedAt])) markupAt = 0;

  if (replacing) {
    const std::string content = (choice & 4) ? "" : "v & <w>\r";
    flat.SetContent(static_cast<xml::FlatDocument::Index>(replacedAt), content);
    SetNodeContent(nodes[replacedAt], content);
  }
  if (appending) {
    flat.AppendTextChild(static_cast<xml::FlatDocument::Index>(appendedTo), "FELEM_VALUE",
                         "a\"b");
    NewTextChild(nodes[appendedTo], "FELEM_VALUE", "a\"b");
  }
  flat.Rename(0, "STD_RESULT");
  SetNodeName(tree.Root(), "STD_RESULT");
  const std::string markup = "<OBS_FELEM><FELEM_CODE>X</FELEM_CODE></OBS_FELEM>";

  std::string fromTree;
  if (!tree.DumpWithTrailingMarkup(fromTree, nodes[markupAt], markup)) std::abort();
  std::string fromFlat;
  flat.Write(fromFlat, static_cast<xml::FlatDocument::Index>(markupAt), markup);
  if (fromFlat != fromTree) std::abort();
  return 0;
}
