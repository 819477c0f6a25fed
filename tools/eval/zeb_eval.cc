// zeb_eval: runs labelled records through the plug-in's record processing and writes
// the fields it writes back, for the scorer (score.py) to compare with the labels.
//
//   zeb_eval --config addressParserMetaData.xml --input dev.jsonl --output pred.jsonl
//            [--form split|joined|raw]
//   zeb_eval --config addressParserMetaData.xml --check
//
// Each input line is a JSON object with at least "id" and "line"; "city", "state",
// "zip", "raw" and "country" are used when present (a record without "country" is
// taken as "US"). Each becomes a record document that goes through
// plugin::ProcessRecord with stand-in host services, which only the derived elements
// use. The form says what the document holds: ADDR1 = line, CITY, POSTAL_CODE
// (split, the default); ADDR1 = "line, city, state zip" (joined); ADDR1 = raw (raw);
// and COUNTRY. The output has one object per record: id, the first STR_NUM,
// STR_NAME, UNIT_TYPE and UNIT_NUM of the result document (empty when the record
// fails), for the one-line forms its CITY, STATE and POSTAL_CODE, and the parsed
// PREDIR, SUFFIX and POSTDIR, which the scorer reports for information.
//
// --check compiles every rule condition of the configuration and reports words that
// are no condition keyword and keywords that need a meaning but name none; it exits
// 1 when there is any. Tested through tests/config (the accuracy and check tests).
#include <cstdint>
#include <cstring>
#include <exception>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "addressparser/address_parser.h"
#include "plugin/record_processing.h"
#include "xml/single_line_writer.h"
#include "xml/xml_doc.h"

namespace {

struct Options {
  std::string configPath;
  std::string inputPath;
  std::string outputPath;
  std::string form = "split";
  bool check = false;
};

int usage() {
  std::cerr << "usage: zeb_eval --config FILE (--check | --input FILE.jsonl --output FILE.jsonl\n"
               "                [--form split|joined|raw])\n";
  return 2;
}

bool parseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](std::string& into) {
      if (i + 1 >= argc) return false;
      into = argv[++i];
      return true;
    };
    if (arg == "--config") {
      if (!value(options.configPath)) return false;
    } else if (arg == "--input") {
      if (!value(options.inputPath)) return false;
    } else if (arg == "--output") {
      if (!value(options.outputPath)) return false;
    } else if (arg == "--form") {
      if (!value(options.form)) return false;
      if (options.form != "split" && options.form != "joined" && options.form != "raw") {
        std::cerr << "zeb_eval: unknown form [" << options.form << "]\n";
        return false;
      }
    } else if (arg == "--check") {
      options.check = true;
    } else {
      std::cerr << "zeb_eval: unknown argument [" << arg << "]\n";
      return false;
    }
  }
  if (options.configPath.empty()) return false;
  return options.check || (!options.inputPath.empty() && !options.outputPath.empty());
}

std::string textField(const nlohmann::json& record, const char* name) {
  auto it = record.find(name);
  if (it == record.end() || !it->is_string()) return "";
  return it->get<std::string>();
}

// Host services for the derived elements, which are not scored: no token data, and
// text kept as it is (cut to fit) for its transliteration and its phonetic code.
unsigned char noTokenInfo(const char*, const char*, TokenInfo*) { return 0; }

void copyText(const char* text, char* out, int32_t outSize) {
  std::strncpy(out, text, static_cast<size_t>(outSize) - 1);
  out[outSize - 1] = '\0';
}

void transliterateAsIs(const char* text, char* out, int32_t outSize, int32_t, int32_t) {
  copyText(text, out, outSize);
}

const plugin::RecordServices kServices = {&noTokenInfo, &transliterateAsIs, &copyText};

// "line, city, state zip" with the empty parts left out.
std::string joinedLine(const nlohmann::json& gold) {
  std::string tail = textField(gold, "state");
  const std::string zip = textField(gold, "zip");
  if (!tail.empty() && !zip.empty()) tail += ' ';
  tail += zip;
  std::string line;
  for (const std::string& part : {textField(gold, "line"), textField(gold, "city"), tail}) {
    if (part.empty()) continue;
    if (!line.empty()) line += ", ";
    line += part;
  }
  return line;
}

std::string recordDocument(const nlohmann::json& gold, const std::string& form) {
  std::string country = textField(gold, "country");
  if (country.empty()) country = "US";
  std::vector<std::pair<const char*, std::string>> elements;
  if (form == "split") {
    elements = {{"ADDR1", textField(gold, "line")},
                {"CITY", textField(gold, "city")},
                {"POSTAL_CODE", textField(gold, "zip")}};
  } else {
    elements = {{"ADDR1", form == "raw" ? textField(gold, "raw") : joinedLine(gold)}};
  }
  elements.emplace_back("COUNTRY", country);
  std::string document = "<STD_BOM><OBS_FEAT>";
  for (const auto& [code, value] : elements) {
    document += std::string("<OBS_FELEM><FELEM_CODE>") + code + "</FELEM_CODE><FELEM_VALUE>";
    xml::AppendEscapedText(document, value.c_str());
    document += "</FELEM_VALUE></OBS_FELEM>";
  }
  return document + "</OBS_FEAT></STD_BOM>";
}

