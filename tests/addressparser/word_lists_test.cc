// Tests of word-list loading and look-ups.
#include "addressparser/word_lists.h"

#include <gtest/gtest.h>

#include "addressparser/parser_fixture.h"

namespace addr {
namespace {

class WordListsTest : public addr_test::ParserFixture {
 protected:
  const WordList::Entry* entry(ListKind kind, const std::string& word, const std::string& code) {
    const WordList* list = config().wordList(kind, code);
    return list == nullptr ? nullptr : list->find(word);
  }
  bool has(ListKind kind, const std::string& word, const std::string& code) {
    return entry(kind, word, code) != nullptr;
  }
};

TEST_F(WordListsTest, LookUpsIgnoreCaseAndTheLatestEqualWordGivesTheStandardForm) {
  // Keys of 63 bytes and more share one length class; the long rows check that.
  const std::string longWord(70, 'X');
  load(R"(<CONFIG><ADDRESSPARTS c2="DE"><SUFFIX>
         <PART data="Straße" std="STR"/><PART data="STRASSE" std="STRA"/><PART data="Weg"/>
         <PART data=")" +
       longWord + R"("/></SUFFIX></ADDRESSPARTS></CONFIG>)");
  const std::pair<std::string, bool> rows[] = {{"STRASSE", true},
                                               {"strasse", true},
                                               {"WEGE", false},
                                               {"", false},
                                               {"Strass", false},
                                               {std::string(70, 'x'), true},
                                               {std::string(64, 'X'), false}};
  for (const auto& [word, found] : rows) {
    EXPECT_EQ(found, has(ListKind::kSuffix, word, "DE")) << word;
  }
  EXPECT_EQ(3u, config().wordList(ListKind::kSuffix, "DE")->size());
  const WordList::Entry* street = entry(ListKind::kSuffix, "strasse", "DE");
  EXPECT_EQ("Straße", street->word);  // the first text of the key stays
  EXPECT_EQ("STRA", street->standardForm);
}

TEST_F(WordListsTest, MissingCountryFallsBackToUs) {
  load(R"(<CONFIG>
       <ADDRESSPARTS c2="US"><DIRECTIONAL><PART data="N" std="N"/></DIRECTIONAL>
         <SUFFIX><PART data="ST" std="ST"/></SUFFIX></ADDRESSPARTS>
       <ADDRESSPARTS c2="CA"><DIRECTIONAL/><UNITLABEL><PART data="APT"/></UNITLABEL>
       </ADDRESSPARTS></CONFIG>)");
  struct Row {
    ListKind kind;
    const char* word;
    const char* code;
    bool found;
  } rows[] = {
      {ListKind::kDirectional, "n", "GB", true},   // GB has no lists at all: the US ones apply
      {ListKind::kDirectional, "N", "CA", false},  // CA's empty list hides the fallback...
      {ListKind::kSuffix, "ST", "CA", true},       // ...its missing list does not
      {ListKind::kPoBox, "BOX", "GB", false},      // no list anywhere
      {ListKind::kUnitLabel, "APT", "CA", true},
      {ListKind::kUnitLabel, "APT", "US", false},  // "US" has no fallback of its own
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.found, has(row.kind, row.word, row.code)) << row.word << " " << row.code;
  }
  // The lists worked out per country at load are those wordListFor finds.
  for (const char* code : {"FR", "US", "CA", "", "LONGER THAN A CODE"}) {
    for (size_t kind = 0; kind < kListKindCount; ++kind) {
      EXPECT_EQ(wordListFor(config().tables().wordLists[kind], code),
                config().wordListsFor(code)[kind])
          << code << " list " << kind;
    }
  }
}

TEST_F(WordListsTest, SequencesHaveNoFallbackAndKeepOrderAndDuplicates) {
  load(R"(<CONFIG>
       <ADDRESSPARTS c2="US"><CAREOF><PART data="C/O"/></CAREOF>
         <STICKY_SUFFIX><PART data="WAY"/></STICKY_SUFFIX></ADDRESSPARTS>
       <ADDRESSPARTS c2="DE"><STICKY_SUFFIX>
         <PART data="STRASSE"/><PART data="WEG"/><PART data="STRASSE"/>
       </STICKY_SUFFIX></ADDRESSPARTS>
       </CONFIG>)");
  EXPECT_TRUE(config().careOfWordsOf("DE").empty());
  EXPECT_TRUE(config().stickySuffixesOf("GB").empty());
  EXPECT_EQ((std::vector<std::string>{"STRASSE", "WEG", "STRASSE"}),
            config().stickySuffixesOf("DE"));
  EXPECT_EQ((std::vector<std::string>{"C/O"}), config().careOfWordsOf("US"));
}

TEST_F(WordListsTest, StickySuffixesAreAddedToTheSuffixList) {
  load(R"(<CONFIG><ADDRESSPARTS c2="DE">
       <STICKY_SUFFIX><PART data="STRASSE" std="STR"/></STICKY_SUFFIX>
       <SUFFIX><PART data="ALLEE" std="AL"/><PART data="strasse" std="S"/></SUFFIX>
       </ADDRESSPARTS></CONFIG>)");
  // The SUFFIX list is read first whatever the document order; the sticky suffix
  // then joins it and, being the later entry, gives the standard form.
  EXPECT_TRUE(has(ListKind::kSuffix, "ALLEE", "DE"));
  EXPECT_EQ("STR", entry(ListKind::kSuffix, "STRASSE", "DE")->standardForm);
  EXPECT_EQ(2u, config().wordList(ListKind::kSuffix, "DE")->size());
}

TEST_F(WordListsTest, WhichElementsAndPartsAreRead) {
  load(R"(<CONFIG>
       <ADDRESSPARTS c2="US"><PREFIX><PART data="OLD"/></PREFIX>
         <COUNTY><PART data="COUNTY"/></COUNTY>
         <POBOX><PART data="PO BOX"/><X><PART data="NESTED"/></X>text<PART data="BOX"/></POBOX>
         <POBOX><PART data="SECOND"/></POBOX></ADDRESSPARTS>
       <ADDRESSPARTS c2="US"><PREFIX><PART data="NEW"/></PREFIX></ADDRESSPARTS>
       <ADDRESSPARTS><RURAL><PART std="RR"/><PART data="RURAL ROUTE"/></RURAL></ADDRESSPARTS>
       </CONFIG>)");
  struct Row {
    ListKind kind;
    const char* word;
    const char* code;
    bool found;
    const char* why;
  } rows[] = {
      {ListKind::kPrefix, "OLD", "US", false, "a later ADDRESSPARTS replaces the list"},
      {ListKind::kPrefix, "NEW", "US", true, ""},
      {ListKind::kCounty, "COUNTY", "US", true, "lists it does not hold stay"},
      {ListKind::kPoBox, "po box", "US", true, ""},
      {ListKind::kPoBox, "BOX", "US", true, "text and other elements between PARTs"},
      {ListKind::kPoBox, "NESTED", "US", false, "only direct PART children"},
      {ListKind::kPoBox, "SECOND", "US", false, "only the first list element of a name"},
      {ListKind::kRural, "", "", true, "missing attributes read as empty"},
  };
  for (const Row& row : rows) EXPECT_EQ(row.found, has(row.kind, row.word, row.code)) << row.why;
  EXPECT_EQ("RR", entry(ListKind::kRural, "", "")->standardForm);
  EXPECT_EQ("", entry(ListKind::kRural, "RURAL ROUTE", "")->standardForm);
}

// Phrase joining skips words that begin no phrase; it must never skip one that does.
TEST(WordList, WordsThatMayBeginAPhrase) {
  WordList list;
  list.set("PO BOX", "PO BOX");
  list.set("Post Office Box", "PO BOX");
  list.set("BOX", "BOX");
  const std::string longFirstWord(70, 'x');
  list.set(longFirstWord + " Y", "Y");
  const std::pair<std::string, bool> rows[] = {
      {"po", true},   {"post", true}, {"post office", true},  // joined words
      {"box", false}, {"p", false},   {"po box", false},      // no key goes on after them
      {"mo", false},  {"", false},    {longFirstWord, true},
  };
  for (const auto& [folded, mayBegin] : rows) {
    EXPECT_EQ(mayBegin, list.mayBeginPhrase(folded)) << "[" << folded << "]";
  }
}

TEST(FoldWord, AsciiAndUnicodeFoldAlike) {
  const std::pair<const char*, const char*> rows[] = {
      {"MAIN ST", "main st"}, {"STRAẞE", "strasse"}, {"ΣΟΦΙΑ", "σοφια"}};
  for (const auto& [word, folded] : rows) EXPECT_EQ(folded, foldWord(word)) << word;
}

}  // namespace
}  // namespace addr
