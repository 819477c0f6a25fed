// The shared library as a host sees it: loaded with dlopen, driven through its four
// entry points with a lookup callback over stub services.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "errors/tarn_exception.h"
#include "test_checks.h"
#include "test_configuration.h"
#include "test_files.h"
#include "test_host.h"

namespace {

using plugin_test::Host;
using plugin_test::Plugin;
using plugin_test::RecordDocument;

constexpr char kGuard = '\x7f';

// initPlugin with the test lookup, into a buffer of `size` bytes followed by guards.
struct InitOutcome {
  int32_t result;
  std::string buffer;  // all `size` bytes
  bool guardIntact;
};

InitOutcome Init(uint32_t size = 256) {
  std::vector<char> buffer(size + 8, kGuard);
  InitOutcome outcome;
  outcome.result =
      Plugin().initPlugin(nullptr, nullptr, buffer.data(), size, plugin_test::TestLookup);
  outcome.buffer.assign(buffer.data(), size);
  outcome.guardIntact = std::string(buffer.data() + size, 8) == std::string(8, kGuard);
  return outcome;
}

std::string Message(const InitOutcome& outcome) { return outcome.buffer.c_str(); }

// initPlugin on a support directory with the tests' US configuration, which stays
// to the end of the process; true when it succeeds.
void WriteConfiguration(const zeb_test::ScratchDirectory& directory, const std::string& text) {
  zeb_test::writeFile(directory.file("addressParserMetaData.xml"), text);
}

bool InitWithUsConfiguration() {
  static const zeb_test::ScratchDirectory* directory = new zeb_test::ScratchDirectory();
  WriteConfiguration(*directory, zeb_test::kUsConfiguration);
  static const std::string path = directory->path();
  Host().Reset();
  Host().supportPath = path.c_str();
  return Init().result == 0;
}

class InitPlugin : public ::testing::Test {
 protected:
  void SetUp() override { Host().Reset(); }
};

TEST_F(InitPlugin, MissingHostPiecesFailWithTheirMessage) {
  for (std::string missing :
       {"GetTokenInfo", "TransliterateText", "MetaphoneEncode", "QueryParameter"}) {
    SetUp();
    Host().supportPath = "/nonexistent";
    Host().missingServices.insert(missing);
    InitOutcome outcome = Init();
    EXPECT_EQ(outcome.result, -1) << missing;
    EXPECT_EQ(Message(outcome), "No " + missing + " callback provided");
    EXPECT_TRUE(Host().queries.empty()) << missing;
  }

  SetUp();
  Host().nullLogger = true;
  EXPECT_EQ(Message(Init()), "GETLOGGER callback returns a NULL pointer");

  std::vector<char> buffer(64, kGuard);
  EXPECT_EQ(Plugin().initPlugin(nullptr, nullptr, buffer.data(), 64, nullptr), -1);
  EXPECT_STREQ(buffer.data(), "No GETLOGGER callback provided");
  EXPECT_EQ(Plugin().initPlugin(nullptr, nullptr, nullptr, 64, nullptr), -1);
}

TEST_F(InitPlugin, EmptySupportPathIsRejectedBeforeTheParser) {
  for (const char* path : {static_cast<const char*>(nullptr), ""}) {
    SetUp();
    Host().supportPath = path;
    InitOutcome outcome = Init();
    EXPECT_EQ(outcome.result, -1);
    EXPECT_EQ(Message(outcome), "PLX Support Path not valid.");
    EXPECT_EQ(Host().queries, std::vector<std::string>{"PIPELINE/SUPPORTPATH"});
  }
}

// The cutting itself is CopyBoundedMessage's (record_processing_test.cc); here only that
// initPlugin cuts at the size it was given.
TEST_F(InitPlugin, MessageIsCutToTheBufferWithoutTerminator) {
  Host().missingServices.insert("GetLogger");
  InitOutcome outcome = Init(10);
  EXPECT_EQ(outcome.buffer, "No GETLOGG");
  EXPECT_TRUE(outcome.guardIntact);
}

TEST_F(InitPlugin, RealSupportDirectoryLoadsItsConfiguration) {
  zeb_test::ScratchDirectory directory;
  const std::string& path = directory.path();
  Host().supportPath = path.c_str();

  std::string composed = path + "/addressParserMetaData.xml";
  std::replace(composed.begin(), composed.end(), '/', '\\');
  InitOutcome missing = Init();
  EXPECT_EQ(missing.result, -1);
  EXPECT_EQ(Message(missing),
            "Unabled to initialize address parser with configuration [" + composed + "]");

  WriteConfiguration(directory, zeb_test::kUsConfiguration);
  InitOutcome loaded = Init();
  EXPECT_EQ(loaded.result, 0);
  EXPECT_EQ(loaded.buffer, std::string(256, kGuard)) << "success leaves the buffer alone";

  WriteConfiguration(directory, "<ROOT><RULESET></ROOT>");
  EXPECT_THROW(Init(), Tarn_Exception) << "a malformed configuration leaves initPlugin";
}

// runDQM on an initialised plug-in.
class RunDQM : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(InitWithUsConfiguration()); }

  // runDQM into a buffer of `size` bytes followed by guards, which must survive.
  static int32_t Run(const char* input, uint32_t size, std::string& output) {
    std::vector<char> buffer(size + 8, kGuard);
    int32_t result = Plugin().runDQM(input, nullptr, buffer.data(), size);
    EXPECT_EQ(std::string(buffer.data() + size, 8), std::string(8, kGuard)) << size;
    output.assign(buffer.data(), size);
    EXPECT_TRUE(size == 0 || output.find('\0') != std::string::npos)
        << "terminated within " << size << " bytes";
    output.resize(std::min(output.find('\0'), output.size()));
    return result;
  }
};

