// The C interface (libzebparse): its records equal runDQM's through the loaded plug-in,
// its parse is safe from many threads, and every failure is a status with a message
// naming the input.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "host/host_context.h"
#include "host/plugin_library.h"
#include "test_checks.h"
#include "tools/zebparse/record_formats.h"
#include "zeb/zebparse.h"

namespace {

using Elements = std::vector<zebparse::Element>;

struct ResultFree {
  void operator()(zebparse_result* r) const { zebparse_result_free(r); }
};
using Result = std::unique_ptr<zebparse_result, ResultFree>;

zebparse_parser* openParser() {
  static zebparse_parser* parser = [] {
    zebparse_parser* made = nullptr;
    zebparse_error error;
    EXPECT_EQ(zebparse_open(nullptr, &made, &error), ZEBPARSE_OK) << error.message;
    return made;
  }();
  return parser;
}

// The result's elements as "name=value;name=value;".
std::string elementsOf(const zebparse_result* result) {
  size_t count = 0;
  const zebparse_element* items = zebparse_result_elements(result, &count);
  std::string out;
  for (size_t i = 0; i < count; ++i) out += std::string(items[i].name) + "=" + items[i].value + ";";
  return out;
}

// The sample records and the labelled addresses of every country, as elements.
std::vector<Elements> sampleRecords() {
  std::vector<std::string> files = {std::string(ZEB_TEST_SOURCE_DIR) +
                                    "/config/sample/records.jsonl"};
  for (const char* folder : {"/tests/config/data", "/tests/config/data/oneline"}) {
    for (const auto& entry :
         std::filesystem::directory_iterator(ZEB_TEST_SOURCE_DIR + std::string(folder))) {
      if (entry.path().extension() == ".jsonl") files.push_back(entry.path().string());
    }
  }
  std::vector<Elements> records;
  for (const std::string& file : files) {
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
      const zebparse::Json object = zebparse::Json::parse(line, nullptr, false);
      if (!object.is_object()) continue;
      Elements elements;
      for (const auto& [key, value] : object.items()) {
        if (zebparse::isElementCode(key) && value.is_string()) {
          elements.push_back({key, value.get<std::string>()});
        }
      }
      // The labelled files keep the address in "raw" or "line" and the expected parts
      // as element codes, which must not enter the record.
      if (object.contains("line")) {
        std::string address = object.value("raw", object["line"].get<std::string>());
        elements = {{"ADDR1", address}, {"COUNTRY", object["country"].get<std::string>()}};
      }
      records.push_back(elements);
    }
  }
  return records;
}

TEST(CApi, ProcessEqualsRunDqmThroughTheLoadedPlugin) {
  std::string error;
  auto plugin = zeb::PluginLibrary::open(
      std::string(ZEB_TEST_BUILD_DIR) + "/lib/" + zeb::kPluginFileName, error);
  ASSERT_TRUE(plugin) << error;
  zeb::HostContext::instance().parameters().set("PIPELINE", "SUPPORTPATH",
                                                zebparse_default_support_dir());
  std::vector<std::string> problems;
  zeb::HostContext::instance().start({}, problems);
  ASSERT_TRUE(plugin->init(&zebHostLookup, error)) << error;

  std::vector<Elements> records = sampleRecords();
  ASSERT_GT(records.size(), 600u);
  std::vector<char> buffer(1 << 20);
  for (const Elements& record : records) {
    std::string document;
    ASSERT_TRUE(zebparse::buildRecordDocument(record, document, error)) << error;
    auto run = plugin->run(document.c_str(), buffer.data(), static_cast<uint32_t>(buffer.size()));
    ASSERT_FALSE(run.threw) << document << ": " << run.error;
    zebparse::ResultDocument expected;
    ASSERT_TRUE(zebparse::readResultDocument(buffer.data(), expected, error)) << error;

    std::vector<zebparse_element> input;
    for (const auto& element : record)
      input.push_back({element.code.c_str(), element.value.c_str()});
    zebparse_result* raw = nullptr;
    zebparse_error failure;
    ASSERT_EQ(zebparse_process(openParser(), input.data(), input.size(), &raw, &failure),
              ZEBPARSE_OK)
        << document << ": " << failure.message;
    Result result(raw);
    std::string want;
    for (const auto& e : expected.elements) want += e.code + "=" + e.value + ";";
    EXPECT_EQ(elementsOf(result.get()), want) << document;
  }
  plugin->close();
}

