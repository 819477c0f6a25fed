// The record flow, driven in-process with stub services and the tests' US
// configuration, each case read as a transcript of the result's OBS_FEAT; copies into
// the host's buffers never write past them; the derived elements (how the host's
// services are called and their answers used); and the direct tree walk, which must
// select exactly the element that libxml2's XPath selects for each of the twelve
// expressions.
#include "plugin/record_processing.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "addressparser/address_parser.h"
#include "errors/tarn_exception.h"
#include "plugin/address_derived_element_creator.h"
#include "plugin/address_elements.h"
#include "plugin/result_buffer.h"
#include "test_checks.h"
#include "test_configuration.h"
#include "test_host.h"
#include "xml/xml_doc.h"

namespace {

using plugin_test::Host;
using plugin_test::TokenAnswer;

class RecordProcessing : public ::testing::Test {
 protected:
  void SetUp() override { Host().Reset(); }

  const char* ProcessRecord(const char* input, const plugin::RecordServices& services,
                            std::string& result) {
    return plugin::ProcessRecord(input, *parser_, services, result);
  }

  // The result document, checked to be one line starting with the renamed root.
  std::string Process(const std::string& input) {
    std::string result;
    EXPECT_EQ(ProcessRecord(input.c_str(), plugin_test::StubServices(), result), nullptr);
    EXPECT_EQ(result.rfind("<STD_RESULT", 0), 0u) << result;
    EXPECT_EQ(result.find('\n'), std::string::npos) << result;
    return result;
  }

