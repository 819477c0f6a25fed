// zebparse's parts: records read from a byte stream (lines for xml and jsonl, strict
// RFC 4180 for csv, each bounded in size, broken ones reported where they start without
// swallowing what follows; every case read in one piece and a byte at a time); record
// documents built from codes and values, results read back, and the JSON and CSV forms
// of both; and the run pipeline, which keeps input order whatever the threads do, never
// holds more than its window of batches, and hands written batches back to be filled
// again.
#include "tools/zebparse/record_formats.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "test_checks.h"
#include "tools/zebparse/batch_pipeline.h"
#include "tools/zebparse/record_input.h"

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

// Elements as "CODE=value|CODE=value".
std::string shown(const std::vector<Element>& elements) {
  std::string out;
  for (const Element& e : elements) out += (out.empty() ? "" : "|") + e.code + "=" + e.value;
  return out;
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

TEST(ElementCode, IsUpperCaseLettersDigitsAndUnderscores) {
  const std::pair<const char*, bool> kRows[] = {
      {"STR_NAME_STD", true}, {"Addr1", false}, {"1ADDR", false},
      {"_X", false},          {"", false},      {"ADDR-1", false}};
  zeb_test::ExpectEach(kRows, [](const auto& key) { return isElementCode(key); });
}

TEST(XmlText, EscapesMarkupAndRefusesWhatXmlCannotCarry) {
  const std::pair<std::string, const char*> kRows[] = {
      {"12 Main St", "12 Main St"},
      {"A&B <x> ]]>", "A&amp;B &lt;x&gt; ]]&gt;"},
      {"line\r\nnext\ttab", "line&#13;\nnext\ttab"},
      {"Straße 北京 \xF0\x9F\x98\x80", "Straße 北京 \xF0\x9F\x98\x80"},
      {"bad \xC3 byte", "!invalid UTF-8 at byte 5"},
      {"overlong \xC0\xAF", "!invalid UTF-8 at byte 10"},
      {"surrogate \xED\xA0\x80", "!invalid UTF-8 at byte 11"},
      {"bell \x07", "!character U+0007 not allowed in XML at byte 6"},
      {"\xEF\xBF\xBF", "!character U+FFFF not allowed in XML at byte 1"},
  };
  for (const auto& [text, expected] : kRows) {
    std::string out;
    std::string error;
    EXPECT_EQ(appendXmlText(out, text, error) ? out : "!" + error, expected) << text;
  }
}

TEST(RecordDocument, RoundTripsThroughTheResultReader) {
  std::vector<Element> elements = {
      {"ADDR1", "12 <Main> & St"}, {"CITY", ""}, {"ADDR1", "second"}, {"NOTE", "a\r\nb"}};
  std::string document;
  std::string error;
  ASSERT_TRUE(buildRecordDocument(elements, document, error)) << error;
  EXPECT_EQ(document.find('\n'), document.find("\nb")) << "the only line feed is the value's";
  ResultDocument result;
  ASSERT_TRUE(readResultDocument(document, result, error)) << error;
  EXPECT_EQ(shown(result.elements), shown(elements));
  EXPECT_FALSE(result.hasError);
}

TEST(RecordDocument, ValueXmlCannotCarryIsReportedWithItsCode) {
  std::string document;
  std::string error;
  EXPECT_FALSE(buildRecordDocument({{"CITY", "ok"}, {"ADDR2", "x\x01"}}, document, error));
  EXPECT_EQ(error, "value of ADDR2: character U+0001 not allowed in XML at byte 2");
}

TEST(ResultDocument, ReadsErrorDocumentsAndRejectsBrokenText) {
  ResultDocument result;
  std::string error;
  ASSERT_TRUE(readResultDocument(errorDocument("bad <thing> & \xFF"), result, error)) << error;
  EXPECT_TRUE(result.hasError);
  EXPECT_EQ(result.error, "bad <thing> & \xEF\xBF\xBD");
  EXPECT_TRUE(result.elements.empty());

  EXPECT_FALSE(readResultDocument("<STD_RESULT><OBS_FEAT>", result, error));
  EXPECT_TRUE(zeb_test::Holds(error, "not a well-formed document"));
}

// What scanJsonRecord makes of one line (which the record's members point into).
struct JsonLine {
  explicit JsonLine(std::string text, const ColumnMap& map = {}) : line(std::move(text)) {
    ok = scanJsonRecord(line, map, record, error);
  }
  JsonLine(const JsonLine&) = delete;
  std::string output(const ResultDocument* result, const std::string* failure,
                     bool all = false) const {
    std::string out;
    jsonOutput(record, result, failure, all, out);
    return out;
  }
  std::string line;
  bool ok;
  JsonRecord record;
  std::string error;
};

TEST(JsonRecord, TakesMappedKeysAndElementCodesAndKeepsTheRestAsWritten) {
  ColumnMap map;
  map.add("street", "ADDR1");
  const JsonLine json(
      R"({"id": 7, "street": "12 Main St", "POSTAL_CODE": 2134, "FLAG": true,)"
      R"( "ADDR2": null, "CITY": ["A\u00e9", 1, null], "addr3": {"x": [1]}, "ADDR2": "b"})",
      map);
  ASSERT_TRUE(json.ok) << json.error;
  EXPECT_EQ(shown(json.record.elements),
            "ADDR1=12 Main St|POSTAL_CODE=2134|FLAG=true|CITY=Aé|CITY=1|ADDR2=b");
  EXPECT_EQ(json.output(nullptr, nullptr),
            R"({"id": 7,"street": "12 Main St","POSTAL_CODE": 2134,"FLAG": true,"ADDR2": null,)"
            R"("CITY": ["A\u00e9", 1, null],"addr3": {"x": [1]},"ADDR2": "b"})");
}

std::string manyKeys(int count) {
  std::string line = "{";
  for (int i = 0; i < count; ++i) line += "\"k" + std::to_string(i) + "\":" + "1,";
  return line + "\"ADDR1\":\"1 Main St\"}";
}

// Each failure names the byte where the line went wrong (never a "line 1" of its
// own beside the input's line number), and keeps the members complete before it.
TEST(JsonRecord, RefusesWhatIsNoRecordAndKeepsWhatCameBefore) {
  // A line, a piece of its error, and its output with the error "E" (when checked).
  const std::tuple<std::string, const char*, const char*> kRows[] = {
      {"not json", "invalid JSON at byte 1: expected a value", R"({"ERROR":"E"})"},
      {R"({"id": "a1", "ADDR1": "x",})", "invalid JSON at byte 27: unexpected text",
       R"({"id": "a1","ADDR1": "x","ERROR":"E"})"},
      {"[1, 2]", "not a JSON object", nullptr},
      {"{} x", "invalid JSON: the object does not close at the end of the line", nullptr},
      {R"({"ADDR1": {"x": 1}})", "value of ADDR1 is an object", nullptr},
      {R"({"ADDR1": [["x"]]})", "value of ADDR1 holds a list or object", nullptr},
      {"{\"ADDR1\": \"\xC3\"}", "invalid JSON at byte 12: invalid UTF-8", nullptr},
      {R"({"a": "\ud800"})", "lone surrogate", nullptr},
      {R"({"a": 01})", "invalid JSON at byte 7: bad number", nullptr},
      {"{\"a\": \"tab\there\"}", "control character in a string", nullptr},
      {R"({"id":)" + std::string(50000, '[') + std::string(50000, ']') + "}",
       "JSON nested deeper than 64 levels", nullptr},
      {manyKeys(10000), "JSON object with more than 10000 keys", nullptr},
      {std::string("{\"ADDR1\": \"1 Main St\"}\0junk", 27), "NUL byte in the record at byte 23",
       nullptr},
  };
  const std::string failure = "E";
  for (const auto& [line, error, output] : kRows) {
    const JsonLine json(line);
    EXPECT_FALSE(json.ok) << line.substr(0, 80);
    EXPECT_TRUE(zeb_test::Holds(json.error, error)) << line.substr(0, 80);
    if (output != nullptr) {
      EXPECT_EQ(json.output(nullptr, &failure), output);
    }
  }
  for (const std::string& line :
       {manyKeys(9999),
        R"({"id":)" + std::string(63, '[') + std::string(63, ']') + R"(, "n": -1.5e+3})",
        std::string(R"({"id": 123456789012345678901234567890, "n": 1e400})")}) {
    const JsonLine json(line);
    EXPECT_TRUE(json.ok) << json.error;
  }
}

// One string per result code whatever the record; every occurrence on request.
TEST(JsonOutput, OneStringPerCodeOrEveryOccurrence) {
  const JsonLine json(R"({"id": "a1", "ADDR1": "12b Main St", "STR_NUM": ""})");
  ResultDocument result;
  result.elements = {{"ADDR1", "12b Main St"},
                     {"STR_NUM", "12b"},
                     {"STR_NAME", "MAIN"},
                     {"STR_NUM", "12B"},
                     {"NOTE", "a\"\n\x01"}};
  EXPECT_EQ(json.output(&result, nullptr),
            R"({"id": "a1","ADDR1": "12b Main St","STR_NUM":"12B","STR_NAME":"MAIN",)"
            R"("UNIT_TYPE":"","UNIT_NUM":"","STR_NAME_STD":"","CITY_STD":"","POSTAL_5":"",)"
            R"("CITY":"","STATE":"","POSTAL_CODE":""})")
      << "a one-line address gets the locality the plug-in may find in it";
  EXPECT_EQ(json.output(&result, nullptr, true),
            R"({"id": "a1","ADDR1":["12b Main St"],"STR_NUM":["12b","12B"],"STR_NAME":["MAIN"],)"
            R"("NOTE":["a\"\n\u0001"]})");
  std::string error = "boom";
  EXPECT_EQ(json.output(nullptr, &error),
            R"({"id": "a1","ADDR1": "12b Main St","STR_NUM": "","ERROR":"boom"})");
}