const char* const kScoredCodes[] = {"STR_NUM", "STR_NAME", "UNIT_TYPE", "UNIT_NUM"};

// The first value of each scored code in the result document: the written-back value
// comes before the derived copy of STR_NUM and UNIT_NUM.
void addWrittenBack(const std::string& resultDocument, nlohmann::json& prediction) {
  XMLDoc result;
  result.ParseXML(resultDocument.c_str(), resultDocument.size());
  xmlNodePtr feature = FindChildElement(result.Root(), "OBS_FEAT");
  std::set<std::string> seen;
  for (xmlNodePtr element = FindChildElement(feature, "OBS_FELEM"); element != nullptr;
       element = NextSibling(element)) {
    if (NodeName(element) != "OBS_FELEM") continue;
    std::string code = NodeContent(FindChildElement(element, "FELEM_CODE"), "");
    if (prediction.contains(code) && seen.insert(code).second) {
      prediction[code] = NodeContent(FindChildElement(element, "FELEM_VALUE"), "");
    }
  }
}

int runRecords(const addr::AddressParser& parser, const Options& options) {
  std::ifstream input(options.inputPath);
  if (!input) {
    std::cerr << "zeb_eval: cannot read [" << options.inputPath << "]\n";
    return 1;
  }
  std::ofstream output(options.outputPath);
  if (!output) {
    std::cerr << "zeb_eval: cannot write [" << options.outputPath << "]\n";
    return 1;
  }
  std::string line;
  size_t lineNumber = 0;
  size_t records = 0;
  size_t failures = 0;
  while (std::getline(input, line)) {
    ++lineNumber;
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    nlohmann::json gold;
    try {
      gold = nlohmann::json::parse(line);
    } catch (const nlohmann::json::exception& e) {
      std::cerr << "zeb_eval: " << options.inputPath << ":" << lineNumber << ": " << e.what()
                << "\n";
      return 1;
    }
    nlohmann::json prediction = nlohmann::json::object();
    for (const char* code : kScoredCodes) prediction[code] = "";
    if (options.form != "split") {
      for (const char* code : {"CITY", "STATE", "POSTAL_CODE"}) prediction[code] = "";
    }
    addr::AddressRecord record;
    std::string resultDocument;
    try {
      const char* failure = plugin::ProcessRecord(recordDocument(gold, options.form).c_str(), parser, kServices,
                                                  resultDocument, &record);
      if (failure != nullptr) throw std::runtime_error(failure);
      addWrittenBack(resultDocument, prediction);
    } catch (const std::exception& e) {
      // Scored as the plug-in's failed record: no fields.
      std::cerr << "zeb_eval: " << options.inputPath << ":" << lineNumber << ": " << e.what()
                << "\n";
      ++failures;
    }
    prediction["PREDIR"] = record.preDirectional;
    prediction["SUFFIX"] = record.suffix;
    prediction["POSTDIR"] = record.postDirectional;
    prediction["id"] = textField(gold, "id");
    output << prediction.dump() << "\n";
    ++records;
  }
  std::cerr << "zeb_eval: " << records << " records processed, " << failures << " failed\n";
  return 0;
}

// Compiles every condition; a rule file that names a word that is no keyword would
// otherwise only ever evaluate that part false, silently.
int checkConditions(const addr::AddressParser& parser) {
  size_t problems = 0;
  size_t rules = 0;
  for (const auto& ruleSet : parser.ruleSets()) {
    for (const addr::RuleText* rule : ruleSet.rules) {
      ++rules;
      auto report = [&](const std::string& what) {
        ++problems;
        std::cout << ruleSet.code << " rule [" << rule->name << "]: " << what << "\n";
      };
      for (const addr::RuleProblem& problem : addr::checkRule(*rule)) {
        switch (problem.kind) {
          case addr::RuleProblem::kUnknownKeyword:
            report("no such condition keyword [" + problem.item + "]");
            break;
          case addr::RuleProblem::kTermMissingMeaning:
            report("keyword without its meaning [" + problem.item + "]");
            break;
          case addr::RuleProblem::kDoesNotCompile:
            report("does not compile: " + problem.item);
            break;
          default:
            break;  // meaning names: zebparse check reports those
        }
      }
    }
  }
  std::cout << rules << " rules checked, " << problems << " problems\n";
  return problems == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!parseOptions(argc, argv, options)) return usage();
  try {
    addr::AddressParserPtr parser;
    if (addr::AddressParser::load(options.configPath, parser) != addr::kConfigOk) {
      std::cerr << "zeb_eval: cannot open configuration [" << options.configPath << "]\n";
      return 1;
    }
    return options.check ? checkConditions(*parser) : runRecords(*parser, options);
  } catch (const std::exception& e) {
    std::cerr << "zeb_eval: " << e.what() << "\n";
    return 1;
  }
}
