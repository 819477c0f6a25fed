// Fuzzes one address line through the parser on a fixed configuration. The first
// byte picks the record's country so the FR, ES and DE paths are reached too.
#include <cstdint>
#include <string>

#include "addressparser/address_parser.h"
#include "errors/tarn_exception.h"
#include "fuzz_config.h"

namespace {
addr::AddressParserPtr parser;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  addr::AddressParser::load(fuzz::writeConfiguration(), parser);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Address lines are short, but a few thousand tokens must still parse quickly.
  if (size == 0 || size > 8192) return 0;
  static const char* const kCountries[] = {"US", "FR", "ES", "DE", "", "XX"};
  addr::AddressRecord record;
  record.country = kCountries[data[0] % 6];
  std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  // Up to three lines, split at the first two line feeds.
  size_t first = text.find('\n');
  size_t second = first == std::string::npos ? first : text.find('\n', first + 1);
  record.addressLine1 = text.substr(0, first);
  if (first != std::string::npos) record.addressLine2 = text.substr(first + 1, second - first - 1);
  if (second != std::string::npos) record.addressLine3 = text.substr(second + 1);
  try {
    parser->parse(record);
  } catch (const Tarn_Exception&) {
  }
  return 0;
}
