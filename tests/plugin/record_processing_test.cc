// The record flow, driven in-process with stub services and the tests' US
// configuration. Each case reads as a transcript of the result's OBS_FEAT.
#include "plugin/record_processing.h"

#include <gtest/gtest.h>

#include <string>

#include "addressparser/address_parser.h"
#include "errors/tarn_exception.h"
#include "test_configuration.h"
#include "test_host.h"
#include "xml/xml_doc.h"

namespace {

using plugin_test::Host;

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

  const addr::AddressParserPtr parser_ = addr::AddressParser::fromText(zeb_test::kUsConfiguration);
};

TEST_F(RecordProcessing, RecordsGiveTheirTranscripts) {
  plugin_test::UseRecordTokens();
  for (const plugin_test::RecordCase& record : plugin_test::RecordCases()) {
    EXPECT_EQ(plugin_test::Transcript(Process(record.input)), record.expected) << record.input;
  }
}

// A one-line address gains the CITY and POSTAL_CODE it lacks, and their derived
// elements; the STATE it has stays as it is.
TEST_F(RecordProcessing, OneLineAddressGainsItsLocality) {
  const addr::AddressParserPtr parser =
      addr::AddressParser::fromText(zeb_test::kLocality, parser_.get());
  std::string result;
  const std::string input = plugin_test::RecordDocument(
      {{"ADDR1", "12 Main St, Springfield, IL 62704-1234"}, {"STATE", "Illinois"}});
  ASSERT_EQ(plugin::ProcessRecord(input.c_str(), *parser, plugin_test::StubServices(), result),
            nullptr);
  EXPECT_EQ(plugin_test::Transcript(result),
            "ADDR1=12 Main St, Springfield, IL 62704-1234|STATE=Illinois|STR_NUM=12|STR_NAME=MAIN|"
            "CITY=Springfield|POSTAL_CODE=62704-1234|STR_NAME_STD=#MAIN|CITY_STD=#SPRINGFIELD|"
            "POSTAL_5=62704|STR_NUM=12");
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

TEST_F(RecordProcessing, MalformedDocumentRaisesTheParseError) {
  std::string result;
  for (const char* text : {"<STD_BOM>", "   ", "<STD_BOM></OBS_FEAT>"}) {
    try {
      ProcessRecord(text, plugin_test::StubServices(), result);
      ADD_FAILURE() << "no exception for " << text;
    } catch (const Tarn_Exception& e) {
      EXPECT_EQ(e.entries.at(0)->origin, "XMLDoc::ParseXML()") << text;
    }
  }
  // An entity of 25,000 words referenced 2,000 times in ADDR1 would be 100 MB of
  // address: refused before anything is expanded.
  std::string references;
  for (int i = 0; i < 2000; ++i) references += "&e;";
  const std::string entities = "<!DOCTYPE STD_BOM [<!ENTITY e \"" + std::string(25000, 'a') +
                               "\">]><STD_BOM><OBS_FEAT><OBS_FELEM><FELEM_CODE>ADDR1</FELEM_CODE>"
                               "<FELEM_VALUE>" +
                               references + "</FELEM_VALUE></OBS_FELEM></OBS_FEAT></STD_BOM>";
  try {
    ProcessRecord(entities.c_str(), plugin_test::StubServices(), result);
    ADD_FAILURE() << "no exception";
  } catch (const Tarn_Exception& e) {
    EXPECT_EQ(e.entries.at(0)->message.arguments.at(0),
              "DOCTYPE refused: record documents may not carry a document type declaration");
  }
}

}  // namespace
