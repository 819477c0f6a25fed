// Makes the build and source folders known to every test process through the
// environment (ZEB_BUILD_DIR, ZEB_SOURCE_DIR), also when a test binary is run by hand
// rather than by ctest. A value already in the environment wins.
#include <cstdlib>

namespace {

const bool kEnvironmentSet = [] {
  setenv("ZEB_BUILD_DIR", ZEB_TEST_BUILD_DIR, 0);
  setenv("ZEB_SOURCE_DIR", ZEB_TEST_SOURCE_DIR, 0);
  return true;
}();

}  // namespace
