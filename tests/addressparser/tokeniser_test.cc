// Token meanings, address tokens and settledMeaning; address-line normalisation and
// tokenisation.
#include "addressparser/tokeniser.h"

#include <gtest/gtest.h>

#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "addressparser/parser_fixture.h"
#include "addressparser/token.h"
#include "addressparser/word_lists.h"
#include "test_checks.h"

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

// Normalisation without care-of words.
std::string normalise(const std::string& line, const std::string& code) {
  static const AddressParserPtr empty = AddressParser::empty();
  std::string addressText;
  normaliseAddressLine(configOf(*empty), line, code, addressText);
  return addressText;
}

// The tokens' texts separated by "|".
std::string tokenTexts(const TokenList& tokens) {
  return addr_test::joined(tokens, "|", [](const auto& token) { return token->text; });
}

TEST(NormaliseAddressLine, RewritesNumberPairsRemovesPunctuationAndUpperCases) {
  const char* const rows[][3] = {
      {"FR", "12-14 rue X", "12/14 RUE X"},
      {"FR", "12 À 14", "12 À 14"},                   // rewrites run before upper-casing
      {"FR", "2-4 ET 6-8 RUE X", "2/4 ET 68 RUE X"},  // only the first pair
      {"fr", "12-14", "1214"},                        // codes compare case-sensitively
      {"ES", "calle 12-14", "CALLE 12 14"},
      {"AU", "3/12 Smith St", "3 12 SMITH ST"},  // a unit and its building's number
      {"CA", "1204-55 Bloor", "1204 55 BLOOR"},
      {"NL", "Gracht 263-H", "GRACHT 263 # H"},  // the addition, marked as the unit
      {"US", "12-14 MAIN", "1214 MAIN"},
      {"US", "7/2B", "7/2B"},
      {"US", "N.W.", "NW"},
      {"US", "apt. 4-b", "APT 4B"},
      {"US", "12 Main St (rear)", "12 MAIN ST  REAR"},  // inner spaces stay, ends trimmed
      {"US", "6 Elm Rd; Box 4", "6 ELM RD  BOX 4"},
      {"US", "rue de l'église", "RUE DE L'ÉGLISE"},
      {"US", "a\tb", "A\tB"},
      {"US", "  \t12 MAIN\r\n", "12 MAIN"},
      {"US", "\xff", "\xEF\xBF\xBD"},  // ill-formed UTF-8 becomes U+FFFD
  };
  for (const auto& [code, line, normalised] : rows) {
    EXPECT_EQ(normalised, normalise(line, code)) << code << " [" << line << "]";
  }
}

// The parse matches the number-pair patterns by hand, in one pass; it must rewrite
// every line exactly as a regular-expression search for the patterns does.
TEST(NormaliseAddressLine, NumberPairRewritesAgreeWithTheirPatterns) {
  const char* const patterns[][4] = {
      {"FR", "([0-9]+) *- *([0-9]+)", "-", "/"},
      {"FR", "([0-9]+) *\xC3\xA0 *([0-9]+)", " \xC3\xA0 ", "/"},
      {"FR", "([0-9]+) *et *([0-9]+)", " et ", "/"},
      {"ES", "([0-9]+) *[-,/] *([0-9].*)", "[-,/]", " "},
      {"AU", "([0-9]+[A-Za-z]?) */ *([0-9]+)", "/", " "},
      {"CA", "([0-9]+) *- *([0-9]+)", "-", " "},
      {"NL", "([0-9]+) *- *([0-9A-Za-z])", "-", " # "},
  };
  const char* const pieces[] = {"1", "23", " ", "  ", "-", "\xC3\xA0", "et", "e", "/", ",", "x"};
  std::mt19937 random(19);
  for (int i = 0; i < 4000; ++i) {
    std::string line;
    for (size_t n = random() % 9; n > 0; --n) line += pieces[random() % std::size(pieces)];
    for (const char* code : {"FR", "ES", "AU", "CA", "NL"}) {
      std::string expected = line;
      for (const auto& [patternCode, outer, separator, replacement] : patterns) {
        if (patternCode == std::string(code) &&
            rewriteNumberPair(expected, outer, separator, replacement)) {
          break;
        }
      }
      std::string rewritten = line;
      rewriteNumberPairs(rewritten, code);
      ASSERT_EQ(expected, rewritten) << code << " [" << line << "]";
    }
  }
}

TEST(SplitAlphaNumeric, SplitsALabelFromItsTrailingNumber) {
  const std::pair<const char*, const char*> rows[] = {
      {"APT12", "APT|12"}, {"B7", "B|7"},     {"#12", "#|12"},   {"#1A", "#|1A"}, {"12B", "12B|"},
      {"12", "12|"},       {"UNIT", "UNIT|"}, {"A-12", "A-12|"}, {"1A2", "1A2|"}, {"A1B2", "A1B|2"},
      {"#", "#|"},         {"", "|"},         {"É12", "É|12"},
  };
  zeb_test::ExpectEach(rows, [](const char* word) {
    const auto parts = splitAlphaNumeric(word);
    return std::string(parts.first) + "|" + std::string(parts.second);
  });
}