TEST(ResultDocument, TheShapeReaderAndTheTreeParserAgree) {
  // The plug-in's own shape, an empty value, entities; then shapes only the tree
  // parser reads.
  for (const std::string text :
       {"<STD_RESULT><OBS_FEAT><OBS_FELEM><FELEM_CODE>A</FELEM_CODE><FELEM_VALUE>x &amp; &lt;"
        "y&gt;&#13;</FELEM_VALUE></OBS_FELEM><OBS_FELEM><FELEM_CODE>B</FELEM_CODE><FELEM_VALUE/>"
        "</OBS_FELEM></OBS_FEAT></STD_RESULT>",
        "<STD_RESULT><OBS_FEAT><OBS_FELEM><FELEM_CODE>A</FELEM_CODE><FELEM_VALUE>x &#38; &#60;"
        "y&#62;&#xD;</FELEM_VALUE></OBS_FELEM><OBS_FELEM><FELEM_CODE>B</FELEM_CODE>"
        "</OBS_FELEM><X/></OBS_FEAT></STD_RESULT>"}) {
    ResultDocument result;
    std::string error;
    ASSERT_TRUE(readResultDocument(text, result, error)) << error;
    EXPECT_EQ(shown(result.elements), "A=x & <y>\r|B=") << text;
  }
}

