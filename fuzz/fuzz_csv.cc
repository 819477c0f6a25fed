// Fuzzes the CSV record format of "zebparse run": the input is read the way the
// run reads it (line by line through CsvInput, the first record the header), each
// record's elements go through a record document and back, and its output row is
// written. Output rows must read back as the cells written, and the elements must
// survive the record document unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "tools/zebparse/csv_input.h"
#include "tools/zebparse/record_formats.h"

namespace {

using zebparse::CsvInput;
using zebparse::CsvRecord;
using zebparse::Element;

// Reads `text` as the run does: whole lines, each with its line feed, a byte-order
// mark before the first dropped.
std::vector<CsvRecord> readCsv(std::string_view text) {
  CsvInput input;
  std::string line;
  uint64_t number = 0;
  while (!text.empty()) {
    size_t end = text.find('\n');
    line.assign(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (++number == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
    line += '\n';
    input.feed(line, number);
  }
  input.finish();
  return std::move(input.records());
}

// Whether the reader gives `cells` back from csvLine(cells). It cannot for a row of
// one empty cell (an empty line is no record) nor for unquoted cells with spaces or
// tabs at either end, which it trims.
bool rereadable(const std::vector<std::string>& cells) {
  if (cells.size() == 1 && cells[0].empty()) return false;
  for (const std::string& cell : cells) {
    if (cell.empty() || cell.find_first_of(",\"\r\n") != std::string::npos) continue;
    if (cell.front() == ' ' || cell.front() == '\t' || cell.back() == ' ' || cell.back() == '\t') {
      return false;
    }
  }
  return true;
}

// Reads the row back as the second line of a file, where a leading byte-order mark
// is part of the first cell.
void checkReread(const std::vector<std::string>& cells) {
  if (!rereadable(cells)) return;
  std::vector<CsvRecord> back = readCsv("h\n" + zebparse::csvLine(cells));
  if (back.size() != 2 || back[1].cells != cells) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<CsvRecord> records = readCsv({reinterpret_cast<const char*>(data), size});
  if (records.empty()) return 0;
  const std::vector<std::string> header = records[0].cells;
  const std::vector<std::string> outputHeader = zebparse::csvOutputHeader(header);
  checkReread(outputHeader);
  uint64_t lastLine = records[0].line;
  for (size_t i = 1; i < records.size(); ++i) {
    const CsvRecord& record = records[i];
    if (record.line < lastLine) std::abort();  // records are read in input order
    lastLine = record.line;
    std::vector<Element> elements;
    std::string error;
    zebparse::ResultDocument result;
    bool succeeded = zebparse::csvRecord(header, record.cells, elements, error);
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
    std::vector<std::string> row =
        zebparse::csvOutputRow(header, outputHeader, record.cells, succeeded ? &result : nullptr,
                               succeeded ? nullptr : &error);
    if (row.size() != outputHeader.size()) std::abort();
    checkReread(row);
  }
  return 0;
}
