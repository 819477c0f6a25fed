// Tests of token meanings, address tokens and settledMeaning.
#include "addressparser/token.h"

#include <gtest/gtest.h>

namespace addr {
namespace {

TEST(MeaningNames, EveryNameRoundTrips) {
  for (uint32_t value = 0; value < kCandidateCount; ++value) {
    const auto meaning = static_cast<TokenMeaning>(value);
    EXPECT_EQ(meaning, meaningFromName(meaningName(meaning))) << value;
  }
  EXPECT_STREQ("STREETNUM", meaningName(STREETNUM));
  EXPECT_STREQ("RRHCBOXNUM", meaningName(RRHCBOXNUM));
}

TEST(MeaningNames, OnlyExactNamesAreMeanings) {
  const char* const notNames[] = {"streetnum",  "STREETNUM ", " STREETNUM", "STREETNU",
                                  "STREETNUMX", "",           "UNKNOWN"};
  for (const char* text : notNames) {
    EXPECT_EQ(UNKNOWN, meaningFromName(text)) << "[" << text << "]";
  }
}

TEST(MeaningNames, ValuesOutsideTheCandidatesAreUnknown) {
  EXPECT_STREQ("UNKNOWN", meaningName(UNKNOWN));
  EXPECT_STREQ("UNKNOWN", meaningName(static_cast<TokenMeaning>(99)));
}

TEST(AddressToken, NewTokenHasEveryCandidateAndIsNotSettled) {
  AddressToken token("Main", "US");
  EXPECT_EQ(kCandidateCount, token.candidateCount());
  EXPECT_EQ(UNKNOWN, settledMeaning(token));
  EXPECT_EQ(UNKNOWN, token.meaning);
  EXPECT_EQ("main", token.folded);
}

TEST(AddressToken, TokenWithoutCandidatesStaysUnsettled) {
  AddressToken token("X", "US");
  token.setOnlyCandidate(UNKNOWN);
  EXPECT_EQ(0u, token.candidateCount());
  EXPECT_EQ(UNKNOWN, settledMeaning(token));
  EXPECT_EQ(UNKNOWN, settledMeaning(token));
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

TEST(AddressToken, ClearingUnknownChangesNothing) {
  AddressToken token("X", "US");
  token.clearCandidate(UNKNOWN);
  EXPECT_EQ(kCandidateCount, token.candidateCount());
  EXPECT_FALSE(token.isCandidate(UNKNOWN));
}

TEST(AddressToken, RefoldFollowsTheText) {
  AddressToken token("STRASSE", "DE");
  token.text = "STRAẞE";
  token.refold();
  EXPECT_EQ("strasse", token.folded);
}

}  // namespace
}  // namespace addr