TEST(Csv, QuotesFieldsThatNeedIt) {
  EXPECT_EQ(csvLine({"a", "b,c", "say \"hi\"", "two\nlines", ""}),
            "a,\"b,c\",\"say \"\"hi\"\"\",\"two\nlines\",");
  EXPECT_EQ(csvLine({"a;b", "c,d"}, ';'), "\"a;b\";c,d");
}

TEST(Csv, OutputRowTakesResultValuesAndAddsColumns) {
  ColumnMap map;
  map.add("street", "ADDR1");
  CsvLayout layout({"id", "street", "STR_NUM"}, map, ',');
  EXPECT_TRUE(layout.hasAddressColumn());
  EXPECT_FALSE(CsvLayout({"id", "address"}, ColumnMap(), ',').hasAddressColumn());
  EXPECT_EQ(layout.outputHeader(),
            (std::vector<std::string>{"id", "street", "STR_NUM", "STR_NAME", "UNIT_TYPE",
                                      "UNIT_NUM", "STR_NAME_STD", "CITY_STD", "POSTAL_5", "CITY",
                                      "STATE", "POSTAL_CODE", "ERROR"}));
  ResultDocument result;
  result.elements = {{"ADDR1", "12b Main, Provo UT"},
                     {"STR_NUM", "12b"},
                     {"STR_NAME", "MAIN"},
                     {"STR_NUM", "12B"},
                     {"CITY", "Provo"},
                     {"STATE", "UT"}};
  std::string line;
  layout.outputLine({"r1", "12b Main, Provo UT", ""}, &result, nullptr, line);
  EXPECT_EQ(line, "r1,\"12b Main, Provo UT\",12B,MAIN,,,,,,Provo,UT,,");
  std::string error = "broken, badly";
  layout.outputLine({"r2", "x", "7"}, nullptr, &error, line);
  EXPECT_EQ(line, "r2,x,7,,,,,,,,,,\"broken, badly\"");
  EXPECT_EQ(CsvLayout({"ADDR1", "CITY"}, map, ',').outputHeader().back(), "ERROR");
  EXPECT_EQ(CsvLayout({"ADDR1", "CITY"}, map, ',').outputHeader().size(), 10u)
      << "a record with a city has its locality: none is added";

  std::vector<Element> elements;
  EXPECT_FALSE(layout.record({"r2", "x"}, elements, error));
  EXPECT_EQ(error, "record has 2 fields, the header has 3");
  ASSERT_TRUE(layout.record({"r3", "1 Elm", ""}, elements, error));
  EXPECT_EQ(shown(elements), "ADDR1=1 Elm") << "id is no code and an empty cell gives no element";
}

