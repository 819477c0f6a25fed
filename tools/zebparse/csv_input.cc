// CSV input through libcsv; see csv_input.h. Tested end to end by
// tests/tools/zebparse_test.cc; fuzzed by fuzz/fuzz_csv.cc.
#include "tools/zebparse/csv_input.h"

#include <csv.h>

namespace zebparse {

CsvInput::CsvInput() : parser_(std::make_unique<csv_parser>()) { csv_init(parser_.get(), 0); }

CsvInput::~CsvInput() { csv_free(parser_.get()); }

void CsvInput::feed(std::string_view text, uint64_t lineNumber) {
  currentLine_ = lineNumber;
  csv_parse(parser_.get(), text.data(), text.size(), onField, onRecordEnd, this);
}

void CsvInput::finish() { csv_fini(parser_.get(), onField, onRecordEnd, this); }

// libcsv hands fields and record ends to these callbacks while a line is fed.
void CsvInput::onField(void* data, size_t length, void* context) {
  auto* input = static_cast<CsvInput*>(context);
  if (input->fields_.empty()) input->recordLine_ = input->currentLine_;
  input->fields_.emplace_back(static_cast<const char*>(data), length);
}

void CsvInput::onRecordEnd(int, void* context) {
  auto* input = static_cast<CsvInput*>(context);
  CsvRecord record;
  record.line = input->recordLine_;
  record.cells = std::move(input->fields_);
  input->fields_.clear();
  input->records_.push_back(std::move(record));
}

}  // namespace zebparse
