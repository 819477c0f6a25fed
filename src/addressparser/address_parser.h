// The address parser as its users see it: load a configuration (a file, or XML text
// in memory), parse addresses with it, optionally watching each step, and read what
// it loaded (countries, rule sets, rules) to list or check it. Everything else in
// this folder is private to the parser; AddressRecord (address_record.h) and the
// tokens a trace sees (token.h) are public too.
// Tested by tests/addressparser/parser_config_test.cc and parse_driver_test.cc.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "addressparser/address_record.h"
#include "addressparser/token.h"

namespace addr {

// The longest address parsed, in bytes of UTF-8: the three address lines together.
// Rule conditions may look at every token of the address from every token, so a
// parse takes time that grows with the square of the token count; real addresses
// are a few hundred bytes at most, and text far longer is not an address.
inline constexpr size_t kMaxAddressBytes = 4096;

// A rule as its RULE element writes it: the attribute texts, before any conversion.
struct RuleText {
  std::string name;
  std::string description;
  std::string condition;
  std::string setText;        // "set"
  std::string setNextText;    // "setNext"
  std::string eliminateText;  // "eliminate"
};

// What checkRule finds wrong with a rule.
struct RuleProblem {
  enum Kind {
    kDoesNotCompile,        // `item`: the compiler's message
    kUnknownKeyword,        // `item`: the word; that part of the condition is always false
    kTermMissingMeaning,    // `item`: the term, whose keyword then tests UNKNOWN (a warning)
    kSetIsNoMeaning,        // `item`: the set text
    kSetNextIsNoMeaning,    // `item`: the setNext text
    kEliminateIsNoMeaning,  // `item`: the piece of the eliminate list
  };
  Kind kind;
  std::string item;
};
// Compiles the condition and reads every meaning name of the rule. In the order of
// the condition text, then set, setNext, eliminate.
std::vector<RuleProblem> checkRule(const RuleText& rule);

// The passes of the rule engine, as a trace numbers them: pass 0 is the context-free
// pass, 1 to 6 the context passes.
inline constexpr int kContextFreePass = 0;

// Watches the rule engine (for `zebparse explain`); with no trace nothing is reported
// and nothing is spent. The observer must not change the tokens.
//   - narrowed:  a token's candidates right after narrowing by the word lists
//                (context-free pass, before that token's rules run);
//   - ruleFired: a rule whose condition held at an unsettled token, after the rule
//                took effect; `endedGroup` tells whether it stopped the token's rules;
//   - merged:    a join of two neighbours, with the joined token and the text of
//                the neighbour that was removed;
//   - passEnd:   the tokens at the end of each pass (after merging for context
//                passes), and whether every token was settled.
struct EngineTrace {
  virtual ~EngineTrace() = default;
  virtual void narrowed(size_t tokenIndex, const AddressToken& token) {}
  virtual void ruleFired(int pass, size_t tokenIndex, const RuleText& rule, bool endedGroup,
                         const TokenList& tokens) {}
  virtual void merged(int pass, size_t tokenIndex, const AddressToken& joined,
                      std::string_view removedText) {}
  virtual void passEnd(int pass, const TokenList& tokens, bool allSettled) {}
};

// The locality found at the end of a one-line address: its parts as written, and
// how much of the line is left for the street.
struct LocalityParts {
  std::string city, region, postcode, country;
  std::string regionStandard;  // the region's standard form in the configuration
  // The street part: bytes [streetBegin, streetBytes) of the line. What comes before
  // it names a building or company (ROSE COTTAGE, MILL LANE).
  size_t streetBegin = 0;
  size_t streetBytes = 0;
  // Bytes [cutBegin, cutEnd) inside the street part are a recipient (C/O BOA), left
  // out of the street; equal when there is none.
  size_t cutBegin = 0;
  size_t cutEnd = 0;
  std::string cityFoundBy;  // how the city was told apart from the street

