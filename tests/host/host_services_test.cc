// The host's services as a plug-in sees them (through the lookup callback, with C
// buffers) and the tables behind them; Double Metaphone against the reference table of
// the algorithm; loading a plug-in through its C entry points and catching what it
// throws.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "host/double_metaphone.h"
#include "host/host_context.h"
#include "host/parameter_table.h"
#include "host/plugin_library.h"
#include "host/token_info_table.h"
#include "host/transliteration.h"
#include "logging/logger.h"
#include "test_checks.h"
#include "test_files.h"

namespace {

using zeb_test::Holds;

std::string transliterated(const char* text, int32_t script, int32_t size = 2048) {
  std::vector<char> out(static_cast<size_t>(size) + 1, '#');
  auto service = reinterpret_cast<TransliterateTextFunction>(zebHostLookup("TransliterateText"));
  service(text, out.data(), size, 0, script);
  EXPECT_EQ(out[static_cast<size_t>(size)], '#') << "wrote past the size for " << text;
  return out.data();
}

TEST(TransliterateTextService, TurnsScriptsIntoAscii) {
  const std::tuple<const char*, int32_t, const char*> kRows[] = {
      {"12 Main St", 0, "12 Main St"}, {"Müllerstraße", 0, "Mullerstrasse"},
      {"Ленина", 0, "Lenina"},         {"北京", 1, "bei jing"},
      {"とうきょう", 2, "toukyou"},
  };
  for (const auto& [text, script, expected] : kRows) {
    EXPECT_EQ(transliterated(text, script), expected) << text;
  }
}

TEST(TransliterateTextService, CutsOnlyBetweenWholeCharacters) {
  // "é" survives Any-Latin only until Latin-ASCII; use text ICU leaves alone to
  // see the cut: a character with no Latin form stays as it is.
  std::string cut = transliterated("ab\U0001F600cd", 0, 5);  // emoji, 4 bytes
  EXPECT_EQ(cut, "ab") << "the emoji does not fit in 2 bytes and is left out whole";
  EXPECT_EQ(transliterated("abcdef", 0, 4), "abc");
  EXPECT_EQ(transliterated("abc", 0, 1), "");
}

// Only as much of a text is transliterated as it takes to fill the output; what is
// kept reads exactly as the transliteration of the whole text.
TEST(TransliterateTextService, TransliteratesOnlyWhatFillsTheOutput) {
  const std::pair<std::string, int32_t> kRows[] = {
      {zeb_test::Repeated("\u5317\u4EAC", 1000), 1},             // Chinese, ~4.5 bytes each
      {zeb_test::Repeated("\u6771\u4EAC\u3068\u3046", 400), 2},  // Japanese
      {zeb_test::Repeated("e\u0301", 3000), 0},                  // a letter and its mark
      {zeb_test::Repeated("\u0301", 20000), 0},  // marks alone: nothing to keep, work bounded
  };
  for (const auto& [text, script] : kRows) {
    const std::string whole = zeb::transliterate(text, script);
    for (size_t kept : {size_t{100}, size_t{2047}, whole.size(), whole.size() - 1}) {
      const std::string part = zeb::transliterateFor(text, script, kept);
      EXPECT_EQ(part.substr(0, kept), whole.substr(0, kept)) << text.substr(0, 12) << " " << kept;
      if (whole.size() <= kept) {
        EXPECT_EQ(part, whole) << text.substr(0, 12);
      }
      EXPECT_LT(part.size(), 3 * kept + 1024) << text.substr(0, 12) << " " << kept;
    }
  }
}

TEST(TransliterateTextService, LeavesOutputAloneForNonPositiveSize) {
  char out[4] = {'x', 'x', 'x', 'x'};
  zebHostTransliterateText("abc", out, 0, 0, 0);
  EXPECT_EQ(out[0], 'x');
  zebHostTransliterateText(nullptr, out, 4, 0, 0);
  EXPECT_STREQ(out, "");
}

TEST(ConcurrentTransliteration, EachThreadGetsTheSameAnswers) {
  std::vector<std::thread> threads;
  std::vector<int> failures(4, 0);
  for (size_t t = 0; t < failures.size(); ++t) {
    threads.emplace_back([t, &failures] {
      for (int i = 0; i < 50; ++i) {
        if (zeb::transliterate("Ленина", 0) != "Lenina") ++failures[t];
        if (zeb::transliterate("北京", 1) != "bei jing") ++failures[t];
      }
    });
  }
  for (auto& thread : threads) thread.join();
  for (size_t t = 0; t < failures.size(); ++t) EXPECT_EQ(failures[t], 0) << "thread " << t;
}

class TempDir : public ::testing::Test {
 protected:
  std::string write(const std::string& name, const std::string& text) {
    zeb_test::writeFile(scratch_.file(name), text);
    return scratch_.file(name);
  }
  zeb_test::ScratchDirectory scratch_;
};

using TokenInfoTableTest = TempDir;

TEST_F(TokenInfoTableTest, AnswersByCategoryIgnoringAsciiCase) {
  std::vector<std::string> problems;
  zeb::TokenInfoTable table;
  ASSERT_TRUE(table.load(write("tokenInfo.tsv",
                               "# category word standard score\n"
                               "STR_NAME\tSaint\tST\t80\n"
                               "*\tNorth\tN\t60\n"
                               "CITY\tNorth\tNORTH\t90\n"
                               "CITY\tOld\t\t10\n"
                               "CITY\tNew\n"
                               "\n"
                               "STATE\tX\tY\t1\n"
                               "STR_NAME\tBad\tB\tlots\n"),
                         problems));
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_TRUE(Holds(problems[0], ":8: unknown category [STATE]"));
  EXPECT_TRUE(Holds(problems[1], ":9: score is not an integer [lots]"));

  // The answer as "standard form/score", "(null)" for no standard form; "" for none.
  auto answer = [&](const char* category, const char* word) -> std::string {
    TokenInfo info{nullptr, nullptr, nullptr, -1};
    if (!table.lookup(category, word, &info)) return "";
    return (info.standardForm != nullptr ? info.standardForm : "(null)") + std::string("/") +
           std::to_string(info.score);
  };
  const std::pair<std::pair<const char*, const char*>, const char*> kRows[] = {
      {{"STR_NAME", "SAINT"}, "ST/80"}, {{"CITY", "SAINT"}, ""},
      {{"STR_NAME", "NORTH"}, "N/60"},  {{"CITY", "NORTH"}, "NORTH/90"},
      {{"CITY", "OLD"}, "(null)/10"},   {{"CITY", "new"}, "(null)/100"},
      {{"STR_NAME", "BAD"}, ""},        {{"STR_NAME", "ELM"}, ""}};
  for (const auto& [query, expected] : kRows) {
    EXPECT_EQ(answer(query.first, query.second), expected) << query.first << " " << query.second;
  }
}

TEST_F(TokenInfoTableTest, MalformedLinesAreEscapedAndCountedBeyondTheFirstFew) {
  std::string text = "\x1B]0;owned\x07\tX\n";  // a terminal escape sequence as the category
  for (int i = 0; i < 1000; ++i) text += "CITY\tX\tY\t\xFF\n";
  std::vector<std::string> problems;
  zeb::TokenInfoTable table;
  ASSERT_TRUE(table.load(write("tokenInfo.tsv", text), problems));
  ASSERT_EQ(problems.size(), zeb::kDescribedMalformedLines + 1);
  EXPECT_TRUE(Holds(problems[0], ":1: unknown category [\\x1B]0;owned\\x07]"));
  EXPECT_TRUE(Holds(problems[1], ":2: score is not an integer [\\xFF]"));
  EXPECT_TRUE(Holds(problems.back(), "tokenInfo.tsv: 996 more malformed lines"));
}

TEST_F(TokenInfoTableTest, MissingFileGivesNoInformation) {
  std::vector<std::string> problems;
  zeb::TokenInfoTable table;
  EXPECT_TRUE(table.load(scratch_.file("none.tsv"), problems));
  EXPECT_TRUE(problems.empty());
  TokenInfo info{};
  EXPECT_FALSE(table.lookup("CITY", "ANY", &info));
}

using ParameterTableTest = TempDir;

TEST_F(ParameterTableTest, ReadsSectionsAndKeysIgnoringCase) {
  zeb::ParameterTable table;
  std::string error;
  ASSERT_TRUE(table.loadIni(write("p.ini",
                                  "; comment\n[Pipeline]\n  SupportPath = /srv/zeb support \n"
                                  "[OTHER]\nKEY=a=b\nEMPTY=\n"),
                            error))
      << error;
  EXPECT_STREQ(table.query("PIPELINE", "SUPPORTPATH"), "/srv/zeb support");
  EXPECT_STREQ(table.query("other", "key"), "a=b");
  EXPECT_STREQ(table.query("OTHER", "EMPTY"), "");
  EXPECT_EQ(table.query("OTHER", "MISSING"), nullptr);
  EXPECT_EQ(table.query(nullptr, "KEY"), nullptr);
}

TEST_F(ParameterTableTest, MalformedLineNamesFileAndLine) {
  const std::pair<const char*, const char*> kRows[] = {
      {"[PIPELINE]\nSUPPORTPATH\n", "p.ini:2: expected KEY=VALUE, got [SUPPORTPATH]"},
      {"[PIPELINE\n", "p.ini:1: unclosed section [[PIPELINE]"},
      {"=value\n", "p.ini:1: expected KEY=VALUE"},
      {"KEY\x1B[2J\n", "p.ini:1: expected KEY=VALUE, got [KEY\\x1B[2J]"},  // escaped
  };
  for (const auto& [text, expected] : kRows) {
    zeb::ParameterTable table;
    std::string error;
    EXPECT_FALSE(table.loadIniText(text, "p.ini", error)) << text;
    EXPECT_TRUE(Holds(error, expected)) << text;
  }
  zeb::ParameterTable table;
  std::string error;
  EXPECT_FALSE(table.loadIni(scratch_.file("missing.ini"), error));
  EXPECT_TRUE(Holds(error, "missing.ini]"));
}

// zebparse's runs show the five services are found; nothing else is.
TEST(HostLookup, KnowsNothingButTheFiveServices) {
  for (const char* name : {"getlogger", "GetLogger ", "", "Other"}) {
    EXPECT_EQ(zebHostLookup(name), nullptr) << "[" << name << "]";
  }
  EXPECT_EQ(zebHostLookup(nullptr), nullptr);
}

TEST(HostLogger, HasTheLevelNamesAndFactoriesConfigurationsExpect) {
  Logger logger;
  zeb::prepareLogger(logger, "zebtest");
  const std::pair<uint32_t, const char*> kLevels[] = {
      {1, "CRIT"}, {2, "ERR"}, {4, "WARN"}, {16, "INFO"}, {64, "DBUG"}, {1u << 31, "BIT31"}};
  for (const auto& [value, name] : kLevels) {
    EXPECT_EQ(logger.levelNames[value], name);
    EXPECT_EQ(logger.levelValues[name], value);
  }
  EXPECT_EQ(logger.levelNames.size(), 32u);
  for (const char* scheme : {"console", "file", "eventlog"}) {
    EXPECT_NE(logger.factories[scheme], nullptr) << scheme;
  }
  EXPECT_TRUE(logger.loadConfig(kDefaultLoggerConfig));
  EXPECT_TRUE(logger.loadConfig(zeb::kHostLoggerConfig));
}

std::string referenceTablePath() {
  const char* source = std::getenv("ZEB_SOURCE_DIR");
  std::string root = source != nullptr ? source : ".";
  return root + "/../shared/data/metaphone/double_metaphone_reference.tsv";
}

// A word's codes as "primary<tab>secondary", as the reference table writes them.
std::string metaphoneCodes(const std::string& word) {
  const zeb::MetaphoneCodes codes = zeb::doubleMetaphone(word);
  return codes.primary + "\t" + codes.secondary;
}

TEST(DoubleMetaphone, AgreesWithReferenceTableOnEveryWord) {
  std::ifstream in(referenceTablePath());
  if (!in) GTEST_SKIP() << "reference table not found at " << referenceTablePath();
  std::string line;
  std::getline(in, line);  // header
  size_t rows = 0;
  size_t mismatches = 0;
  for (; std::getline(in, line); ++rows) {
    const std::string word = line.substr(0, line.find('\t'));
    if (word + "\t" + metaphoneCodes(word) != line && ++mismatches <= 20) {
      ADD_FAILURE() << "expected [" << line << "], got [" << metaphoneCodes(word) << "]";
    }
  }
  EXPECT_EQ(mismatches, 0u) << "of " << rows << " rows";
  EXPECT_GT(rows, 1000u);
}

// A few codes for a clone without the reference table, and lower case, which the
// table does not hold.
TEST(DoubleMetaphone, CodesNamedRuleExamples) {
  const std::pair<const char*, const char*> kRows[] = {
      {"SMITH", "SM0\tXMT"}, {"CAESAR", "SSR\tSSR"}, {"", "\t"}, {"smith", "SM0\tXMT"}};
  zeb_test::ExpectEach(kRows, metaphoneCodes);
}

TEST(MetaphoneEncodeService, WritesPrimaryCodeWithinTheBuffer) {
  char out[256];
  zebHostMetaphoneEncode("SCHMIDT", out, sizeof out);
  EXPECT_STREQ(out, "XMT");

  char small[4] = {'x', 'x', 'x', 'x'};
  zebHostMetaphoneEncode("ELECTROENCEPHALOGRAMS", small, sizeof small);
  EXPECT_STREQ(small, "ALK") << "cut to the buffer, terminator included";

  // A long word is encoded only as far as the buffer holds, with the same code.
  const std::string longWord = zeb_test::Repeated("SCHMIDT", 100);
  const std::string primary = zeb::doubleMetaphone(longWord, 10).primary;
  EXPECT_LE(primary.size(), 12u);
  EXPECT_EQ(primary.substr(0, 10), zeb::doubleMetaphone(longWord).primary.substr(0, 10));
  zebHostMetaphoneEncode(longWord.c_str(), small, sizeof small);
  EXPECT_STREQ(small, "XMT");

  char untouched[2] = {'x', 'x'};
  zebHostMetaphoneEncode("SMITH", untouched, 0);
  EXPECT_EQ(untouched[0], 'x') << "a zero size writes nothing";
}

std::string modulePath(const char* name) {
  const char* build = std::getenv("ZEB_BUILD_DIR");
  return std::string(build != nullptr ? build : ".") + "/tests/" + name;
}

TEST(PluginLibrary, RunsRecordsAndTurnsEveryExceptionIntoText) {
  std::string error;
  auto plugin = zeb::PluginLibrary::open(modulePath("libzeb_fake_plugin" ZEB_MODULE_SUFFIX), error);
  ASSERT_TRUE(plugin) << error;
  EXPECT_EQ(plugin->version(), "fake");
  ASSERT_TRUE(plugin->init(&zebHostLookup, error)) << error;

  // A record, whether runDQM threw, and its error or the buffer.
  const std::tuple<const char*, bool, const char*> kRows[] = {
      {"ok", false, "<STD_RESULT>ok</STD_RESULT>"},
      {"tarn", true, "tarn thrown"},
      {"std", true, "std thrown"},
      {"int", true, "unknown exception"},
  };
  for (const auto& [input, threw, text] : kRows) {
    std::vector<char> buffer(64, '\0');
    zeb::PluginLibrary::RunResult result =
        plugin->run(input, buffer.data(), static_cast<uint32_t>(buffer.size()));
    EXPECT_EQ(result.threw, threw) << input;
    if (threw) {
      EXPECT_TRUE(Holds(result.error, text)) << input;
    } else {
      EXPECT_EQ(result.status, 0);
      EXPECT_STREQ(buffer.data(), text);
    }
  }
  EXPECT_EQ(plugin->close(), 7);
}

TEST(PluginLibrary, InitFailureGivesThePluginsMessageEvenUnterminated) {
  zeb::HostContext::instance().parameters().set("FAKE", "MODE", "refuse");
  std::string error;
  auto plugin = zeb::PluginLibrary::open(modulePath("libzeb_fake_plugin" ZEB_MODULE_SUFFIX), error);
  ASSERT_TRUE(plugin) << error;
  EXPECT_FALSE(plugin->init(&zebHostLookup, error));
  EXPECT_EQ(error.rfind("refused:xxx", 0), 0u) << error;
  EXPECT_EQ(error.size(), 4096u) << "the whole buffer, nothing past it";

  zeb::HostContext::instance().parameters().set("FAKE", "MODE", "throw");
  EXPECT_FALSE(plugin->init(&zebHostLookup, error));
  EXPECT_EQ(error, "init threw");
  zeb::HostContext::instance().parameters().set("FAKE", "MODE", "");
}

TEST(PluginLibrary, MissingLibraryOrEntryPointNamesIt) {
  std::string error;
  EXPECT_FALSE(zeb::PluginLibrary::open(modulePath("no_such_plugin.so"), error));
  EXPECT_TRUE(Holds(error, {"cannot load plug-in [", "no_such_plugin.so]"}));

  EXPECT_FALSE(
      zeb::PluginLibrary::open(modulePath("libzeb_fake_plugin_no_close" ZEB_MODULE_SUFFIX), error));
  EXPECT_TRUE(Holds(error, "has no entry point closePlugin"));
}

}  // namespace
