// zebparse end to end: the real binary, the real plug-in, small configurations
// written for each test into a temporary support directory.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "test_checks.h"
#include "test_files.h"

namespace {

namespace fs = std::filesystem;
using zeb_test::Holds;
using zeb_test::readFile;
using zeb_test::Split;

// A United States configuration just big enough to split "12 Main St Apt 4".
constexpr const char* kSmallConfig = R"xml(<CONFIG>
  <COUNTRIES><COUNTRY name="US" c2="US"/><DEFAULTCOUNTRY name="US"/></COUNTRIES>
  <REGIONS><REGION id="1" name="US" priority="1" base="0"/></REGIONS>
  <ADDRESSPARTS c2="US">
    <SUFFIX><PART data="ST" std="ST"/><PART data="AVE" std="AVE"/></SUFFIX>
    <UNITLABEL><PART data="APT" std="APT"/></UNITLABEL>
  </ADDRESSPARTS>
  <RULESET c2="US">
    <NOCONTEXT>
      <RULE name="number-first" condition="ISFIRSTTOKEN AND HASNUMBERS" set="STREETNUM"/>
      <RULE name="unit-word" condition="ISUNITWORD" set="UNITLABEL"/>
      <RULE name="after-unit-word" condition="ISTOKENA(PREV,UNITLABEL)" set="UNITNUM"/>
      <RULE name="street-type" condition="ISSUFFIXWORD AND NOT ISFIRSTTOKEN" set="SUFFIX"/>
    </NOCONTEXT>
    <WITHCONTEXT><RULE name="the-rest-is-the-name" condition="" set="STREETNAME"/></WITHCONTEXT>
  </RULESET>
</CONFIG>
)xml";

// The same with mistakes that `check` must find, and one that breaks every parse.
constexpr const char* kBrokenConfig = R"xml(<CONFIG>
  <COUNTRIES><COUNTRY name="US" c2="US"/><COUNTRY name="Atlantis" c2="AT"/></COUNTRIES>
  <REGIONS><REGION id="1" name="US" priority="1" base="0"/></REGIONS>
  <RULESET c2="US"><NOCONTEXT>
    <RULE name="bad-parameter" condition="ISTOKENA(PREV,NOSUCHMEANING)" set="STREETNUM"/>
    <RULE name="bad-keyword" condition="ISWHATEVER AND HASNUMBERS" set="STREETNAM"/>
    <RULE name="bad-eliminate" condition="HASNUMBERS" eliminate="UNITNUM,,POBOXNUMBER"/>
  </NOCONTEXT></RULESET>
  <RULESET c2="CA"><NOCONTEXT/></RULESET>
</CONFIG>
)xml";

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

std::string quoted(const std::string& arg) {
  std::string out = "'";
  for (char c : arg) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

class ZebparseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* build = std::getenv("ZEB_BUILD_DIR");
    binary_ = fs::path(build != nullptr ? build : ".") / "bin" / "zebparse";
    if (!fs::exists(binary_)) GTEST_SKIP() << "zebparse not built at " << binary_;
    write("support/addressParserMetaData.xml", kSmallConfig);
  }

  fs::path write(const std::string& name, const std::string& text) {
    fs::path path = dir_ / name;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  std::string support() const { return (dir_ / "support").string(); }

  // Runs zebparse with `args`, standard input from `input` (a file name in the
  // temporary directory, or none). With `throughPipe`, standard output is a pipe, and
  // the status is then the reader's, not zebparse's.
  Outcome run(const std::vector<std::string>& args, const std::string& input = "",
              bool throughPipe = false) {
    std::string command = quoted(binary_.string());
    for (const std::string& arg : args) command += " " + quoted(arg);
    if (!input.empty()) command += " < " + quoted((dir_ / input).string());
    if (throughPipe) command += " 2> " + quoted((dir_ / "stderr").string()) + " | cat";
    command += " > " + quoted((dir_ / "stdout").string());
    if (!throughPipe) command += " 2> " + quoted((dir_ / "stderr").string());
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readFile(dir_ / "stdout"),
            readFile(dir_ / "stderr")};
  }

  // "run" with the test's support directory, `format` and `more` arguments.
  std::vector<std::string> runArgs(const std::string& format,
                                   const std::vector<std::string>& more = {}) {
    std::vector<std::string> args{"run",      "--support-dir", support(),
                                  "--format", format,          "--no-progress"};
    args.insert(args.end(), more.begin(), more.end());
    return args;
  }

  fs::path binary_;
  zeb_test::ScratchDirectory scratch_;
  fs::path dir_ = scratch_.path();
};

