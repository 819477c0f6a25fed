// Loading of the parser configuration file into the process-wide tables, country
// resolution and the rule-set look-up. Tested by parser_config_test.cc.
//
// The tables are written only by loadParserConfiguration, freeParserConfiguration
// and clearParserConfiguration, which the host calls before the first and after the
// last record; parses read them without locks, so no look-up may insert.
#include "addressparser/parser_config.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <utility>

#include "addressparser/config_nodes.h"
#include "addressparser/word_lists.h"
#include "common/path.h"
#include "common/string_util.h"
#include "xml/xml_doc.h"

namespace addr {
namespace {

const char* const kFallbackCountry = "US";

struct ParserTables {
  std::map<std::string, std::string> countryCodeByName;
  std::map<std::string, std::string> regionBaseByName;
  std::map<std::string, RuleSet> ruleSets;
  std::string defaultCountry;
};

ParserTables& tables() {
  static ParserTables instance;
  return instance;
}

// The last answer this thread was given for a key, while the tables stay unchanged
// (tablesGeneration): every record of a run names the same few countries.
template <typename Answer>
struct RememberedAnswer {
  uint64_t generation = 0;
  std::string key;
  Answer answer{};

  bool holdsFor(const std::string& asked, uint64_t current) const {
    return generation == current && key == asked;
  }
  void remember(const std::string& asked, uint64_t current, Answer given) {
    generation = current;
    key = asked;
    answer = std::move(given);
  }
};

std::string searchCountryCode(const std::string& country) {
  const ParserTables& t = tables();
  if (country.empty()) return t.defaultCountry;
  auto code = t.countryCodeByName.find(country);
  if (code == t.countryCodeByName.end() || code->second.empty()) return t.defaultCountry;
  // The base region only validates the code; the code itself is returned.
  auto base = t.regionBaseByName.find(code->second);
  if (base == t.regionBaseByName.end() || base->second.empty()) return t.defaultCountry;
  return code->second;
}

struct Region {
  std::string name;
  int32_t priority = 0;  // read for completeness; nothing depends on it
  int32_t base = 0;      // id of the base region, 0 for none
};

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// Reads the whole file; false when it cannot be opened or read (a directory, say).
bool readWholeFile(const std::string& nativePath, std::string& content) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(nativePath.c_str(), "rb"));
  if (!file) return false;
  content.clear();
  char buffer[65536];
  size_t count;
  while ((count = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
    content.append(buffer, count);
  }
  return std::ferror(file.get()) == 0;
}

void loadCountries(xmlNodePtr root) {
  ParserTables& t = tables();
  xmlNodePtr countries = firstChildNamed(root, "COUNTRIES");
  for (xmlNodePtr country = firstChildNamed(countries, "COUNTRY"); country != nullptr;
       country = nextElementOfSameName(country)) {
    // A later COUNTRY with the same name replaces the earlier code.
    t.countryCodeByName[NodeAttribute(country, "name", "")] = NodeAttribute(country, "c2", "");
  }
  xmlNodePtr defaultElement = firstChildNamed(countries, "DEFAULTCOUNTRY");
  t.defaultCountry = defaultElement == nullptr ? "" : NodeAttribute(defaultElement, "name", "");
  if (t.defaultCountry.empty()) t.defaultCountry = kFallbackCountry;
}

void loadRegions(xmlNodePtr root) {
  std::map<int32_t, Region> regionsById;
  for (xmlNodePtr element = firstChildNamed(firstChildNamed(root, "REGIONS"), "REGION");
       element != nullptr; element = nextElementOfSameName(element)) {
    Region region;
    region.name = NodeAttribute(element, "name", "");
    region.priority = cmn::TextToInt(NodeAttribute(element, "priority", ""));
    region.base = cmn::TextToInt(NodeAttribute(element, "base", ""));
    // The first REGION with a given id wins.
    regionsById.try_emplace(cmn::TextToInt(NodeAttribute(element, "id", "")), std::move(region));
  }
  // Bases are followed one step only. A base naming no region adds nothing, so a
  // country mapped to that region resolves to the default country.
  std::map<std::string, std::string>& bases = tables().regionBaseByName;
  for (const auto& [id, region] : regionsById) {
    if (region.base == 0) {
      bases[region.name] = region.name;
      continue;
    }
    auto base = regionsById.find(region.base);
    if (base != regionsById.end()) bases[region.name] = base->second.name;
  }
}

void loadRuleSets(xmlNodePtr root) {
  for (xmlNodePtr element = firstChildNamed(root, "RULESET"); element != nullptr;
       element = nextElementOfSameName(element)) {
    const std::string code = NodeAttribute(element, "c2", "");
    RuleList rules;
    loadRuleGroup(element, false, rules);
    loadRuleGroup(element, true, rules);
    RuleSet& ruleSet = tables().ruleSets[code];
    ruleSet.rules = std::move(rules);  // a later RULESET for the code replaces the list
    ruleSet.firstContextRule = ruleSet.rules.size();
    for (size_t position = 0; position < ruleSet.rules.size(); ++position) {
      if (ruleSet.rules[position]->withContext) {
        ruleSet.firstContextRule = position;
        break;
      }
    }
  }
}

}  // namespace

