// Fuzzes the CSV record format of "zebparse run": the input is read the way the
// run reads it (CsvReader, the first record the header), each record's elements go
// through a record document and back, and its output row is written. Output rows
// must read back with the output header's width and the input's own cells, and the
// elements must survive the record document unchanged.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "tools/zebparse/record_formats.h"
#include "tools/zebparse/record_input.h"

namespace {

using zebparse::Element;
using zebparse::Record;

// Reads `text` as the run does, records that broke a rule included.
std::vector<Record> readCsv(std::string_view text) {
  zebparse::InputSource source([&text](char* buffer, size_t size) -> ssize_t {
    size_t taken = std::min(size, text.size());
    std::memcpy(buffer, text.data(), taken);
    text.remove_prefix(taken);
    return static_cast<ssize_t>(taken);
  });
  zebparse::CsvReader reader(source, zebparse::kDefaultRecordLimit);
  std::vector<Record> records;
  Record record;
  while (reader.next(record)) records.push_back(record);
  return records;
}

// Reads the output back from one file; every row must come back with the output
// header's width, and the input's own columns as the input had them.
void checkReread(const std::string& text, const std::vector<std::vector<std::string>>& inputs,
                 const zebparse::CsvLayout& layout, size_t inputWidth) {
  std::vector<Record> back = readCsv(text);
  if (back.size() != inputs.size() + 1) std::abort();
  const std::vector<std::string>& outputHeader = layout.outputHeader();
  for (size_t i = 1; i < back.size(); ++i) {
    if (!back[i].failure.empty() || back[i].cells.size() != outputHeader.size()) std::abort();
    for (size_t column = 0; column < inputWidth; ++column) {
      const std::string& name = outputHeader[column];
      if (zebparse::isResultCode(name) || name == "ERROR") continue;
      const std::vector<std::string>& cells = inputs[i - 1];
      // A short row's missing cells are written empty.
      if (back[i].cells[column] != (column < cells.size() ? cells[column] : std::string()))
        std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<Record> records = readCsv({reinterpret_cast<const char*>(data), size});
  if (records.empty() || !records[0].failure.empty()) return 0;
  const std::vector<std::string> header = records[0].cells;
  const zebparse::CsvLayout layout(header, zebparse::ColumnMap(), ',');
  std::string text = zebparse::csvLine(layout.outputHeader()) + "\n";
  std::vector<std::vector<std::string>> inputs;
  std::string line;
  uint64_t lastLine = records[0].line;
  for (size_t i = 1; i < records.size(); ++i) {
    const Record& record = records[i];
    if (record.line < lastLine) std::abort();  // records are read in input order
    lastLine = record.line;
    if (!record.failure.empty()) continue;
    std::vector<Element> elements;
    std::string error;
    zebparse::ResultDocument result;
    bool succeeded = layout.record(record.cells, elements, error);
    if (succeeded) {
      std::string document;
      succeeded = zebparse::buildRecordDocument(elements, document, error);
      if (succeeded) {
        if (!zebparse::readResultDocument(document, result, error)) std::abort();
        if (result.elements.size() != elements.size()) std::abort();
        for (size_t e = 0; e < elements.size(); ++e) {
          if (result.elements[e].code != elements[e].code ||
              result.elements[e].value != elements[e].value) {
            std::abort();
          }
        }
      }
    }
    layout.outputLine(record.cells, succeeded ? &result : nullptr, succeeded ? nullptr : &error,
                      line);
    // An empty line is no record: a row of one empty field cannot be read back.
    if (line.empty()) continue;
    text += line;
    text += '\n';
    inputs.push_back(record.cells);
  }
  checkReread(text, inputs, layout, header.size());
  return 0;
}