std::string xmlRecord(const std::string& value, const std::string& code = "ADDR1") {
  return "<STD_BOM><OBS_FEAT><OBS_FELEM><FELEM_CODE>" + code + "</FELEM_CODE><FELEM_VALUE>" +
         value + "</FELEM_VALUE></OBS_FELEM></OBS_FEAT></STD_BOM>";
}

// Record `number` of a numbered input, "<number> Main St", with its line feed.
std::string numberedRecord(int number) {
  return xmlRecord(std::to_string(number) + " Main St") + "\n";
}

// Reading standard input must not flush standard output under the writer thread;
// a broken record fails alone and a blank line stays a blank line of the output.
TEST_F(ZebparseTest, StandardInputToStandardOutputKeepsEveryRecordOnceInOrder) {
  const int count = 3000;
  std::string input;
  for (int i = 1; i <= count; ++i) {
    input += i == 150 ? "<STD_BOM><OBS_FEAT>\n   \n" : numberedRecord(i);
  }
  write("in.xml", input);
  Outcome outcome = run(runArgs("xml", {"--threads", "4"}), "in.xml", true);
  EXPECT_TRUE(Holds(outcome.err, {"zebparse: line 150: ", "3000 records, 1 failed"}));
  std::vector<std::string> lines = Split(outcome.out);
  ASSERT_EQ(lines.size(), static_cast<size_t>(count) + 1);
  for (int i = 0; i <= count; ++i) {
    const std::string& line = lines[static_cast<size_t>(i)];
    if (i == 150) {
      EXPECT_EQ(line, "");
      continue;
    }
    const std::string number = std::to_string(i < 149 ? i + 1 : i);
    ASSERT_TRUE(Holds(line, i == 149 ? "<STD_RESULT><ERROR>"
                                     : "<FELEM_CODE>STR_NUM</FELEM_CODE><FELEM_VALUE>" + number +
                                           "</FELEM_VALUE>"))
        << "output line " << i + 1;
  }
}

