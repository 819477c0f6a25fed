// Fuzzes one record document through the whole record flow on a fixed configuration,
// with the host kit's own transliteration and phonetic services (token information
// is a stub, as it needs a support file). A malformed document raises
// Tarn_Exception, which a host catches; anything else escaping, any sanitizer
// report, and any record that runs long or takes much memory is a finding.
#include <cstdint>
#include <string>

#include "addressparser/address_parser.h"
#include "errors/tarn_exception.h"
#include "fuzz_config.h"
#include "host/host_context.h"
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

}  // namespace

namespace {
addr::AddressParserPtr parser;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  addr::AddressParser::load(fuzz::writeConfiguration(), parser);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Records are a few hundred bytes; longer inputs only slow the search down.
  if (size > 8192) return 0;
  std::string document(reinterpret_cast<const char*>(data), size);
  plugin::RecordServices services{tokenInfo, zebHostTransliterateText, zebHostMetaphoneEncode};
  std::string result;
  try {
    plugin::ProcessRecord(document.c_str(), *parser, services, result);
  } catch (const Tarn_Exception&) {
  }
  return 0;
}
