// "zebparse check": loads a parser configuration and reports what would misbehave
// quietly at run time: conditions that do not compile, unknown keywords, set /
// setNext / eliminate names that are no meaning (addr::checkRule), rule sets without
// rules and countries that map to no region. Every RULESET of the file is checked,
// in file order, also one that a later RULESET of the same country replaces.
// Tested end to end by tests/tools/zebparse_test.cc.
#include <cstdio>
#include <iostream>
#include <string>

#include "addressparser/address_parser.h"
#include "common/terminal_text.h"
#include "tools/zebparse/command_line.h"
#include "tools/zebparse/commands.h"
#include "tools/zebparse/parser_session.h"
#include "tools/zebparse/record_formats.h"

namespace zebparse {
namespace {

constexpr const char* kCheckUsage =
    "usage: zebparse check [--support-dir DIR]\n"
    "\n"
    "Loads addressParserMetaData.xml from the support directory and reports every\n"
    "condition that does not compile, every unknown keyword, every set, setNext or\n"
    "eliminate name that is no meaning, every rule set without rules and every\n"
    "country that maps to no region. Exit status 1 when it found an error (an empty\n"
    "configuration file is one).\n";

void checkRule(const addr::RuleText& rule, const std::string& code, ConfigReport& report) {
  const std::string where = code + " rule [" + rule.name + "]";
  for (const addr::RuleProblem& problem : addr::checkRule(rule)) {
    const std::string& item = problem.item;
    switch (problem.kind) {
      case addr::RuleProblem::kDoesNotCompile:
        report.error(where, "condition [" + rule.condition + "] does not compile: " + item);
        break;
      case addr::RuleProblem::kUnknownKeyword:
        report.error(where, "unknown keyword [" + item + "] (always false)");
        break;
      case addr::RuleProblem::kTermMissingMeaning:
        report.warning(where, "[" + item + "] names no meaning, so it tests UNKNOWN");
        break;
      case addr::RuleProblem::kSetIsNoMeaning:
        report.error(where, "set [" + item + "] is no meaning");
        break;
      case addr::RuleProblem::kSetNextIsNoMeaning:
        report.error(where, "setNext [" + item + "] is no meaning");
        break;
      case addr::RuleProblem::kEliminateIsNoMeaning:
        report.error(where, "eliminate [" + item + "] is no meaning");
        break;
    }
  }
}

}  // namespace

void ConfigReport::error(const std::string& where, const std::string& what) {
  lines.push_back("error: " + cmn::EscapeForTerminal(where, kMessageMaxBytes) + ": " +
                  cmn::EscapeForTerminal(what, kMessageMaxBytes));
  ++errors;
}

void ConfigReport::warning(const std::string& where, const std::string& what) {
  lines.push_back("warning: " + cmn::EscapeForTerminal(where, kMessageMaxBytes) + ": " +
                  cmn::EscapeForTerminal(what, kMessageMaxBytes));
  ++warnings;
}

void checkConfiguration(const addr::AddressParser& parser, ConfigReport& report) {
  for (const auto& ruleSet : parser.ruleSetsAsRead()) {
    for (const addr::RuleText* rule : ruleSet.rules) checkRule(*rule, ruleSet.code, report);
    if (ruleSet.rules.empty()) report.error(ruleSet.code + " rule set", "has no rules");
  }

  const auto& regions = parser.regionBaseByName();
  const std::string& defaultCountry = parser.defaultCountry();
  for (const auto& [name, code] : parser.countryCodeByName()) {
    auto region = regions.find(code);
    if (code.empty() || region == regions.end() || region->second.empty()) {
      report.error("country [" + name + "]", "maps to code [" + code +
                                                 "], which is no region; its records use the "
                                                 "default country " +
                                                 defaultCountry);
    }
  }
  if (regions.find(defaultCountry) == regions.end()) {
    report.warning("default country [" + defaultCountry + "]", "is no region");
  }
  if (!parser.hasRuleSet(defaultCountry)) {
    report.warning("default country [" + defaultCountry + "]", "has no rule set");
  }
}

int checkCommand(int argc, char** argv) {
  Arguments args;
  std::string error;
  if (!parseArguments(argc, argv, 2, {"--support-dir"}, {"--help"}, args, error)) {
    return usageError("check", error);
  }
  if (args.flags.count("--help") != 0) {
    std::cout << kCheckUsage;
    return kExitOk;
  }
  if (!args.positional.empty()) {
    return usageError("check", "unexpected argument [" + args.positional[0] + "]");
  }
  std::string configPath;
  addr::AddressParserPtr parser;
  if (!loadParserSession(supportDirectoryOption(args.values["--support-dir"]), configPath, parser,
                         error)) {
    std::printf("error: %s\n", cmn::EscapeForTerminal(error, kMessageMaxBytes).c_str());
    return kExitRecordsFailed;
  }
  ConfigReport report;
  checkConfiguration(*parser, report);
  for (const std::string& line : report.lines) std::printf("%s\n", line.c_str());
  std::printf("%s: %d error%s, %d warning%s\n", configPath.c_str(), report.errors,
              report.errors == 1 ? "" : "s", report.warnings, report.warnings == 1 ? "" : "s");
  return report.errors == 0 ? kExitOk : kExitRecordsFailed;
}

}  // namespace zebparse
