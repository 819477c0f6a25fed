// Double Metaphone against the reference table of the algorithm, and the host
// service that wraps it.
#include "host/double_metaphone.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "host/host_context.h"

namespace {

std::string referenceTablePath() {
  const char* source = std::getenv("ZEB_SOURCE_DIR");
  std::string root = source != nullptr ? source : ".";
  return root + "/../shared/data/metaphone/double_metaphone_reference.tsv";
}

TEST(DoubleMetaphone, AgreesWithReferenceTableOnEveryWord) {
  std::ifstream in(referenceTablePath());
  if (!in) GTEST_SKIP() << "reference table not found at " << referenceTablePath();
  std::string line;
  std::getline(in, line);  // header
  size_t rows = 0;
  size_t mismatches = 0;
  while (std::getline(in, line)) {
    size_t tab1 = line.find('\t');
    size_t tab2 = line.find('\t', tab1 + 1);
    ASSERT_NE(tab2, std::string::npos) << "malformed row: " << line;
    std::string word = line.substr(0, tab1);
    std::string primary = line.substr(tab1 + 1, tab2 - tab1 - 1);
    std::string secondary = line.substr(tab2 + 1);
    zeb::MetaphoneCodes codes = zeb::doubleMetaphone(word);
    ++rows;
    if (codes.primary != primary || codes.secondary != secondary) {
      if (++mismatches <= 20) {
        ADD_FAILURE() << word << ": expected " << primary << "/" << secondary << ", got "
                      << codes.primary << "/" << codes.secondary;
      }
    }
  }
  EXPECT_EQ(mismatches, 0u) << "of " << rows << " rows";
  EXPECT_GT(rows, 1000u);
}

// A few codes for a clone without the reference table, and lower case, which the
// table does not hold.
TEST(DoubleMetaphone, CodesNamedRuleExamples) {
  const struct {
    const char* word;
    const char* primary;
    const char* secondary;
  } kRows[] = {
      {"SMITH", "SM0", "XMT"},
      {"CAESAR", "SSR", "SSR"},
      {"", "", ""},
      {"smith", "SM0", "XMT"},
  };
  for (const auto& row : kRows) {
    zeb::MetaphoneCodes codes = zeb::doubleMetaphone(row.word);
    EXPECT_EQ(codes.primary, row.primary) << row.word;
    EXPECT_EQ(codes.secondary, row.secondary) << row.word;
  }
}

TEST(MetaphoneEncodeService, WritesPrimaryCodeWithinTheBuffer) {
  char out[256];
  zebHostMetaphoneEncode("SCHMIDT", out, sizeof out);
  EXPECT_STREQ(out, "XMT");

  char small[4] = {'x', 'x', 'x', 'x'};
  zebHostMetaphoneEncode("ELECTROENCEPHALOGRAMS", small, sizeof small);
  EXPECT_STREQ(small, "ALK") << "cut to the buffer, terminator included";

  // A long word is encoded only as far as the buffer holds, with the same code.
  std::string longWord;
  for (int i = 0; i < 100; ++i) longWord += "SCHMIDT";
  const std::string primary = zeb::doubleMetaphone(longWord, 10).primary;
  EXPECT_LE(primary.size(), 12u);
  EXPECT_EQ(primary.substr(0, 10), zeb::doubleMetaphone(longWord).primary.substr(0, 10));
  zebHostMetaphoneEncode(longWord.c_str(), small, sizeof small);
  EXPECT_STREQ(small, "XMT");

  char untouched[2] = {'x', 'x'};
  zebHostMetaphoneEncode("SMITH", untouched, 0);
  EXPECT_EQ(untouched[0], 'x') << "a zero size writes nothing";
}

}  // namespace
