// The address fields of one record: filled from the record document, completed by
// the parser, read by record processing and the derived elements. All UTF-8.
#pragma once

#include <string>

namespace addr {

struct AddressRecord {
  std::string addressLine1, addressLine2, addressLine3;
  std::string city, postalCode, country, script;
  std::string region;  // state, province or county
  // True when the parse found the city, region or postal code at the end of the
  // address text; it looks there only when the record has neither a city nor a
  // postal code, and fills only what the record lacks.
  bool localityFromText = false;
  std::string streetNumber, preDirectional, postDirectional, streetName;
  std::string prefix, suffix, buildingSide, unitSide;
  std::string unitLabel, unitNumber;
  std::string poBoxNumber, poBoxType;
  std::string rrhcLabel, rrhcNumber, rrhcBoxNumber;
  bool alreadyParsed = false;
};

}  // namespace addr