TEST_F(ZebparseTest, AStreamFedLineByLineGetsEachResultBeforeTheNextRecord) {
  // A host that waits for each answer before it sends the next record must get
  // it: a partial batch goes out at once and the output is flushed.
  for (const char* threads : {"1", "2"}) {
    int toChild[2];
    int fromChild[2];
    ASSERT_EQ(::pipe(toChild), 0);
    ASSERT_EQ(::pipe(fromChild), 0);
    std::vector<std::string> args = runArgs("xml", {"--threads", threads});
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::dup2(toChild[0], STDIN_FILENO);
      ::dup2(fromChild[1], STDOUT_FILENO);
      for (int fd : {toChild[0], toChild[1], fromChild[0], fromChild[1]}) ::close(fd);
      std::vector<char*> argv{const_cast<char*>(binary_.c_str())};
      for (std::string& arg : args) argv.push_back(arg.data());
      argv.push_back(nullptr);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    ::close(toChild[0]);
    ::close(fromChild[1]);
    std::string received;
    for (int i = 1; i <= 3; ++i) {
      std::string record = numberedRecord(i);
      ASSERT_EQ(::write(toChild[1], record.data(), record.size()),
                static_cast<ssize_t>(record.size()));
      while (std::count(received.begin(), received.end(), '\n') < i) {
        pollfd ready{fromChild[0], POLLIN, 0};
        ASSERT_EQ(::poll(&ready, 1, 20000), 1)
            << "no answer to record " << i << " with " << threads << " threads";
        char chunk[4096];
        ssize_t got = ::read(fromChild[0], chunk, sizeof chunk);
        ASSERT_GT(got, 0);
        received.append(chunk, static_cast<size_t>(got));
      }
      EXPECT_TRUE(Holds(Split(received).back(), "<FELEM_VALUE>" + std::to_string(i) + "</"));
    }
    ::close(toChild[1]);
    ::close(fromChild[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << threads << " threads";
  }
}

// Whether `line` holds every piece of `expected` (pieces separated by line feeds);
// a piece that starts with '^' must begin the line, one that starts with '=' must be it.
bool Matches(const std::string& line, const std::string& expected) {
  for (const std::string& piece : Split(expected)) {
    const size_t at = line.find(piece.substr(piece[0] == '^' || piece[0] == '=' ? 1 : 0));
    if (at == std::string::npos || (piece[0] == '^' && at != 0) ||
        (piece[0] == '=' && line.size() != piece.size() - 1)) {
      return false;
    }
  }
  return true;
}

// Records of every format, hostile ones among them: each result has its own output
// line with the input's other keys or columns, each failure a clear message there
// and on standard error, and the records around a failed one go through.
TEST_F(ZebparseTest, EachFormatAddsResultsAndFailsBadRecordsOnTheirOwn) {
  const struct {
    const char* format;
    std::string input;
    std::vector<std::string> lines;  // each output line (see Matches)
    std::vector<std::string> err;    // pieces of standard error
  } kRows[] = {
      // A blank line and a failed line keep their places; the failure names the
      // input's line and its text is escaped on standard error.
      {"jsonl",
       "{\"id\": 1, \"ADDR1\": \"12b Main St Apt 4\", \"POSTAL_CODE\": 12345}\n\n"
       "{\"\xFF\x1B\": 1}\n{\"id\": 5, \"ADDR1\": \"9 Oak St\"}\n",
       {R"(={"id": 1,"ADDR1": "12b Main St Apt 4","POSTAL_CODE": 12345,"STR_NUM":"12B",)"
        R"("STR_NAME":"MAIN","UNIT_TYPE":"APT","UNIT_NUM":"4","STR_NAME_STD":"MN",)"
        R"("CITY_STD":"","POSTAL_5":"12345"})",
        "=", R"(={"ERROR":"invalid JSON at byte 3: invalid UTF-8"})", R"("STR_NAME":"OAK")"},
       {"zebparse: line 3: invalid JSON at byte 3", "3 records, 1 failed", "1 blank lines"}},
      {"csv",
       "id,ADDR1,CITY\r\n1,12 Main St,\"Springfield, IL\"\r\n2,too,many,fields\r\n",
       {"=id,ADDR1,CITY,STR_NUM,STR_NAME,UNIT_TYPE,UNIT_NUM,STR_NAME_STD,CITY_STD,POSTAL_5,ERROR",
        "^1,12 Main St,\"Springfield, IL\",12,MAIN,,,MN,", "record has 4 fields, the header has 3"},
       {"zebparse: line 3: record has 4 fields", "2 records, 1 failed"}},
      {"csv", "id,\"ADDR1\"x\n1,1 Main St\n", {}, {"line 1: header: text after", "0 records"}},
      // The plug-in's parse error and a NUL byte, which the plug-in would not see.
      {"xml",
       xmlRecord("1 Main St") + std::string("\0junk\n", 6) + xmlRecord("2 M\xFF St") + "\n" +
           xmlRecord("3 Main St"),
       {"=<STD_RESULT><ERROR>NUL byte in the record at byte 130</ERROR></STD_RESULT>",
        "^<STD_RESULT><ERROR>", "<FELEM_VALUE>3</FELEM_VALUE>"},
       {"line 1: NUL byte in the record at byte 130", "line 2: ", "3 records, 2 failed"}},
  };
  for (const auto& [format, input, expected, err] : kRows) {
    write("in", input);
    Outcome outcome = run(runArgs(format), "in");
    EXPECT_EQ(outcome.status, 1) << input.substr(0, 80);
    std::vector<std::string> lines = Split(outcome.out);
    EXPECT_EQ(lines.size(), expected.size()) << input.substr(0, 80) << "\n"
                                             << outcome.out.substr(0, 1000) << outcome.err;
    for (size_t i = 0; i < std::min(lines.size(), expected.size()); ++i) {
      EXPECT_TRUE(Matches(lines[i], expected[i])) << expected[i] << "\n" << lines[i].substr(0, 300);
    }
    for (const std::string& piece : err) EXPECT_TRUE(Holds(outcome.err, piece));
    EXPECT_EQ(outcome.err.find('\x1B'), std::string::npos) << "escaped for the terminal";
  }
}

TEST_F(ZebparseTest, TheFirstFailedWriteStopsTheRunWithExitThree) {
  std::string input;
  for (int i = 1; i <= 3000; ++i) input += numberedRecord(i);
  write("in.xml", input);
  Outcome outcome = run(runArgs("xml", {(dir_ / "in.xml").string(), "/dev/full"}));
  EXPECT_EQ(outcome.status, 3) << outcome.err;
  EXPECT_TRUE(Holds(outcome.err, {"zebparse: 0 records, 0 failed",
                                  "error writing output [/dev/full]: No space left on device"}));

  outcome = run({"run", "--no-progress", (dir_ / "missing.xml").string()});
  EXPECT_EQ(outcome.status, 3) << outcome.err;
  EXPECT_TRUE(Holds(outcome.err, "cannot open input"));
}

TEST_F(ZebparseTest, ResultBuffersGrowOnlyAsRecordsNeed) {
  write("in.xml", xmlRecord("1 Main St") + "\n");
  Outcome outcome =
      run(runArgs("xml", {"--threads", "4", "--result-size", "1073741824"}), "in.xml");
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  rusage usage{};
  ASSERT_EQ(::getrusage(RUSAGE_CHILDREN, &usage), 0);
  EXPECT_LT(usage.ru_maxrss, 512 * 1024) << "kilobytes at most, for buffers of 1 GiB each";
}

TEST_F(ZebparseTest, OversizedResultIsWrittenAsThePluginReturnedIt) {
  // A long city: addresses longer than 4,096 bytes are refused before any result.
  std::string longName(300000, 'A');
  write("in.xml", xmlRecord(longName, "CITY") + "\n" + xmlRecord("2 Oak St") + "\n");
  Outcome outcome = run(runArgs("xml", {"--result-size", "2000", (dir_ / "in.xml").string()}));
  EXPECT_EQ(outcome.status, 1) << outcome.err;
  std::vector<std::string> lines = Split(outcome.out);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0],
            "<STD_RESULT><ERROR>return document size exceeds maximum allowed size</ERROR>"
            "</STD_RESULT>");
  EXPECT_TRUE(Holds(lines[1], "<FELEM_VALUE>OAK</FELEM_VALUE>"));
  EXPECT_TRUE(Holds(outcome.err, "zebparse: line 1: runDQM returned -5: return document size"));

  // The same very long line with the default result size goes through whole.
  outcome = run({"run", "--support-dir", support(), "--no-progress", (dir_ / "in.xml").string()});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_NE(outcome.out.find(longName), std::string::npos);
}

