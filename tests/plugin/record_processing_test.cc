// The record flow, driven in-process with stub services and the small US
// configuration. Each case reads as a transcript of the result's OBS_FEAT.
#include "plugin/record_processing.h"

#include <string>

#include <gtest/gtest.h>

#include "addressparser/parser_config.h"
#include "errors/tarn_exception.h"
#include "test_configuration.h"
#include "test_host.h"
#include "xml/xml_doc.h"

namespace {

using plugin_test::Host;
using plugin_test::RecordDocument;

class RecordProcessing : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static plugin_test::TempDirectory* directory = new plugin_test::TempDirectory();
    directory->WriteConfiguration(plugin_test::kUsConfiguration);
    ASSERT_EQ(addr::loadParserConfiguration(
                  (directory->path() / "addressParserMetaData.xml").string()),
              addr::kConfigOk);
  }
  void SetUp() override { Host().Reset(); }

  // The result document, checked to be one line starting with the renamed root.
  std::string Process(const std::string& input) {
    std::string result;
    EXPECT_EQ(plugin::ProcessRecord(input.c_str(), plugin_test::StubServices(), result), nullptr);
    EXPECT_EQ(result.rfind("<STD_RESULT", 0), 0u) << result;
    EXPECT_EQ(result.find('\n'), std::string::npos) << result;
    return result;
  }

  // "CODE=value" of every OBS_FELEM of the result, separated by "|".
  std::string Elements(const std::string& input) {
    XMLDoc doc;
    doc.ParseXML(Process(input).c_str());
    std::string out;
    xmlNodePtr feature = doc.FindElement(doc.Root(), "OBS_FEAT");
    for (xmlNodePtr e = feature != nullptr ? feature->children : nullptr; e; e = e->next) {
      if (!out.empty()) out += '|';
      out += NodeContent(FindChildElement(e, "FELEM_CODE"), "");
      xmlNodePtr value = FindChildElement(e, "FELEM_VALUE");
      out += value != nullptr ? "=" + NodeContent(value, "") : "";
    }
    return out;
  }
};

TEST_F(RecordProcessing, UnparsedAddressGetsItsPartsAndDerivedElements) {
  struct Row {
    std::string input;
    std::string expected;
  } rows[] = {
      {RecordDocument({{"ADDR1", "123 Main St"}, {"POSTAL_CODE", "12345-6789"}}),
       "ADDR1=123 Main St|POSTAL_CODE=12345-6789|STR_NUM=123|STR_NAME=MAIN|"
       "STR_NAME_STD=#MAIN|POSTAL_5=12345|STR_NUM=123"},
      {RecordDocument({{"ADDR1", "12b Main St Apt 4c"}, {"CITY", "Springfield"}}),
       "ADDR1=12b Main St Apt 4c|CITY=Springfield|STR_NUM=12B|STR_NAME=MAIN|UNIT_TYPE=APT|"
       "UNIT_NUM=4C|STR_NAME_STD=#MAIN|CITY_STD=#SPRINGFIELD|STR_NUM=12B|UNIT_NUM=4C"},
      // A post-office box without a unit becomes UNIT_TYPE POB and the box number.
      {RecordDocument({{"ADDR1", "PO Box 42"}}), "ADDR1=PO Box 42|UNIT_TYPE=POB|UNIT_NUM=42"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Elements(row.input), row.expected) << row.input;
  }
}

TEST_F(RecordProcessing, AlreadyParsedRecordIsNotParsedAgain) {
  EXPECT_EQ(Elements(RecordDocument(
                {{"ADDR1", "999 Other Rd"}, {"STR_NAME", "Elm"}, {"UNIT_NUM", "7"}})),
            "ADDR1=999 Other Rd|STR_NAME=Elm|UNIT_NUM=7|STR_NAME_STD=#ELM");
}

