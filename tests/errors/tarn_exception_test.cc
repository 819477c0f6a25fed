// The exception family: message formatting, severities, copies and log rendering.
#include "errors/tarn_exception.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "logging/test_writers.h"

namespace {

using Lines = std::vector<std::string>;

ExceptionMessage Message(const std::string& id, const std::string& messageTemplate,
                         std::vector<std::string> arguments = {}) {
  ExceptionMessage message;
  message.id = id;
  message.messageTemplate = messageTemplate;
  message.arguments = std::move(arguments);
  formatMessage(message);
  return message;
}

Lines Rendered(const Tarn_Exception& exception, int32_t severity, bool withOrigin, bool detailed) {
  LogMessage out;
  exception.toLogMessage(out, severity, withOrigin, detailed);
  return out.lines;
}

// An exception at a glance: "COMPONENT SEVERITY entryCount/entries: what".
std::string Summary(const Tarn_Exception& e) {
  return e.component + " " + severityText(e.severity) + " " + std::to_string(e.entryCount) + "/" +
         std::to_string(e.entries.size()) + ": " + e.what();
}

TEST(Severity, TextsAndLogLevels) {
  const std::tuple<int32_t, const char*, uint32_t> rows[] = {
      {INFORMATION, "INFORMATION", kLevelInformation},
      {WARNING, "WARNING", kLevelWarning},
      {MINOR_ERROR, "MINOR ERROR", kLevelError},
      {MAJOR_ERROR, "MAJOR ERROR", kLevelError},
      {CRITICAL_ERROR, "CRITICAL ERROR", kLevelCritical},
      {-1, "UNSPECIFIED", kLevelProgress},
      {5, "UNSPECIFIED", kLevelProgress},
  };
  for (const auto& [severity, text, level] : rows) {
    EXPECT_STREQ(severityText(severity), text) << severity;
    EXPECT_EQ(severityLogLevel(severity), level) << severity;
  }
}

TEST(FormatMessage, FillsPlaceholdersOnceLeftToRight) {
  const std::tuple<const char*, std::vector<std::string>, const char*> rows[] = {
      {"{0} {1}", {"a"}, "a {1}"},       {"{{0}}", {"a"}, "{a}"},
      {"{0}{0}", {"{0}"}, "{0}{0}"},  // inserted text is not scanned again
      {"{1}-{0}", {"a", "b"}, "b-a"},    {"{0}", {}, "{0}"},
      {"{x} {} {0", {"a"}, "{x} {} {0"}, {"{", {"a"}, "{"},
  };
  for (const auto& [messageTemplate, arguments, expected] : rows) {
    EXPECT_EQ(Message("0000E", messageTemplate, arguments).text, expected) << messageTemplate;
  }
  // The number is the value of the identifier's digits.
  const std::pair<const char*, uint32_t> numbers[] = {{"    E", 0}, {"E1x2", 12}, {"00042W", 42}};
  for (const auto& [id, number] : numbers) EXPECT_EQ(Message(id, "").number, number) << id;
}

TEST(TarnException, WhatIsTheFirstEntryOrEmpty) {
  Tarn_Exception empty;
  EXPECT_EQ(Summary(empty), "KVD CRITICAL ERROR 0/0: ");
  EXPECT_EQ(empty.firstMessage().id, "");

  Tarn_Exception parsed("XMLDoc::ParseXML()", "Start tag expected, '<' not found", MAJOR_ERROR);
  EXPECT_EQ(Summary(parsed), "KVD MAJOR ERROR 1/1: Start tag expected, '<' not found");
  const ExceptionMessage first = parsed.firstMessage();
  EXPECT_EQ(parsed.entries.at(0)->origin + " " + first.id + " " + first.messageTemplate + " " +
                std::to_string(first.arguments.size()),
            "XMLDoc::ParseXML() 0000E {0} 1");

  // Placeholders, percent signs, UTF-8 and sheer length in the sentence are taken as they are.
  for (const std::string& text : {std::string("value {0} is odd 100% %s %n"),
                                  std::string("Stra\u00DFe \u20AC"), std::string(100000, 'x')}) {
    Tarn_Exception odd("", text, CRITICAL_ERROR);
    EXPECT_EQ(odd.what(), text);
    const Lines lines = Rendered(odd, CRITICAL_ERROR, true, false);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].substr(0, 40), ("CRITICAL ERROR: " + text).substr(0, 40));
  }
}

TEST(TarnException, SeverityNeverDropsBelowTheLargest) {
  Tarn_Exception exception("", Message("1", "a"), MAJOR_ERROR);
  exception.addEntry("", Message("2", "b"), MINOR_ERROR);
  EXPECT_EQ(Summary(exception), "KVD MAJOR ERROR 2/2: a");
  EXPECT_EQ(exception.entries.back()->severity, MINOR_ERROR);
  exception.addEntry("", Message("3", "c"), CRITICAL_ERROR);
  EXPECT_EQ(Summary(exception), "KVD CRITICAL ERROR 3/3: a");

  exception.clear();
  EXPECT_EQ(Summary(exception), "KVD CRITICAL ERROR 0/0: ");

  exception.severity = -1;  // not yet set: the first entry decides
  exception.addEntry("", Message("4", "d"), WARNING);
  EXPECT_EQ(Summary(exception), "KVD WARNING 1/1: d");
}