// A configuration that "check" rejects stops the run before any record, unless
// --force; then the plug-in throws for the condition that does not compile and the
// record gets its message.
TEST_F(ZebparseTest, RunChecksTheConfigurationFirst) {
  write("support/addressParserMetaData.xml", kBrokenConfig);
  write("in.jsonl", "{\"ADDR1\": \"12 Main St\"}\n");
  Outcome outcome = run(runArgs("jsonl"), "in.jsonl");
  EXPECT_EQ(outcome.status, 2) << outcome.err;
  EXPECT_EQ(outcome.out, "");
  EXPECT_TRUE(Holds(outcome.err, {"error: US rule [bad-parameter]", "--force runs anyway"}));

  outcome = run(runArgs("jsonl", {"--force"}), "in.jsonl");
  EXPECT_EQ(outcome.status, 1) << outcome.err;
  EXPECT_TRUE(Holds(outcome.out, "NOSUCHMEANING"));
  EXPECT_TRUE(Holds(outcome.err, "zebparse: line 1: "));
}

// What is missing is named, before the plug-in says anything of its own; a plug-in
// that does not load fails "parse" as well as "run".
TEST_F(ZebparseTest, StartUpNamesWhatIsMissing) {
  fs::create_directories(dir_ / "empty");
  write("in.xml", xmlRecord("1 Main St") + "\n");
  const std::string blank = write("blank/addressParserMetaData.xml", "").parent_path().string();
  const std::string broken =
      write("broken/addressParserMetaData.xml", "<CONFIG><oops></CONFIG>").parent_path().string();
  Outcome outcome = run({"check", "--support-dir", blank});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_TRUE(Holds(outcome.out, "addressParserMetaData.xml] is empty"));
  const std::pair<std::vector<std::string>, std::string> kRows[] = {
      {{"run", "--support-dir", (dir_ / "empty").string(), "--no-progress"},
       "addressParserMetaData.xml] is missing"},
      {{"run", "--support-dir", blank, "--no-progress"}, "addressParserMetaData.xml] is empty"},
      // The file is named once, by zebparse.
      {{"run", "--support-dir", broken, "--no-progress"},
       "addressParserMetaData.xml] not loaded: libxml2 error:Opening and ending tag mismatch: "
       "oops line 1 and CONFIG\n"},
      {runArgs("xml", {"--params", support()}), "--params [" + support() + "] is a directory"},
      {{"run", "--support-dir", (dir_ / "nonexistent").string()}, "nonexistent] does not exist"},
      {{"run", "--support-dir", support(), "--plugin", (dir_ / "missing.so").string()},
       "cannot load plug-in"},
      {{"parse", "--support-dir", support(), "--plugin", (dir_ / "missing.so").string(), "1 Main"},
       "cannot load plug-in"},
  };
  for (const auto& [args, err] : kRows) {
    outcome = run(args, "in.xml");
    EXPECT_EQ(outcome.status, 2) << err;
    EXPECT_TRUE(args[0] != "run" || outcome.out.empty()) << err;
    EXPECT_TRUE(Holds(outcome.err, err));
    EXPECT_FALSE(Holds(outcome.err, "Unabled"));
  }
  outcome = run(runArgs("xml"), "in.xml");
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_TRUE(Holds(outcome.err, "warning: token data ["));

  // A copy of the binary looks beside itself, never in the tree it was built in.
  fs::create_directories(dir_ / "copy" / "bin");
  fs::copy_file(binary_, dir_ / "copy" / "bin" / "zebparse");
  binary_ = dir_ / "copy" / "bin" / "zebparse";
  outcome = run({"run", "--no-progress"}, "in.xml");
  EXPECT_EQ(outcome.status, 2);
  EXPECT_TRUE(Holds(outcome.err, "support directory [" + (dir_ / "copy").string() +
                                     "/share/zebparse/support] does not exist"));
}