class TokeniserTest : public addr_test::ParserFixture {
 protected:
  void SetUp() override {
    load(R"(<CONFIG>
      <ADDRESSPARTS c2="US">
        <SUFFIX><PART data="ST"/><PART data="Rue De La"/><PART data="B C"/>
          <PART data="A B C D E F G"/><PART data="H I J K L M N"/><PART data="M N"/></SUFFIX>
        <POBOX><PART data="PO BOX"/></POBOX>
        <RURAL><PART data="RURAL ROUTE"/><PART data="RR"/></RURAL>
        <CAREOF><PART data="C/O"/><PART data="ATTN"/><PART data="care"/><PART data="A.B"/>
          <PART data=""/></CAREOF>
      </ADDRESSPARTS>
      <ADDRESSPARTS c2="DE">
        <STICKY_SUFFIX><PART data="STRASSE"/><PART data="weg"/><PART data=""/></STICKY_SUFFIX>
        <SUFFIX><PART data="ALLEE"/></SUFFIX>
      </ADDRESSPARTS>
      </CONFIG>)");
  }

  std::string tokenise(const std::string& text, const std::string& code) {
    return tokenTexts(tokeniseAddress(config(), text, code));
  }
};

TEST_F(TokeniserTest, SplitsAtSpacesJoinsPhrasesAndSplitsWords) {
  const char* const rows[][3] = {
      {"US", "12 MAIN ST APT12", "12|MAIN|ST|APT|12"},
      {"US", "PO BOX 12", "PO BOX|12"},
      {"US", "po box 12", "po box|12"},            // phrases match ignoring case
      {"US", "RUE DE LA PAIX", "RUE DE LA|PAIX"},  // three words; "RUE DE" is no phrase
      {"US", "#12 B7", "#|12|B7"},                 // the word after "#" stays whole
      {"US", "# B7", "#|B7"},
      {"US", "#A B7", "#A|B|7"},
      {"US", "A\tB7", "A\tB|7"},  // a tab is not a separator
      // AND between two streets is the & of an intersection; inside a name it stays.
      {"US", "18TH AND LINCOLN", "18TH|&|LINCOLN"},
      {"US", "OAK ST and ELM", "OAK|ST|&|ELM"},
      {"US", "12 ST AND ELM ST", "12|ST|AND|ELM|ST"},
      {"US", "C AND N SMITH", "C|AND|N|SMITH"},
      {"DE", "HAUPTSTRASSE 5", "HAUPT|STRASSE|5"},
      {"DE", "HAUPTSTRASSE12", "HAUPTSTRASSE|12"},
      {"DE", "STRASSE 5", "STRASSE|5"},        // no empty token before the suffix
      {"DE", "FELDWEG", "FELDWEG"},            // suffixes compare case-sensitively
      {"DE", "ST", "ST"},                      // no fallback to US phrases needed
      {"GB", "HAUPTSTRASSE", "HAUPTSTRASSE"},  // sticky suffixes have no fallback
  };
  for (const auto& [code, text, tokens] : rows) {
    EXPECT_EQ(tokens, tokenise(text, code)) << code << " [" << text << "]";
  }
}

TEST_F(TokeniserTest, NewTokensCarryCountryFoldingAndEveryCandidate) {
  TokenList tokens = tokeniseAddress(config(), "PO BOX 12 HAUPTSTRASSE", "DE");
  ASSERT_EQ(4u, tokens.size()) << tokenTexts(tokens);
  for (const auto& token : tokens) {
    EXPECT_EQ("DE", token->country);
    EXPECT_EQ(foldWord(token->text), token->folded) << token->text;
    EXPECT_EQ(kCandidateCount, token->candidateCount());
    EXPECT_EQ(UNKNOWN, token->meaning);
  }
}

TEST_F(TokeniserTest, JoinPhrasesLooksBackAfterEveryJoin) {
  // Seven words are one word too many for a phrase until B and C have been joined;
  // H begins a phrase five words before the join of M and N.
  EXPECT_EQ("A B C D E F G|PO BOX|X|H I J K L M N|X",
            tokenise("A B C D E F G PO BOX X H I J K L M N X", "US"));
}

TEST_F(TokeniserTest, CareOfLinesAreSetAsideOnWholeWords) {
  const std::pair<const char*, bool> rows[] = {
      {"c/o John Smith", true}, {"ATTN: Sales", true},
      {"(attn) Sales", true},   {"Attns Sales", false},  // ATTN is not a word of ATTNS
      {"ATTNX", false},         {"XC/O", false},
      {"care of Smith", false},  // configured in lower case, the line is upper case
      {"AXB", false},            // regular-expression syntax is taken literally
      {"12 Main St", false},    {"12  Main St", false},  // an empty care-of word marks nothing
  };
  for (const auto& [line, careOf] : rows) {
    std::string addressText = "12 MAIN ST";
    EXPECT_EQ(!careOf, normaliseAddressLine(config(), line, "US", addressText)) << line;
    // A line is appended after one blank.
    EXPECT_EQ(careOf ? "12 MAIN ST" : "12 MAIN ST " + normalise(line, "US"), addressText);
  }
  EXPECT_FALSE(isCareOfLine(config(), "C/O SMITH", "GB"));  // no fallback to the US words
  EXPECT_TRUE(isCareOfLine(config(), "SMITH, C/O", "US"));
  EXPECT_FALSE(isCareOfLine(config(), "ÉC/O", "US"));  // a letter outside ASCII is a letter too
}

}  // namespace
}  // namespace addr
