// Test helpers of the condition, engine and driver tests: token lists written and
// read as text, so that cases compare strings.
//
//   makeTokens("12:STREETNUM MAIN ST:SUFFIX|STREETNAME PO_BOX:POBOXTYPE", "US")
// gives four tokens: "12" with STREETNUM as only candidate, "MAIN" with all 17
// candidates, "ST" with two candidates and "PO BOX" ("_" stands for a blank inside a
// token) with one. "X:" gives a token with no candidate.
//
//   dumpTokens(tokens) == "12:STREETNUM MAIN:? ST:? PO_BOX:POBOXTYPE"
// prints each token's settled meaning, or "?" when it is not settled, without
// recording a meaning on any token. RecordingTrace writes what the engine and the
// parse driver report as one line per event.
#pragma once

#include <algorithm>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "addressparser/address_parser.h"
#include "addressparser/token.h"

namespace addr_test {

// `text` with every `from` replaced by `to`: tokens are written with "_" for a blank.
inline std::string swapped(std::string_view text, char from, char to) {
  std::string out(text);
  std::replace(out.begin(), out.end(), from, to);
  return out;
}

inline addr::TokenList makeTokens(std::string_view written, const std::string& code) {
  addr::TokenList tokens;
  std::istringstream items{std::string(written)};
  for (std::string item; items >> item;) {
    size_t colon = item.rfind(':');
    auto token =
        std::make_unique<addr::AddressToken>(swapped(item.substr(0, colon), '_', ' '), code);
    if (colon != std::string::npos) {
      token->candidates.fill(false);
      std::istringstream names(item.substr(colon + 1));
      for (std::string name; std::getline(names, name, '|');) {
        addr::TokenMeaning m = addr::meaningFromName(name);
        if (m < addr::kCandidateCount) token->candidates[m] = true;
      }
    }
    tokens.push_back(std::move(token));
  }
  return tokens;
}

inline std::string dumpTokens(const addr::TokenList& tokens) {
  std::string out;
  for (const auto& token : tokens) {
    addr::AddressToken copy = *token;  // settledMeaning stores what it settles
    addr::TokenMeaning m = addr::settledMeaning(copy);
    out += (out.empty() ? "" : " ") + swapped(token->text, ' ', '_') + ":" +
           (m == addr::UNKNOWN ? "?" : addr::meaningName(m));
  }
  return out;
}

// The candidates of one token as "PREDIR|POSTDIR", or "-" when there is none.
inline std::string dumpCandidates(const addr::AddressToken& token) {
  std::string out;
  for (size_t m = 0; m < addr::kCandidateCount; ++m) {
    if (!token.candidates[m]) continue;
    if (!out.empty()) out += '|';
    out += addr::meaningName(static_cast<addr::TokenMeaning>(m));
  }
  return out.empty() ? "-" : out;
}

struct RecordingTrace : addr::ParseTrace {
  std::vector<std::string> events;
  int contextPasses = 0;

  void narrowed(size_t index, const addr::AddressToken& token) override {
    events.push_back("narrowed " + std::to_string(index) + " " + dumpCandidates(token));
  }
  void ruleFired(int pass, size_t index, const addr::RuleText& rule, bool endedGroup,
                 const addr::TokenList&) override {
    events.push_back("fired " + std::to_string(pass) + " " + std::to_string(index) + " " +
                     rule.name + (endedGroup ? " ended" : ""));
  }
  void merged(int pass, size_t index, const addr::AddressToken& joined,
              std::string_view removed) override {
    events.push_back("merged " + std::to_string(pass) + " " + std::to_string(index) + " [" +
                     joined.text + "] [" + std::string(removed) + "]");
  }
  void passEnd(int pass, const addr::TokenList& tokens, bool allSettled) override {
    if (pass > 0) ++contextPasses;
    events.push_back("passEnd " + std::to_string(pass) + " " + dumpTokens(tokens) +
                     (allSettled ? " settled" : ""));
  }
  void countryResolved(const std::string& country, const std::string& code) override {
    events.push_back("country [" + country + "] " + code);
  }
  void careOfLineSetAside(const std::string& line) override { events.push_back("care-of " + line); }
  void addressText(const std::string& text) override { events.push_back("text " + text); }
  void tokenised(const addr::TokenList& tokens) override {
    events.push_back("tokens " + dumpTokens(tokens));
  }
  void discarded(const addr::AddressToken& token) override {
    events.push_back("discarded " + token.text);
  }
  void ruleSetFound(const std::string& code, size_t ruleCount) override {
    events.push_back("rules " + code + " " + std::to_string(ruleCount));
  }
  void assembled(const addr::TokenList& tokens, const addr::AddressRecord&) override {
    events.push_back("assembled " + dumpTokens(tokens));
  }
};

}  // namespace addr_test