// Reads `total` numbered records in batches of `perBatch`.
BatchPipeline::ReadFunction countingReader(uint64_t total, size_t perBatch) {
  auto next = std::make_shared<uint64_t>(1);
  return [=](std::vector<Record>& batch) {
    batch.resize(std::min<uint64_t>(perBatch, total + 1 - *next));
    for (Record& record : batch) {
      record.line = (*next)++;
      record.text = std::to_string(record.line);
    }
    return *next <= total;
  };
}

// Output is flushed only on an idle write, so one must come after the last batch.
// One thread is the caller's own.
TEST(ConcurrentBatchPipeline, WritesInInputOrderWhateverTheProcessingOrderThenIdles) {
  for (unsigned threads : {1u, 2u, 4u}) {
    std::vector<uint64_t> written;
    std::atomic<int> processed{0};
    bool lastIdle = false;
    std::set<std::thread::id> seen;
    BatchPipeline(
        6, countingReader(1000, 10),
        [&](Record& record, std::vector<char>&) {
          // Later records finish first now and then.
          if (record.line % 7 == 0) std::this_thread::sleep_for(std::chrono::microseconds(300));
          record.output = "out" + record.text;
          if (threads == 1) seen.insert(std::this_thread::get_id());
          ++processed;
        },
        [&](std::vector<Record>& batch, bool idle) {
          for (Record& record : batch) {
            EXPECT_EQ(record.output, "out" + std::to_string(record.line));
            written.push_back(record.line);
          }
          lastIdle = idle;
          if (threads == 1) seen.insert(std::this_thread::get_id());
          return true;
        })
        .run(threads);
    EXPECT_TRUE(threads > 1 || seen == std::set<std::thread::id>{std::this_thread::get_id()});
    ASSERT_EQ(written.size(), 1000u) << threads << " threads";
    for (size_t i = 0; i < written.size(); ++i) ASSERT_EQ(written[i], i + 1) << "position " << i;
    EXPECT_EQ(processed.load(), 1000);
    EXPECT_TRUE(lastIdle) << threads << " threads";
  }
}

