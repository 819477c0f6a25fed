// Tests of token meanings, address tokens and settledMeaning.
#include "addressparser/token.h"

#include <gtest/gtest.h>

namespace addr {
namespace {

TEST(MeaningNames, EveryNameRoundTripsAndOnlyExactNamesAreMeanings) {
  for (uint32_t value = 0; value < kCandidateCount; ++value) {
    const auto meaning = static_cast<TokenMeaning>(value);
    EXPECT_EQ(meaning, meaningFromName(meaningName(meaning))) << value;
  }
  EXPECT_STREQ("RRHCBOXNUM", meaningName(RRHCBOXNUM));
  EXPECT_STREQ("UNKNOWN", meaningName(static_cast<TokenMeaning>(99)));
  for (const char* text : {"streetnum", "STREETNUM ", "STREETNU", "UNKNOWN"}) {
    EXPECT_EQ(UNKNOWN, meaningFromName(text)) << "[" << text << "]";
  }
}

TEST(AddressToken, NewTokenHasEveryCandidateAndIsNotSettled) {
  AddressToken token("Main", "US");
  EXPECT_EQ(kCandidateCount, token.candidateCount());
  EXPECT_EQ(UNKNOWN, settledMeaning(token));
  EXPECT_EQ("main", token.folded);
  token.clearCandidate(UNKNOWN);  // changes nothing
  EXPECT_EQ(kCandidateCount, token.candidateCount());
  token.setOnlyCandidate(UNKNOWN);
  EXPECT_EQ(0u, token.candidateCount());
  EXPECT_EQ(UNKNOWN, settledMeaning(token)) << "no candidate: never settled";
}

TEST(AddressToken, SingleCandidateSettlesAndIsKept) {
  AddressToken token("MAIN", "US");
  token.setOnlyCandidate(STREETNAME);
  EXPECT_EQ(STREETNAME, settledMeaning(token));
  EXPECT_EQ(STREETNAME, token.meaning);
  // The stored meaning outlives the candidate it came from.
  token.clearCandidate(STREETNAME);
  token.candidates[SUFFIX] = true;
  EXPECT_EQ(STREETNAME, settledMeaning(token));
}

}  // namespace
}  // namespace addr
