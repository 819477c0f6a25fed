// Parsing, element search, node editing and the single-line Dump of XMLDoc; the
// single-line writer against libxml2's serialiser (declaration dropped, line feeds
// removed); and FlatDocument against the tree: every document it reads must come out
// exactly as XMLDoc writes it after the same edits, and every document it refuses
// must be one the tree handles (or rejects) on its own.
#include "xml/xml_doc.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "errors/tarn_exception.h"
#include "test_checks.h"
#include "xml/flat_document.h"
#include "xml/single_line_writer.h"
#include "xml_test_support.h"

namespace {

// The single-line Dump of `doc`, whose length Dump returns.
std::string Dumped(const XMLDoc& doc) {
  std::string out;
  const size_t length = doc.Dump(out);
  EXPECT_EQ(length, out.size());
  return out;
}

TEST(XMLDocParse, EmptyOrNullTextLeavesNoDocumentAndRaisesNothing) {
  XMLDoc doc;
  doc.ParseXML("<a/>");
  ASSERT_NE(doc.Root(), nullptr);
  EXPECT_NO_THROW(doc.ParseXML(""));
  EXPECT_EQ(doc.Root(), nullptr);
  EXPECT_NO_THROW(doc.ParseXML(nullptr));
  EXPECT_EQ(doc.Root(), nullptr);
  std::string out = "stale";
  EXPECT_EQ(doc.Dump(out), 0u);
  EXPECT_EQ(out, "");
  xml::FlatDocument flat;
  EXPECT_FALSE(flat.Read(nullptr, 0));
  EXPECT_FALSE(flat.Read("", 0));
}

// The text of the error that parsing `text` raises, or "parsed". Every failure is
// one major error from ParseXML, and leaves no document, not even the one before.
std::string ParseError(const std::string& text, XMLDoc::Rules rules,
                       std::string_view fileName = {}) {
  XMLDoc doc;
  doc.ParseXML("<previous/>");
  try {
    doc.ParseXML(text.data(), text.size(), rules, fileName);
    return "parsed";
  } catch (const Tarn_Exception& e) {
    EXPECT_EQ(doc.Root(), nullptr);
    const ExceptionMessage& message = e.entries.at(0)->message;
    EXPECT_EQ(std::tuple(e.severity, e.entries.size(), e.entries[0]->origin, message.id,
                         message.arguments.size()),
              std::tuple(MAJOR_ERROR, 1u, "XMLDoc::ParseXML()", "0000E", 1u));
    return message.arguments.at(0);
  }
}

std::string Nested(int depth, const std::string& inner = "") {
  std::string text;
  for (int i = 0; i < depth; ++i) text += "<d>";
  text += inner;
  for (int i = 0; i < depth; ++i) text += "</d>";
  return text;
}

// What a document may hold is the same whichever parser reads it: the flat reader
// passes all of these to the tree, and the tree's two parsers (for documents up to
// a mebibyte and beyond) give one error each.
TEST(XMLDocParse, RefusedDocumentsGiveTheSameErrorOnEveryPath) {
  const std::string doctype =
      "DOCTYPE refused: record documents may not carry a document type declaration";
  const std::string entity = "refused: documents may not declare entities";
  const std::string reference =
      "entity reference \"&e;\" refused: only XML's predefined entities are allowed";
  struct Row {
    std::string text;
    std::string general;  // the error under the general rules, "parsed" for none
    std::string record;   // the same under the record rules, when it differs
  } rows[] = {
      {"<!DOCTYPE a [<!ENTITY e \"" + std::string(2500, 'w') + "\">]><a>&e;&e;&e;</a>",
       "entity \"e\" " + entity, doctype},
      {"<!DOCTYPE a [<!ENTITY % p \"x\">]><a/>", "entity \"p\" " + entity, doctype},
      {"<!DOCTYPE a [<!NOTATION n SYSTEM \"n\"><!ENTITY u SYSTEM \"u\" NDATA n>]><a/>",
       "entity \"u\" " + entity, doctype},
      {"<!DOCTYPE a SYSTEM \"a.dtd\"><a>1&e;2</a>", reference, doctype},
      {"<!DOCTYPE a><a>&amp;&#65;</a>", "parsed", doctype},
      {"<a x='&e;'/>", "libxml2 error:Entity 'e' not defined", ""},
      {"<a>\n<b>", "libxml2 error:Premature end of data in tag b", ""},
      {"<a></b>", "libxml2 error:Opening and ending tag mismatch: a line 1 and b", ""},
      {"<a x='1' x='2'/>", "libxml2 error:Attribute x redefined", ""},
      {"\xff\xfe<a/>", "libxml2 error:Document is empty", ""},
      {Nested(256), "parsed", ""},
      {Nested(257), "document nested deeper than 256 elements", ""},
      {std::string("<a>x\0y</a>", 10), "character U+0000 not allowed in XML (line 1)", ""},
      {std::string("<a>x</a>\n\0junk", 14), "character U+0000 not allowed in XML (line 2)", ""},
      {"<a>&#0;</a>", "character U+0000 not allowed in XML (line 1)", ""},
      {"<a\n x='&#1;'/>", "character U+0001 not allowed in XML (line 2)", ""},
      {"<!--\x0b--><a/>", "character U+000B not allowed in XML (line 1)", ""},
      {"<a><![CDATA[\x1b]]></a>", "character U+001B not allowed in XML (line 1)", ""},
      {"<a>\xef\xbf\xbe</a>", "character U+FFFE not allowed in XML (line 1)", ""},
      {"\xff\xfe" + xml_test::Utf16Le("<a>") + std::string("\0\0", 2) + xml_test::Utf16Le("</a>"),
       "character U+0000 not allowed in XML (line 1)", ""},
      {"<?xml version='1.0' encoding='ISO-2022-JP'?><a>\x1b$B$\"\x1b(B</a>", "parsed", ""},
  };
  const std::string padding = "<!--" + std::string(1 << 20, ' ') + "-->";
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text.substr(0, 80));
    xml::FlatDocument flat;
    if (row.general != "parsed") {
      EXPECT_FALSE(flat.Read(row.text.data(), row.text.size()));
    }
    EXPECT_EQ(ParseError(row.text, XMLDoc::Rules::kGeneral), row.general);
    EXPECT_EQ(ParseError(row.text, XMLDoc::Rules::kRecordDocument),
              row.record.empty() ? row.general : row.record);
    if (row.text[0] == '<' && row.text[1] != '?') {
      EXPECT_EQ(ParseError(padding + row.text, XMLDoc::Rules::kGeneral), row.general)
          << "beyond a mebibyte";
    }
  }
}

