// The record formats of zebparse: building record documents from element codes and
// values, reading the elements back out of result documents, and the JSON-lines and
// CSV forms of both. Tested by tests/tools/record_formats_test.cc.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
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

using Json = nlohmann::ordered_json;

// Bounds on one JSON-lines record, so that neither the parse nor the output
// recurses deeply or takes time that grows faster than the line.
inline constexpr size_t kMaxJsonDepth = 64;    // nested objects and arrays
inline constexpr size_t kMaxJsonKeys = 10000;  // keys of one object

// One JSON-lines record: the object as read and the elements taken from it. Strings
// are taken as they are, numbers and booleans as their JSON text, null is left
// out, an array gives one element per item; objects (and arrays inside arrays) are
// refused with a message naming the key. A key given twice keeps its first place
// and its last value. `object` is left null when the line is no JSON within the
// bounds above.
bool jsonRecord(std::string_view line, Json& object, std::vector<Element>& elements,
                std::string& error);
// The input object (used up), then each element code of the result: a string, or
// the list of values in document order when the code occurs more than once. Input
// fields keep their input values, except the codes the plug-in writes (STR_NUM,
// STR_NAME, UNIT_TYPE, UNIT_NUM, STR_NAME_STD, CITY_STD, POSTAL_5). With an error
// the object also carries "ERROR". An `input` that is no object counts as empty.
std::string jsonOutput(Json input, const ResultDocument* result, const std::string* error);

// CSV (RFC 4180): fields quoted when they hold a comma, a quote, CR or LF.
std::string csvLine(const std::vector<std::string>& fields);

// The columns a CSV run adds after the input's: the parsed and derived codes that
// the header lacks, then ERROR.
std::vector<std::string> csvOutputHeader(const std::vector<std::string>& inputHeader);
// One output row: the input cells as given, except that the columns of the codes
// the plug-in writes take the result's last value of the code; then the added
// columns.
std::vector<std::string> csvOutputRow(const std::vector<std::string>& inputHeader,
                                      const std::vector<std::string>& outputHeader,
                                      const std::vector<std::string>& cells,
                                      const ResultDocument* result, const std::string* error);
// The elements of one CSV row: every non-empty cell under an element-code column.
bool csvRecord(const std::vector<std::string>& header, const std::vector<std::string>& cells,
               std::vector<Element>& elements, std::string& error);

}  // namespace zebparse
