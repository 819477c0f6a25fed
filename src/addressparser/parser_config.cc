// The loaded configuration: country resolution, the rule-set and word-list look-ups
// a parse makes, and what tools list. Tested by parser_config_test.cc.
//
// Every record asks for its country's code, lists and rules several times, so the
// constructor works out each answer once per country, and a parse only finds them.
#include "addressparser/parser_config.h"

#include <set>
#include <utility>

#include "addressparser/parse_driver.h"
#include "common/string_util.h"

namespace addr {
namespace {

const std::vector<std::string>& sequenceOf(const WordSequenceTable& table,
                                           const std::string& code) {
  static const std::vector<std::string> kNone;
  auto found = table.find(code);
  return found == table.end() ? kNone : found->second;
}

void addListing(const std::string& code, const RuleSet& ruleSet,
                std::vector<AddressParser::RuleSetListing>& listings) {
  AddressParser::RuleSetListing& listing = listings.emplace_back();
  listing.code = code;
  for (const auto& rule : ruleSet.rules) listing.rules.push_back(rule.get());
}

// Adds a word list's words and standard forms, keyed as locality recognition looks
// words up, and the last word of each phrase (BOX of GPO BOX: the words are looked
// up one by one). With `connectors`, the words after the first of each phrase
// instead (DE and LA of RUE DE LA).
void addLocalityWords(std::unordered_set<std::string>& set, const WordList* list,
                      bool connectors = false) {
  if (list == nullptr) return;
  list->forEachEntry([&](const WordList::Entry& entry) {
    if (!connectors) {
      for (const std::string& word : {entry.word, entry.standardForm}) {
        if (word.empty()) continue;
        set.insert(localityKey(word));
        if (const size_t blank = word.rfind(' '); blank != std::string::npos) {
          set.insert(localityKey(std::string_view(word).substr(blank + 1)));
        }
      }
      return;
    }
    std::string_view phrase = entry.word;
    for (size_t blank = phrase.find(' '); blank != std::string_view::npos;
         blank = phrase.find(' ')) {
      phrase.remove_prefix(blank + 1);
      set.insert(localityKey(phrase.substr(0, phrase.find(' '))));
    }
  });
}

// The keys of a phrase's words, as locality recognition looks words up one by one.
std::vector<std::string> phraseKeys(std::string_view phrase) {
  std::vector<std::string> words;
  cmn::Split(phrase, words, " ");
  std::erase(words, std::string());
  for (std::string& word : words) word = localityKey(word);
  return words;
}

}  // namespace

ParserConfig::ParserConfig(ParserTables tables) : tables_(std::move(tables)) {
  // A name resolves to its code only when the code is a region with a base; the base
  // only validates the code, the code itself is the answer.
  for (const auto& [name, code] : tables_.countryCodeByName) {
    if (code.empty()) continue;
    auto base = tables_.regionBaseByName.find(code);
    if (base == tables_.regionBaseByName.end() || base->second.empty()) continue;
    codeByCountryName_.emplace(name, code);
  }
  std::set<std::string, CountryCodeOrder> codes;
  for (const WordListTable& table : tables_.wordLists) {
    for (const auto& [code, list] : table) codes.insert(code);
  }
  for (const std::string& code : codes) {
    CountryWordLists& lists = listsByCode_[code];
    for (size_t kind = 0; kind < kListKindCount; ++kind) {
      lists[kind] = wordListFor(tables_.wordLists[kind], code);
    }
  }
  // A code with no list of any kind falls back to "US" for every kind; "US" itself,
  // when it has none, is then absent too.
  for (size_t kind = 0; kind < kListKindCount; ++kind) {
    auto us = tables_.wordLists[kind].find("US");
    listsOfOtherCodes_[kind] = us == tables_.wordLists[kind].end() ? nullptr : &us->second;
  }
  // Locality recognition reads the street's end from the country's own word lists,
  // and the country's names from the country table.
  for (const auto& [code, data] : tables_.localities) {
    LocalityData& locality = localities_.emplace(code, data).first->second;
    const CountryWordLists& lists = wordListsFor(code);
    const auto list = [&](ListKind kind) { return lists[static_cast<size_t>(kind)]; };
    addLocalityWords(locality.streetTypes, list(ListKind::kSuffix));
    addLocalityWords(locality.directionals, list(ListKind::kDirectional));
    addLocalityWords(locality.unitLabels, list(ListKind::kUnitLabel));
    addLocalityWords(locality.boxWords, list(ListKind::kPoBox));
    if (const WordList* boxes = list(ListKind::kPoBox)) {
      boxes->forEachEntry([&](const WordList::Entry& entry) {
        const std::vector<std::string> keys = phraseKeys(entry.word);
        for (size_t i = 0; i + 1 < keys.size(); ++i) locality.boxLeadWords.insert(keys[i]);
      });
    }
    addLocalityWords(locality.connectors, list(ListKind::kPrefix), true);
    for (const std::string& phrase : careOfWordsOf(code)) {
      if (std::vector<std::string> keys = phraseKeys(phrase); !keys.empty()) {
        locality.careOf.push_back(std::move(keys));
      }
    }
    for (const auto& [name, nameCode] : tables_.countryCodeByName) {
      if (nameCode == code) locality.countryNames.add(localityKey(name), code);
    }
  }
}

const std::string& ParserConfig::resolveCountryCode(const std::string& country) const {
  if (country.empty()) return tables_.defaultCountry;
  auto found = codeByCountryName_.find(country);
  return found == codeByCountryName_.end() ? tables_.defaultCountry : found->second;
}

const RuleSet* ParserConfig::findRuleSet(const std::string& code) const {
  auto found = tables_.ruleSets.find(code);
  return found == tables_.ruleSets.end() ? nullptr : found->second.get();
}

const CountryWordLists& ParserConfig::wordListsFor(const std::string& code) const {
  auto found = listsByCode_.find(code);
  return found == listsByCode_.end() ? listsOfOtherCodes_ : found->second;
}

const std::vector<std::string>& ParserConfig::stickySuffixesOf(const std::string& code) const {
  return sequenceOf(tables_.stickySuffixes, code);
}

const std::vector<std::string>& ParserConfig::careOfWordsOf(const std::string& code) const {
  return sequenceOf(tables_.careOfWords, code);
}

AddressParserPtr ParserConfig::withoutRules() const {
  ParserTables tables = tables_;
  for (auto& [code, ruleSet] : tables.ruleSets) ruleSet = std::make_shared<const RuleSet>();
  tables.ruleSetsAsRead.clear();
  tables.defaultCountry.clear();
  return std::make_shared<const ParserConfig>(std::move(tables));
}

int ParserConfig::parse(AddressRecord& record, ParseTrace* trace) const {
  return parseAddress(*this, record, trace);
}

std::vector<AddressParser::RuleSetListing> ParserConfig::ruleSets() const {
  std::vector<RuleSetListing> listings;
  for (const auto& [code, ruleSet] : tables_.ruleSets) addListing(code, *ruleSet, listings);
  return listings;
}

std::vector<AddressParser::RuleSetListing> ParserConfig::ruleSetsAsRead() const {
  std::vector<RuleSetListing> listings;
  for (const auto& [code, ruleSet] : tables_.ruleSetsAsRead) addListing(code, *ruleSet, listings);
  return listings;
}

}  // namespace addr