TEST(TarnException, CopiesOwnTheirEntries) {
  Tarn_Exception original("here", Message("12", "text {0}", {"one"}), MINOR_ERROR);
  original.addEntry("there", Message("13", "second"), WARNING);
  original.component = "LOG";

  Tarn_Exception copy(original);
  original.clear();
  EXPECT_EQ(Summary(copy), "LOG MINOR ERROR 2/2: text one");
  EXPECT_EQ(copy.entries.at(1)->origin, "there");
  EXPECT_EQ(copy.entries.at(1)->number, 13u);
  EXPECT_EQ(copy.entries.at(1)->severity, WARNING);

  Tarn_Exception assigned;
  assigned = copy;
  const Tarn_Exception& alias = assigned;
  assigned = alias;  // self-assignment keeps the entries
  copy.clear();
  EXPECT_EQ(Summary(assigned), "LOG MINOR ERROR 2/2: text one");
  EXPECT_EQ(Summary(TarnLog_Exception(assigned)), "LOG MINOR ERROR 2/2: text one");
}

TEST(TarnException, PlainRenderingIsOneHeadline) {
  // The unknown-parameter case: message number 0 writes no identifier part.
  Tarn_Exception parameter("", "Unknown parameter: FOO", CRITICAL_ERROR);
  LogMessage out;
  out.lines = {"stale"};
  parameter.toLogMessage(out, CRITICAL_ERROR, true, false);
  EXPECT_EQ(out.lines, Lines{"CRITICAL ERROR: Unknown parameter: FOO"});
  EXPECT_EQ(out.level, kLevelCritical);

  // The headline names the exception's severity; the level follows the argument.
  parameter.toLogMessage(out, WARNING, false, false);
  EXPECT_EQ(out.level, kLevelWarning);
  EXPECT_EQ(out.lines.front(), "CRITICAL ERROR: Unknown parameter: FOO");

  Tarn_Exception numbered("", Message("123", "Numbered"), MAJOR_ERROR);
  EXPECT_EQ(Rendered(numbered, MAJOR_ERROR, false, false),
            Lines{"MAJOR ERROR[KVD-00123]: : Numbered"});
  numbered.component = "LOG";
  numbered.addEntry("", Message("E9", "x"), MAJOR_ERROR);
  EXPECT_EQ(Rendered(numbered, MAJOR_ERROR, false, false).front(),
            "MAJOR ERROR[LOG-00123]: : Numbered");

  Tarn_Exception longId("", Message("1234567", "Long"), WARNING);
  EXPECT_EQ(Rendered(longId, WARNING, false, false).front(), "WARNING[KVD-1234567]: : Long");
  EXPECT_TRUE(Rendered(Tarn_Exception(), CRITICAL_ERROR, true, false).empty());
}

TEST(TarnException, DetailedRenderingListsEveryEntry) {
  Tarn_Exception exception("Parser::load()", Message("123", "first {0}", {"A"}), MAJOR_ERROR);
  exception.addEntry("Reader::next()", Message("45", "second"), MINOR_ERROR);
  exception.addEntry("", Message("0000E", "third"), WARNING);

  EXPECT_EQ(Rendered(exception, MAJOR_ERROR, true, true),
            (Lines{"MAJOR ERROR: ", "{", "  Parser::load() [KVD-00123]: first A",
                   "  Reader::next() [00045]: second", "   third", "}"}));
  EXPECT_EQ(
      Rendered(exception, MAJOR_ERROR, false, true),
      (Lines{"MAJOR ERROR: ", "{", "  [KVD-00123]: first A", "  [00045]: second", "  third", "}"}));
  exception.component = "LOG";
  EXPECT_EQ(Rendered(exception, MAJOR_ERROR, false, true)[3], "  [00045]: second");
  EXPECT_EQ(Rendered(Tarn_Exception(), INFORMATION, true, true), Lines{"CRITICAL ERROR: "});
}

TEST(TarnException, LogSendsWhatToLogMessageBuildsAndNothingWithoutALogger) {
  zebtest::TestLogger test("record://r *.*");
  Tarn_Exception exception("origin()", Message("12", "first"), MAJOR_ERROR);
  exception.addEntry("", Message("13", "second"), WARNING);

  exception.log(MINOR_ERROR, true, true);
  exception.logEntries(WARNING, false);
  exception.logText(INFORMATION, "[pre]", nullptr);
  exception.logText(INFORMATION, nullptr, nullptr);

  Lines expected = Rendered(exception, MINOR_ERROR, true, true);
  const size_t entriesAt = expected.size();
  for (const char* line : {"{", "  [KVD-00012]: first", "  [00013]: second", "}",
                           "MAJOR ERROR[pre]: ", "MAJOR ERROR: "}) {
    expected.push_back(line);
  }
  EXPECT_EQ(test.recorded().texts(), expected);
  const auto lines = test.recorded().lines();
  ASSERT_EQ(lines.size(), expected.size());
  EXPECT_EQ(lines[0].levelName, "ERR");
  EXPECT_EQ(lines[entriesAt].levelName, "WARN");
  EXPECT_EQ(lines.back().levelName, "INFO");

  setProcessLogger(nullptr);  // nobody listens: dropped, not dereferenced
  exception.log(CRITICAL_ERROR, true, true);
  exception.logEntries(CRITICAL_ERROR, true);
  exception.logText(CRITICAL_ERROR, nullptr, "x");
  EXPECT_EQ(test.recorded().lines().size(), expected.size());
}

}  // namespace
