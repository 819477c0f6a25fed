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
// recording a meaning on any token.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "addressparser/token.h"

namespace addr_test {

inline std::string underscoresToBlanks(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c == '_') c = ' ';
  }
  return out;
}

inline addr::TokenList makeTokens(std::string_view written, const std::string& code) {
  addr::TokenList tokens;
  size_t start = 0;
  while (start < written.size()) {
    size_t end = written.find(' ', start);
    if (end == std::string_view::npos) end = written.size();
    std::string_view item = written.substr(start, end - start);
    start = end + 1;
    if (item.empty()) continue;
    size_t colon = item.rfind(':');
    auto token =
        std::make_unique<addr::AddressToken>(underscoresToBlanks(item.substr(0, colon)), code);
    if (colon != std::string_view::npos) {
      token->candidates.fill(false);
      std::string_view names = item.substr(colon + 1);
      size_t nameStart = 0;
      while (nameStart < names.size()) {
        size_t nameEnd = names.find('|', nameStart);
        if (nameEnd == std::string_view::npos) nameEnd = names.size();
        addr::TokenMeaning m = addr::meaningFromName(names.substr(nameStart, nameEnd - nameStart));
        if (m < addr::kCandidateCount) token->candidates[m] = true;
        nameStart = nameEnd + 1;
      }
    }
    tokens.push_back(std::move(token));
  }
  return tokens;
}

inline std::string blanksToUnderscores(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c == ' ') c = '_';
  }
  return out;
}

// The settled meaning as settledMeaning would give it, without storing it.
inline addr::TokenMeaning peekMeaning(const addr::AddressToken& token) {
  if (token.meaning != addr::UNKNOWN) return token.meaning;
  if (token.candidateCount() != 1) return addr::UNKNOWN;
  for (size_t m = 0; m < addr::kCandidateCount; ++m) {
    if (token.candidates[m]) return static_cast<addr::TokenMeaning>(m);
  }
  return addr::UNKNOWN;
}

inline std::string dumpTokens(const addr::TokenList& tokens) {
  std::string out;
  for (const auto& token : tokens) {
    if (!out.empty()) out += ' ';
    out += blanksToUnderscores(token->text);
    out += ':';
    addr::TokenMeaning m = peekMeaning(*token);
    out += m == addr::UNKNOWN ? "?" : addr::meaningName(m);
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

}  // namespace addr_test
