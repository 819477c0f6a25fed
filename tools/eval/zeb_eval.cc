// zeb_eval: runs the address parser over labelled records and writes the fields the
// plug-in would write back, for the scorer (score.py) to compare with the labels.
//
//   zeb_eval --config addressParserMetaData.xml --input dev.jsonl --output pred.jsonl
//   zeb_eval --config addressParserMetaData.xml --check
//
// Each input line is a JSON object with at least "id" and "line"; "city", "zip" and
// "country" are used when present (a record without "country" is taken as "US").
// The output has one object per record: id, STR_NUM, STR_NAME, UNIT_TYPE, UNIT_NUM,
// PREDIR, SUFFIX, POSTDIR. A post-office box with no unit gives UNIT_TYPE "POB" and
// the box number, as record processing does.
//
// --check compiles every rule condition of the configuration and reports words that
// are no condition keyword and keywords that need a meaning but name none; it exits
// 1 when there is any. Tested through tests/config (the accuracy and check tests).
#include <cstdio>
#include <exception>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "addressparser/address_record.h"
#include "addressparser/condition_compiler.h"
#include "addressparser/parse_driver.h"
#include "addressparser/parser_config.h"

namespace {

struct Options {
  std::string configPath;
  std::string inputPath;
  std::string outputPath;
  bool check = false;
};

int usage() {
  std::cerr << "usage: zeb_eval --config FILE (--check | --input FILE.jsonl --output FILE.jsonl)\n";
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

// The four fields record processing writes back, plus the informational ones.
nlohmann::json predictionFor(const addr::AddressRecord& record) {
  std::string unitType = record.unitLabel;
  std::string unitNumber = record.unitNumber;
  if (unitType.empty() && unitNumber.empty() && !record.poBoxType.empty()) {
    unitType = "POB";
    unitNumber = record.poBoxNumber;
  }
  return {{"STR_NUM", record.streetNumber},     {"STR_NAME", record.streetName},
          {"UNIT_TYPE", unitType},              {"UNIT_NUM", unitNumber},
          {"PREDIR", record.preDirectional},    {"SUFFIX", record.suffix},
          {"POSTDIR", record.postDirectional}};
}

int runRecords(const Options& options) {
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
    addr::AddressRecord record;
    record.addressLine1 = textField(gold, "line");
    record.city = textField(gold, "city");
    record.postalCode = textField(gold, "zip");
    record.country = textField(gold, "country");
    if (record.country.empty()) record.country = "US";
    addr::parseAddress(record);
    nlohmann::json prediction = predictionFor(record);
    prediction["id"] = textField(gold, "id");
    output << prediction.dump() << "\n";
    ++records;
  }
  std::cerr << "zeb_eval: " << records << " records parsed\n";
  return 0;
}

// Compiles every condition; a rule file that names a word that is no keyword would
// otherwise only ever evaluate that part false, silently.
int checkConditions() {
  size_t problems = 0;
  size_t rules = 0;
  for (const auto& [code, ruleSet] : addr::ruleSets()) {
    for (const auto& rule : ruleSet.rules) {
      ++rules;
      auto report = [&](const std::string& what) {
        ++problems;
        std::cout << code << " rule [" << rule->name << "]: " << what << "\n";
      };
      if (rule->condition.find_first_not_of(' ') == std::string::npos) continue;
      try {
        std::unique_ptr<addr::ConditionNode> tree = addr::compileCondition(rule->condition);
        for (const std::string& word : addr::unknownKeywords(*tree))
          report("no such condition keyword [" + word + "]");
        for (const std::string& term : addr::termsMissingMeaning(*tree))
          report("keyword without its meaning [" + term + "]");
      } catch (const std::exception& e) {
        report(std::string("does not compile: ") + e.what());
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
    if (addr::loadParserConfiguration(options.configPath) != addr::kConfigOk) {
      std::cerr << "zeb_eval: cannot open configuration [" << options.configPath << "]\n";
      return 1;
    }
    return options.check ? checkConditions() : runRecords(options);
  } catch (const std::exception& e) {
    std::cerr << "zeb_eval: " << e.what() << "\n";
    return 1;
  }
}