// The sizes themselves are CopyResultDocument's (record_processing_test.cc); here only
// that runDQM checks against the size it was given.
TEST_F(RunDQM, ResultMustBeShorterThanTheBuffer) {
  std::string input = RecordDocument({{"ADDR1", "123 Main St"}, {"CITY", "Springfield"}});
  std::string full;
  ASSERT_EQ(Run(input.c_str(), 65536, full), 0);
  const uint32_t length = static_cast<uint32_t>(full.size());
  std::string output;
  EXPECT_EQ(Run(input.c_str(), length + 1, output), 0);
  EXPECT_EQ(output, full);
  EXPECT_EQ(Run(input.c_str(), length, output), -5);
  EXPECT_EQ(output,
            "<STD_RESULT><ERROR>return document size exceeds maximum allowed size</ERROR>"
            "</STD_RESULT>");
}

TEST_F(RunDQM, MissingInputGivesAnErrorDocument) {
  std::string output;
  EXPECT_EQ(Run(nullptr, 256, output), -5);
  EXPECT_EQ(output, "<STD_RESULT><ERROR>input document is empty</ERROR></STD_RESULT>");
}

TEST_F(RunDQM, MalformedInputRaisesTarnException) {
  std::vector<char> buffer(256, kGuard);
  const auto e = zeb_test::Thrown<Tarn_Exception>(
      [&] { Plugin().runDQM("<STD_BOM><OBS_FEAT></STD_BOM>", nullptr, buffer.data(), 256); });
  ASSERT_TRUE(e);
  EXPECT_EQ(e->entries.at(0)->origin, "XMLDoc::ParseXML()");
  EXPECT_EQ(e->entries.at(0)->message.arguments.at(0).rfind("libxml2 error:", 0), 0u);
  EXPECT_EQ(buffer, std::vector<char>(256, kGuard)) << "the buffer is not written";
}

