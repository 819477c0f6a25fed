// Fuzzes the parser configuration file: load it, then parse a fixed set of addresses
// with whatever it holds. Conditions that do not compile must throw Tarn_Exception,
// never crash. The tables are process-wide and merge across loads, like a second
// configuration load in one process does.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>

#include "addressparser/parse_driver.h"
#include "addressparser/parser_config.h"
#include "errors/tarn_exception.h"
#include "fuzz_config.h"

namespace {

const char* const kAddresses[][2] = {
    {"123 N MAIN ST APT 4", "US"},   {"PO BOX 12", ""},         {"RR 2 BOX 9", "USA"},
    {"12-14 rue de la Paix", "FR"},  {"Calle Mayor 5/2B", "ES"}, {"Hauptstrasse 12", "DE"},
    {"#12 B7 (rear) c/o x", "XX"},
};

std::string& configurationPath() {
  static std::string path = fuzz::writeConfiguration("");
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 65536) return 0;  // a configuration larger than this adds nothing new
  {
    std::ofstream out(configurationPath(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  try {
    addr::loadParserConfiguration(configurationPath());
  } catch (const Tarn_Exception&) {
  }
  for (const auto& address : kAddresses) {
    addr::AddressRecord record;
    record.addressLine1 = address[0];
    record.country = address[1];
    try {
      addr::parseAddress(record);
    } catch (const Tarn_Exception&) {
    }
  }
  addr::freeParserConfiguration();
  return 0;
}
