// Tested by tests/tools/record_formats_test.cc.
#include "tools/zebparse/record_input.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/os.h"

namespace zebparse {
namespace {

constexpr size_t kChunk = 1u << 20;
// A row of empty fields costs far more memory than its bytes: fields are counted
// on their own.
constexpr size_t kMaxCsvFields = 10000;

bool isBlank(const std::string& line) {
  return line.find_first_not_of(" \t\r\n") == std::string::npos;
}

std::string tooLongMessage(size_t limit) {
  return "record longer than " + std::to_string(limit) + " bytes";
}

}  // namespace

InputSource::InputSource(ReadFunction read) : read_(std::move(read)), data_(kChunk) {}

InputSource InputSource::fromDescriptor(int fd) {
  return InputSource([fd](char* buffer, size_t size) { return cmn::readFile(fd, buffer, size); });
}

bool InputSource::fill() {
  if (ended_) return false;
  // Keep what is unread, or everything from the mark on; a marked stretch that
  // fills the buffer makes it grow, so a long one is moved only rarely.
  size_t keepFrom = mark_ != kNoMark ? mark_ : pos_;
  if (keepFrom > 0) {
    std::memmove(data_.data(), data_.data() + keepFrom, end_ - keepFrom);
    end_ -= keepFrom;
    pos_ -= keepFrom;
    if (mark_ != kNoMark) mark_ = 0;
  }
  if (data_.size() - end_ < kChunk / 4) {
    data_.resize(std::max(2 * data_.size(), end_ + kChunk));
  } else if (mark_ == kNoMark && end_ < kChunk && data_.size() > kChunk) {
    data_.resize(kChunk);  // a long marked stretch is over: give its memory back
    data_.shrink_to_fit();
  }
  for (;;) {
    int64_t got = read_(data_.data() + end_, data_.size() - end_);
    if (got > 0) {
      end_ += static_cast<size_t>(got);
      bytesRead_ += static_cast<uint64_t>(got);
      return true;
    }
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) error_ = errno;
    ended_ = true;
    return false;
  }
}

InputSource::Line InputSource::readLine(std::string& line, size_t limit) {
  line.clear();
  bool tooLong = false;
  bool any = false;
  for (;;) {
    if (pos_ == end_ && !fill()) {
      // A line cut short by a failed read is no record.
      if (!any || error_ != 0) return Line::kEnd;
      return tooLong ? Line::kTooLong : Line::kRead;
    }
    any = true;
    const char* start = data_.data() + pos_;
    const char* newline = static_cast<const char*>(std::memchr(start, '\n', end_ - pos_));
    size_t length = newline != nullptr ? static_cast<size_t>(newline - start) : end_ - pos_;
    if (!tooLong && line.size() + length > limit) {
      tooLong = true;
      line.clear();
    }
    if (!tooLong) line.append(start, length);
    pos_ += length;
    if (newline != nullptr) {
      ++pos_;
      return tooLong ? Line::kTooLong : Line::kRead;
    }
  }
}

size_t recordLimit(size_t resultSize) { return std::max(kDefaultRecordLimit, resultSize); }

bool LineReader::next(Record& record) {
  for (;;) {
    InputSource::Line status = in_.readLine(record.text, limit_);
    if (status == InputSource::Line::kEnd) return false;
    record.line = ++lineNumber_;
    if (status == InputSource::Line::kTooLong) {
      record.failure = tooLongMessage(limit_);
      return true;
    }
    if (lineNumber_ == 1 && record.text.rfind("\xEF\xBB\xBF", 0) == 0) record.text.erase(0, 3);
    if (!record.text.empty() && record.text.back() == '\r') record.text.pop_back();
    record.blank = isBlank(record.text);
    return true;
  }
}

