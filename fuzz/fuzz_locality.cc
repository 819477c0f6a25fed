// Fuzzes one-line addresses through the parser with the shipped default
// configuration, whose LOCALITY data reads the city, region, postcode and country
// from the end of the line. The first byte picks the country. Besides nothing but
// Tarn_Exception escaping: every part found is text of the line, the country after
// the street part, and the street part lies within the line, as does a recipient cut
// out of it.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "addressparser/address_parser.h"
#include "errors/tarn_exception.h"

namespace {

addr::AddressParserPtr parser;

struct Check : addr::ParseTrace {
  void localityFound(const std::string& line, const addr::LocalityParts& parts) override {
    if (parts.streetBytes > line.size() || parts.streetBegin > parts.streetBytes) std::abort();
    if (parts.cutEnd > parts.cutBegin &&
        (parts.cutBegin < parts.streetBegin || parts.cutEnd > parts.streetBytes)) {
      std::abort();
    }
    const std::string rest = line.substr(parts.streetBytes);
    for (const std::string* part : {&parts.city, &parts.region, &parts.postcode, &parts.country}) {
      if (!part->empty() && line.find(*part) == std::string::npos) std::abort();
    }
    if (!parts.country.empty() && rest.find(parts.country) == std::string::npos) std::abort();
  }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  addr::AddressParser::load(ZEB_DEFAULT_CONFIG, parser);
  if (!parser) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > 4097) return 0;
  static const char* const kCountries[] = {"US", "CA", "GB", "AU", "FR", "DE", "ES", "IT", "NL"};
  addr::AddressRecord record;
  record.country = kCountries[data[0] % 9];
  record.addressLine1.assign(reinterpret_cast<const char*>(data) + 1, size - 1);
  Check check;
  try {
    parser->parse(record, &check);
  } catch (const Tarn_Exception&) {
  }
  return 0;
}
