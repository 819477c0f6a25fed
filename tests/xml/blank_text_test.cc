// The blank-text switch: whitespace-only text between elements survives in documents
// parsed before the first Dump of the process and is dropped from those parsed after.
#include <string>

#include <gtest/gtest.h>

#include "xml/xml_doc.h"

namespace {

TEST(XMLDocBlankText, FirstDumpDropsBlankTextFromLaterDocuments) {
  const char* indented = "<a>\n  <b> x </b>\n  <c>  </c>\n</a>";
  XMLDoc before;
  before.ParseXML(indented);
  std::string out;
  before.Dump(out);
  EXPECT_EQ(out, "<a>  <b> x </b>  <c>  </c></a>");

  XMLDoc after;
  after.ParseXML(indented);
  after.Dump(out);
  EXPECT_EQ(out, "<a><b> x </b><c>  </c></a>") << "text that is not only blank stays";
}

}  // namespace