TEST(XMLDocParse, RecordDocumentsHaveASizeLimitAndFilesAreNamed) {
  std::string record = "<a>" + std::string(xml::kLargestRecordDocument - 7, 'x') + "</a>";
  EXPECT_EQ(ParseError(record, XMLDoc::Rules::kRecordDocument), "parsed");
  record.insert(2, " ");
  EXPECT_EQ(ParseError(record, XMLDoc::Rules::kRecordDocument),
            "record document of 1048577 bytes refused: the largest accepted is 1048576 bytes");
  EXPECT_EQ(ParseError(record, XMLDoc::Rules::kGeneral), "parsed");

  EXPECT_EQ(ParseError("<a>", XMLDoc::Rules::kGeneral, "/etc/x.xml"),
            "libxml2 error:Premature end of data in tag a (file [/etc/x.xml])");
  EXPECT_EQ(ParseError("<a>\xe2\x82</a>", XMLDoc::Rules::kGeneral),
            "libxml2 error:Input is not proper UTF-8, indicate encoding ! Bytes: 0xE2 0x82 0x3C "
            "0x2F");
}

TEST(XMLDocParse, LargeDocumentsAndRepeatedParsesOnOneThread) {
  // Documents above a mebibyte take the other of the two parsers.
  auto document = [](int items) {
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root>\n";
    for (int i = 0; i < items; ++i) {
      text += "  <item n=\"" + std::to_string(i) + "\">text</item>\n";
    }
    return text + "</root>\n";
  };
  const std::string large = document(5000);
  const std::string huge = document(40000);
  ASSERT_GT(huge.size(), size_t{1} << 20);
  // Enough parses to renew the thread's parser contexts, with failures in between.
  for (int i = 0; i < 5000; ++i) {
    XMLDoc doc;
    if (i % 1000 == 7) {
      EXPECT_THROW(doc.ParseXML("<broken>"), Tarn_Exception);
      continue;
    }
    const std::string& big = i % 2000 == 0 ? large : huge;
    doc.ParseXML(i % 1000 == 0 ? big.c_str() : "<small><a>1</a></small>");
    ASSERT_NE(doc.Root(), nullptr) << i;
    if (i % 1000 == 0) {
      EXPECT_EQ(NodeAttribute(xmlLastElementChild(doc.Root()), "n", ""),
                &big == &large ? "4999" : "39999")
          << i;
    }
  }
}

