// Reading the records of "zebparse run": a buffered byte source over a file
// descriptor (or any read function), one record per line for xml and jsonl, and a
// strict RFC 4180 reader for csv. Every record is bounded in size, a broken one
// becomes a record of its own that carries the reason, and reading goes on after
// it. Tested by tests/tools/record_formats_test.cc.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tools/zebparse/batch_pipeline.h"

namespace zebparse {

// Records of more than this many bytes are refused unless the result buffer is
// larger still (see recordLimit).
inline constexpr size_t kDefaultRecordLimit = 16u << 20;

class InputSource {
 public:
  // Like ::read: the number of bytes read, 0 at the end, -1 with errno on failure.
  using ReadFunction = std::function<int64_t(char* buffer, size_t size)>;
  explicit InputSource(ReadFunction read);
  static InputSource fromDescriptor(int fd);

  enum class Line { kRead, kTooLong, kEnd };
  // The next line, without its LF, into `line`. kTooLong when it has more than
  // `limit` bytes: the line is skipped (and `line` left empty) without holding it
  // in memory. kEnd once the input is exhausted or failed.
  Line readLine(std::string& line, size_t limit);

  // Byte at a time: the next byte, or -1 at the end (or on a failure).
  int get() {
    if (pos_ == end_ && !fill()) return -1;
    return static_cast<unsigned char>(data_[pos_++]);
  }
  int peek() {
    if (pos_ == end_ && !fill()) return -1;
    return static_cast<unsigned char>(data_[pos_]);
  }
  // A mark keeps every byte from the current position on, so that `rewind` can
  // read them again; only one mark at a time.
  void mark() { mark_ = pos_; }
  void dropMark() { mark_ = kNoMark; }
  void rewind() {
    pos_ = mark_;
    mark_ = kNoMark;
  }

  bool buffered() const { return pos_ < end_; }  // the next byte is here without waiting
  int error() const { return error_; }           // errno of a failed read, else 0
  uint64_t bytesRead() const { return bytesRead_; }

 private:
  static constexpr size_t kNoMark = static_cast<size_t>(-1);
  bool fill();

  ReadFunction read_;
  std::vector<char> data_;
  size_t pos_ = 0;
  size_t end_ = 0;
  size_t mark_ = kNoMark;
  bool ended_ = false;
  int error_ = 0;
  uint64_t bytesRead_ = 0;
};

// The largest record accepted with the given result buffer size.
size_t recordLimit(size_t resultSize);

// xml and jsonl: one record per line; a blank line gives a record marked blank, so
// that the output keeps one line per input line. A byte-order mark at the start is
// dropped, and so is a CR before the LF.
class LineReader {
 public:
  LineReader(InputSource& in, size_t limit) : in_(in), limit_(limit) {}
  // The next record into `record` (its text reuses the string's memory); a line
  // over the limit gives a record with `failure` set. False at the end.
  bool next(Record& record);

 private:
  InputSource& in_;
  size_t limit_;
  uint64_t lineNumber_ = 0;
};

// csv: RFC 4180, strictly. A quote may only open a field and, doubled, stand for
// itself inside a quoted one. A broken record (a stray quote, a quoted field that
// never closes, a record over the limit) gives a record with `failure` set, its
// `line` where it starts and the fields complete on that line; reading goes on
// at the next line, so a quote left open swallows nothing after it.
// A blank line gives a record marked blank. The field delimiter is a comma unless
// told otherwise.
class CsvReader {
 public:
  CsvReader(InputSource& in, size_t limit, char delimiter = ',')
      : in_(in), limit_(limit), delimiter_(delimiter) {}
  bool next(Record& record);

 private:
  // Ends a broken record: skips the rest of its first line, or reads everything
  // after that line again. `showLine`: the message names the line where the
  // record broke, when that is not its first.
  void fail(Record& record, std::string message, bool showLine = true);

  InputSource& in_;
  size_t limit_;
  char delimiter_;
  uint64_t lineNumber_ = 1;
  bool started_ = false;
  // Of the record being read: its size, whether it crossed its first line end,
  // and the number of fields complete on its first line.
  size_t bytes_ = 0;
  bool pastFirstLine_ = false;
  size_t firstLineFields_ = 0;
};

}  // namespace zebparse