int loadParserConfiguration(const std::string& path) {
  cmn::PathValue filePath;
  cmn::JoinPath(filePath, nullptr, path.c_str(), nullptr);
  const std::string nativePath = cmn::NativePath(filePath);
  std::string content;
  if (!readWholeFile(nativePath, content)) return kConfigCannotOpen;

  // Malformed XML throws from here, naming the file, before any table changes; so
  // does a file that declares entities. An empty file gives no document: every
  // section is then absent, and only the default country is set.
  XMLDoc document;
  document.ParseXML(content.c_str(), content.size(), XMLDoc::Rules::kGeneral, nativePath);
  xmlNodePtr root = document.Root();

  tablesChanged();
  loadCountries(root);
  loadRegions(root);
  for (xmlNodePtr parts = firstChildNamed(root, "ADDRESSPARTS"); parts != nullptr;
       parts = nextElementOfSameName(parts)) {
    loadAddressParts(parts);
  }
  loadRuleSets(root);
  tablesChanged();
  return kConfigOk;
}

void freeParserConfiguration() {
  ParserTables& t = tables();
  for (auto& [code, ruleSet] : t.ruleSets) {
    ruleSet.rules.clear();
    ruleSet.firstContextRule = 0;
  }
  t.defaultCountry.clear();
  tablesChanged();
}

void clearParserConfiguration() {
  ParserTables& t = tables();
  t.countryCodeByName.clear();
  t.regionBaseByName.clear();
  t.ruleSets.clear();
  t.defaultCountry.clear();
  clearWordLists();
  tablesChanged();
}

std::string resolveCountryCode(const std::string& country) {
  thread_local RememberedAnswer<std::string> remembered;
  const uint64_t generation = tablesGeneration();
  if (!remembered.holdsFor(country, generation)) {
    remembered.remember(country, generation, searchCountryCode(country));
  }
  return remembered.answer;
}

const RuleSet* findRuleSet(const std::string& code) {
  thread_local RememberedAnswer<const RuleSet*> remembered;
  const uint64_t generation = tablesGeneration();
  if (!remembered.holdsFor(code, generation)) {
    const auto& sets = tables().ruleSets;
    auto found = sets.find(code);
    remembered.remember(code, generation, found == sets.end() ? nullptr : &found->second);
  }
  return remembered.answer;
}

const std::map<std::string, std::string>& countryCodeByName() { return tables().countryCodeByName; }
const std::map<std::string, std::string>& regionBaseByName() { return tables().regionBaseByName; }
const std::map<std::string, RuleSet>& ruleSets() { return tables().ruleSets; }
const std::string& defaultCountry() { return tables().defaultCountry; }

}  // namespace addr
