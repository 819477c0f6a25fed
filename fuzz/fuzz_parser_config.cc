// Fuzzes the parser configuration file: load it, then parse a fixed set of addresses
// with whatever it holds. Conditions that do not compile must throw Tarn_Exception,
// never crash. Each load merges into what the previous inputs left, after their
// rules were released, as the plug-in's loads do across initPlugin and closePlugin.
#include <cstdint>
#include <string_view>

#include "addressparser/address_parser.h"
#include "errors/tarn_exception.h"

namespace {

const char* const kAddresses[][2] = {
    {"123 N MAIN ST APT 4", "US"},  {"PO BOX 12", ""},          {"RR 2 BOX 9", "USA"},
    {"12-14 rue de la Paix", "FR"}, {"Calle Mayor 5/2B", "ES"}, {"Hauptstrasse 12", "DE"},
    {"#12 B7 (rear) c/o x", "XX"},
};

addr::AddressParserPtr parser = addr::AddressParser::empty();

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 65536) return 0;  // a configuration larger than this adds nothing new
  try {
    parser = addr::AddressParser::fromText(
        std::string_view(reinterpret_cast<const char*>(data), size), parser.get());
  } catch (const Tarn_Exception&) {
  }
  for (const auto& address : kAddresses) {
    addr::AddressRecord record;
    record.addressLine1 = address[0];
    record.country = address[1];
    try {
      parser->parse(record);
    } catch (const Tarn_Exception&) {
    }
  }
  parser = parser->withoutRules();
  return 0;
}
