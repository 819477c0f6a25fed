// Records read from a byte stream: lines for xml and jsonl, strict RFC 4180 for csv,
// each bounded in size, broken ones reported where they start without swallowing
// what follows. Every case is read in one piece and a byte at a time.
#include "tools/zebparse/record_input.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace zebparse {
namespace {

// A source handing out `text` in pieces of at most `piece` bytes.
InputSource sourceOf(const std::string& text, size_t piece) {
  auto pos = std::make_shared<size_t>(0);
  return InputSource([text, piece, pos](char* buffer, size_t size) -> ssize_t {
    size_t n = std::min({piece, size, text.size() - *pos});
    std::memcpy(buffer, text.data() + *pos, n);
    *pos += n;
    return static_cast<ssize_t>(n);
  });
}

// "line:cell|cell" per record, with "!failure" when it has one; "line:(blank)" for a
// blank line, which keeps its place in the output.
template <typename Reader, typename... Options>
std::vector<std::string> readAll(const std::string& text, size_t piece, size_t limit,
                                 Options... options) {
  InputSource in = sourceOf(text, piece);
  Reader reader(in, limit, options...);
  std::vector<std::string> got;
  for (Record record; reader.next(record);) {
    std::string shown = std::to_string(record.line) + ":" + record.text;
    if (record.blank) shown += "(blank)";
    for (size_t i = 0; i < record.cells.size(); ++i) shown += (i > 0 ? "|" : "") + record.cells[i];
    if (!record.failure.empty()) shown += "!" + record.failure;
    got.push_back(shown);
    record = Record();
  }
  return got;
}

TEST(CsvReader, ReadsStrictlyAndGoesOnAfterABrokenRecord) {
  const struct {
    std::string input;
    std::vector<std::string> records;
    size_t limit = 1000;
    char delimiter = ',';
  } kRows[] = {
      {"a,b\r\n\r\n\"x,\"\"y\"\"\",\n", {"1:a|b", "2:(blank)", "3:x,\"y\"|"}},
      {"a;b,c\n\"x;\";y\n", {"1:a|b,c", "2:x;|y"}, 1000, ';'},
      {"\xEF\xBB\xBFid,\"two\nlines\"\nlast", {"1:id|two\nlines", "3:last"}},
      // A stray quote fails its record; the next line is read as usual.
      {"h\n1,\"12 Main St\"junk,X\n2,ok\n",
       {"1:h", "2:1!text after the closing quote of a field", "3:2|ok"}},
      // A quote left open takes nothing along: the lines after it are read again.
      {"h\n1,12 Main St,\"Springfield\n2,2 Elm,Town\n3,3 Oak,X\n",
       {"1:h", "2:1|12 Main St!quoted field not closed before the end of the input",
        "3:2|2 Elm|Town", "4:3|3 Oak|X"}},
      // ... also when a later quote closes it and the text after that breaks it.
      {"1,\"a\n2,\"b\",c\n3,x\n",
       {"1:1!text after the closing quote of a field (on line 2)", "2:2|b|c", "3:3|x"}},
      {"12345678901\nshort\n\"1234\n56789012\"\nok\n",
       {"1:!record longer than 10 bytes", "2:short",
        "3:!quoted field not closed within 10 bytes (on line 4)",
        "4:!quote inside an unquoted field", "5:ok"},
       10},
  };
  for (const auto& row : kRows) {
    for (size_t piece : {size_t{1}, size_t{1} << 20}) {
      EXPECT_EQ(readAll<CsvReader>(row.input, piece, row.limit, row.delimiter), row.records)
          << row.input << " in pieces of " << piece;
    }
  }
}

TEST(LineReader, MarksBlankLinesAndRefusesLongOnes) {
  std::string input = "\xEF\xBB\xBF<a/>\r\n  \n" + std::string(30, 'x') + "\n<b/>";
  for (size_t piece : {size_t{1}, size_t{7}, size_t{1} << 20}) {
    EXPECT_EQ(readAll<LineReader>(input, piece, 20),
              (std::vector<std::string>{"1:<a/>", "2:  (blank)", "3:!record longer than 20 bytes",
                                        "4:<b/>"}))
        << "pieces of " << piece;
  }
}

TEST(InputSource, AFailedReadEndsTheInputWithItsError) {
  int calls = 0;
  InputSource in([&](char* buffer, size_t) -> ssize_t {
    if (calls++ > 0) {
      errno = EIO;
      return -1;
    }
    std::memcpy(buffer, "one\ntw", 6);
    return 6;
  });
  std::string line;
  EXPECT_EQ(in.readLine(line, 100), InputSource::Line::kRead);
  EXPECT_EQ(line, "one");
  EXPECT_EQ(in.readLine(line, 100), InputSource::Line::kEnd) << "a cut line is no record";
  EXPECT_EQ(in.error(), EIO);
}

}  // namespace
}  // namespace zebparse
