// The parse itself, behind AddressParser::parse: one record's address lines in, its
// parsed-address fields out. Tested by tests/addressparser/parse_driver_test.cc.
#pragma once

#include <string>

#include "addressparser/address_parser.h"
#include "addressparser/parser_config.h"
#include "addressparser/token.h"

namespace addr {

// AddressParser::parse (address_parser.h), reporting each step to `trace` (may be
// null). Always returns 0.
int parseAddress(const ParserConfig& config, AddressRecord& record, ParseTrace* trace = nullptr);

// The label a unit number gets when the address names none.
inline constexpr const char* kDefaultUnitLabel = "Unit";

// Driver steps, callable on their own.
// Removes the tokens whose text is in the DISCARD list of their country.
void discardWords(const ParserConfig& config, TokenList& tokens, ParseTrace* trace = nullptr);
// Writes every settled token into its parsed-address field, then defaults the unit
// label when there is a unit number.
void assembleParsedAddress(TokenList& tokens, AddressRecord& record);

}  // namespace addr
