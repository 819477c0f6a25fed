// Makes the build and source folders known to every test process through the
// environment (ZEB_BUILD_DIR, ZEB_SOURCE_DIR), also when a test binary is run by hand
// rather than by ctest. A value already in the environment wins.
#include <cstdlib>

#include "test_files.h"

namespace {

const bool kEnvironmentSet = [] {
  if (std::getenv("ZEB_BUILD_DIR") == nullptr) {
    zeb_test::setEnvironment("ZEB_BUILD_DIR", ZEB_TEST_BUILD_DIR);
  }
  if (std::getenv("ZEB_SOURCE_DIR") == nullptr) {
    zeb_test::setEnvironment("ZEB_SOURCE_DIR", ZEB_TEST_SOURCE_DIR);
  }
  return true;
}();

}  // namespace