  addr::AddressParserPtr parser_ = addr::AddressParser::fromText(zeb_test::kUsConfiguration);
};

// "CODE=value" of every OBS_FELEM of the result's OBS_FEAT, joined by "|".
std::string Transcript(const std::string& resultDocument) {
  XMLDoc doc;
  doc.ParseXML(resultDocument.c_str());
  std::string out;
  for (xmlNodePtr e = doc.FindElement(doc.Root(), "OBS_FEAT")->children; e != nullptr;
       e = e->next) {
    out += (out.empty() ? "" : "|") + NodeContent(FindChildElement(e, "FELEM_CODE"), "");
    xmlNodePtr value = FindChildElement(e, "FELEM_VALUE");
    if (value != nullptr) out += "=" + NodeContent(value, "");
  }
  return out;
}

TEST_F(RecordProcessing, RecordsGiveTheirTranscripts) {
  using plugin_test::RecordDocument;
  const std::pair<std::string, const char*> kCases[] = {
      // Parsed, written back and derived.
      {RecordDocument({{"ADDR1", "123 Main St"}, {"POSTAL_CODE", "12345-6789"}}),
       "ADDR1=123 Main St|POSTAL_CODE=12345-6789|STR_NUM=123|STR_NAME=MAIN|"
       "STR_NAME_STD=#MAIN|POSTAL_5=12345|STR_NUM=123"},
      {RecordDocument({{"ADDR1", "12b Main St Apt 4c"}, {"CITY", "Springfield"}}),
       "ADDR1=12b Main St Apt 4c|CITY=Springfield|STR_NUM=12B|STR_NAME=MAIN|UNIT_TYPE=APT|"
       "UNIT_NUM=4C|STR_NAME_STD=#MAIN|CITY_STD=#SPRINGFIELD|STR_NUM=12B|UNIT_NUM=4C"},
      // A post-office box without a unit becomes UNIT_TYPE POB and the box number.
      {RecordDocument({{"ADDR1", "PO Box 42"}}), "ADDR1=PO Box 42|UNIT_TYPE=POB|UNIT_NUM=42"},
      {RecordDocument({{"UNIT_TYPE", ""}, {"UNIT_NUM", ""}, {"ADDR1", "PO Box 42"}}),
       "UNIT_TYPE=POB|UNIT_NUM=42|ADDR1=PO Box 42"},
      // Already parsed: the address lines are not read, no numbers are appended.
      {RecordDocument({{"ADDR1", "999 Other Rd"}, {"STR_NAME", "Elm"}, {"UNIT_NUM", "7"}}),
       "ADDR1=999 Other Rd|STR_NAME=Elm|UNIT_NUM=7|STR_NAME_STD=#ELM"},
      // An empty STR_NUM does not make the record parsed; it receives the number.
      {RecordDocument({{"STR_NUM", ""}, {"ADDR1", "123 Main St"}}),
       "STR_NUM=123|ADDR1=123 Main St|STR_NAME=MAIN|STR_NAME_STD=#MAIN|STR_NUM=123"},
      // An existing element without FELEM_VALUE gets one rather than losing the value.
      {"<STD_BOM><OBS_FEAT><OBS_FELEM><FELEM_CODE>STR_NUM</FELEM_CODE></OBS_FELEM>"
       "<OBS_FELEM><FELEM_CODE>ADDR1</FELEM_CODE><FELEM_VALUE>123 Main St</FELEM_VALUE>"
       "</OBS_FELEM></OBS_FEAT></STD_BOM>",
       "STR_NUM=123|ADDR1=123 Main St|STR_NAME=MAIN|STR_NAME_STD=#MAIN|STR_NUM=123"},
      // The script code reaches TransliterateText (the stub shows it as a word).
      {RecordDocument({{"SCRIPT", "kanji"}, {"STR_NAME", "Elm"}, {"CITY", "Tokyo"}}),
       "SCRIPT=kanji|STR_NAME=Elm|CITY=Tokyo|STR_NAME_STD=#ELM #SCRIPT2|"
       "CITY_STD=#TOKYO #SCRIPT2"},
      // Markup characters stay literal text.
      {RecordDocument({{"STR_NAME", "A &amp; B &lt;x&gt;"}}),
       "STR_NAME=A & B <x>|STR_NAME_STD=#A #B #X"},
  };
  zeb_test::ExpectEach(kCases,
                       [&](const std::string& input) { return Transcript(Process(input)); });
}

// A one-line address gains the CITY and POSTAL_CODE it lacks, and their derived
// elements; the STATE it has stays as it is.
TEST_F(RecordProcessing, OneLineAddressGainsItsLocality) {
  parser_ = addr::AddressParser::fromText(zeb_test::kLocality, parser_.get());
  EXPECT_EQ(Transcript(Process(plugin_test::RecordDocument(
                {{"ADDR1", "12 Main St, Springfield, IL 62704-1234"}, {"STATE", "Illinois"}}))),
            "ADDR1=12 Main St, Springfield, IL 62704-1234|STATE=Illinois|STR_NUM=12|STR_NAME=MAIN|"
            "CITY=Springfield|POSTAL_CODE=62704-1234|STR_NAME_STD=#MAIN|CITY_STD=#SPRINGFIELD|"
            "POSTAL_5=62704|STR_NUM=12");
}

TEST_F(RecordProcessing, DocumentsWithoutTheUsualShapeKeepTheirContent) {
  const std::pair<const char*, const char*> rows[] = {
      {"<STD_BOM><OTHER>123 Main St</OTHER></STD_BOM>",
       "<STD_RESULT><OTHER>123 Main St</OTHER></STD_RESULT>"},
      {"<OTHER><OBS_FEAT><OBS_FELEM><FELEM_CODE>ADDR1</FELEM_CODE><FELEM_VALUE>123 Main St"
       "</FELEM_VALUE></OBS_FELEM></OBS_FEAT></OTHER>",
       "<STD_RESULT><OBS_FEAT><OBS_FELEM><FELEM_CODE>ADDR1</FELEM_CODE><FELEM_VALUE>123 Main St"
       "</FELEM_VALUE></OBS_FELEM></OBS_FEAT></STD_RESULT>"},
      {"<?xml version=\"1.0\"?>\n<STD_BOM>\n<!-- keep -->\n</STD_BOM>\n",
       "<STD_RESULT><!-- keep --></STD_RESULT>"},
  };
  zeb_test::ExpectEach(rows, [&](const char* input) { return Process(input); });
}

TEST_F(RecordProcessing, NoDocumentToWorkOnIsReported) {
  std::string result = "stale";
  EXPECT_STREQ(ProcessRecord(nullptr, plugin_test::StubServices(), result),
               plugin::kEmptyInputDocument);
  EXPECT_EQ(result, "");
  EXPECT_STREQ(ProcessRecord("", plugin_test::StubServices(), result), plugin::kEmptyInputDocument);
  plugin::RecordServices incomplete = plugin_test::StubServices();
  incomplete.metaphoneEncode = nullptr;
  EXPECT_STREQ(ProcessRecord("<STD_BOM/>", incomplete, result), plugin::kServicesMissing);
}

// Records are parsed under the record rules: a document type, which could declare an
// entity that expands to megabytes of address, is refused before anything is expanded.
TEST_F(RecordProcessing, MalformedOrRefusedDocumentRaisesTheParseError) {
  // The error, or how it begins.
  const std::pair<const char*, const char*> rows[] = {
      {"<STD_BOM>", "libxml2 error:"},
      {"<!DOCTYPE STD_BOM [<!ENTITY e \"a\">]><STD_BOM>&e;</STD_BOM>",
       "DOCTYPE refused: record documents may not carry a document type declaration"},
  };
  std::string result;
  for (const auto& [text, error] : rows) {
    const auto e = zeb_test::Thrown<Tarn_Exception>(
        [&] { ProcessRecord(text, plugin_test::StubServices(), result); });
    ASSERT_TRUE(e) << text;
    EXPECT_EQ(e->entries.at(0)->origin, "XMLDoc::ParseXML()") << text;
    EXPECT_EQ(e->entries.at(0)->message.arguments.at(0).rfind(error, 0), 0u) << text;
  }
}

constexpr char kGuard = '\x7f';

// A buffer of `size` bytes followed by guard bytes that must survive.
struct GuardedBuffer {
  explicit GuardedBuffer(size_t bufferSize) : bytes(bufferSize + 8, kGuard), size(bufferSize) {}
  char* data() { return bytes.data(); }
  bool guardIntact() const { return std::string(bytes.data() + size, 8) == std::string(8, kGuard); }
  std::vector<char> bytes;
  size_t size;
};

// A message is cut without terminator when it does not fit, and padded with NUL
// bytes when it does.
TEST(BoundedMessage, CutOrPaddedToTheBuffer) {
  const std::string message = "No GETLOGGER callback provided";
  for (uint32_t size : {0u, 1u, 10u, 30u, 40u}) {
    GuardedBuffer buffer(size);
    plugin::CopyBoundedMessage(message, buffer.data(), size);
    std::string expected = message.substr(0, size);
    expected.resize(size, '\0');
    EXPECT_EQ(std::string(buffer.data(), size), expected) << size;
    EXPECT_TRUE(buffer.guardIntact()) << size;
  }
  plugin::CopyBoundedMessage("message", nullptr, 10);  // no buffer: nothing to write
}

TEST(ResultDocument, FitsOnlyWhenShorterThanTheBuffer) {
  const std::string document = "<STD_RESULT>" + std::string(100, 'x') + "</STD_RESULT>";
  const std::string error = plugin::ErrorDocument(plugin::kResultTooLarge);
  ASSERT_EQ(error.size(), 89u);
  // A buffer size, the result, and what the buffer holds.
  const std::tuple<uint32_t, int32_t, std::string> rows[] = {
      {static_cast<uint32_t>(document.size() + 1), 0, document},
      {static_cast<uint32_t>(document.size()), -5, error.substr(0, document.size() - 1)},
      {90, -5, error},
      {89, -5, error.substr(0, 88)},
      {1, -5, ""},
  };
  for (const auto& [size, result, expected] : rows) {
    GuardedBuffer buffer(size);
    EXPECT_EQ(plugin::CopyResultDocument(document, buffer.data(), size), result) << size;
    EXPECT_EQ(std::string(buffer.data()), expected) << size;
    EXPECT_TRUE(buffer.guardIntact()) << size;
  }
  GuardedBuffer empty(0);
  EXPECT_EQ(plugin::CopyResultDocument(document, empty.data(), 0), -5);
  EXPECT_TRUE(empty.guardIntact());
  EXPECT_EQ(plugin::CopyResultDocument(document, nullptr, 1000), 0);
}

// "CODE=value" of every element appended, separated by "|".
struct AppendedElements : plugin::ElementSink {
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
  AppendedElements feature_;
  plugin::AddressDerivedElementCreator creator_{services_.transliterateText,
                                                services_.metaphoneEncode, &feature_};
};

TEST_F(DerivedElements, PostalFiveKeepsFiveLeadingDigitsOnly) {
  const std::pair<const char*, const char*> rows[] = {{"123 45-6789", "POSTAL_5=12345"},
                                                      {"1234A-5", "POSTAL_5=1234A-5"},
                                                      {"   ", "POSTAL_5="},
                                                      {"stra\u00DFe", "POSTAL_5=STRASSE"},
                                                      {"", "none"}};
  zeb_test::ExpectEach(rows, [&](const char* postalCode) {
    SetUp();
    addr::AddressRecord record;
    record.postalCode = postalCode;
    return creator_.AddPostal5(record) ? Appended() : "none" + Appended();
  });
}

TEST_F(DerivedElements, ScriptCodesCompareWholeTextsIgnoringCase) {
  const std::pair<const char*, int32_t> rows[] = {
      {"CHINESE", 1}, {"hanzi", 1},  {"Japanese", 2},        {"kanji", 2},
      {"", 0},        {" KANJI", 0}, {"JAPANESE SCRIPT", 0}, {"CHINES", 0}};
  zeb_test::ExpectEach(rows, plugin::ScriptCode);
  StreetNameStd("Main", "kanji");
  EXPECT_EQ(Host().transliterated, std::vector<std::string>{"Main|2"});
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
  zeb_test::ExpectEach(rows, [&](const char* name) {
    SetUp();
    return StreetNameStd(name);
  });
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
  EXPECT_FALSE(creator.AddPostal5(record) || creator.AddStreetNumber(record) ||
               creator.AddUnitNumber(record));
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
  EXPECT_EQ(Host().tokenQueries, std::vector<std::string>{"STR_NAME|" + std::string(2047, 'X')});
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