// Columns under other names, a default country, another delimiter; what cannot be
// parsed as asked is said once per value and counted, and no value is changed.
TEST_F(ZebparseTest, MappedColumnsDefaultCountryAndHonestWarnings) {
  write("in.csv",
        "id;street;COUNTRY\n1;12 Main St;US\n2;7 Elm Ave;France \n3;9 Oak St;France \n"
        "4;1 Main St;\n");
  Outcome outcome =
      run(runArgs("csv", {"--delimiter", "SEMICOLON", "--map", "street=ADDR1", "--country", "us"}),
          "in.csv");
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  std::vector<std::string> lines = Split(outcome.out);
  ASSERT_EQ(lines.size(), 5u) << outcome.out;
  EXPECT_EQ(lines[2], "2;7 Elm Ave;France ;7;ELM;;;ALM;;;;;;");
  EXPECT_EQ(lines[4], "4;1 Main St;;1;MAIN;;;MN;;;;;;");
  EXPECT_FALSE(Holds(outcome.err, "warning: line 4")) << "once per value";
  EXPECT_TRUE(Holds(outcome.err, {"warning: line 3: COUNTRY [France ] is no configured country; "
                                  "records with it are parsed as US",
                                  "2 with a COUNTRY no configured country has"}));

  write("in.jsonl", "{\"id\": 1, \"address\": \"12 Main St\"}\n");
  outcome = run(runArgs("jsonl"), "in.jsonl");
  EXPECT_TRUE(Holds(outcome.err,
                    {"warning: line 1: the first record has no address", "1 without an address"}));
}

