// Fuzzes one record document through the whole record flow on a fixed configuration.
// A malformed document raises Tarn_Exception, which a host catches; anything else
// escaping, or any sanitizer report, is a finding.
#include <cstdint>
#include <cstring>
#include <string>

#include "addressparser/parser_config.h"
#include "errors/tarn_exception.h"
#include "fuzz_config.h"
#include "plugin/record_processing.h"

namespace {

unsigned char tokenInfo(const char*, const char* token, TokenInfo* info) {
  if (token[0] == 'S') {
    info->standardForm = "SAINT";
    info->score = 60;
    return 1;
  }
  return 0;
}
void transliterate(const char* text, char* out, int32_t size, int32_t, int32_t) {
  std::strncpy(out, text, static_cast<size_t>(size) - 1);
  out[size - 1] = '\0';
}
void metaphone(const char* word, char* out, int32_t size) {
  std::strncpy(out, word, static_cast<size_t>(size) - 1);
  out[size - 1] = '\0';
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  addr::loadParserConfiguration(fuzz::writeConfiguration());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Records are a few hundred bytes; longer inputs only slow the search down.
  if (size > 8192) return 0;
  std::string document(reinterpret_cast<const char*>(data), size);
  plugin::RecordServices services{tokenInfo, transliterate, metaphone};
  std::string result;
  try {
    plugin::ProcessRecord(document.c_str(), services, result);
  } catch (const Tarn_Exception&) {
  }
  return 0;
}