// closePlugin releases the rules but keeps the rest of the configuration, which a
// later initPlugin loads into again.
TEST(ClosePlugin, ReleasesTheRulesUntilTheNextInit) {
  ASSERT_TRUE(InitWithUsConfiguration());
  const std::string input = RecordDocument({{"ADDR1", "123 Main St"}});
  auto streetNameWritten = [&input] {
    std::vector<char> buffer(4096);
    EXPECT_EQ(Plugin().runDQM(input.c_str(), nullptr, buffer.data(), 4096), 0);
    return std::string(buffer.data()).find("<FELEM_CODE>STR_NAME</FELEM_CODE>") !=
           std::string::npos;
  };
  EXPECT_TRUE(streetNameWritten());
  EXPECT_EQ(Plugin().closePlugin(), 0);
  EXPECT_STREQ(Plugin().getVersion(), "1.0");
  EXPECT_FALSE(streetNameWritten());
  ASSERT_EQ(Init().result, 0);
  EXPECT_TRUE(streetNameWritten());
}

// Records from several threads at once, as hosts run them; under ThreadSanitizer
// in CI.
TEST(RunDQMConcurrent, ThreadsProcessRecordsIndependently) {
  ASSERT_TRUE(InitWithUsConfiguration());

  const std::vector<std::string> inputs = {
      RecordDocument({{"ADDR1", "123 Main St"}, {"POSTAL_CODE", "12345-6789"}}),
      RecordDocument({{"ADDR1", "9 N Elm Ave Apt 4"}, {"CITY", "Springfield"}}),
      RecordDocument({{"ADDR1", "PO Box 42"}, {"COUNTRY", "USA"}}),
      RecordDocument({{"STR_NAME", "Oak"}, {"STR_NUM", "5"}}),
  };
  // The threads start on a freshly loaded configuration, so they also race for the
  // first compilation of each rule condition.
  constexpr int kThreads = 4;
  constexpr int kRecordsPerThread = 200;
  std::vector<std::vector<std::string>> outputs(kThreads);
  std::vector<int> failures(kThreads, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      std::vector<char> buffer(4096);
      for (int i = 0; i < kRecordsPerThread; ++i) {
        size_t which = static_cast<size_t>(i + t) % inputs.size();
        if (Plugin().runDQM(inputs[which].c_str(), nullptr, buffer.data(), 4096) != 0) {
          ++failures[t];
        }
        outputs[t].push_back(buffer.data());
      }
    });
  }
  for (std::thread& thread : threads) thread.join();

  std::vector<std::string> expected;
  for (const std::string& input : inputs) {
    std::vector<char> buffer(4096);
    ASSERT_EQ(Plugin().runDQM(input.c_str(), nullptr, buffer.data(), 4096), 0);
    expected.push_back(buffer.data());
  }
  for (int t = 0; t < kThreads; ++t) {
    EXPECT_EQ(failures[t], 0) << "thread " << t;
    for (int i = 0; i < kRecordsPerThread; ++i) {
      ASSERT_EQ(outputs[t][static_cast<size_t>(i)],
                expected[static_cast<size_t>(i + t) % inputs.size()])
          << "thread " << t << " record " << i;
    }
  }
}

// The library exports the four entry points and nothing else of ours or of the
// libraries it contains. Sanitizer builds add their runtime's symbols, so CI leaves
// this suite out there.
TEST(SymbolTable, ExportsExactlyTheFourEntryPoints) {
  std::string command = "nm -D --defined-only '" + Plugin().path + "'";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::set<std::string> symbols;
  for (char line[4096]; fgets(line, sizeof line, pipe) != nullptr;) {
    std::string text(line);
    text.erase(text.find_last_not_of("\r\n") + 1);
    symbols.insert(text.substr(text.rfind(' ') + 1));  // the name after the address and type
  }
  ASSERT_EQ(pclose(pipe), 0) << command;
  EXPECT_EQ(symbols, (std::set<std::string>{"closePlugin", "getVersion", "initPlugin", "runDQM"}));
}

}  // namespace
