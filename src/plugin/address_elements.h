// The twelve address elements of a record document and their selection: for each
// code, the first OBS_FELEM in document order that the expression
//   /STD_BOM/OBS_FEAT/OBS_FELEM[./FELEM_CODE = 'CODE']
// selects. The tree is walked directly, since compiling eleven expressions for every
// record would cost more than the rest of the record's processing.
// Tested against libxml2's XPath by tests/plugin/record_processing_test.cc.
#pragma once

#include <libxml/tree.h>

#include <array>
#include <cstddef>
#include <string>

#include "xml/flat_document.h"

namespace plugin {

// In the order in which the codes are read.
enum AddressCode : size_t {
  kScript,
  kAddressLine1,
  kAddressLine2,
  kAddressLine3,
  kStreetNumber,
  kStreetName,
  kUnitType,
  kUnitNumber,
  kCity,
  kPostalCode,
  kCountry,
  kState,
  kAddressCodeCount
};

inline constexpr std::array<const char*, kAddressCodeCount> kAddressCodes = {
    "SCRIPT",    "ADDR1",    "ADDR2", "ADDR3",       "STR_NUM", "STR_NAME",
    "UNIT_TYPE", "UNIT_NUM", "CITY",  "POSTAL_CODE", "COUNTRY", "STATE"};

using AddressElements = std::array<xmlNodePtr, kAddressCodeCount>;

// The XPath expression whose first node SelectAddressElements gives for `code`.
std::string AddressElementXPath(AddressCode code);

// For each code, the first matching OBS_FELEM or null. Names match as XPath name
// tests do: exactly, and only elements without a namespace. The code matches when
// ANY FELEM_CODE child equals it under libxml2's string comparison: its whole text
// (all descendants, entity references followed) equals the code, and so do the first
// two bytes of its text read without following entity references.
AddressElements SelectAddressElements(xmlDocPtr doc);

// The same selection in a flat document: element indices, kNone where none matched.
using FlatAddressElements = std::array<xml::FlatDocument::Index, kAddressCodeCount>;
FlatAddressElements SelectAddressElements(const xml::FlatDocument& doc);

}  // namespace plugin