TEST(XMLDocParse, WideEncodingsAreReadAsWritten) {
  // UTF-16LE, with and without byte-order mark; the second begins with "<" and a NUL.
  for (std::string prefix : {std::string("\xff\xfe"), std::string()}) {
    const std::string bytes =
        prefix + xml_test::Utf16Le("<?xml version='1.0' encoding='UTF-16'?><r a='x'>t</r>");
    XMLDoc doc;
    doc.ParseXML(bytes.data(), bytes.size());
    ASSERT_NE(doc.Root(), nullptr) << prefix.size();
    EXPECT_EQ(NodeContent(doc.Root(), ""), "t");
    EXPECT_EQ(Dumped(doc), "<r a=\"x\">t</r>");
  }
}

// A failed encoding conversion stops libxml2 without marking the document as
// malformed: what was converted before it must not pass for the document.
TEST(XMLDocParse, FailedEncodingConversionRaisesInsteadOfKeepingAPartialTree) {
  const std::string bytes = xml_test::BrokenUtf16("<r><v>ab", "cd</v></r>");
  testing::internal::CaptureStderr();
  xml::FlatDocument flat;
  EXPECT_FALSE(flat.Read(bytes.data(), bytes.size()));
  XMLDoc doc;
  const auto e =
      zeb_test::Thrown<Tarn_Exception>([&] { doc.ParseXML(bytes.data(), bytes.size()); });
  EXPECT_TRUE(zeb_test::Holds(e ? e->what() : "a truncated tree was taken", "conversion"));
  EXPECT_EQ(doc.Root(), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "nothing reaches the host's stderr";
}

TEST(XMLDocDump, DropsTheDeclarationAndEveryLineFeed) {
  const std::pair<const char*, const char*> rows[] = {
      {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<a><b>x</b></a>", "<a><b>x</b></a>"},
      {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>caf\xe9</a>", "<a>caf\xc3\xa9</a>"},
      {"<a>line one\nline two\n</a>", "<a>line oneline two</a>"},
      {"<!-- first -->\n<a/>\n<?pi data?>", "<!-- first --><a/><?pi data?>"},
      {"<a t=\"x&#10;y\">&#13;</a>", "<a t=\"x&#10;y\">&#13;</a>"},
  };
  for (const auto& [input, expected] : rows) {
    XMLDoc doc;
    doc.ParseXML(input);
    EXPECT_EQ(Dumped(doc), expected) << input;
  }
}

TEST(XMLDocFind, FindElementWithoutStartOnlyLooksAtTheRoot) {
  XMLDoc doc;
  doc.ParseXML("<root><child><deep/></child><child id='2'/></root>");
  EXPECT_EQ(doc.FindElement(nullptr, "root"), doc.Root());
  EXPECT_EQ(doc.FindElement(nullptr, "deep"), nullptr);
  EXPECT_EQ(doc.FindElement(nullptr, "Root"), nullptr);
  xmlNodePtr child = doc.FindElement(doc.Root(), "child");
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(doc.FindElement(doc.Root(), "deep"), nullptr) << "only direct children count";
  EXPECT_EQ(FindChildElement(child, "deep"), child->children);
  EXPECT_EQ(FindChildElement(child->children, "x"), nullptr);
}

TEST(XMLDocNodes, ContentAndAttributeDefaults) {
  XMLDoc doc;
  doc.ParseXML("<r e='' a='v'><empty></empty><mixed>a<![CDATA[<b>]]><i>c</i></mixed></r>");
  xmlNodePtr root = doc.Root();
  EXPECT_EQ(NodeAttribute(root, "e", "default"), "") << "an empty attribute is not absent";
  EXPECT_EQ(NodeAttribute(root, "a", "default"), "v");
  EXPECT_EQ(NodeAttribute(root, "missing", "default"), "default");
  EXPECT_EQ(NodeContent(FindChildElement(root, "empty"), "default"), "default");
  EXPECT_EQ(NodeContent(FindChildElement(root, "mixed"), ""), "a<b>c");
  EXPECT_EQ(NodeContent(nullptr, "default"), "default");
  EXPECT_EQ(NodeName(root), "r");

  // A text child holding the empty string still reads as the default.
  xmlNodePtr empty = FindChildElement(root, "empty");
  xmlAddChild(empty, xmlNewDocText(doc.document(), BAD_CAST ""));
  EXPECT_EQ(NodeContent(empty, "default"), "default");
}

TEST(XMLDocNodes, SetNodeContentStoresMarkupCharactersLiterally) {
  const char* texts[] = {"a &amp; <tag>", "x]]>y"};
  for (const char* text : texts) {
    XMLDoc doc;
    doc.ParseXML("<r><v>old<i/>text</v></r>");
    xmlNodePtr value = FindChildElement(doc.Root(), "v");
    SetNodeContent(value, text);
    EXPECT_EQ(NodeContent(value, ""), text);
    ASSERT_NE(value->children, nullptr);
    EXPECT_EQ(value->children, value->last) << "one text node replaces all children";

    const std::string out = Dumped(doc);
    XMLDoc again;
    again.ParseXML(out.c_str());
    EXPECT_EQ(NodeContent(FindChildElement(again.Root(), "v"), ""), text) << out;
  }
}

TEST(XMLDocNodes, NewChildrenAreAppendedLastWithoutNamespace) {
  XMLDoc doc;
  doc.ParseXML("<r xmlns='urn:x'><first/></r>");
  xmlNodePtr element = NewChild(doc.Root(), "OBS_FELEM");
  NewTextChild(element, "FELEM_CODE", "A<B");
  NewTextChild(element, "FELEM_VALUE", "");
  SetNodeName(doc.Root(), "STD_RESULT");
  EXPECT_EQ(Dumped(doc),
            "<STD_RESULT xmlns=\"urn:x\"><first/><OBS_FELEM><FELEM_CODE>A&lt;B</FELEM_CODE>"
            "<FELEM_VALUE></FELEM_VALUE></OBS_FELEM></STD_RESULT>");
  EXPECT_EQ(element->ns, nullptr);
  EXPECT_EQ(NewChild(nullptr, "x"), nullptr);
  EXPECT_EQ(NewTextChild(nullptr, "x", "y"), nullptr);
}

TEST(XMLDocDump, DeeplyNestedDocumentsAreWrittenWithoutRecursion) {
  constexpr int kDepth = 100000;
  const std::string text = Nested(kDepth);
  XMLDoc doc;
  // libxml2 refuses such depth unless asked otherwise: the parse must fail cleanly.
  EXPECT_THROW(doc.ParseXML(text.c_str()), Tarn_Exception);

  doc.ParseXML("<d/>");
  xmlNodePtr node = doc.Root();
  for (int i = 0; i < kDepth; ++i) node = NewChild(node, "d");
  EXPECT_EQ(Dumped(doc).size(), text.size() + 4);  // the innermost element is <d/>
}

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
    const std::string dumped = Dumped(doc);
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
  EXPECT_EQ(Dumped(doc), "<a/>");
  EXPECT_EQ(Reference(doc), "<a/>");
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
    auto find = [&, &name = parentName](const XMLDoc& doc) {
      for (xmlNodePtr node : xml_test::ElementsInOrder(doc.Root())) {
        if (NodeName(node) == name) return node;
      }
      return static_cast<xmlNodePtr>(nullptr);
    };
    for (const char* value : values) {
      XMLDoc edited;
      edited.ParseXML(document);
      XMLDoc appended;
      appended.ParseXML(document);
      xmlNodePtr parent = find(appended);
      ASSERT_NE(parent, nullptr) << document;
      NewTextChild(NewChild(parent, "n"), "v", value);
      NewTextChild(parent, "m", value);

      std::string escaped;
      xml::AppendEscapedText(escaped, value);
      const std::string markup = "<n><v>" + escaped + "</v></n><m>" + escaped + "</m>";
      std::string written;
      ASSERT_TRUE(edited.DumpWithTrailingMarkup(written, find(edited), markup)) << document;
      EXPECT_EQ(written, Reference(appended)) << document << " / " << value;

      std::string plain;
      ASSERT_TRUE(edited.DumpWithTrailingMarkup(plain, find(edited), "")) << document;
      EXPECT_EQ(plain, Dumped(edited)) << "no markup writes the tree as it is: " << document;
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

using xml::FlatDocument;
using xml_test::ElementsInOrder;

// One set of edits, made the same way on both forms, on elements by index.
constexpr FlatDocument::Index kNone = FlatDocument::kNone;
struct Edits {
  FlatDocument::Index setContentOf = kNone;
  std::string content;
  FlatDocument::Index appendChildTo = kNone;
  FlatDocument::Index markupAt = kNone;
};

void ExpectSameAsTree(const std::string& text, Edits edits) {
  SCOPED_TRACE(text.substr(0, 120));
  FlatDocument flat;
  ASSERT_TRUE(flat.Read(text.data(), text.size()));
  XMLDoc tree;
  tree.ParseXML(text.data(), text.size());
  std::vector<xmlNodePtr> nodes = ElementsInOrder(tree.Root());
  // New content frees the element's descendants: markup meant for one of them goes
  // after the element itself, or the tree would be handed a freed node.
  if (edits.setContentOf != kNone && edits.markupAt != kNone) {
    for (xmlNodePtr up = nodes[edits.markupAt]->parent; up != nullptr; up = up->parent) {
      if (up == nodes[edits.setContentOf]) edits.markupAt = edits.setContentOf;
    }
  }

  const std::string markup = "<OBS_FELEM><FELEM_CODE>X</FELEM_CODE></OBS_FELEM>";
  if (edits.setContentOf != kNone) {
    flat.SetContent(edits.setContentOf, edits.content);
    SetNodeContent(nodes[edits.setContentOf], edits.content);
  }
  if (edits.appendChildTo != kNone) {
    flat.AppendTextChild(edits.appendChildTo, "FELEM_VALUE", "a&b");
    NewTextChild(nodes[edits.appendChildTo], "FELEM_VALUE", "a&b");
  }
  flat.Rename(0, "STD_RESULT");
  SetNodeName(tree.Root(), "STD_RESULT");

  std::string fromTree;
  xmlNodePtr markupNode = edits.markupAt != kNone ? nodes[edits.markupAt] : nullptr;
  ASSERT_TRUE(tree.DumpWithTrailingMarkup(fromTree, markupNode, markup));
  std::string fromFlat;
  flat.Write(fromFlat, edits.markupAt, markup);
  EXPECT_EQ(fromFlat, fromTree) << "content of " << edits.setContentOf << ", child to "
                                << edits.appendChildTo << ", markup at " << edits.markupAt;
}

TEST(FlatDocument, WritesWhatTheTreeWritesAfterTheSameEdits) {
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
      Nested(200, "x"),
  };
  for (const std::string& text : documents) {
    XMLDoc counted;
    counted.ParseXML(text.data(), text.size());
    const auto count = static_cast<FlatDocument::Index>(ElementsInOrder(counted.Root()).size());
    ExpectSameAsTree(text, Edits{});
    for (FlatDocument::Index i = 0; i < count && i < 8; ++i) {
      ExpectSameAsTree(text, Edits{i, "new & <x>\r", kNone, i});
      ExpectSameAsTree(text, Edits{i, "", kNone, 0});
      ExpectSameAsTree(text, Edits{kNone, "", i, i});
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
