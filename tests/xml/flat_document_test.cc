// FlatDocument against the tree: every document it reads must come out exactly as
// XMLDoc writes the same document after the same edits, and every document it
// refuses must be one the tree handles (or rejects) on its own.
#include "xml/flat_document.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "errors/tarn_exception.h"
#include "xml/xml_doc.h"
#include "xml_test_support.h"

namespace {

using xml::FlatDocument;
using xml_test::ElementsInOrder;

// One set of edits, made the same way on both forms.
struct Edits {
  int setContentOf = -1;
  std::string content;
  int appendChildTo = -1;
  int markupAt = -1;
};

void ExpectSameAsTree(const std::string& text, const Edits& edits) {
  SCOPED_TRACE(text.substr(0, 120));
  FlatDocument flat;
  ASSERT_TRUE(flat.Read(text.data(), text.size()));
  XMLDoc tree;
  tree.ParseXML(text.data(), text.size());
  std::vector<xmlNodePtr> nodes = ElementsInOrder(tree.Root());

  const std::string markup = "<OBS_FELEM><FELEM_CODE>X</FELEM_CODE></OBS_FELEM>";
  if (edits.setContentOf >= 0) {
    flat.SetContent(static_cast<FlatDocument::Index>(edits.setContentOf), edits.content);
    SetNodeContent(nodes[static_cast<size_t>(edits.setContentOf)], edits.content);
  }
  if (edits.appendChildTo >= 0) {
    flat.AppendTextChild(static_cast<FlatDocument::Index>(edits.appendChildTo), "FELEM_VALUE",
                         "a&b");
    NewTextChild(nodes[static_cast<size_t>(edits.appendChildTo)], "FELEM_VALUE", "a&b");
  }
  flat.Rename(0, "STD_RESULT");
  SetNodeName(tree.Root(), "STD_RESULT");

  std::string fromTree;
  xmlNodePtr markupNode =
      edits.markupAt >= 0 ? nodes[static_cast<size_t>(edits.markupAt)] : nullptr;
  ASSERT_TRUE(tree.DumpWithTrailingMarkup(fromTree, markupNode, markup));
  std::string fromFlat;
  flat.Write(
      fromFlat,
      edits.markupAt >= 0 ? static_cast<FlatDocument::Index>(edits.markupAt) : FlatDocument::kNone,
      markup);
  EXPECT_EQ(fromFlat, fromTree) << "content of " << edits.setContentOf << ", child to "
                                << edits.appendChildTo << ", markup at " << edits.markupAt;
}

TEST(FlatDocument, WritesWhatTheTreeWritesAfterTheSameEdits) {
  std::string deep;
  for (int i = 0; i < 200; ++i) deep += "<d>";
  deep += "x";
  for (int i = 0; i < 200; ++i) deep += "</d>";
  const std::vector<std::string> documents = {
      "<a/>",
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><STD_BOM><OBS_FEAT><OBS_FELEM><FELEM_CODE>ADDR1"
      "</FELEM_CODE><FELEM_VALUE>1 Main &amp; &lt;St&gt; \"q\" 'a'</FELEM_VALUE></OBS_FELEM>"
      "<OBS_FELEM><FELEM_CODE>CITY</FELEM_CODE><FELEM_VALUE/></OBS_FELEM></OBS_FEAT></STD_BOM>",
      "<a><b/><c>x\r\ny\nz</c><d></d></a>",
      "<a>x&#13;&#x41;&#9;]]&gt;</a>",
      "<a>  x  </a>",
      "<a><b>Smith &amp; Sons &amp; </b><c>x\n\n</c></a>",
      "<a><b>\xc3\xa9t\xc3\xa9 \xe6\x9d\xb1</b></a>",
      "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>caf\xe9</a>",
      "\xff\xfe" + xml_test::Utf16Le("<?xml version=\"1.0\" encoding=\"UTF-16\"?><a><b>t</b></a>"),
      deep,
  };
  for (const std::string& text : documents) {
    FlatDocument probe;
    ASSERT_TRUE(probe.Read(text.data(), text.size())) << text;
    XMLDoc counted;
    counted.ParseXML(text.data(), text.size());
    const int count = static_cast<int>(ElementsInOrder(counted.Root()).size());
    ExpectSameAsTree(text, Edits{});
    for (int i = 0; i < count && i < 8; ++i) {
      ExpectSameAsTree(text, Edits{i, "new & <x>\r", -1, i});
      ExpectSameAsTree(text, Edits{i, "", -1, 0});
      ExpectSameAsTree(text, Edits{-1, "", i, i});
      ExpectSameAsTree(text, Edits{i, "v", i, count - 1});
    }
  }
}

TEST(FlatDocument, RefusesWhatOnlyTheTreeCanHold) {
  const std::vector<std::string> documents = {
      "<a x=\"1\"/>",    "<a xmlns=\"urn:x\"/>", "<p:a xmlns:p=\"urn:x\"/>", "<!-- c --><a/>",
      "<a/><?pi x?>",    "<a><![CDATA[x]]></a>", "<!DOCTYPE a><a/>",         "<a>x<b/></a>",
      "<a><b/>x</a>",    "<a>\n  <b/>\n</a>",
      "<a><b> </b></a>",  // whitespace-only text
  };
  for (const std::string& text : documents) {
    FlatDocument flat;
    EXPECT_FALSE(flat.Read(text.data(), text.size())) << text;
    XMLDoc tree;
    EXPECT_NO_THROW(tree.ParseXML(text.data(), text.size())) << text;
    EXPECT_NE(tree.Root(), nullptr) << text;
  }
}

TEST(FlatDocument, ReadsAgainAfterRefusalsAndFailures) {
  FlatDocument flat;
  for (int i = 0; i < 5000; ++i) {
    const char* text = i % 3 == 0 ? "<a x='1'/>" : i % 3 == 1 ? "<a>" : "<a><b>v</b></a>";
    EXPECT_EQ(flat.Read(text, std::strlen(text)), i % 3 == 2) << i;
  }
  ASSERT_TRUE(flat.Read("<a><b>v</b></a>", 15));
  EXPECT_EQ(flat.Content(0), "v");
  EXPECT_EQ(flat.Name(flat.FirstChild(0, "b")), "b");
  EXPECT_EQ(flat.FirstChild(0, "c"), FlatDocument::kNone);
}

}  // namespace
