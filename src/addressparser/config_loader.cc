// The configuration loader: reads the configuration XML (a file, or text in memory)
// into ParserTables and builds the ParserConfig. Tested by parser_config_test.cc.
//
// A load on top of another configuration starts from a copy of the other's tables
// and only adds and replaces entries, so a second load merges key by key. Parsing
// the XML comes first: a malformed document throws before any table is read.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <utility>

#include "addressparser/config_xml.h"
#include "addressparser/locality_loader.h"
#include "addressparser/parser_config.h"
#include "common/os.h"
#include "common/path.h"
#include "common/string_util.h"
#include "xml/xml_doc.h"

namespace addr {
namespace {

const char* const kFallbackCountry = "US";

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
  std::unique_ptr<std::FILE, FileCloser> file(cmn::openStdioFile(nativePath, "rb"));
  if (!file) return false;
  content.clear();
  char buffer[65536];
  size_t count;
  while ((count = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
    content.append(buffer, count);
  }
  return std::ferror(file.get()) == 0;
}

void loadCountries(xmlNodePtr root, ParserTables& t) {
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

void loadRegions(xmlNodePtr root, ParserTables& t) {
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
  std::map<std::string, std::string>& bases = t.regionBaseByName;
  for (const auto& [id, region] : regionsById) {
    if (region.base == 0) {
      bases[region.name] = region.name;
      continue;
    }
    auto base = regionsById.find(region.base);
    if (base != regionsById.end()) bases[region.name] = base->second.name;
  }
}

// What one list element of ADDRESSPARTS is read into. The order is the order of
// reading; STICKY_SUFFIX is read twice.
enum class Target { kWordList, kStickySuffixIntoSuffix, kStickySuffixes, kCareOf };
struct ListLayout {
  const char* element;
  Target target;
  ListKind kind;  // for kWordList
};
constexpr ListLayout kListLayouts[] = {
    {"PREFIX", Target::kWordList, ListKind::kPrefix},
    {"SUFFIX", Target::kWordList, ListKind::kSuffix},
    {"STICKY_SUFFIX", Target::kStickySuffixIntoSuffix, ListKind::kSuffix},
    {"STICKY_SUFFIX", Target::kStickySuffixes, ListKind::kSuffix},
    {"BUILDINGSIDE", Target::kWordList, ListKind::kBuildingSide},
    {"UNITSIDE", Target::kWordList, ListKind::kUnitSide},
    {"BUILDINGTYPE", Target::kWordList, ListKind::kBuildingType},
    {"COUNTY", Target::kWordList, ListKind::kCounty},
    {"DISCARD", Target::kWordList, ListKind::kDiscard},
    {"POBOX", Target::kWordList, ListKind::kPoBox},
    {"UNITLABEL", Target::kWordList, ListKind::kUnitLabel},
    {"DIRECTIONAL", Target::kWordList, ListKind::kDirectional},
    {"RURAL", Target::kWordList, ListKind::kRural},
    {"CAREOF", Target::kCareOf, ListKind::kSuffix},
};

// Fills `list` from the PART children of `listElement`; equal words (ignoring case)
// keep the first text and take the latest standard form.
void readParts(xmlNodePtr listElement, WordList& list) {
  for (xmlNodePtr part = firstChildNamed(listElement, "PART"); part != nullptr;
       part = nextElementOfSameName(part)) {
    list.set(NodeAttribute(part, "data", ""), NodeAttribute(part, "std", ""));
  }
}

std::vector<std::string> readSequence(xmlNodePtr listElement) {
  std::vector<std::string> words;
  for (xmlNodePtr part = firstChildNamed(listElement, "PART"); part != nullptr;
       part = nextElementOfSameName(part)) {
    words.push_back(NodeAttribute(part, "data", ""));
  }
  return words;
}

// Loads one ADDRESSPARTS element. Each list element replaces the country's list of
// that kind; the STICKY_SUFFIX words are added to the country's SUFFIX list (after
// this element's own SUFFIX list, if any, has replaced it).
void loadAddressParts(xmlNodePtr addressParts, ParserTables& t) {
  const std::string code = NodeAttribute(addressParts, "c2", "");
  for (const ListLayout& layout : kListLayouts) {
    xmlNodePtr listElement = firstChildNamed(addressParts, layout.element);
    // A missing list element leaves whatever an earlier ADDRESSPARTS stored.
    if (listElement == nullptr) continue;
    switch (layout.target) {
      case Target::kWordList: {
        // A list element without PART stores an empty list, which hides the "US"
        // fallback for this country.
        WordList list;
        readParts(listElement, list);
        t.wordLists[static_cast<size_t>(layout.kind)][code] = std::move(list);
        break;
      }
      case Target::kStickySuffixIntoSuffix:
        // Added to the country's suffixes rather than replacing them, so that a
        // country keeps its ordinary street types next to the split-off ones.
        readParts(listElement, t.wordLists[static_cast<size_t>(ListKind::kSuffix)][code]);
        break;
      case Target::kStickySuffixes:
        t.stickySuffixes[code] = readSequence(listElement);
        break;
      case Target::kCareOf:
        t.careOfWords[code] = readSequence(listElement);
        break;
    }
  }
}

void loadRuleSets(xmlNodePtr root, ParserTables& t) {
  for (xmlNodePtr element = firstChildNamed(root, "RULESET"); element != nullptr;
       element = nextElementOfSameName(element)) {
    const std::string code = NodeAttribute(element, "c2", "");
    auto ruleSet = std::make_shared<RuleSet>();
    loadRuleGroup(element, false, ruleSet->rules);
    loadRuleGroup(element, true, ruleSet->rules);
    ruleSet->firstContextRule = ruleSet->rules.size();
    for (size_t position = 0; position < ruleSet->rules.size(); ++position) {
      if (ruleSet->rules[position]->withContext) {
        ruleSet->firstContextRule = position;
        break;
      }
    }
    t.ruleSets[code] = ruleSet;  // a later RULESET for the code replaces the list
    t.ruleSetsAsRead.emplace_back(code, std::move(ruleSet));
  }
}

AddressParserPtr buildFromText(std::string_view xml, const AddressParser* base,
                               std::string_view documentName) {
  // Malformed XML throws from here, naming the document, before any table is read;
  // so does a document that declares entities. Empty text gives no document: every
  // section is then absent, and only the default country is set.
  XMLDoc document;
  document.ParseXML(xml.data(), xml.size(), XMLDoc::Rules::kGeneral, documentName);
  xmlNodePtr root = document.Root();

  ParserTables tables;
  if (base != nullptr) tables = configOf(*base).tables();
  loadCountries(root, tables);
  loadRegions(root, tables);
  for (xmlNodePtr parts = firstChildNamed(root, "ADDRESSPARTS"); parts != nullptr;
       parts = nextElementOfSameName(parts)) {
    loadAddressParts(parts, tables);
  }
  // A later LOCALITY for a code replaces the earlier one whole.
  for (xmlNodePtr element = firstChildNamed(root, "LOCALITY"); element != nullptr;
       element = nextElementOfSameName(element)) {
    LocalityData locality;
    loadLocality(element, locality);
    tables.localities[NodeAttribute(element, "c2", "")] = std::move(locality);
  }
  loadRuleSets(root, tables);
  return std::make_shared<const ParserConfig>(std::move(tables));
}

}  // namespace

int AddressParser::load(const std::string& path, AddressParserPtr& parser,
                        const AddressParser* base) {
  cmn::PathValue filePath;
  cmn::JoinPath(filePath, nullptr, path.c_str(), nullptr);
  const std::string nativePath = cmn::NativePath(filePath);
  std::string content;
  if (!readWholeFile(nativePath, content)) return kConfigCannotOpen;
  parser = buildFromText(content, base, nativePath);
  return kConfigOk;
}

AddressParserPtr AddressParser::fromText(std::string_view xml, const AddressParser* base,
                                         std::string_view documentName) {
  return buildFromText(xml, base, documentName);
}

AddressParserPtr AddressParser::empty() {
  return std::make_shared<const ParserConfig>(ParserTables());
}

}  // namespace addr
