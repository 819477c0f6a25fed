// Token meanings, address tokens and settledMeaning. Tested by tokeniser_test.cc.
#include "addressparser/token.h"

#include <algorithm>
#include <utility>

#include "addressparser/word_lists.h"

namespace addr {
namespace {

// Indexed by meaning value; these are also the words of the rule file.
constexpr std::string_view kMeaningNames[kCandidateCount] = {
    "STREETNUM", "PREDIR",    "POSTDIR",      "STREETNAME", "PREFIX",       "SUFFIX",
    "UNITNUM",   "UNITLABEL", "BUILDINGSIDE", "UNITSIDE",   "BUILDINGTYPE", "COUNTY",
    "POBOXNUM",  "POBOXTYPE", "RRHCLABEL",    "RRHCNUM",    "RRHCBOXNUM",
};

}  // namespace

TokenMeaning meaningFromName(std::string_view name) {
  for (size_t value = 0; value < kCandidateCount; ++value) {
    if (kMeaningNames[value] == name) return static_cast<TokenMeaning>(value);
  }
  return UNKNOWN;
}

const char* meaningName(TokenMeaning meaning) {
  if (meaning >= kCandidateCount) return "UNKNOWN";
  // The names are literals, so their data is NUL-terminated.
  return kMeaningNames[meaning].data();
}

AddressToken::AddressToken(std::string tokenText, std::string countryCode)
    : text(std::move(tokenText)), country(std::move(countryCode)) {
  candidates.fill(true);
  folded = foldWord(text);
}

AddressToken::AddressToken(std::string tokenText, std::string countryCode, std::string foldedText)
    : text(std::move(tokenText)), country(std::move(countryCode)), folded(std::move(foldedText)) {
  candidates.fill(true);
}

void AddressToken::refold() { folded = foldWord(text); }

void AddressToken::setOnlyCandidate(TokenMeaning m) {
  candidates.fill(false);
  if (m < kCandidateCount) candidates[m] = true;
}

size_t AddressToken::candidateCount() const {
  return static_cast<size_t>(std::count(candidates.begin(), candidates.end(), true));
}

TokenMeaning settleMeaning(AddressToken& token) {
  if (token.meaning != UNKNOWN) return token.meaning;
  TokenMeaning only = UNKNOWN;
  for (size_t value = 0; value < kCandidateCount; ++value) {
    if (!token.candidates[value]) continue;
    if (only != UNKNOWN) return UNKNOWN;  // two or more candidates
    only = static_cast<TokenMeaning>(value);
  }
  // Once stored, the meaning stays even if a later step clears that candidate.
  token.meaning = only;
  return only;
}

}  // namespace addr
