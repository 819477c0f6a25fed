// Token meanings, address tokens and the one rule by which a token's meaning is read.
// Tested by tests/addressparser/tokeniser_test.cc.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace addr {

enum TokenMeaning : uint32_t {
  STREETNUM = 0,
  PREDIR = 1,
  POSTDIR = 2,
  STREETNAME = 3,
  PREFIX = 4,
  SUFFIX = 5,
  UNITNUM = 6,
  UNITLABEL = 7,
  BUILDINGSIDE = 8,
  UNITSIDE = 9,
  BUILDINGTYPE = 10,
  COUNTY = 11,
  POBOXNUM = 12,
  POBOXTYPE = 13,
  RRHCLABEL = 14,
  RRHCNUM = 15,
  RRHCBOXNUM = 16,
  UNKNOWN = 17,  // no meaning; never a candidate
};

inline constexpr size_t kCandidateCount = 17;

// Exact, case-sensitive; UNKNOWN when the text names no meaning.
TokenMeaning meaningFromName(std::string_view name);
// "UNKNOWN" for any value outside 0 to 16.
const char* meaningName(TokenMeaning meaning);

struct AddressToken {
  // All 17 candidates set, meaning UNKNOWN. The first form folds the text itself; the
  // second takes a folding the caller already holds (it must be foldWord(tokenText)).
  AddressToken(std::string tokenText, std::string countryCode);
  AddressToken(std::string tokenText, std::string countryCode, std::string foldedText);

  std::string text;
  std::string country;
  std::array<bool, kCandidateCount> candidates;
  TokenMeaning meaning = UNKNOWN;
  // The case folding of `text`, computed once so that word-list look-ups need no
  // folding per query. Whoever changes `text` calls refold().
  std::string folded;

  void refold();
  bool isCandidate(TokenMeaning m) const { return m < kCandidateCount && candidates[m]; }
  void clearCandidate(TokenMeaning m) {
    if (m < kCandidateCount) candidates[m] = false;
  }
  // Makes `m` the only candidate (no candidate at all when m is UNKNOWN).
  void setOnlyCandidate(TokenMeaning m);
  size_t candidateCount() const;
};

using TokenList = std::vector<std::unique_ptr<AddressToken>>;

// settledMeaning's work for a token with no stored meaning yet.
TokenMeaning settleMeaning(AddressToken& token);

// The token's meaning once settled: the stored meaning, or its only candidate (then
// stored), or UNKNOWN. Rules ask this of every token they scan and most of those are
// settled already, so the stored meaning is read inline; so is the usual answer for
// an unsettled token, which still holds STREETNUM and STREETNAME (no word list
// removes them), and so two candidates at least.
inline TokenMeaning settledMeaning(AddressToken& token) {
  if (token.meaning != UNKNOWN) return token.meaning;
  if (token.candidates[STREETNUM] && token.candidates[STREETNAME]) return UNKNOWN;
  return settleMeaning(token);
}

}  // namespace addr
