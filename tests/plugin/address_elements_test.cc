// The direct tree walk must select exactly the element that libxml2's XPath selects
// for each of the twelve expressions.
#include "plugin/address_elements.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "xml/xml_doc.h"

namespace {

const char* kDocuments[] = {
    // Ordinary record, several OBS_FEAT, repeated codes.
    "<STD_BOM><OBS_FEAT><OBS_FELEM><FELEM_CODE>ADDR1</FELEM_CODE><FELEM_VALUE>1</FELEM_VALUE>"
    "</OBS_FELEM><OBS_FELEM><FELEM_CODE>ADDR1</FELEM_CODE><FELEM_VALUE>2</FELEM_VALUE>"
    "</OBS_FELEM></OBS_FEAT><OBS_FEAT><OBS_FELEM><FELEM_CODE>CITY</FELEM_CODE></OBS_FELEM>"
    "<OBS_FELEM><FELEM_CODE>ADDR2</FELEM_CODE></OBS_FELEM></OBS_FEAT></STD_BOM>",
    // Several FELEM_CODE children: any of them may match.
    "<STD_BOM><OBS_FEAT><OBS_FELEM><FELEM_CODE>X</FELEM_CODE><FELEM_CODE>CITY</FELEM_CODE>"
    "<FELEM_CODE>ADDR1</FELEM_CODE></OBS_FELEM><OBS_FELEM><FELEM_CODE>CITY</FELEM_CODE>"
    "</OBS_FELEM></OBS_FEAT></STD_BOM>",
    // Spaces, case, empty codes: no match.
    "<STD_BOM><OBS_FEAT><OBS_FELEM><FELEM_CODE> ADDR1</FELEM_CODE></OBS_FELEM>"
    "<OBS_FELEM><FELEM_CODE>addr1</FELEM_CODE></OBS_FELEM><OBS_FELEM><FELEM_CODE>ADDR1 "
    "</FELEM_CODE></OBS_FELEM><OBS_FELEM><FELEM_CODE/></OBS_FELEM><OBS_FELEM>"
    "<FELEM_CODE>ADDR1</FELEM_CODE></OBS_FELEM></OBS_FEAT></STD_BOM>",
    // Codes built from several text pieces, comments, CDATA, entities, nested elements.
    "<STD_BOM><OBS_FEAT><OBS_FELEM><FELEM_CODE>AD<!-- c -->DR1</FELEM_CODE></OBS_FELEM>"
    "<OBS_FELEM><FELEM_CODE><![CDATA[CITY]]></FELEM_CODE></OBS_FELEM><OBS_FELEM>"
    "<FELEM_CODE>&#x53;CRIPT</FELEM_CODE></OBS_FELEM><OBS_FELEM><FELEM_CODE>STR<b>_NUM</b>"
    "</FELEM_CODE></OBS_FELEM><OBS_FELEM><FELEM_CODE>COUN<?pi x?>TRY</FELEM_CODE></OBS_FELEM>"
    "<OBS_FELEM><FELEM_CODE>POSTAL&amp;CODE</FELEM_CODE></OBS_FELEM></OBS_FEAT></STD_BOM>",
    // Elements at the wrong depth or under the wrong parent do not count.
    "<STD_BOM><OBS_FELEM><FELEM_CODE>ADDR1</FELEM_CODE></OBS_FELEM><OBS_FEAT><x><OBS_FELEM>"
    "<FELEM_CODE>ADDR1</FELEM_CODE></OBS_FELEM></x><OBS_FELEM><y><FELEM_CODE>ADDR2</FELEM_CODE>"
    "</y></OBS_FELEM><OBS_FELEM><FELEM_CODE>ADDR3</FELEM_CODE></OBS_FELEM></OBS_FEAT></STD_BOM>",
    // Namespaces: a default namespace hides the elements from the name tests.
    "<STD_BOM xmlns='urn:x'><OBS_FEAT><OBS_FELEM><FELEM_CODE>ADDR1</FELEM_CODE></OBS_FELEM>"
    "</OBS_FEAT></STD_BOM>",
    "<STD_BOM><OBS_FEAT xmlns:p='urn:p'><p:OBS_FELEM><FELEM_CODE>ADDR1</FELEM_CODE></p:OBS_FELEM>"
    "<OBS_FELEM><p:FELEM_CODE>CITY</p:FELEM_CODE><FELEM_CODE xmlns='urn:d'>SCRIPT</FELEM_CODE>"
    "</OBS_FELEM><OBS_FELEM xmlns=''><FELEM_CODE>UNIT_NUM</FELEM_CODE></OBS_FELEM></OBS_FEAT>"
    "</STD_BOM>",
    // A root of another name: nothing.
    "<OTHER><OBS_FEAT><OBS_FELEM><FELEM_CODE>ADDR1</FELEM_CODE></OBS_FELEM></OBS_FEAT></OTHER>",
    "<STD_BOM/>",
};

xmlNodePtr FirstXPathNode(const XMLDoc& doc, plugin::AddressCode code) {
  xmlXPathObjectPtr result = doc.EvaluateXPath(plugin::AddressElementXPath(code));
  std::vector<xmlNodePtr> nodes;
  NodesOf(result, nodes, true);
  FreeXPathResult(result);
  return nodes.empty() ? nullptr : nodes.front();
}

TEST(AddressElements, SelectionEqualsXPathEvaluation) {
  // All eleven codes, in reverse order, with whitespace and attributes around.
  std::string allCodes = "<STD_BOM a='1'>\n <OBS_FEAT>\n";
  for (size_t code = plugin::kAddressCodeCount; code-- > 0;) {
    allCodes += "  <OBS_FELEM t='x'><FELEM_CODE>" + std::string(plugin::kAddressCodes[code]) +
                "</FELEM_CODE></OBS_FELEM>\n";
  }
  std::vector<std::string> documents(std::begin(kDocuments), std::end(kDocuments));
  documents.push_back(allCodes + " </OBS_FEAT>\n</STD_BOM>");
  for (const std::string& document : documents) {
    const char* text = document.c_str();
    XMLDoc doc;
    doc.ParseXML(text);
    plugin::AddressElements selected = plugin::SelectAddressElements(doc.document());
    size_t matches = 0;
    for (size_t code = 0; code < plugin::kAddressCodeCount; ++code) {
      xmlNodePtr expected = FirstXPathNode(doc, static_cast<plugin::AddressCode>(code));
      EXPECT_EQ(selected[code], expected) << plugin::kAddressCodes[code] << " in " << text;
      if (expected != nullptr) ++matches;
    }
    // Guards against a table of documents in which nothing ever matches.
    if (std::string(text).find("<STD_BOM><OBS_FEAT><OBS_FELEM><FELEM_CODE>ADDR1") == 0) {
      EXPECT_GT(matches, 0u) << text;
    }
  }
}

TEST(AddressElements, FirstMatchInDocumentOrderWins) {
  XMLDoc doc;
  doc.ParseXML(kDocuments[0]);
  plugin::AddressElements selected = plugin::SelectAddressElements(doc.document());
  ASSERT_NE(selected[plugin::kAddressLine1], nullptr);
  EXPECT_EQ(NodeContent(FindChildElement(selected[plugin::kAddressLine1], "FELEM_VALUE"), ""), "1");
  EXPECT_NE(selected[plugin::kCity], nullptr) << "a second OBS_FEAT is searched too";
  EXPECT_EQ(plugin::SelectAddressElements(nullptr)[plugin::kCity], nullptr);
}

}  // namespace