TEST(CApi, ParseGivesTheFieldsAndTheLocalityOfAOneLineAddress) {
  const char* lines[] = {"123 Main St Apt 4, Springfield IL 62704"};
  zebparse_result* raw = nullptr;
  zebparse_error error;
  ASSERT_EQ(zebparse_parse(openParser(), "US", lines, 1, &raw, &error), ZEBPARSE_OK)
      << error.message;
  Result result(raw);
  EXPECT_EQ(elementsOf(result.get()),
            "street_number=123;street_name=MAIN;suffix=ST;unit_type=APT;unit_number=4;"
            "city=Springfield;state=IL;postal_code=62704;");
}

// Four threads parsing the same batch at once all get what one thread gets alone.
TEST(CApi, ConcurrentBatchesEqualOneAlone) {
  std::vector<std::string> addresses;
  for (const Elements& record : sampleRecords()) {
    if (!record.empty() && record[0].code == "ADDR1") addresses.push_back(record[0].value);
  }
  std::string joined;
  for (const auto& a : addresses) joined += a + '\0';
  zebparse_result* raw = nullptr;
  ASSERT_EQ(zebparse_parse_batch(openParser(), nullptr, nullptr, joined.c_str(), addresses.size(),
                                 ZEBPARSE_BATCH_JSON, &raw, nullptr),
            ZEBPARSE_OK);
  const std::string alone = zebparse_result_packed(raw, nullptr);
  zebparse_result_free(raw);
  std::vector<std::string> together(4);
  std::vector<std::thread> threads;
  for (std::string& out : together) {
    threads.emplace_back([&] {
      for (int round = 0; round < 5; ++round) {
        zebparse_result* mine = nullptr;
        if (zebparse_parse_batch(openParser(), nullptr, nullptr, joined.c_str(), addresses.size(),
                                 ZEBPARSE_BATCH_JSON, &mine, nullptr) == ZEBPARSE_OK) {
          out = zebparse_result_packed(mine, nullptr);
        }
        zebparse_result_free(mine);
      }
    });
  }
  for (auto& t : threads) t.join();
  for (const std::string& out : together) EXPECT_TRUE(out == alone);
}

TEST(CApi, EveryFailureIsAStatusWithAMessageNamingTheInput) {
  zebparse_parser* parser = openParser();
  const std::string tooLong(5000, 'A');
  const char* ok[] = {"1 Main St"};
  const char* control[] = {"1 Main\x01 St"};
  const char* longLine[] = {tooLong.c_str()};
  zebparse_element badCode[] = {{"addr1", "1 Main St"}};
  zebparse_element badValue[] = {{"ADDR1", "12 Elm\x02"}};
  zebparse_parser* other = nullptr;
  zebparse_result* result = nullptr;
  using Call = std::function<zebparse_status(zebparse_error*)>;
  // What goes wrong, the call, its status, and a piece of its message.
  const std::tuple<const char*, Call, zebparse_status, const char*> kRows[] = {
      {"no parser", [&](auto e) { return zebparse_parse(nullptr, "US", ok, 1, &result, e); },
       ZEBPARSE_ERROR_ARGUMENT, "needs a parser"},
      {"four lines", [&](auto e) { return zebparse_parse(parser, "US", ok, 4, &result, e); },
       ZEBPARSE_ERROR_ARGUMENT, "1 to 3"},
      {"control", [&](auto e) { return zebparse_parse(parser, "US", control, 1, &result, e); },
       ZEBPARSE_ERROR_INPUT, "[1 Main? St]"},
      {"too long", [&](auto e) { return zebparse_parse(parser, "US", longLine, 1, &result, e); },
       ZEBPARSE_ERROR_INPUT, "[AAAA"},
      {"bad code", [&](auto e) { return zebparse_process(parser, badCode, 1, &result, e); },
       ZEBPARSE_ERROR_INPUT, "[addr1]"},
      {"bad value", [&](auto e) { return zebparse_process(parser, badValue, 1, &result, e); },
       ZEBPARSE_ERROR_INPUT, "ADDR1 [12 Elm?]"},
      {"missing dir", [&](auto e) { return zebparse_open("/nonexistent/support", &other, e); },
       ZEBPARSE_ERROR_SUPPORT, "[/nonexistent/support]"},
      {"other dir", [&](auto e) { return zebparse_open(ZEB_TEST_SOURCE_DIR "/tests", &other, e); },
       ZEBPARSE_ERROR_SUPPORT, "one support directory"},
  };
  for (const auto& [what, call, status, inMessage] : kRows) {
    zebparse_error error{};
    EXPECT_EQ(call(&error), status) << what << ": " << error.message;
    EXPECT_EQ(error.code, status) << what;
    EXPECT_TRUE(zeb_test::Holds(error.message, inMessage)) << what;
    EXPECT_EQ(result, nullptr) << what;
    EXPECT_EQ(other, nullptr) << what;
  }
}

}  // namespace
