// The derived elements (how the host's services are called and their answers used),
// and the direct tree walk, which must select exactly the element that libxml2's XPath
// selects for each of the twelve expressions.
#include "plugin/address_elements.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "plugin/address_derived_element_creator.h"
#include "test_host.h"
#include "xml/xml_doc.h"

namespace {

using plugin_test::Host;
using plugin_test::TokenAnswer;

// "CODE=value" of every element appended, separated by "|".
struct Transcript : plugin::ElementSink {
  void Append(const char* code, const std::string& value) override {
    text += (text.empty() ? "" : "|") + std::string(code) + "=" + value;
  }
  std::string text;
};

class DerivedElements : public ::testing::Test {
 protected:
  void SetUp() override {
    Host().Reset();
    feature_.text.clear();
  }

  std::string Appended() const { return feature_.text; }

  std::string StreetNameStd(const std::string& streetName, const std::string& script = "") {
    addr::AddressRecord record;
    record.streetName = streetName;
    record.script = script;
    creator_.AddStreetNameStd(record, services_.getTokenInfo);
    return Appended();
  }

  plugin::RecordServices services_ = plugin_test::StubServices();
  Transcript feature_;
  plugin::AddressDerivedElementCreator creator_{services_.transliterateText,
                                                services_.metaphoneEncode, &feature_};
};

TEST_F(DerivedElements, PostalFiveKeepsFiveLeadingDigitsOnly) {
  const std::pair<const char*, const char*> rows[] = {
      {"123 45-6789", "12345"}, {"1234A-5", "1234A-5"}, {"   ", ""}, {"stra\u00DFe", "STRASSE"}};
  for (const auto& [postalCode, expected] : rows) {
    SetUp();
    addr::AddressRecord record;
    record.postalCode = postalCode;
    EXPECT_TRUE(creator_.AddPostal5(record)) << postalCode;
    EXPECT_EQ(Appended(), std::string("POSTAL_5=") + expected) << postalCode;
  }
  SetUp();
  EXPECT_FALSE(creator_.AddPostal5(addr::AddressRecord()));
  EXPECT_EQ(Appended(), "");
}

TEST_F(DerivedElements, ScriptCodesCompareWholeTextsIgnoringCase) {
  const std::pair<const char*, int32_t> rows[] = {
      {"CHINESE", 1}, {"hanzi", 1},  {"Japanese", 2},        {"kanji", 2},
      {"", 0},        {" KANJI", 0}, {"JAPANESE SCRIPT", 0}, {"CHINES", 0}};
  for (const auto& [script, code] : rows) {
    EXPECT_EQ(plugin::ScriptCode(script), code) << script;
  }
  StreetNameStd("Main", "kanji");
  ASSERT_EQ(Host().transliterated.size(), 1u);
  EXPECT_EQ(Host().transliterated[0], "Main|2");
}

TEST_F(DerivedElements, TokenScoreDecidesBetweenDroppingAndStandardForm) {
  Host().tokens["EDGE"] = TokenAnswer{1, "E", false, 49};
  Host().tokens["PASS"] = TokenAnswer{1, "STANDARD", false, 50};
  Host().tokens["UNKNOWN"] = TokenAnswer{0, "IGNORED", false, 90};
  Host().tokens["NOFORM"] = TokenAnswer{1, "", true, 80};
  Host().tokens["EMPTYFORM"] = TokenAnswer{1, "", false, 80};
  Host().tokens["NEGATIVE"] = TokenAnswer{1, "N", false, -1};
  EXPECT_EQ(StreetNameStd("edge pass unknown noform emptyform negative"),
            "STR_NAME_STD=#STANDARD #UNKNOWN #NOFORM #EMPTYFORM");
  EXPECT_EQ(Host().tokenQueries.front(), "STR_NAME|EDGE");
  EXPECT_EQ(Host().tokenQueries.size(), 6u);
}

TEST_F(DerivedElements, NameKeepsLettersDigitsAndSpacesAndUpperCasesAsciiOnly) {
  const std::pair<const char*, const char*> rows[] = {
      {"O'Brien-Smith\tSt.", "STR_NAME_STD=#OBRIENSMITHST"},
      {"rue de l'\xc3\xa9glise", "STR_NAME_STD=#RUE #DE #L\xc3\xa9GLISE"},
      {"  42nd   street  ", "STR_NAME_STD=#42ND #STREET"},
      {"\xf0\x9f\x98\x80 smile", "STR_NAME_STD=#SMILE"},
      {"-- ,. !", "STR_NAME_STD="},
  };
  for (const auto& [name, expected] : rows) {
    SetUp();
    EXPECT_EQ(StreetNameStd(name), expected) << name;
  }
  EXPECT_TRUE(Host().tokenQueries.empty()) << "punctuation only: no words to look up";
}

// ASCII names are reduced without ICU; a non-ASCII word added to the same name takes
// the Unicode way, and both must keep the same letters, digits and spaces.
TEST_F(DerivedElements, AsciiNamesReduceAsTheUnicodeClassesDo) {
  const std::string unicodeWord = "#\xc3\xa9";
  for (int c = 1; c < 128; ++c) {
    const std::string name = std::string("a") + static_cast<char>(c) + "b " + static_cast<char>(c) +
                             " z" + static_cast<char>(c);
    SetUp();
    const std::string ascii = StreetNameStd(name);
    SetUp();
    std::string unicode = StreetNameStd(name + " \xc3\xa9");
    ASSERT_GE(unicode.size(), unicodeWord.size()) << c;
    ASSERT_EQ(unicode.substr(unicode.size() - unicodeWord.size()), unicodeWord) << c;
    unicode.resize(unicode.size() - unicodeWord.size());
    if (unicode.back() == ' ') unicode.pop_back();
    EXPECT_EQ(ascii, unicode) << "byte " << c;
  }
}

// Held-back elements are written exactly as their nodes would be, and the nodes
// appear when the tree has to be written by libxml2.
TEST(PendingElements, WriteWhatAppendedNodesWouldGive) {
  const char* documents[] = {
      "<STD_BOM><OBS_FEAT/></STD_BOM>",
      "<STD_BOM><OBS_FEAT><OBS_FELEM><FELEM_CODE>ADDR1</FELEM_CODE></OBS_FELEM></OBS_FEAT>"
      "<TAIL/></STD_BOM>",
      "<!DOCTYPE STD_BOM><STD_BOM><OBS_FEAT>x</OBS_FEAT></STD_BOM>",
  };
  const std::string values[] = {"12", "", "A&B <c> \"d\"\r\n", "\xc3\xa9 \xff",
                                std::string("cut\0off", 7)};
  for (const char* document : documents) {
    XMLDoc held;
    held.ParseXML(document);
    XMLDoc built;
    built.ParseXML(document);
    plugin::PendingElements pending(FindChildElement(held.Root(), "OBS_FEAT"));
    for (const std::string& value : values) {
      pending.Append("STR_NUM", value);
      plugin::AppendAddressElement(FindChildElement(built.Root(), "OBS_FEAT"), "STR_NUM", value);
    }
    std::string expected;
    built.Dump(expected);
    std::string written;
    if (!held.DumpWithTrailingMarkup(written, pending.feature(), pending.Markup())) {
      pending.Materialise();
      held.Dump(written);
      EXPECT_EQ(pending.Markup(), "") << document;
    }
    EXPECT_EQ(written, expected) << document;
  }
}

TEST_F(DerivedElements, OnlyLeadingSpacesOfTheCodesAreRemoved) {
  Host().codes["RUE"] = "";
  Host().codes["DE"] = "";
  Host().codes["LA"] = "";
  EXPECT_EQ(StreetNameStd("rue grande de paix la"), "STR_NAME_STD=#GRANDE  #PAIX ");
}

TEST_F(DerivedElements, WithoutObsFeatNothingIsAppended) {
  addr::AddressRecord record;
  record.streetName = "Main";
  record.city = "Springfield";
  record.postalCode = "12345";
  record.streetNumber = "12";
  record.unitNumber = "b";
  const plugin::AddressDerivedElementCreator creator(services_.transliterateText,
                                                     services_.metaphoneEncode, nullptr);
  EXPECT_FALSE(creator.AddStreetNameStd(record, services_.getTokenInfo));
  EXPECT_TRUE(Host().transliterated.empty()) << "the street name calls no service then";
  EXPECT_FALSE(creator.AddCityStd(record, services_.getTokenInfo));
  EXPECT_EQ(Host().transliterated.size(), 1u) << "the city is standardised all the same";
  EXPECT_FALSE(creator.AddPostal5(record));
  EXPECT_FALSE(creator.AddStreetNumber(record));
  EXPECT_FALSE(creator.AddUnitNumber(record));
}

TEST_F(DerivedElements, NumbersAreUpperCasedCopies) {
  addr::AddressRecord record;
  record.streetNumber = "12a";
  record.unitNumber = "b";
  record.city = "new york";
  EXPECT_TRUE(creator_.AddStreetNumber(record));
  EXPECT_TRUE(creator_.AddUnitNumber(record));
  EXPECT_TRUE(creator_.AddCityStd(record, services_.getTokenInfo));
  EXPECT_EQ(Appended(), "STR_NUM=12A|UNIT_NUM=B|CITY_STD=#NEW #YORK");
  EXPECT_EQ(Host().tokenQueries.front(), "CITY|NEW");
}

TEST_F(DerivedElements, HostFillingWholeBuffersCannotMakeUsReadPastThem) {
  Host().fillWholeBuffers = true;
  EXPECT_EQ(StreetNameStd("Main"), "STR_NAME_STD=" + std::string(255, 'X'));
  ASSERT_EQ(Host().tokenQueries.size(), 1u);
  EXPECT_EQ(Host().tokenQueries[0], "STR_NAME|" + std::string(2047, 'X'));
}

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
