// The record formats of zebparse: building record documents from element codes and
// values, reading the elements back out of result documents, and the JSON-lines and
// CSV forms of both. Tested by tests/tools/record_formats_test.cc.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zebparse {

enum class Format { kXml, kJsonl, kCsv };

struct Element {
  std::string code;
  std::string value;
};

// Element codes are what a record document can carry: an upper-case letter, then
// upper-case letters, digits and underscores ("ADDR1", "POSTAL_CODE"). Other keys
// ("id", "addr1") are the caller's own and never enter a record.
bool isElementCode(std::string_view key);

// Appends `text` escaped as XML character data. False, with a message naming the
// problem, when the text is not UTF-8 or holds a character XML cannot carry.
bool appendXmlText(std::string& out, std::string_view text, std::string& error);

// <STD_BOM><OBS_FEAT><OBS_FELEM><FELEM_CODE>..</FELEM_CODE><FELEM_VALUE>..</FELEM_VALUE>
// </OBS_FELEM>...</OBS_FEAT></STD_BOM>, one OBS_FELEM per element in order.
bool buildRecordDocument(const std::vector<Element>& elements, std::string& document,
                         std::string& error);

// <STD_RESULT><ERROR>message</ERROR></STD_RESULT> with the message escaped (bytes
// that XML cannot carry become U+FFFD).
std::string errorDocument(std::string_view message);

struct ResultDocument {
  std::vector<Element> elements;  // every OBS_FELEM of the first OBS_FEAT, in order
  bool hasError = false;          // the root holds an ERROR element
  std::string error;              // its text
};
// False with a message when the text is not a well-formed document.
bool readResultDocument(std::string_view text, ResultDocument& result, std::string& error);

// False with a message naming the byte (counted from 1) when a record line holds
// a NUL byte: the plug-in takes NUL-terminated text and would never see the rest.
bool refuseNul(std::string_view record, std::string& error);

// How much of a record's error message standard error shows.
inline constexpr size_t kMessageMaxBytes = 1000;

// The JSON value type of "zebparse parse --json".
using Json = nlohmann::ordered_json;

// The codes the plug-in writes or derives: the result columns of the JSON-lines and
// CSV output, in this order, each holding one value.
inline constexpr const char* kResultCodes[] = {"STR_NUM",      "STR_NAME", "UNIT_TYPE", "UNIT_NUM",
                                               "STR_NAME_STD", "CITY_STD", "POSTAL_5"};
bool isResultCode(std::string_view code);
// The locality the plug-in finds at the end of a one-line address (a record with
// neither CITY nor POSTAL_CODE): the output adds these fields for such input.
inline constexpr const char* kLocalityCodes[] = {"CITY", "STATE", "POSTAL_CODE"};
// The codes that carry a street address: a record without any holds nothing to parse.
bool isAddressCode(std::string_view code);

// Which element code an input key or CSV column stands for: a name given with
// --map (exact, case-sensitive), else the name itself when it is an element code.
class ColumnMap {
 public:
  void add(std::string name, std::string code) {
    map_.emplace_back(std::move(name), std::move(code));
  }
  // Empty when the name stands for no element.
  std::string_view codeOf(std::string_view name) const;

 private:
  std::vector<std::pair<std::string, std::string>> map_;
};

// Bounds on one JSON-lines record, so that neither the check of its values nor the
// output recurses deeply or holds more than the line.
inline constexpr size_t kMaxJsonDepth = 64;    // nested objects and arrays
inline constexpr size_t kMaxJsonKeys = 10000;  // keys of the record object

// One JSON-lines record as scanned: the raw text of each member of the object
// (`"key": value`, exactly as written) and the elements taken from it. Kept from
// record to record so that a steady stream reuses its memory.
struct JsonRecord {
  struct Member {
    std::string_view text;  // the member as written, into the line
    std::string key;        // decoded
  };
  std::vector<Member> members;
  size_t memberCount = 0;
  std::vector<Element> elements;
  // Which of kLocalityCodes the members stand for (bit i for code i).
  unsigned localityCodes = 0;
};

// Scans one line. Element values are taken from the keys `map` names: strings as
// they are, numbers and booleans as their JSON text, null left out, an array gives
// one element per item; objects (and arrays inside arrays) are refused with a
// message naming the key. A code given twice keeps its last value. On failure the
// members complete before the fault stay in `record`, and the message names the
// byte (counted from 1) where the line went wrong when the parser knows it (not for
// a control character in a string, nor for an object that does not close the line).
bool scanJsonRecord(std::string_view line, const ColumnMap& map, JsonRecord& record,
                    std::string& error);

// Appends `text` as a JSON string (quotes included); bytes that are no UTF-8 become
// U+FFFD.
void appendJsonString(std::string& out, std::string_view text);

// The output line of a JSON-lines record: the input's members as written, except
// those named like a result code; then every result code with its value (the last
// of its occurrences, "" when the result has none or the record failed); then
// "ERROR" when `error` is given. Input with neither CITY nor POSTAL_CODE also gets
// those of kLocalityCodes it lacks, after the result codes. With `allElements`, every code of the
// result instead, each with the list of all its values in document order, and the input's members
// that the result holds again are left out.
void jsonOutput(const JsonRecord& input, const ResultDocument* result, const std::string* error,
                bool allElements, std::string& out);

// CSV lines with `delimiter` between fields; a field holding the delimiter, a quote,
// CR or LF is quoted.
void appendCsvLine(std::string& out, const std::vector<std::string>& fields, char delimiter = ',');
std::string csvLine(const std::vector<std::string>& fields, char delimiter = ',');

// The columns of a CSV input and its output: the input header, then each result
// code the header lacks, then (for a header with neither CITY nor POSTAL_CODE) the
// locality codes it lacks, then ERROR unless the header has it.
class CsvLayout {
 public:
  CsvLayout(std::vector<std::string> header, const ColumnMap& map, char delimiter);
  const std::vector<std::string>& outputHeader() const { return outputHeader_; }
  bool hasAddressColumn() const { return hasAddress_; }
  // The elements of one row: every non-empty cell under a column that stands for
  // an element. False when the row's field count differs from the header's.
  bool record(const std::vector<std::string>& cells, std::vector<Element>& elements,
              std::string& error) const;
  // One output line: the input cells as given, except that the result codes'
  // columns take the result's last value of the code; then the added columns.
  void outputLine(const std::vector<std::string>& cells, const ResultDocument* result,
                  const std::string* error, std::string& out) const;

 private:
  std::vector<std::string> header_;
  std::vector<std::string> codes_;  // per input column: the element code, or empty
  std::vector<std::string> outputHeader_;
  char delimiter_;
  bool hasAddress_ = false;
};

// The last value of `code` in the result, or null.
const std::string* lastValue(const ResultDocument& result, std::string_view code);

}  // namespace zebparse