// With a file writer configured, the run's own story is in the file.
TEST_F(ZebparseTest, LogConfigRecordsTheRun) {
  write("log.conf", "file://" + (dir_ / "run.log").string() + " *.*\n");
  write("in.jsonl", "{\"ADDR1\": \"12 Main St\"}\nnot json\n");
  Outcome outcome =
      run(runArgs("jsonl", {"--log-config", (dir_ / "log.conf").string()}), "in.jsonl");
  EXPECT_EQ(outcome.status, 1) << outcome.err;
  EXPECT_TRUE(
      Holds(readFile(dir_ / "run.log"), {"run started: plug-in [", "line 2: invalid JSON at byte 1",
                                         "run finished: 2 records, 1 failed"}));
}

TEST_F(ZebparseTest, UsageErrorsTakeOneLineAndHelpIsEverywhere) {
  for (const char* bad :
       {"", "frobnicate", "run --threads 0", "run --bogus", "run a b c", "run --map address",
        "run --format xml --country US", "parse", "explain --country", "help frobnicate"}) {
    Outcome outcome = run(Split(bad, ' '));
    EXPECT_EQ(outcome.status, 2) << "zebparse " << bad;
    EXPECT_TRUE(Holds(outcome.err, "(try 'zebparse")) << bad;
    EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1) << outcome.err;
  }
  for (const char* help : {"run -h", "help run", "parse --help", "explain -h", "check --help"}) {
    const std::vector<std::string> args = Split(help, ' ');
    Outcome outcome = run(args);
    EXPECT_EQ(outcome.status, 0) << help;
    EXPECT_TRUE(Holds(outcome.out, "usage: zebparse " + args[args[0] == "help" ? 1 : 0]));
  }
  write("in.jsonl", "{\"ADDR1\": \"12 Main St\"}\n");
  EXPECT_EQ(run(runArgs("JSONL"), "in.jsonl").status, 0) << "option values ignore case";
  Outcome outcome = run({"--version"});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.out, "zebparse 1.0\n");
}

TEST_F(ZebparseTest, CheckReportsEveryMistakeWithCountryAndRule) {
  write("support/addressParserMetaData.xml", kBrokenConfig);
  Outcome outcome = run({"check", "--support-dir", support()});
  EXPECT_EQ(outcome.status, 1) << outcome.out << outcome.err;
  EXPECT_TRUE(Holds(
      outcome.out,
      {"error: US rule [bad-parameter]: condition [ISTOKENA(PREV,NOSUCHMEANING)] does not compile",
       "error: US rule [bad-keyword]: set [STREETNAM] is no meaning",
       "error: CA rule set: has no rules",
       "error: country [Atlantis]: maps to code [AT], which is no region", "6 errors"}));

  write("support/addressParserMetaData.xml", kSmallConfig);
  outcome = run({"check", "--support-dir", support()});
  EXPECT_TRUE(Holds(outcome.out, ": 0 errors, 0 warnings"));
}

TEST_F(ZebparseTest, ExplainNamesTheRuleThatSettledEachToken) {
  Outcome outcome = run({"explain", "--support-dir", support(), "12 Main St Apt 4"});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_TRUE(
      Holds(outcome.out,
            {"country: [] -> US", "tokens: [0] 12 [1] MAIN [2] ST [3] APT [4] 4",
             "[0] 12               rule number-first (ISFIRSTTOKEN AND HASNUMBERS) -> STREETNUM",
             "[3] APT              rule unit-word (ISUNITWORD) -> UNITLABEL",
             "[1] MAIN             rule the-rest-is-the-name (always) -> STREETNAME",
             "street name          MAIN", "unit number          4"}));
}

TEST_F(ZebparseTest, ParseShowsFieldsAndDerivedElements) {
  Outcome outcome = run({"parse", "--support-dir", support(), "--json", "12b Main St Apt 4"});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_TRUE(Holds(outcome.out,
                    {R"("street number": "12B")", R"("street name": "MAIN")",
                     R"("unit label": "APT")", R"("STR_NAME_STD": "MN")", R"("STR_NUM": "12B")"}));
}

}  // namespace
