// The blank-text switch: whitespace-only text between elements survives in documents
// parsed before the first Dump of the process and is dropped from those parsed after.
#include <string>

#include <gtest/gtest.h>

#include "xml/flat_document.h"
#include "xml/xml_doc.h"

namespace {

TEST(XMLDocBlankText, FirstDumpDropsBlankTextFromLaterDocuments) {
  const char* indented = "<a>\n  <b> x </b>\n  <c>  </c>\n</a>";
  // A flat document read before the first Dump keeps such text as well; after it,
  // the tree has to decide.
  const std::string flatText = "<a><b> </b><c/></a>";
  xml::FlatDocument flat;
  ASSERT_TRUE(flat.Read(flatText.data(), flatText.size()));
  XMLDoc before;
  before.ParseXML(indented);
  std::string out;
  before.Dump(out);
  EXPECT_EQ(out, "<a>  <b> x </b>  <c>  </c></a>");

  XMLDoc after;
  after.ParseXML(indented);
  after.Dump(out);
  EXPECT_EQ(out, "<a><b> x </b><c>  </c></a>") << "text that is not only blank stays";

  std::string fromFlat;
  flat.Write(fromFlat, xml::FlatDocument::kNone, "");
  EXPECT_EQ(fromFlat, flatText);
  EXPECT_FALSE(flat.Read(flatText.data(), flatText.size()));
}

}  // namespace
