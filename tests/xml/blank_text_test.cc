// Whitespace-only text between elements is dropped from every document, also from
// those read before the first Dump of the process: worker threads must not see a
// default that depends on which of them writes first. Its own executable, so that
// nothing has been written before it runs.
#include <gtest/gtest.h>

#include <string>

#include "xml/flat_document.h"
#include "xml/xml_doc.h"

namespace {

TEST(XMLDocBlankText, SameOutputBeforeAndAfterTheFirstDump) {
  const char* indented = "<a>\n  <b> x </b>\n  <c>  </c>\n</a>";
  const std::string blankBetween = "<a><b> </b><c/></a>";
  xml::FlatDocument flat;
  EXPECT_FALSE(flat.Read(blankBetween.data(), blankBetween.size()))
      << "whitespace-only text is the tree's to judge";
  for (int round = 0; round < 2; ++round) {
    XMLDoc doc;
    doc.ParseXML(indented);
    std::string out;
    doc.Dump(out);
    EXPECT_EQ(out, "<a><b> x </b><c>  </c></a>") << "round " << round;
  }
  EXPECT_FALSE(flat.Read(blankBetween.data(), blankBetween.size()));
}

}  // namespace
