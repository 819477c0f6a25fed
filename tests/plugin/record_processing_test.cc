// The record flow, driven in-process with stub services and the tests' US
// configuration, each case read as a transcript of the result's OBS_FEAT; copies into
// the host's buffers never write past them.
#include "plugin/record_processing.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "addressparser/address_parser.h"
#include "errors/tarn_exception.h"
#include "plugin/result_buffer.h"
#include "test_checks.h"
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
  for (const auto& [input, expected] : kCases) {
    EXPECT_EQ(Transcript(Process(input)), expected) << input;
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
  EXPECT_EQ(Transcript(result),
            "ADDR1=12 Main St, Springfield, IL 62704-1234|STATE=Illinois|STR_NUM=12|STR_NAME=MAIN|"
            "CITY=Springfield|POSTAL_CODE=62704-1234|STR_NAME_STD=#MAIN|CITY_STD=#SPRINGFIELD|"
            "POSTAL_5=62704|STR_NUM=12");
}

TEST_F(RecordProcessing, DocumentsWithoutTheUsualShapeKeepTheirContent) {
  // The error, or how it begins.
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
  for (const auto& [input, expected] : rows) {
    EXPECT_EQ(Process(input), expected) << input;
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

// Records are parsed under the record rules: a document type, which could declare an
// entity that expands to megabytes of address, is refused before anything is expanded.
TEST_F(RecordProcessing, MalformedOrRefusedDocumentRaisesTheParseError) {
  // The error, or how it begins.
  const std::pair<const char*, const char*> rows[] = {
      {"<STD_BOM>", "libxml2 error:"},
      {"   ", "libxml2 error:"},
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
  bool guardIntact() const {
    for (size_t i = size; i < bytes.size(); ++i) {
      if (bytes[i] != kGuard) return false;
    }
    return true;
  }
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
  struct Row {
    uint32_t size;
    int32_t result;
    std::string expected;
  } rows[] = {
      {static_cast<uint32_t>(document.size() + 1), 0, document},
      {static_cast<uint32_t>(document.size()), -5, error.substr(0, document.size() - 1)},
      {90, -5, error},
      {89, -5, error.substr(0, 88)},
      {1, -5, ""},
  };
  for (const Row& row : rows) {
    GuardedBuffer buffer(row.size);
    EXPECT_EQ(plugin::CopyResultDocument(document, buffer.data(), row.size), row.result)
        << row.size;
    EXPECT_EQ(std::string(buffer.data()), row.expected) << row.size;
    EXPECT_TRUE(buffer.guardIntact()) << row.size;
  }
  GuardedBuffer empty(0);
  EXPECT_EQ(plugin::CopyResultDocument(document, empty.data(), 0), -5);
  EXPECT_TRUE(empty.guardIntact());
  EXPECT_EQ(plugin::CopyResultDocument(document, nullptr, 1000), 0);
}

}  // namespace
