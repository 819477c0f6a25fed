// Fuzzes the JSON-lines record format of "zebparse run": each line is read as a
// record, its elements go through a record document and back, and the output line
// is written. A line's output must be one line of JSON holding at least the input's
// keys (failed lines included), and the elements must survive the record document
// unchanged.
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "tools/zebparse/record_formats.h"

namespace {

using zebparse::Element;
using zebparse::Json;

// An output line must read back as one JSON object with at least the input's keys.
void checkOutput(const zebparse::JsonRecord& input, const std::string& out) {
  if (out.find('\n') != std::string::npos) std::abort();
  std::set<std::string_view> keys;
  for (size_t m = 0; m < input.memberCount; ++m) keys.insert(input.members[m].key);
  Json back = Json::parse(out);  // throws, and so fails the run, when not JSON
  if (!back.is_object() || back.size() < keys.size()) std::abort();
}

void runLine(std::string_view line) {
  static const zebparse::ColumnMap kCodesAsWritten;
  zebparse::JsonRecord input;
  std::string error;
  std::string out;
  if (!zebparse::scanJsonRecord(line, kCodesAsWritten, input, error)) {
    zebparse::jsonOutput(input, nullptr, &error, false, out);
    checkOutput(input, out);
    return;
  }
  std::string document;
  if (!zebparse::buildRecordDocument(input.elements, document, error)) {
    zebparse::jsonOutput(input, nullptr, &error, false, out);
    checkOutput(input, out);
    return;
  }
  zebparse::ResultDocument result;
  if (!zebparse::readResultDocument(document, result, error)) std::abort();
  if (result.elements.size() != input.elements.size()) std::abort();
  for (size_t i = 0; i < input.elements.size(); ++i) {
    if (result.elements[i].code != input.elements[i].code) std::abort();
    if (result.elements[i].value != input.elements[i].value) std::abort();
  }
  zebparse::jsonOutput(input, &result, nullptr, false, out);
  checkOutput(input, out);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  // Lines as the reader splits them: at line feeds, a carriage return before one
  // dropped, blank lines skipped.
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.find_first_not_of(" \t\r\n") == std::string_view::npos) continue;
    runLine(line);
  }
  return 0;
}
