// A stand-in plug-in for the loader's tests: the four entry points, with behaviour
// chosen by the host parameter FAKE/MODE and by the record text, so that the host's
// handling of refusals and of every kind of exception can be provoked.
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>

#include "errors/tarn_exception.h"
#include "plugin/export.h"
#include "plugin/host_services.h"

#define FAKE_EXPORT extern "C" ZEB_EXPORT

FAKE_EXPORT int32_t initPlugin(void*, void*, char* errorBuffer, uint32_t errorBufferSize,
                               LookupFunction lookup) {
  auto query = reinterpret_cast<QueryParameterFunction>(lookup("QueryParameter"));
  const char* mode = query != nullptr ? query("FAKE", "MODE") : nullptr;
  std::string wanted = mode != nullptr ? mode : "";
  if (wanted == "refuse") {
    // Fills the whole buffer without a terminator, as a long message would.
    std::memset(errorBuffer, 'x', errorBufferSize);
    std::memcpy(errorBuffer, "refused:", 8);
    return -1;
  }
  if (wanted == "throw") throw std::runtime_error("init threw");
  return 0;
}

FAKE_EXPORT int32_t runDQM(const char* input, void*, char* result, uint32_t resultSize) {
  std::string text = input;
  if (text == "tarn") throw Tarn_Exception("FakePlugin::runDQM()", "tarn thrown", MAJOR_ERROR);
  if (text == "std") throw std::invalid_argument("std thrown");
  if (text == "int") throw 42;
  std::string answer = "<STD_RESULT>" + text + "</STD_RESULT>";
  if (answer.size() >= resultSize) return -5;
  std::memcpy(result, answer.c_str(), answer.size() + 1);
  return 0;
}

FAKE_EXPORT const char* getVersion() { return "fake"; }

#ifndef FAKE_WITHOUT_CLOSE
FAKE_EXPORT int32_t closePlugin() { return 7; }
#endif
