// The parser's entry for record processing: one record's address lines in, its
// parsed-address fields out. Tested by tests/addressparser/parse_driver_test.cc.
#pragma once

#include <cstddef>
#include <string>

#include "addressparser/address_record.h"
#include "addressparser/rule_engine.h"
#include "addressparser/token.h"

namespace addr {

// The longest address parsed, in bytes of UTF-8: the three address lines together.
// Rule conditions may look at every token of the address from every token, so a
// parse takes time that grows with the square of the token count; real addresses
// are a few hundred bytes at most, and text far longer is not an address.
inline constexpr size_t kMaxAddressBytes = 4096;

// Always returns 0. Exceptions from condition compilation pass through to the caller.
// An address longer than kMaxAddressBytes is not parsed at all (never cut): a
// Tarn_Exception says so, before any parsed-address field is written.
int parseAddress(AddressRecord& record);

// The label a unit number gets when the address names none.
inline constexpr const char* kDefaultUnitLabel = "Unit";

// What `zebparse explain` shows of one parse: the engine's steps (EngineTrace, see
// rule_engine.h) and the driver's around them, in this order: countryResolved,
// careOfLineSetAside (for each such line), addressText (only when not empty),
// tokenised, discarded (for each discarded token), ruleSetFound, the engine's
// reports (only when rules run), assembled.
struct ParseTrace : EngineTrace {
  virtual void countryResolved(const std::string& recordCountry, const std::string& code) {}
  virtual void careOfLineSetAside(const std::string& line) {}
  virtual void addressText(const std::string& normalisedText) {}
  virtual void tokenised(const TokenList& tokens) {}
  virtual void discarded(const AddressToken& token) {}
  // `ruleCount` is 0 when the code has no rule set; the engine then does not run.
  virtual void ruleSetFound(const std::string& code, size_t ruleCount) {}
  virtual void assembled(const TokenList& tokens, const AddressRecord& record) {}
};

// parseAddress, reporting each step to `trace` (may be null).
int parseAddress(AddressRecord& record, ParseTrace* trace);

// Driver steps, callable on their own.
// Removes the tokens whose text is in the DISCARD list of their country.
void discardWords(TokenList& tokens, ParseTrace* trace = nullptr);
// Writes every settled token into its parsed-address field, then defaults the unit
// label when there is a unit number.
void assembleParsedAddress(TokenList& tokens, AddressRecord& record);

}  // namespace addr