bool CsvReader::next(Record& record) {
  record.cells.clear();
  record.failure.clear();
  record.blank = false;
  if (!started_) {
    started_ = true;
    in_.mark();
    bool byteOrderMark = in_.get() == 0xEF && in_.get() == 0xBB && in_.get() == 0xBF;
    if (byteOrderMark) {
      in_.dropMark();
    } else {
      in_.rewind();
    }
  }
  // A blank line holds no record, but keeps its place in the output.
  record.line = lineNumber_;
  int first = in_.peek();
  if (first < 0) return false;
  if (first == '\n' || first == '\r') {
    in_.get();
    if (first == '\r' && in_.peek() == '\n') in_.get();
    ++lineNumber_;
    record.blank = true;
    return true;
  }
  bytes_ = 0;
  pastFirstLine_ = false;
  firstLineFields_ = 0;
  record.cells.emplace_back();

  enum class State { kFieldStart, kUnquoted, kQuoted, kAfterQuote } state = State::kFieldStart;
  auto append = [&](char c) {
    if (++bytes_ > limit_) return false;
    record.cells.back() += c;
    return true;
  };
  auto newField = [&] {
    if (record.cells.size() >= kMaxCsvFields || ++bytes_ > limit_) return false;
    record.cells.emplace_back();
    state = State::kFieldStart;
    return true;
  };
  auto tooBig = [&] {
    if (record.cells.size() >= kMaxCsvFields) {
      fail(record, "record has more than " + std::to_string(kMaxCsvFields) + " fields");
    } else if (state == State::kQuoted) {
      // Most likely a quote that never closes, rather than a field that long.
      fail(record, "quoted field not closed within " + std::to_string(limit_) + " bytes");
    } else {
      fail(record, tooLongMessage(limit_));
    }
    return true;
  };
  auto endOfRecord = [&](int c) {
    if (c == '\r' && in_.peek() == '\n') in_.get();
    ++lineNumber_;
    if (pastFirstLine_) in_.dropMark();
    return true;
  };
  for (;;) {
    int c = in_.get();
    if (c < 0) {
      if (in_.error() != 0) return false;  // cut short: no record
      if (state == State::kQuoted) {
        fail(record, "quoted field not closed before the end of the input", false);
      } else if (pastFirstLine_) {
        in_.dropMark();
      }
      return true;
    }
    switch (state) {
      case State::kFieldStart:
        if (c == '"') {
          state = State::kQuoted;
          continue;
        }
        state = State::kUnquoted;
        [[fallthrough]];
      case State::kUnquoted:
        if (c == delimiter_) {
          if (!newField()) return tooBig();
        } else if (c == '\n' || c == '\r') {
          return endOfRecord(c);
        } else if (c == '"') {
          fail(record, "quote inside an unquoted field");
          return true;
        } else if (!append(static_cast<char>(c))) {
          return tooBig();
        }
        continue;
      case State::kQuoted:
        if (c == '"') {
          state = State::kAfterQuote;
          continue;
        }
        if (c == '\n') {
          ++lineNumber_;
          if (!pastFirstLine_) {
            // From here on the record may have to be read again as lines of their own.
            pastFirstLine_ = true;
            firstLineFields_ = record.cells.size() - 1;
            in_.mark();
          }
        }
        if (!append(static_cast<char>(c))) return tooBig();
        continue;
      case State::kAfterQuote:
        if (c == '"') {
          state = State::kQuoted;
          if (!append('"')) return tooBig();
        } else if (c == delimiter_) {
          if (!newField()) return tooBig();
        } else if (c == '\n' || c == '\r') {
          return endOfRecord(c);
        } else {
          fail(record, "text after the closing quote of a field");
          return true;
        }
        continue;
    }
  }
}

void CsvReader::fail(Record& record, std::string message, bool showLine) {
  if (showLine && lineNumber_ != record.line) {
    message += " (on line " + std::to_string(lineNumber_) + ")";
  }
  record.failure = std::move(message);
  if (pastFirstLine_) {
    // The lines after the first are read again: a quote that opened a field and
    // never closed it properly must not take the records behind it along.
    record.cells.resize(firstLineFields_);
    in_.rewind();
    lineNumber_ = record.line + 1;
    return;
  }
  record.cells.pop_back();  // the field in which the record broke
  for (int c = in_.get(); c >= 0; c = in_.get()) {
    if (c == '\n' || c == '\r') {
      if (c == '\r' && in_.peek() == '\n') in_.get();
      ++lineNumber_;
      break;
    }
  }
}

}  // namespace zebparse
