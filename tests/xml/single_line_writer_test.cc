// Our single-line writer against libxml2's serialiser (declaration dropped, line
// feeds removed) on documents that exercise every node kind and escaping rule.
#include "xml/single_line_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "xml/xml_doc.h"
#include "xml_test_support.h"

namespace {

// Documents the writer must reproduce itself.
const char* kWrittenDocuments[] = {
    "<a/>",
    "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a b=\"\xe9\">\xe9</a>",
    "<a x=\"&lt;&gt;&amp;&quot;'&#9;&#10;&#13;\" y='\"' z=''/>",
    "<a>&lt;&gt;&amp;&apos;&quot;&#x263A;&#169;&#13;&#9;]]&gt;</a>",
    "<!--top--><?top data?><a><!-- in\nside --><?pi?><?pi2   ?><?pi3 a b ?></a><!--after-->",
    "<a><![CDATA[<markup> & \"stuff\"\n]]><![CDATA[]]>tail</a>",
    "<r xmlns=\"urn:default\" xmlns:p=\"urn:p\" xmlns:q='urn:\"quoted\"'>"
    "<p:c p:attr=\"1\" q:attr=\"2\"/><d xmlns=\"\"/><p:e xmlns:p=\"urn:other\"/></r>",
    "<r xml:lang=\"en\" xml:space=\"preserve\">  </r>",
    "<\u00E9l\u00E9ment attr\u00EFbut=\"\u20AC \U0001F600\">"
    "\xe4\xb8\xad\xe6\x96\x87 \xf0\x9f\x98\x80<!--\xc3\xa9--></\xc3\xa9l\xc3\xa9ment>",
    "<STD_BOM>\n  <OBS_FEAT>\n    <OBS_FELEM>\n      <FELEM_CODE>ADDR1</FELEM_CODE>\n"
    "      <FELEM_VALUE>123 Main St</FELEM_VALUE>\n    </OBS_FELEM>\n  </OBS_FEAT>\n</STD_BOM>\n",
};

// Documents with a document type declaration go to libxml2's own serialiser.
const char* kFallbackDocuments[] = {
    "<!DOCTYPE a><a/>",
    "<!DOCTYPE a [<!ATTLIST a d CDATA \"def\">]><a x=\"&amp;\">&lt;</a>",
    "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" \"xhtml1-strict.dtd\">"
    "<html><br/></html>",
};

std::string Reference(const XMLDoc& doc) {
  std::string out;
  xml::DumpThroughLibxml(doc.document(), out);
  return out;
}

TEST(SingleLineWriter, MatchesLibxmlOnParsedDocuments) {
  for (const char* text : kWrittenDocuments) {
    XMLDoc doc;
    doc.ParseXML(text);
    std::string written;
    ASSERT_TRUE(xml::WriteSingleLine(doc.document(), written)) << text;
    EXPECT_EQ(written, Reference(doc)) << text;
    EXPECT_EQ(written.find('\n'), std::string::npos) << text;
  }
}

TEST(SingleLineWriter, DocumentTypeDeclarationsFallBackToLibxml) {
  for (const char* text : kFallbackDocuments) {
    XMLDoc doc;
    doc.ParseXML(text);
    std::string written = "kept";
    EXPECT_FALSE(xml::WriteSingleLine(doc.document(), written)) << text;
    EXPECT_EQ(written, "kept") << "a refused document leaves the output alone: " << text;
    std::string dumped;
    doc.Dump(dumped);
    EXPECT_EQ(dumped, Reference(doc)) << text;
    EXPECT_EQ(dumped.find('\n'), std::string::npos) << text;
  }
}

TEST(SingleLineWriter, MatchesLibxmlOnEditedTrees) {
  const char* values[] = {"A&B<C>\"D\"\rline\nfeed", "bad \xff utf-8", "", "]]>"};
  for (const char* value : values) {
    XMLDoc doc;
    doc.ParseXML("<r><v>old</v></r>");
    xmlNodePtr root = doc.Root();
    SetNodeContent(FindChildElement(root, "v"), value);
    NewTextChild(root, "n", value);
    xmlSetProp(root, BAD_CAST "attr", BAD_CAST value);
    xmlAddChild(root, xmlNewCDataBlock(doc.document(), BAD_CAST value,
                                       static_cast<int>(std::string(value).size())));
    xmlAddChild(root, xmlNewDocComment(doc.document(), BAD_CAST value));
    xmlAddChild(root, xmlNewDocPI(doc.document(), BAD_CAST "pi", BAD_CAST value));
    xmlAddChild(root, xmlNewDocPI(doc.document(), BAD_CAST "bare", nullptr));
    SetNodeName(root, "STD_RESULT");
    std::string written;
    ASSERT_TRUE(xml::WriteSingleLine(doc.document(), written)) << value;
    EXPECT_EQ(written, Reference(doc)) << value;
  }
}

TEST(SingleLineWriter, TopLevelTextFallsBackSoTheOutputStartsWithMarkup) {
  XMLDoc doc;
  doc.ParseXML("<a/>");
  xmlAddPrevSibling(doc.Root(), xmlNewDocText(doc.document(), BAD_CAST "stray"));
  std::string dumped;
  doc.Dump(dumped);
  EXPECT_EQ(dumped, Reference(doc));
  EXPECT_EQ(dumped, "<a/>");
}

// Markup written before a parent's end tag reads as the same elements appended as
// nodes would, wherever the parent sits and whatever it holds.
TEST(SingleLineWriter, TrailingMarkupMatchesAppendedNodes) {
  // A document and its parent element: the first of that name, in document order.
  const std::pair<const char*, const char*> rows[] = {
      {"<r><f/></r>", "f"},
      {"<r><f>text<g a=\"1\"/></f><h/></r>", "f"},
      {"<r><x><f><g/></f></x></r>", "f"},
      {"<r>lead<f>t</f></r>", "r"},
      {"<r/>", "r"},
      {"<p:r xmlns:p=\"urn:p\"><p:f>t</p:f><!--c--></p:r>", "f"},
  };
  const char* values[] = {"v", "", "A&B<C>\"D\"\rline\nfeed", "\xc3\xa9 bad \xff"};
  for (const auto& [document, parentName] : rows) {
    for (const char* value : values) {
      XMLDoc edited;
      edited.ParseXML(document);
      XMLDoc appended;
      appended.ParseXML(document);
      auto find = [&, &name = parentName](const XMLDoc& doc) {
        for (xmlNodePtr node : xml_test::ElementsInOrder(doc.Root())) {
          if (NodeName(node) == name) return node;
        }
        return static_cast<xmlNodePtr>(nullptr);
      };
      xmlNodePtr parent = find(appended);
      ASSERT_NE(parent, nullptr) << document;
      xmlNodePtr first = NewChild(parent, "n");
      NewTextChild(first, "v", value);
      NewTextChild(parent, "m", value);

      std::string markup = "<n><v>";
      xml::AppendEscapedText(markup, value);
      markup += "</v></n><m>";
      xml::AppendEscapedText(markup, value);
      markup += "</m>";
      std::string written;
      ASSERT_TRUE(edited.DumpWithTrailingMarkup(written, find(edited), markup)) << document;
      EXPECT_EQ(written, Reference(appended)) << document << " / " << value;

      std::string plain;
      ASSERT_TRUE(edited.DumpWithTrailingMarkup(plain, find(edited), "")) << document;
      std::string dumped;
      edited.Dump(dumped);
      EXPECT_EQ(plain, dumped) << "no markup writes the tree as it is: " << document;
    }
  }
}

TEST(SingleLineWriter, TrailingMarkupIsRefusedWhereOnlyLibxmlWrites) {
  XMLDoc doc;
  doc.ParseXML("<!DOCTYPE r><r><f/></r>");
  std::string written = "old";
  EXPECT_FALSE(doc.DumpWithTrailingMarkup(written, FindChildElement(doc.Root(), "f"), "<n/>"));
  EXPECT_EQ(written, "");
  XMLDoc empty;
  EXPECT_FALSE(empty.DumpWithTrailingMarkup(written, nullptr, "<n/>"));
  EXPECT_EQ(written, "");
}

}  // namespace
