// "zebparse explain": why an address parsed as it did. The parser runs in-process
// with a trace observer that prints each step: the resolved country, the
// normalised text, care-of lines set aside, the tokens, each token's candidates
// after narrowing, every rule that fired (name and condition) in the context-free
// pass and each context pass, the merges, and the final fields.
// Tested end to end by tests/tools/zebparse_test.cc.
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>

#include "addressparser/address_parser.h"
#include "tools/zebparse/command_line.h"
#include "tools/zebparse/commands.h"
#include "tools/zebparse/parser_session.h"

namespace zebparse {
namespace {

constexpr const char* kExplainUsage =
    "usage: zebparse explain [--support-dir DIR] [--country CODE] LINE [LINE2 [LINE3]]\n"
    "\n"
    "Shows how one address is parsed: the resolved country, the normalised text, the\n"
    "tokens and their candidate meanings, every rule that fired in each pass, the\n"
    "merges of neighbouring tokens and the final fields.\n";

// "STREETNUM" when settled, else the candidates "STREETNAME|SUFFIX", or "-".
std::string meaningText(const addr::AddressToken& token) {
  if (token.meaning != addr::UNKNOWN) return addr::meaningName(token.meaning);
  std::string text;
  for (uint32_t m = 0; m < addr::kCandidateCount; ++m) {
    auto meaning = static_cast<addr::TokenMeaning>(m);
    if (!token.isCandidate(meaning)) continue;
    if (!text.empty()) text += '|';
    text += addr::meaningName(meaning);
  }
  return text.empty() ? "-" : text;
}

std::string passName(int pass) {
  return pass == addr::kContextFreePass ? "context-free pass"
                                        : "context pass " + std::to_string(pass);
}

class ExplainTrace : public addr::ParseTrace {
 public:
  void countryResolved(const std::string& recordCountry, const std::string& code) override {
    std::printf("country: [%s] -> %s\n", recordCountry.c_str(), code.c_str());
  }
  void localityFound(const std::string& line, const addr::LocalityParts& parts) override {
    std::printf("locality at the end of: %s\n", line.c_str());
    if (!parts.country.empty())
      std::printf("  country:     %s (a country name)\n", parts.country.c_str());
    if (!parts.postcode.empty())
      std::printf("  postal code: %s (a postcode shape)\n", parts.postcode.c_str());
    if (!parts.region.empty()) {
      std::printf("  region:      %s (region table: %s)\n", parts.region.c_str(),
                  parts.regionStandard.c_str());
    }
    if (!parts.city.empty())
      std::printf("  city:        %s (%s)\n", parts.city.c_str(), parts.cityFoundBy.c_str());
    if (parts.streetBegin > 0) {
      std::printf("  name before the street: %s\n", line.substr(0, parts.streetBegin).c_str());
    }
    std::printf("  street part: %s\n",
                line.substr(parts.streetBegin, parts.streetBytes - parts.streetBegin).c_str());
  }
  void careOfLineSetAside(const std::string& line) override {
    std::printf("care-of line set aside: %s\n", line.c_str());
  }
  void addressText(const std::string& normalisedText) override {
    std::printf("normalised text: %s\n", normalisedText.c_str());
  }
  void tokenised(const addr::TokenList& tokens) override {
    std::printf("tokens:");
    for (size_t i = 0; i < tokens.size(); ++i) {
      std::printf(" [%zu] %s", i, tokens[i]->text.c_str());
    }
    std::printf("\n");
  }
  void discarded(const addr::AddressToken& token) override {
    std::printf("discarded: %s\n", token.text.c_str());
  }
  void ruleSetFound(const std::string& code, size_t ruleCount) override {
    if (ruleCount == 0) {
      std::printf("rule set: none for %s, no rules run\n", code.c_str());
    } else {
      std::printf("rule set: %s, %zu rules\n", code.c_str(), ruleCount);
    }
  }
  void narrowed(size_t tokenIndex, const addr::AddressToken& token) override {
    showPass(addr::kContextFreePass);
    std::printf("  [%zu] %-16s candidates after narrowing: %s\n", tokenIndex, token.text.c_str(),
                meaningText(token).c_str());
  }
  void ruleFired(int pass, size_t tokenIndex, const addr::RuleText& rule, bool endedGroup,
                 const addr::TokenList& tokens) override {
    showPass(pass);
    const addr::AddressToken& token = *tokens[tokenIndex];
    std::printf("  [%zu] %-16s rule %s (%s) -> %s%s\n", tokenIndex, token.text.c_str(),
                rule.name.empty() ? "(unnamed)" : rule.name.c_str(),
                rule.condition.empty() ? "always" : rule.condition.c_str(),
                meaningText(token).c_str(), endedGroup ? ", ends the token's rules" : "");
  }
  void merged(int pass, size_t tokenIndex, const addr::AddressToken& joined,
              std::string_view removedText) override {
    showPass(pass);
    std::printf("  merged [%zu] with \"%.*s\" -> \"%s\" %s\n", tokenIndex,
                static_cast<int>(removedText.size()), removedText.data(), joined.text.c_str(),
                meaningText(joined).c_str());
  }
  void passEnd(int pass, const addr::TokenList& tokens, bool allSettled) override {
    showPass(pass);
    std::printf("  after the pass:");
    for (const auto& token : tokens) {
      std::printf(" %s:%s", token->text.c_str(), meaningText(*token).c_str());
    }
    std::printf("%s\n", allSettled ? " (all settled)" : "");
  }
  void assembled(const addr::TokenList&, const addr::AddressRecord& record) override {
    std::printf("fields:\n");
    const std::pair<const char*, const std::string*> fields[] = {
        {"street number", &record.streetNumber},
        {"pre-directional", &record.preDirectional},
        {"prefix", &record.prefix},
        {"street name", &record.streetName},
        {"suffix", &record.suffix},
        {"post-directional", &record.postDirectional},
        {"building side", &record.buildingSide},
        {"unit label", &record.unitLabel},
        {"unit number", &record.unitNumber},
        {"unit side", &record.unitSide},
        {"PO box type", &record.poBoxType},
        {"PO box number", &record.poBoxNumber},
        {"rural route label", &record.rrhcLabel},
        {"rural route number", &record.rrhcNumber},
        {"rural route box", &record.rrhcBoxNumber},
    };
    for (const auto& [label, value] : fields) {
      if (!value->empty()) std::printf("  %-20s %s\n", label, value->c_str());
    }
  }

