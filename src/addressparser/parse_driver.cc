// The parse driver: country, normalisation, tokens, discard words, rules, fields.
// Tested by parse_driver_test.cc.
#include "addressparser/parse_driver.h"

#include <string>
#include <utility>

#include "addressparser/locality.h"
#include "addressparser/rule_engine.h"
#include "addressparser/tokeniser.h"
#include "addressparser/word_lists.h"
#include "errors/tarn_exception.h"

namespace addr {
namespace {

// `previous` is the meaning of the token before: a box number's groups stand side by
// side (POSTFACH 10 12 34), while a later box number after other words replaces an
// earlier one (LOCKBOX 9351 PO BOX 8500 is box 8500).
void addToken(AddressToken& token, int previous, AddressRecord& record) {
  const std::string& text = token.text;
  switch (settledMeaning(token)) {
    case STREETNUM:
      record.streetNumber = text;
      break;
    case PREDIR:
      record.preDirectional += text;
      break;
    case POSTDIR:
      record.postDirectional += text;
      break;
    case STREETNAME:
      if (!record.streetName.empty()) record.streetName += ' ';
      record.streetName += text;
      break;
    case PREFIX:
      record.prefix = text;
      break;
    case SUFFIX:
      record.suffix = text;
      break;
    case UNITNUM:
      record.unitNumber += text;
      break;
    case UNITLABEL:
      record.unitLabel = text;
      break;
    case BUILDINGSIDE:
      record.buildingSide = text;
      break;
    case UNITSIDE:
      record.unitSide = text;
      break;
    // A box number after a rural-route label belongs to the route.
    case POBOXNUM:
      if (record.rrhcLabel.empty()) {
        if (previous == POBOXNUM) {
          record.poBoxNumber += ' ' + text;
        } else {
          record.poBoxNumber = text;
        }
      } else {
        record.rrhcBoxNumber = text;
      }
      break;
    case POBOXTYPE:
      if (record.rrhcLabel.empty()) record.poBoxType = text;
      break;
    // A rural-route label turns a box read so far into the route's box.
    case RRHCLABEL:
      record.rrhcLabel = text;
      record.poBoxType.clear();
      if (!record.poBoxNumber.empty()) {
        record.rrhcBoxNumber = std::move(record.poBoxNumber);
        record.poBoxNumber.clear();
      }
      break;
    case RRHCNUM:
      record.rrhcNumber = text;
      break;
    case RRHCBOXNUM:
      record.rrhcBoxNumber = text;
      break;
    case BUILDINGTYPE:
    case COUNTY:
    case UNKNOWN:
      break;
  }
}

}  // namespace

void discardWords(const ParserConfig& config, TokenList& tokens, ParseTrace* trace) {
  // The tokens of an address share their country: its list is looked for once.
  const WordList* list = nullptr;
  std::string listCountry;
  bool haveList = false;
  // The kept tokens move down over the discarded ones in one pass (erasing each
  // discarded token on its own would move the rest of the list every time).
  size_t kept = 0;
  for (size_t position = 0; position < tokens.size(); ++position) {
    const AddressToken& token = *tokens[position];
    if (!haveList || token.country != listCountry) {
      list = config.wordList(ListKind::kDiscard, token.country);
      listCountry = token.country;
      haveList = true;
    }
    if (list != nullptr && list->findFolded(WordList::FoldedQuery(token.folded)) != nullptr) {
      if (trace != nullptr) trace->discarded(token);
      continue;
    }
    if (kept != position) tokens[kept] = std::move(tokens[position]);
    ++kept;
  }
  tokens.resize(kept);
}

void assembleParsedAddress(TokenList& tokens, AddressRecord& record) {
  int previous = UNKNOWN;
  for (auto& token : tokens) {
    addToken(*token, previous, record);
    previous = settledMeaning(*token);
  }
  if (!record.unitNumber.empty() && record.unitLabel.empty()) record.unitLabel = kDefaultUnitLabel;
}

int parseAddress(const ParserConfig& config, AddressRecord& record, ParseTrace* trace) {
  const size_t addressBytes =
      record.addressLine1.size() + record.addressLine2.size() + record.addressLine3.size();
  if (addressBytes > kMaxAddressBytes) {
    throw Tarn_Exception("parseAddress()",
                         "Address too long to parse: ADDR1 to ADDR3 hold " +
                             std::to_string(addressBytes) + " bytes together, at most " +
                             std::to_string(kMaxAddressBytes) + " are parsed",
                         MAJOR_ERROR);
  }
  const std::string& code = config.resolveCountryCode(record.country);
  if (trace != nullptr) trace->countryResolved(record.country, code);

  // A record with neither a city nor a postal code may hold its whole address on
  // one line: the locality is read from the end of the last line, and only the
  // street part before it goes on to the rules.
  const std::string* lines[] = {&record.addressLine1, &record.addressLine2, &record.addressLine3};
  const std::string* localityLine = nullptr;
  LocalityParts locality;
  const LocalityData* localityData = config.localityFor(code);
  if (localityData != nullptr && record.city.empty() && record.postalCode.empty()) {
    for (const std::string* line : lines) {
      if (!line->empty()) localityLine = line;
    }
    if (localityLine != nullptr) {
      locality = findLocality(*localityLine, *localityData);
      if (locality.empty() && !locality.narrowsStreet(localityLine->size())) localityLine = nullptr;
    }
  }
  if (localityLine != nullptr && trace != nullptr) trace->localityFound(*localityLine, locality);
  // Written with the street fields, so that a rule that throws leaves neither.
  const auto writeLocality = [&] {
    if (localityLine == nullptr) return;
    record.city = locality.city;
    record.postalCode = locality.postcode;
    if (record.region.empty()) record.region = locality.region;
    record.localityFromText = true;
  };

  std::string addressText;
  for (const std::string* line : lines) {
    if (line->empty()) continue;
    const bool kept = line == localityLine
                          ? normaliseAddressLine(config, locality.street(*line), code, addressText)
                          : normaliseAddressLine(config, *line, code, addressText);
    if (!kept && trace != nullptr) trace->careOfLineSetAside(*line);
  }
  if (addressText.empty()) {
    writeLocality();
    return 0;
  }
  if (trace != nullptr) trace->addressText(addressText);

  TokenList tokens = tokeniseAddress(config, addressText, code);
  if (trace != nullptr) trace->tokenised(tokens);
  discardWords(config, tokens, trace);

  const RuleSet* ruleSet = config.findRuleSet(code);
  if (trace != nullptr) trace->ruleSetFound(code, ruleSet == nullptr ? 0 : ruleSet->rules.size());
  if (ruleSet != nullptr && !ruleSet->rules.empty()) runRules(config, *ruleSet, tokens, trace);

  // Exceptions from the rules leave before this point: no field is half written.
  assembleParsedAddress(tokens, record);
  writeLocality();
  if (trace != nullptr) trace->assembled(tokens, record);
  return 0;
}

}  // namespace addr
