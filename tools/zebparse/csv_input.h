// CSV input as "zebparse run" reads it: the input is fed to libcsv one line at a
// time and each complete record is kept with the line where it starts. On its own so
// that the reading can be exercised without a plug-in. Tested end to end by
// tests/tools/zebparse_test.cc; fuzzed by fuzz/fuzz_csv.cc.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct csv_parser;

namespace zebparse {

struct CsvRecord {
  uint64_t line = 0;  // input line where the record starts (1-based)
  std::vector<std::string> cells;
};

class CsvInput {
 public:
  CsvInput();
  ~CsvInput();
  CsvInput(const CsvInput&) = delete;
  CsvInput& operator=(const CsvInput&) = delete;

  // Feeds input line `lineNumber`, with its line feed when it had one.
  void feed(std::string_view text, uint64_t lineNumber);
  // The input ended: a record still open is completed.
  void finish();
  // The records completed so far; the caller takes them and clears the list.
  std::vector<CsvRecord>& records() { return records_; }

 private:
  static void onField(void* data, size_t length, void* context);
  static void onRecordEnd(int, void* context);

  std::unique_ptr<csv_parser> parser_;
  std::vector<std::string> fields_;
  std::vector<CsvRecord> records_;
  uint64_t currentLine_ = 0;
  uint64_t recordLine_ = 0;
};

}  // namespace zebparse
