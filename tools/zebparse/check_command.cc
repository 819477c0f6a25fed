// "zebparse check": loads a parser configuration and reports what would misbehave
// quietly at run time: conditions that do not compile, unknown keywords, set /
// setNext / eliminate names that are no meaning, rule sets without rules and
// countries that map to no region. The rule attributes are re-read from the XML,
// because the loaded rules keep only the converted meanings, not the text written.
// Tested end to end by tests/tools/zebparse_test.cc.
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "addressparser/condition_compiler.h"
#include "addressparser/parser_config.h"
#include "addressparser/token.h"
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

bool named(xmlNodePtr node, const char* name) {
  return node != nullptr && node->type == XML_ELEMENT_NODE &&
         xmlStrEqual(node->name, reinterpret_cast<const xmlChar*>(name));
}

std::vector<xmlNodePtr> childrenNamed(xmlNodePtr parent, const char* name) {
  std::vector<xmlNodePtr> found;
  if (parent == nullptr) return found;
  for (xmlNodePtr child = parent->children; child != nullptr; child = child->next) {
    if (named(child, name)) found.push_back(child);
  }
  return found;
}

std::string attribute(xmlNodePtr node, const char* name) {
  xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
  std::string text = value != nullptr ? reinterpret_cast<const char*>(value) : "";
  xmlFree(value);
  return text;
}

// Names and conditions come from the configuration file: they are shown escaped.
class Report {
 public:
  void error(const std::string& where, const std::string& what) {
    std::printf("error: %s: %s\n", cmn::EscapeForTerminal(where, kMessageMaxBytes).c_str(),
                cmn::EscapeForTerminal(what, kMessageMaxBytes).c_str());
    ++errors;
  }
  void warning(const std::string& where, const std::string& what) {
    std::printf("warning: %s: %s\n", cmn::EscapeForTerminal(where, kMessageMaxBytes).c_str(),
                cmn::EscapeForTerminal(what, kMessageMaxBytes).c_str());
    ++warnings;
  }
  int errors = 0;
  int warnings = 0;
};

void checkRule(xmlNodePtr rule, const std::string& code, Report& report) {
  std::string name = attribute(rule, "name");
  std::string where = code + " rule [" + name + "]";
  std::string condition = attribute(rule, "condition");
  try {
    std::unique_ptr<addr::ConditionNode> tree = addr::compileCondition(condition);
    if (tree) {
      for (const std::string& keyword : addr::unknownKeywords(*tree)) {
        report.error(where, "unknown keyword [" + keyword + "] (always false)");
      }
      for (const std::string& term : addr::termsMissingMeaning(*tree)) {
        report.warning(where, "[" + term + "] names no meaning, so it tests UNKNOWN");
      }
    }
  } catch (const std::exception& e) {
    report.error(where, "condition [" + condition + "] does not compile: " + e.what());
  }
  for (const char* key : {"set", "setNext"}) {
    std::string value = attribute(rule, key);
    if (!value.empty() && addr::meaningFromName(value) == addr::UNKNOWN) {
      report.error(where, std::string(key) + " [" + value + "] is no meaning");
    }
  }
  std::string eliminate = attribute(rule, "eliminate");
  size_t start = 0;
  while (start <= eliminate.size()) {
    size_t comma = eliminate.find(',', start);
    if (comma == std::string::npos) comma = eliminate.size();
    std::string piece = eliminate.substr(start, comma - start);
    if (!piece.empty() && addr::meaningFromName(piece) == addr::UNKNOWN) {
      report.error(where, "eliminate [" + piece + "] is no meaning");
    }
    start = comma + 1;
  }
}

}  // namespace

int checkCommand(int argc, char** argv) {
  Arguments args;
  std::string error;
  if (!parseArguments(argc, argv, 2, {"--support-dir"}, {"--help"}, args, error)) {
    std::cerr << "zebparse check: " << error << "\n" << kCheckUsage;
    return kExitUsage;
  }
  if (args.flags.count("--help") != 0) {
    std::cout << kCheckUsage;
    return kExitOk;
  }
  if (!args.positional.empty()) {
    std::cerr << "zebparse check: unexpected argument [" << args.positional[0] << "]\n"
              << kCheckUsage;
    return kExitUsage;
  }
  std::string configPath;
  if (!loadParserSession(supportDirectoryOption(args.values["--support-dir"]), configPath, error)) {
    std::printf("error: %s\n", cmn::EscapeForTerminal(error, kMessageMaxBytes).c_str());
    return kExitRecordsFailed;
  }
  xmlDocPtr doc = xmlReadFile(configPath.c_str(), nullptr,
                              XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (doc == nullptr) {
    std::printf("error: cannot re-read [%s]\n", configPath.c_str());
    return kExitRecordsFailed;
  }
  Report report;
  xmlNodePtr root = xmlDocGetRootElement(doc);
  for (xmlNodePtr ruleSet : childrenNamed(root, "RULESET")) {
    std::string code = attribute(ruleSet, "c2");
    size_t ruleCount = 0;
    for (const char* group : {"NOCONTEXT", "WITHCONTEXT"}) {
      std::vector<xmlNodePtr> groups = childrenNamed(ruleSet, group);
      if (groups.empty()) continue;
      for (xmlNodePtr rule : childrenNamed(groups.front(), "RULE")) {
        ++ruleCount;
        checkRule(rule, code, report);
      }
    }
    if (ruleCount == 0) report.error(code + " rule set", "has no rules");
  }
  xmlFreeDoc(doc);

  const auto& regions = addr::regionBaseByName();
  for (const auto& [name, code] : addr::countryCodeByName()) {
    auto region = regions.find(code);
    if (code.empty() || region == regions.end() || region->second.empty()) {
      report.error("country [" + name + "]", "maps to code [" + code +
                                                 "], which is no region; its records use the "
                                                 "default country " +
                                                 addr::defaultCountry());
    }
  }
  if (regions.find(addr::defaultCountry()) == regions.end()) {
    report.warning("default country [" + addr::defaultCountry() + "]", "is no region");
  }
  if (addr::findRuleSet(addr::defaultCountry()) == nullptr) {
    report.warning("default country [" + addr::defaultCountry() + "]", "has no rule set");
  }
  std::printf("%s: %d error%s, %d warning%s\n", configPath.c_str(), report.errors,
              report.errors == 1 ? "" : "s", report.warnings, report.warnings == 1 ? "" : "s");
  return report.errors == 0 ? kExitOk : kExitRecordsFailed;
}

}  // namespace zebparse