TEST(ConcurrentBatchPipeline, ReadersWaitWhenTheWindowIsFull) {
  // The first batch is slow, so every later one waits to be written behind it.
  constexpr size_t kWindow = 3;
  std::atomic<int> inFlight{0};
  std::atomic<int> mostInFlight{0};
  auto read = countingReader(40, 1);
  BatchPipeline(
      kWindow,
      [&](std::vector<Record>& batch) {
        bool more = read(batch);
        int now = ++inFlight;
        int seen = mostInFlight.load();
        while (now > seen && !mostInFlight.compare_exchange_weak(seen, now)) {
        }
        return more;
      },
      [&](Record& record, std::vector<char>&) {
        if (record.line == 1) std::this_thread::sleep_for(std::chrono::milliseconds(50));
      },
      [&](std::vector<Record>&, bool) {
        --inFlight;
        return true;
      })
      .run(4);
  EXPECT_LE(mostInFlight.load(), static_cast<int>(kWindow));
  EXPECT_EQ(inFlight.load(), 0);
}

TEST(ConcurrentBatchPipeline, EmptyInputAndEmptyReadsWriteNothing) {
  int reads = 0;
  int writes = 0;
  BatchPipeline(
      2,
      [&](std::vector<Record>& batch) {
        batch.clear();
        return ++reads < 3;  // two empty reads, then the end
      },
      [](Record&, std::vector<char>&) { FAIL() << "no record to process"; },
      [&](std::vector<Record>&, bool) {
        ++writes;
        return true;
      })
      .run(3);
  EXPECT_EQ(reads, 3) << "the end of the input is read once";
  EXPECT_EQ(writes, 0);
}

TEST(ConcurrentBatchPipeline, WrittenBatchesComeBackEmptiedButKeepTheirMemory) {
  // One thread, so the second read gets the batch the first one filled.
  int reads = 0;
  BatchPipeline(
      1,
      [&](std::vector<Record>& batch) {
        ++reads;
        if (reads == 1) {
          batch.resize(4);
          batch[3].text.assign(1 << 20, 'x');  // one huge record
          return true;
        }
        EXPECT_EQ(batch.size(), 4u);
        for (const Record& record : batch) {
          EXPECT_TRUE(record.output.empty());
          EXPECT_TRUE(record.failure.empty());
          EXPECT_GE(record.output.capacity(), 1000u) << "the output's memory is kept";
        }
        EXPECT_LT(batch[3].text.capacity(), size_t{1} << 20) << "a huge text is not kept";
        batch.clear();
        return false;
      },
      [](Record& record, std::vector<char>&) {
        record.output.assign(1000, 'o');
        record.failure = "f";
      },
      [](std::vector<Record>&, bool) { return true; })
      .run(1);
  EXPECT_EQ(reads, 2);
}

TEST(ConcurrentBatchPipeline, AFailedWriteStopsReadingAndWriting) {
  for (unsigned threads : {1u, 2u, 4u}) {
    std::atomic<uint64_t> lastRead{0};
    auto read = countingReader(100000, 10);
    std::vector<uint64_t> written;
    bool stopped = BatchPipeline(
                       4,
                       [&](std::vector<Record>& batch) {
                         bool more = read(batch);
                         lastRead = batch.back().line;
                         return more;
                       },
                       [](Record&, std::vector<char>&) {},
                       [&](std::vector<Record>& batch, bool) {
                         written.push_back(batch.front().line);
                         return written.size() < 3;
                       })
                       .run(threads);
    EXPECT_TRUE(stopped);
    EXPECT_EQ(written, (std::vector<uint64_t>{1, 11, 21})) << threads << " threads";
    EXPECT_LE(lastRead.load(), 30u + 10 * (4 + threads)) << "reading stops at the window";
  }
}

}  // namespace
}  // namespace zebparse