  bool empty() const {
    return city.empty() && region.empty() && postcode.empty() && country.empty();
  }
  // Whether the street part is less than the whole of a line of `lineBytes` bytes.
  bool narrowsStreet(size_t lineBytes) const {
    return streetBegin > 0 || streetBytes < lineBytes || cutEnd > cutBegin;
  }
  // The street part of `line`, without the cut.
  std::string street(std::string_view line) const;
};

// The engine's steps and the parse's around them, in this order: countryResolved,
// localityFound (only when the parse looked for a locality and found one),
// careOfLineSetAside (for each such line), addressText (only when not empty),
// tokenised, discarded (for each discarded token), ruleSetFound, the engine's
// reports (only when rules run), assembled.
struct ParseTrace : EngineTrace {
  virtual void countryResolved(const std::string& recordCountry, const std::string& code) {}
  virtual void localityFound(const std::string& line, const LocalityParts& parts) {}
  virtual void careOfLineSetAside(const std::string& line) {}
  virtual void addressText(const std::string& normalisedText) {}
  virtual void tokenised(const TokenList& tokens) {}
  virtual void discarded(const AddressToken& token) {}
  // `ruleCount` is 0 when the code has no rule set; the engine then does not run.
  virtual void ruleSetFound(const std::string& code, size_t ruleCount) {}
  virtual void assembled(const TokenList& tokens, const AddressRecord& record) {}
};

class AddressParser;
// Loaded configurations are shared, and never change once loaded: any number of
// threads parse with one at the same time, without locks.
using AddressParserPtr = std::shared_ptr<const AddressParser>;

inline constexpr int kConfigOk = 0;
inline constexpr int kConfigCannotOpen = 3;

// One loaded parser configuration: countries, the default country, regions, word
// lists and rule sets. Built by load or fromText, never changed afterwards (a rule's
// condition is compiled on its first use, safely from any thread).
class AddressParser {
 public:
  AddressParser(const AddressParser&) = delete;
  AddressParser& operator=(const AddressParser&) = delete;
  virtual ~AddressParser() = default;

  // Loads the configuration file at `path` (UTF-8) into `parser`: kConfigOk when the
  // file was read (also when it was empty or lacked sections), kConfigCannotOpen when
  // it cannot be opened, leaving `parser` as it was. Malformed XML, and a document
  // that declares entities, throws Tarn_Exception naming the file.
  // With a `base`, the result is `base` with the file merged in, key by key: a
  // country, region, word list or rule set the file names replaces the base's, the
  // rest stays (the base itself does not change). `base` may be `parser.get()`.
  static int load(const std::string& path, AddressParserPtr& parser,
                  const AddressParser* base = nullptr);
  // The same from XML text; `documentName` names the text in errors. Empty text is a
  // configuration with no section.
  static AddressParserPtr fromText(std::string_view xml, const AddressParser* base = nullptr,
                                   std::string_view documentName = {});
  // Nothing loaded: no tables, no default country.
  static AddressParserPtr empty();
  // This configuration with every rule released: each rule set stays, without rules,
  // and the default country is empty; countries, regions and word lists stay.
  // What the plug-in keeps after closePlugin, into which a later load merges.
  virtual AddressParserPtr withoutRules() const = 0;

  // Splits the record's address lines into its parsed-address fields; returns 0.
  // An address longer than kMaxAddressBytes is not parsed at all (never cut): a
  // Tarn_Exception says so, before any field is written. A rule whose condition does
  // not compile throws (on every parse that reaches it), leaving no field half written.
  virtual int parse(AddressRecord& record, ParseTrace* trace = nullptr) const = 0;

  // The country code a record's COUNTRY text stands for (the default country when it
  // names no known country with a region).
  virtual const std::string& resolveCountryCode(const std::string& country) const = 0;
  virtual const std::map<std::string, std::string>& countryCodeByName() const = 0;
  virtual const std::map<std::string, std::string>& regionBaseByName() const = 0;
  virtual const std::string& defaultCountry() const = 0;

  struct RuleSetListing {
    std::string code;
    std::vector<const RuleText*> rules;  // context-free rules first; owned by the parser
  };
  // The rule sets in use, by code.
  virtual std::vector<RuleSetListing> ruleSets() const = 0;
  // Every RULESET element the loads read, in reading order, those a later one
  // replaced included: what a check of the files goes through.
  virtual std::vector<RuleSetListing> ruleSetsAsRead() const = 0;
  virtual bool hasRuleSet(const std::string& code) const = 0;

 protected:
  AddressParser() = default;
};

}  // namespace addr