 private:
  void showPass(int pass) {
    if (pass == shownPass_) return;
    shownPass_ = pass;
    std::printf("%s:\n", passName(pass).c_str());
  }
  int shownPass_ = -1;
};

}  // namespace

int explainCommand(int argc, char** argv) {
  Arguments args;
  std::string error;
  if (!parseArguments(argc, argv, 2, {"--support-dir", "--country"}, {"--help"}, args, error)) {
    return usageError("explain", error);
  }
  if (args.flags.count("--help") != 0) {
    std::cout << kExplainUsage;
    return kExitOk;
  }
  if (args.positional.empty() || args.positional.size() > 3) {
    return usageError("explain", "give one to three address lines");
  }
  std::string configPath;
  addr::AddressParserPtr parser;
  if (!loadParserSession(supportDirectoryOption(args.values["--support-dir"]), configPath, parser,
                         error)) {
    std::cerr << "zebparse: " << error << "\n";
    return kExitUsage;
  }
  addr::AddressRecord record;
  std::string* lines[] = {&record.addressLine1, &record.addressLine2, &record.addressLine3};
  for (size_t i = 0; i < args.positional.size(); ++i) *lines[i] = args.positional[i];
  record.country = args.values["--country"];
  std::printf("configuration: %s\n", configPath.c_str());
  ExplainTrace trace;
  try {
    parser->parse(record, &trace);
  } catch (const std::exception& e) {
    std::fflush(stdout);
    std::cerr << "zebparse: the parse failed: " << e.what() << "\n";
    return kExitRecordsFailed;
  }
  return kExitOk;
}

}  // namespace zebparse
