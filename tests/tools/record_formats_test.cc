// Record documents built from codes and values, results read back, and the JSON
// and CSV forms of both.
#include "tools/zebparse/record_formats.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace zebparse {
namespace {

TEST(ElementCode, IsUpperCaseLettersDigitsAndUnderscores) {
  const std::pair<const char*, bool> kRows[] = {
      {"STR_NAME_STD", true}, {"Addr1", false}, {"1ADDR", false},
      {"_X", false},          {"", false},      {"ADDR-1", false}};
  for (const auto& [key, code] : kRows) EXPECT_EQ(isElementCode(key), code) << key;
}

TEST(XmlText, EscapesMarkupAndRefusesWhatXmlCannotCarry) {
  const struct {
    std::string text;
    bool ok;
    const char* expected;  // escaped text, or a piece of the error
  } kRows[] = {
      {"12 Main St", true, "12 Main St"},
      {"A&B <x> ]]>", true, "A&amp;B &lt;x&gt; ]]&gt;"},
      {"line\r\nnext\ttab", true, "line&#13;\nnext\ttab"},
      {"Straße 北京 \xF0\x9F\x98\x80", true, "Straße 北京 \xF0\x9F\x98\x80"},
      {"bad \xC3 byte", false, "invalid UTF-8 at byte 5"},
      {"overlong \xC0\xAF", false, "invalid UTF-8 at byte 10"},
      {"surrogate \xED\xA0\x80", false, "invalid UTF-8 at byte 11"},
      {"bell \x07", false, "character U+0007 not allowed in XML at byte 6"},
      {"\xEF\xBF\xBF", false, "character U+FFFF"},
  };
  for (const auto& row : kRows) {
    std::string out;
    std::string error;
    bool ok = appendXmlText(out, row.text, error);
    EXPECT_EQ(ok, row.ok) << row.text;
    if (row.ok) {
      EXPECT_EQ(out, row.expected) << row.text;
    } else {
      EXPECT_NE(error.find(row.expected), std::string::npos) << row.text << " -> " << error;
    }
  }
}

TEST(RecordDocument, RoundTripsThroughTheResultReader) {
  std::vector<Element> elements = {
      {"ADDR1", "12 <Main> & St"}, {"CITY", ""}, {"ADDR1", "second"}, {"NOTE", "a\r\nb"}};
  std::string document;
  std::string error;
  ASSERT_TRUE(buildRecordDocument(elements, document, error)) << error;
  EXPECT_EQ(document.find('\n'), document.find("\nb")) << "the only line feed is the value's";
  ResultDocument result;
  ASSERT_TRUE(readResultDocument(document, result, error)) << error;
  ASSERT_EQ(result.elements.size(), elements.size());
  for (size_t i = 0; i < elements.size(); ++i) {
    EXPECT_EQ(result.elements[i].code, elements[i].code) << i;
    EXPECT_EQ(result.elements[i].value, elements[i].value) << i;
  }
  EXPECT_FALSE(result.hasError);
}

TEST(RecordDocument, ValueXmlCannotCarryIsReportedWithItsCode) {
  std::string document;
  std::string error;
  EXPECT_FALSE(buildRecordDocument({{"CITY", "ok"}, {"ADDR2", "x\x01"}}, document, error));
  EXPECT_EQ(error, "value of ADDR2: character U+0001 not allowed in XML at byte 2");
}

TEST(ResultDocument, ReadsErrorDocumentsAndRejectsBrokenText) {
  ResultDocument result;
  std::string error;
  ASSERT_TRUE(readResultDocument(errorDocument("bad <thing> & \xFF"), result, error)) << error;
  EXPECT_TRUE(result.hasError);
  EXPECT_EQ(result.error, "bad <thing> & \xEF\xBF\xBD");
  EXPECT_TRUE(result.elements.empty());

  EXPECT_FALSE(readResultDocument("<STD_RESULT><OBS_FEAT>", result, error));
  EXPECT_NE(error.find("not a well-formed document"), std::string::npos) << error;
}

// What jsonRecord makes of one line.
struct JsonLine {
  explicit JsonLine(const std::string& line) { ok = jsonRecord(line, object, elements, error); }
  bool ok;
  Json object;
  std::vector<Element> elements;
  std::string error;
};

TEST(JsonRecord, TakesElementCodesAndLeavesOtherKeysOut) {
  const JsonLine json(R"({"id": 7, "ADDR1": "12 Main St", "POSTAL_CODE": 2134, "FLAG": true,)"
                      R"( "ADDR2": null, "CITY": ["A", 1, null], "addr3": "lower-case key"})");
  ASSERT_TRUE(json.ok) << json.error;
  std::vector<std::pair<std::string, std::string>> got;
  for (const Element& e : json.elements) got.emplace_back(e.code, e.value);
  std::vector<std::pair<std::string, std::string>> expected = {{"ADDR1", "12 Main St"},
                                                               {"POSTAL_CODE", "2134"},
                                                               {"FLAG", "true"},
                                                               {"CITY", "A"},
                                                               {"CITY", "1"}};
  EXPECT_EQ(got, expected);
}

std::string manyKeys(int count) {
  std::string line = "{";
  for (int i = 0; i < count; ++i) line += "\"k" + std::to_string(i) + "\":" + "1,";
  return line + "\"ADDR1\":\"1 Main St\"}";
}

TEST(JsonRecord, RefusesWhatIsNoRecord) {
  const std::pair<std::string, const char*> kRows[] = {
      {"not json", "invalid JSON"},
      {"[1, 2]", "not a JSON object"},
      {R"({"ADDR1": {"x": 1}})", "value of ADDR1 is an object"},
      {R"({"ADDR1": [["x"]]})", "value of ADDR1 holds a list or object"},
      {"{\"ADDR1\": \"\xC3\"}", "invalid JSON"},
      {R"({"id":)" + std::string(50000, '[') + std::string(50000, ']') + "}",
       "JSON nested deeper than 64 levels"},
      {manyKeys(10000), "JSON object with more than 10000 keys"},
      {std::string("{\"ADDR1\": \"1 Main St\"}\0junk", 27), "NUL byte in the record at byte 23"},
  };
  for (const auto& [line, expected] : kRows) {
    const JsonLine json(line);
    EXPECT_FALSE(json.ok) << line.substr(0, 80);
    EXPECT_NE(json.error.find(expected), std::string::npos)
        << line.substr(0, 80) << " -> " << json.error;
  }
  for (const JsonLine& json :
       {JsonLine(manyKeys(9999)),
        JsonLine(R"({"id":)" + std::string(63, '[') + std::string(63, ']') + "}")}) {
    EXPECT_TRUE(json.ok) << json.error;
  }
}

TEST(JsonRecord, KeyGivenTwiceKeepsItsFirstPlaceAndLastValue) {
  const JsonLine json(R"({"ADDR1": "a", "id": 1, "ADDR1": "b"})");
  ASSERT_TRUE(json.ok);
  EXPECT_EQ(json.object.dump(), R"({"ADDR1":"b","id":1})");
  ASSERT_EQ(json.elements.size(), 1u);
  EXPECT_EQ(json.elements[0].value, "b");
}

TEST(JsonOutput, RepeatedCodeBecomesListInDocumentOrder) {
  Json input = Json::parse(R"({"id": "a1", "ADDR1": "12b Main St"})");
  ResultDocument result;
  result.elements = {
      {"ADDR1", "12b Main St"}, {"STR_NUM", "12b"}, {"STR_NAME", "MAIN"}, {"STR_NUM", "12B"}};
  EXPECT_EQ(jsonOutput(input, &result, nullptr),
            R"({"id":"a1","ADDR1":"12b Main St","STR_NUM":["12b","12B"],"STR_NAME":"MAIN"})");
  std::string error = "boom";
  EXPECT_EQ(jsonOutput(input, nullptr, &error),
            R"({"id":"a1","ADDR1":"12b Main St","ERROR":"boom"})");
  EXPECT_EQ(jsonOutput(Json(), nullptr, &error), R"({"ERROR":"boom"})");
}

TEST(Csv, QuotesFieldsThatNeedIt) {
  EXPECT_EQ(csvLine({"a", "b,c", "say \"hi\"", "two\nlines", ""}),
            "a,\"b,c\",\"say \"\"hi\"\"\",\"two\nlines\",");
}

TEST(Csv, OutputRowTakesResultValuesAndAddsColumns) {
  std::vector<std::string> header = {"id", "ADDR1", "STR_NUM"};
  std::vector<std::string> outputHeader = csvOutputHeader(header);
  EXPECT_EQ(outputHeader,
            (std::vector<std::string>{"id", "ADDR1", "STR_NUM", "STR_NAME", "UNIT_TYPE", "UNIT_NUM",
                                      "STR_NAME_STD", "CITY_STD", "POSTAL_5", "ERROR"}));
  ResultDocument result;
  result.elements = {
      {"ADDR1", "12b Main"}, {"STR_NUM", "12b"}, {"STR_NAME", "MAIN"}, {"STR_NUM", "12B"}};
  EXPECT_EQ(csvOutputRow(header, outputHeader, {"r1", "12b Main", ""}, &result, nullptr),
            (std::vector<std::string>{"r1", "12b Main", "12B", "MAIN", "", "", "", "", "", ""}));
  std::string error = "broken";
  EXPECT_EQ(csvOutputRow(header, outputHeader, {"r2", "x"}, nullptr, &error),
            (std::vector<std::string>{"r2", "x", "", "", "", "", "", "", "", "broken"}));

  std::vector<Element> elements;
  EXPECT_FALSE(csvRecord(header, {"r2", "x"}, elements, error));
  EXPECT_EQ(error, "record has 2 fields, the header has 3");
  ASSERT_TRUE(csvRecord(header, {"r3", "1 Elm", ""}, elements, error));
  ASSERT_EQ(elements.size(), 1u) << "id is no code and an empty cell gives no element";
  EXPECT_EQ(elements[0].code, "ADDR1");
}

}  // namespace
}  // namespace zebparse
