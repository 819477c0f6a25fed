// The parser configuration file and the process-wide tables it fills: countries,
// default country, regions, word lists and rule sets. Filled by initPlugin, read
// without locks by every parse, rules released by closePlugin.
// Tested by tests/addressparser/parser_config_test.cc.
#pragma once

#include <map>
#include <string>

#include "addressparser/rule.h"

namespace addr {

struct RuleSet {
  RuleList rules;               // context-free rules first, then context rules
  size_t firstContextRule = 0;  // position of the first context rule; rules.size() if none
};

inline constexpr int kConfigOk = 0;
inline constexpr int kConfigCannotOpen = 3;

// 0 when read (also when empty), 3 when the file cannot be opened. Malformed XML and
// rule errors throw Tarn_Exception.
int loadParserConfiguration(const std::string& path);
// Releases every rule (the rule-set entries stay) and empties the default country.
void freeParserConfiguration();
// Empties every table, word lists included, as if the library had just been loaded.
// For tests and tools that load several configurations in one process; never called
// while records are parsed.
void clearParserConfiguration();

std::string resolveCountryCode(const std::string& country);
// Never inserts: null when there is no rule set for the code.
const RuleSet* findRuleSet(const std::string& code);

// Read access for tools (zebparse check/explain).
const std::map<std::string, std::string>& countryCodeByName();
const std::map<std::string, std::string>& regionBaseByName();
const std::map<std::string, RuleSet>& ruleSets();
const std::string& defaultCountry();

}  // namespace addr
