// ParserConfig, the one implementation of AddressParser (address_parser.h): the
// loaded tables and the look-ups a parse makes in them. Private to the parser; built
// only by the loader (config_loader.cc). Tested by
// tests/addressparser/parser_config_test.cc.
#pragma once

#include <array>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "addressparser/address_parser.h"
#include "addressparser/locality.h"
#include "addressparser/rule.h"
#include "addressparser/word_lists.h"

namespace addr {

struct RuleSet {
  RuleList rules;               // context-free rules first, then context rules
  size_t firstContextRule = 0;  // position of the first context rule; rules.size() if none
};

// What the loader fills. Copyable, so that a load on top of another configuration
// fills a copy of the other's tables: rule sets are shared between the two, and
// never changed once built.
struct ParserTables {
  std::map<std::string, std::string> countryCodeByName;
  std::map<std::string, std::string> regionBaseByName;
  std::string defaultCountry;
  std::array<WordListTable, kListKindCount> wordLists;  // by ListKind
  WordSequenceTable stickySuffixes;
  WordSequenceTable careOfWords;
  std::map<std::string, std::shared_ptr<const RuleSet>> ruleSets;
  // Per country, from its LOCALITY element: the street words are added when the
  // configuration is built.
  std::map<std::string, LocalityData> localities;
  // Every RULESET read, in reading order, replaced ones included.
  std::vector<std::pair<std::string, std::shared_ptr<const RuleSet>>> ruleSetsAsRead;
};

class ParserConfig final : public AddressParser {
 public:
  // Takes the tables and works out every answer a parse asks of them by country, so
  // that a parse only looks answers up.
  explicit ParserConfig(ParserTables tables);

  const ParserTables& tables() const { return tables_; }

  // Never inserts: null when there is no rule set for the code.
  const RuleSet* findRuleSet(const std::string& code) const;
  // wordListFor (word_lists.h) of every kind for `code`.
  const CountryWordLists& wordListsFor(const std::string& code) const;
  const WordList* wordList(ListKind kind, const std::string& code) const {
    return wordListsFor(code)[static_cast<size_t>(kind)];
  }
  // The sequences stored under exactly `code` (no "US" fallback); empty when missing.
  const std::vector<std::string>& stickySuffixesOf(const std::string& code) const;
  const std::vector<std::string>& careOfWordsOf(const std::string& code) const;
  // Null for a country without locality data: its lines are street lines only.
  const LocalityData* localityFor(const std::string& code) const {
    auto found = localities_.find(code);
    return found == localities_.end() ? nullptr : &found->second;
  }

  // AddressParser
  AddressParserPtr withoutRules() const override;
  int parse(AddressRecord& record, ParseTrace* trace) const override;
  const std::string& resolveCountryCode(const std::string& country) const override;
  const std::map<std::string, std::string>& countryCodeByName() const override {
    return tables_.countryCodeByName;
  }
  const std::map<std::string, std::string>& regionBaseByName() const override {
    return tables_.regionBaseByName;
  }
  const std::string& defaultCountry() const override { return tables_.defaultCountry; }
  std::vector<RuleSetListing> ruleSets() const override;
  std::vector<RuleSetListing> ruleSetsAsRead() const override;
  bool hasRuleSet(const std::string& code) const override { return findRuleSet(code) != nullptr; }

 private:
  const ParserTables tables_;
  // Worked out by the constructor; they point into tables_.
  std::unordered_map<std::string, std::string> codeByCountryName_;         // resolvable names only
  std::map<std::string, CountryWordLists, CountryCodeOrder> listsByCode_;  // codes with lists
  CountryWordLists listsOfOtherCodes_{};                                   // the "US" fallbacks
  std::map<std::string, LocalityData, CountryCodeOrder> localities_;  // with their street words
};

// The configuration as a ParserConfig: every AddressParser is one.
inline const ParserConfig& configOf(const AddressParser& parser) {
  return static_cast<const ParserConfig&>(parser);
}

}  // namespace addr
