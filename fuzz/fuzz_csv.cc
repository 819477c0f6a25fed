// Fuzzes the CSV record format of "zebparse run": the input is read the way the
// run reads it (CsvReader, the first record the header), each record's elements go
// through a record document and back, and its output row is written. Output rows
// must read back as the cells written, and the elements must survive the record
// document unchanged.
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

// Whether the reader gives `cells` back from csvLine(cells). It cannot for a row of
// one empty cell: an empty line is no record.
bool rereadable(const std::vector<std::string>& cells) {
  return !(cells.size() == 1 && cells[0].empty());
}

// Reads the rows back from one file after a header line (where a leading
// byte-order mark would be dropped); each must come back as written. One read for
// all rows: a reader buffers a megabyte.
void checkReread(const std::vector<std::vector<std::string>>& rows) {
  std::string text = "h\n";
  std::vector<const std::vector<std::string>*> expected;
  for (const std::vector<std::string>& cells : rows) {
    if (!rereadable(cells)) continue;
    text += zebparse::csvLine(cells);
    text += '\n';
    expected.push_back(&cells);
  }
  std::vector<Record> back = readCsv(text);
  if (back.size() != expected.size() + 1) std::abort();
  for (size_t i = 0; i < expected.size(); ++i) {
    if (!back[i + 1].failure.empty() || back[i + 1].cells != *expected[i]) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<Record> records = readCsv({reinterpret_cast<const char*>(data), size});
  if (records.empty() || !records[0].failure.empty()) return 0;
  const std::vector<std::string> header = records[0].cells;
  const std::vector<std::string> outputHeader = zebparse::csvOutputHeader(header);
  std::vector<std::vector<std::string>> written{outputHeader};
  uint64_t lastLine = records[0].line;
  for (size_t i = 1; i < records.size(); ++i) {
    const Record& record = records[i];
    if (record.line < lastLine) std::abort();  // records are read in input order
    lastLine = record.line;
    if (!record.failure.empty()) continue;
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
    written.push_back(std::move(row));
  }
  checkReread(written);
  return 0;
}
