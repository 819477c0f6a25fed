// Fuzzes the JSON-lines record format of "zebparse run": each line is read as a
// record, its elements go through a record document and back, and the output line
// is written. A line's output must be one line of JSON holding at least the input's
// keys, and the elements must survive the record document unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tools/zebparse/record_formats.h"

namespace {

using zebparse::Element;
using zebparse::Json;

// An output line must read back as one JSON object with at least `keys` keys.
void checkOutput(const std::string& out, size_t keys) {
  if (out.find('\n') != std::string::npos) std::abort();
  Json back = Json::parse(out);  // throws, and so fails the run, when not JSON
  if (!back.is_object() || back.size() < keys) std::abort();
}

void runLine(std::string_view line) {
  Json input;
  std::vector<Element> elements;
  std::string error;
  if (!zebparse::jsonRecord(line, input, elements, error)) {
    const size_t keys = input.is_object() ? input.size() : 0;
    checkOutput(zebparse::jsonOutput(std::move(input), nullptr, &error), keys);
    return;
  }
  std::string document;
  if (!zebparse::buildRecordDocument(elements, document, error)) {
    const size_t keys = input.size();
    checkOutput(zebparse::jsonOutput(std::move(input), nullptr, &error), keys);
    return;
  }
  zebparse::ResultDocument result;
  if (!zebparse::readResultDocument(document, result, error)) std::abort();
  if (result.elements.size() != elements.size()) std::abort();
  for (size_t i = 0; i < elements.size(); ++i) {
    if (result.elements[i].code != elements[i].code) std::abort();
    if (result.elements[i].value != elements[i].value) std::abort();
  }
  const size_t keys = input.size();
  checkOutput(zebparse::jsonOutput(std::move(input), &result, nullptr), keys);
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