TEST_F(RecordProcessing, ExistingElementsReceiveTheParsedValues) {
  struct Row {
    std::string input;
    std::string expected;
  } rows[] = {
      // An empty STR_NUM does not make the record parsed; it receives the number.
      {RecordDocument({{"STR_NUM", ""}, {"ADDR1", "123 Main St"}}),
       "STR_NUM=123|ADDR1=123 Main St|STR_NAME=MAIN|STR_NAME_STD=#MAIN|STR_NUM=123"},
      // An existing element without FELEM_VALUE gets one rather than losing the value.
      {"<STD_BOM><OBS_FEAT><OBS_FELEM><FELEM_CODE>STR_NUM</FELEM_CODE></OBS_FELEM>"
       "<OBS_FELEM><FELEM_CODE>ADDR1</FELEM_CODE><FELEM_VALUE>123 Main St</FELEM_VALUE>"
       "</OBS_FELEM></OBS_FEAT></STD_BOM>",
       "STR_NUM=123|ADDR1=123 Main St|STR_NAME=MAIN|STR_NAME_STD=#MAIN|STR_NUM=123"},
      // The box goes into existing unit elements.
      {RecordDocument({{"UNIT_TYPE", ""}, {"UNIT_NUM", ""}, {"ADDR1", "PO Box 42"}}),
       "UNIT_TYPE=POB|UNIT_NUM=42|ADDR1=PO Box 42"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Elements(row.input), row.expected) << row.input;
  }
}

TEST_F(RecordProcessing, OnlyTheFirstExactlyMatchingCodeCounts) {
  struct Row {
    std::string input;
    std::string expected;
  } rows[] = {
      {RecordDocument({{"ADDR1", "123 Main St"}, {"ADDR1", "9 Elm Ave"}}),
       "ADDR1=123 Main St|ADDR1=9 Elm Ave|STR_NUM=123|STR_NAME=MAIN|STR_NAME_STD=#MAIN|"
       "STR_NUM=123"},
      {RecordDocument({{" ADDR1", "123 Main St"}}), " ADDR1=123 Main St"},
      {RecordDocument({{"addr1", "123 Main St"}}), "addr1=123 Main St"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Elements(row.input), row.expected) << row.input;
  }
}

TEST_F(RecordProcessing, DocumentsWithoutTheUsualShapeKeepTheirContent) {
  struct Row {
    const char* input;
    const char* expected;
  } rows[] = {
      {"<STD_BOM><OTHER>123 Main St</OTHER></STD_BOM>",
       "<STD_RESULT><OTHER>123 Main St</OTHER></STD_RESULT>"},
      {"<OTHER><OBS_FEAT><OBS_FELEM><FELEM_CODE>ADDR1</FELEM_CODE><FELEM_VALUE>123 Main St"
       "</FELEM_VALUE></OBS_FELEM></OBS_FEAT></OTHER>",
       "<STD_RESULT><OBS_FEAT><OBS_FELEM><FELEM_CODE>ADDR1</FELEM_CODE><FELEM_VALUE>123 Main St"
       "</FELEM_VALUE></OBS_FELEM></OBS_FEAT></STD_RESULT>"},
      {"<?xml version=\"1.0\"?>\n<STD_BOM>\n<!-- keep -->\n</STD_BOM>\n",
       "<STD_RESULT><!-- keep --></STD_RESULT>"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Process(row.input), row.expected) << row.input;
  }
}

TEST_F(RecordProcessing, MarkupInValuesStaysLiteral) {
  EXPECT_EQ(Elements(RecordDocument({{"STR_NAME", "A &amp; B &lt;x&gt;"}})),
            "STR_NAME=A & B <x>|STR_NAME_STD=#A #B #X");
}

TEST_F(RecordProcessing, NoDocumentToWorkOnIsReported) {
  std::string result = "stale";
  EXPECT_STREQ(plugin::ProcessRecord(nullptr, plugin_test::StubServices(), result),
               plugin::kEmptyInputDocument);
  EXPECT_EQ(result, "");
  EXPECT_STREQ(plugin::ProcessRecord("", plugin_test::StubServices(), result),
               plugin::kEmptyInputDocument);
  plugin::RecordServices incomplete = plugin_test::StubServices();
  incomplete.metaphoneEncode = nullptr;
  EXPECT_STREQ(plugin::ProcessRecord("<STD_BOM/>", incomplete, result), plugin::kServicesMissing);
}

TEST_F(RecordProcessing, MalformedDocumentRaisesTheParseError) {
  std::string result;
  for (const char* text : {"<STD_BOM>", "   ", "<STD_BOM></OBS_FEAT>"}) {
    try {
      plugin::ProcessRecord(text, plugin_test::StubServices(), result);
      ADD_FAILURE() << "no exception for " << text;
    } catch (const Tarn_Exception& e) {
      EXPECT_EQ(e.entries.at(0)->origin, "XMLDoc::ParseXML()") << text;
    }
  }
}

}  // namespace
