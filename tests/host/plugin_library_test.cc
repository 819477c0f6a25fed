// Loading a plug-in through its C entry points and catching what it throws.
#include "host/plugin_library.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "host/host_context.h"
#include "test_checks.h"

namespace {

using zeb_test::Holds;

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

  const struct {
    const char* input;
    bool threw;
    const char* text;  // the error, or the buffer
  } kRows[] = {
      {"ok", false, "<STD_RESULT>ok</STD_RESULT>"},
      {"tarn", true, "tarn thrown"},
      {"std", true, "std thrown"},
      {"int", true, "unknown exception"},
  };
  for (const auto& row : kRows) {
    std::vector<char> buffer(64, '\0');
    zeb::PluginLibrary::RunResult result =
        plugin->run(row.input, buffer.data(), static_cast<uint32_t>(buffer.size()));
    EXPECT_EQ(result.threw, row.threw) << row.input;
    if (row.threw) {
      EXPECT_TRUE(Holds(result.error, row.text)) << row.input;
    } else {
      EXPECT_EQ(result.status, 0);
      EXPECT_STREQ(buffer.data(), row.text);
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
