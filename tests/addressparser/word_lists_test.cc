// Tests of word-list loading and look-ups.
#include "addressparser/word_lists.h"

#include <gtest/gtest.h>

#include "addressparser/parser_fixture.h"

namespace addr {
namespace {

class WordListsTest : public addr_test::ParserFixture {
 protected:
  static const WordListTable& table(ListKind kind) { return wordListTable(kind); }
};

TEST_F(WordListsTest, LaterPartWinsAndKeyKeepsFirstText) {
  load(R"(<CONFIG><ADDRESSPARTS c2="US"><SUFFIX>
         <PART data="Street" std="ST"/><PART data="STREET" std="STR"/>
       </SUFFIX></ADDRESSPARTS></CONFIG>)");
  const WordList* list = wordListFor(table(ListKind::kSuffix), "US");
  ASSERT_NE(nullptr, list);
  EXPECT_EQ(1u, list->size());
  const WordList::Entry* entry = list->find("street");
  ASSERT_NE(nullptr, entry);
  EXPECT_EQ("Street", entry->word);
  EXPECT_EQ("STR", entry->standardForm);
}

TEST_F(WordListsTest, LookUpsIgnoreCase) {
  // Keys of 63 bytes and more share one length class; the long rows check that.
  const std::string longWord(70, 'X');
  load(R"(<CONFIG><ADDRESSPARTS c2="DE"><SUFFIX>
         <PART data="Straße" std="STR"/><PART data="Weg" std="WEG"/>
         <PART data=")" +
       longWord + R"("/></SUFFIX></ADDRESSPARTS></CONFIG>)");
  struct Row {
    std::string word;
    bool found;
  };
  const Row rows[] = {{"Straße", true},
                      {"STRASSE", true},
                      {"strasse", true},
                      {"WEG", true},
                      {"weg", true},
                      {"WEGE", false},
                      {"", false},
                      {"Strass", false},
                      {"Xeg", false},
                      {std::string(70, 'x'), true},
                      {std::string(64, 'X'), false}};
  for (const Row& row : rows) {
    EXPECT_EQ(row.found, isInWordList(table(ListKind::kSuffix), row.word, "DE")) << row.word;
  }
  EXPECT_EQ("STR", standardFormOf(table(ListKind::kSuffix), "STRASSE", "DE"));
  EXPECT_EQ("", standardFormOf(table(ListKind::kSuffix), "ALLEE", "DE"));
}

TEST_F(WordListsTest, MissingCountryFallsBackToUs) {
  load(R"(<CONFIG>
       <ADDRESSPARTS c2="US"><DIRECTIONAL><PART data="N" std="N"/></DIRECTIONAL>
         <SUFFIX><PART data="ST" std="ST"/></SUFFIX></ADDRESSPARTS>
       <ADDRESSPARTS c2="CA"><DIRECTIONAL/></ADDRESSPARTS>
       </CONFIG>)");
  // GB has no lists at all: the US ones apply.
  EXPECT_TRUE(isInWordList(table(ListKind::kDirectional), "n", "GB"));
  EXPECT_EQ("N", standardFormOf(table(ListKind::kDirectional), "N", "GB"));
  // CA's empty DIRECTIONAL list hides the fallback; its missing SUFFIX list does not.
  EXPECT_FALSE(isInWordList(table(ListKind::kDirectional), "N", "CA"));
  EXPECT_TRUE(isInWordList(table(ListKind::kSuffix), "ST", "CA"));
  // No list anywhere.
  EXPECT_FALSE(isInWordList(table(ListKind::kPoBox), "BOX", "GB"));
  EXPECT_EQ(nullptr, wordListFor(table(ListKind::kPoBox), "US"));
}

TEST_F(WordListsTest, UsWithoutAUsListFindsNothing) {
  load(R"(<CONFIG><ADDRESSPARTS c2="CA"><UNITLABEL><PART data="APT"/></UNITLABEL>
       </ADDRESSPARTS></CONFIG>)");
  EXPECT_EQ(nullptr, wordListFor(table(ListKind::kUnitLabel), "US"));
  EXPECT_FALSE(isInWordList(table(ListKind::kUnitLabel), "APT", "US"));
  EXPECT_TRUE(isInWordList(table(ListKind::kUnitLabel), "APT", "CA"));
}

// Answers are remembered per thread between parses; every change of the tables must
// still show at once.
TEST_F(WordListsTest, ReloadedAndClearedTablesAreSeenAtOnce) {
  load(R"(<CONFIG><ADDRESSPARTS c2="US"><SUFFIX><PART data="ST" std="ST"/></SUFFIX>
       </ADDRESSPARTS></CONFIG>)");
  const WordList* fallback = wordListFor(table(ListKind::kSuffix), "FR");
  ASSERT_NE(nullptr, fallback);
  EXPECT_NE(nullptr, fallback->find("ST"));

  load(R"(<CONFIG><ADDRESSPARTS c2="US"><SUFFIX><PART data="ST" std="ST"/></SUFFIX>
       </ADDRESSPARTS><ADDRESSPARTS c2="FR"><SUFFIX><PART data="RUE" std="RUE"/></SUFFIX>
       </ADDRESSPARTS></CONFIG>)");
  const WordList* own = wordListFor(table(ListKind::kSuffix), "FR");
  ASSERT_NE(nullptr, own);
  EXPECT_NE(nullptr, own->find("RUE"));
  EXPECT_EQ(nullptr, own->find("ST"));
  EXPECT_TRUE(isInWordList(table(ListKind::kSuffix), "ST", "US"));

  for (const char* code : {"FR", "US", "DE", "LONGER THAN A CODE"}) {
    const CountryWordLists all = wordListsFor(code);
    for (size_t kind = 0; kind < kListKindCount; ++kind) {
      EXPECT_EQ(wordListFor(table(static_cast<ListKind>(kind)), code), all[kind])
          << code << " list " << kind;
    }
  }

  clearWordLists();
  EXPECT_EQ(nullptr, wordListFor(table(ListKind::kSuffix), "FR"));
  EXPECT_EQ(nullptr, wordListFor(table(ListKind::kSuffix), "US"));
  EXPECT_EQ(nullptr, wordListsFor("FR")[static_cast<size_t>(ListKind::kSuffix)]);
}

TEST_F(WordListsTest, SequencesHaveNoFallbackAndKeepOrderAndDuplicates) {
  load(R"(<CONFIG>
       <ADDRESSPARTS c2="US"><CAREOF><PART data="C/O"/></CAREOF>
         <STICKY_SUFFIX><PART data="WAY"/></STICKY_SUFFIX></ADDRESSPARTS>
       <ADDRESSPARTS c2="DE"><STICKY_SUFFIX>
         <PART data="STRASSE"/><PART data="WEG"/><PART data="STRASSE"/>
       </STICKY_SUFFIX></ADDRESSPARTS>
       </CONFIG>)");
  EXPECT_TRUE(careOfWordsOf("DE").empty());
  EXPECT_TRUE(stickySuffixesOf("GB").empty());
  EXPECT_EQ((std::vector<std::string>{"STRASSE", "WEG", "STRASSE"}), stickySuffixesOf("DE"));
  EXPECT_EQ((std::vector<std::string>{"C/O"}), careOfWordsOf("US"));
}

TEST_F(WordListsTest, StickySuffixesAreAddedToTheSuffixList) {
  load(R"(<CONFIG><ADDRESSPARTS c2="DE">
       <STICKY_SUFFIX><PART data="STRASSE" std="STR"/></STICKY_SUFFIX>
       <SUFFIX><PART data="ALLEE" std="AL"/><PART data="strasse" std="S"/></SUFFIX>
       </ADDRESSPARTS></CONFIG>)");
  // The SUFFIX list is read first whatever the document order; the sticky suffix
  // then joins it and, being the later entry, gives the standard form.
  EXPECT_TRUE(isInWordList(table(ListKind::kSuffix), "ALLEE", "DE"));
  EXPECT_EQ("STR", standardFormOf(table(ListKind::kSuffix), "STRASSE", "DE"));
  EXPECT_EQ(2u, wordListFor(table(ListKind::kSuffix), "DE")->size());
}

TEST_F(WordListsTest, LaterAddressPartsReplaceOnlyTheListsTheyHold) {
  load(R"(<CONFIG>
       <ADDRESSPARTS c2="US"><PREFIX><PART data="OLD"/></PREFIX>
         <COUNTY><PART data="COUNTY"/></COUNTY></ADDRESSPARTS>
       <ADDRESSPARTS c2="US"><PREFIX><PART data="NEW"/></PREFIX></ADDRESSPARTS>
       </CONFIG>)");
  EXPECT_FALSE(isInWordList(table(ListKind::kPrefix), "OLD", "US"));
  EXPECT_TRUE(isInWordList(table(ListKind::kPrefix), "NEW", "US"));
  EXPECT_TRUE(isInWordList(table(ListKind::kCounty), "COUNTY", "US"));
}

TEST_F(WordListsTest, OnlyTheFirstListElementOfANameAndDirectPartsCount) {
  load(R"(<CONFIG><ADDRESSPARTS c2="US">
       <POBOX><PART data="PO BOX"/><X><PART data="NESTED"/></X>text<PART data="BOX"/></POBOX>
       <POBOX><PART data="SECOND"/></POBOX>
       </ADDRESSPARTS></CONFIG>)");
  EXPECT_TRUE(isInWordList(table(ListKind::kPoBox), "po box", "US"));
  EXPECT_TRUE(isInWordList(table(ListKind::kPoBox), "BOX", "US"));
  EXPECT_FALSE(isInWordList(table(ListKind::kPoBox), "NESTED", "US"));
  EXPECT_FALSE(isInWordList(table(ListKind::kPoBox), "SECOND", "US"));
}

TEST_F(WordListsTest, MissingAttributesReadAsEmpty) {
  load(R"(<CONFIG><ADDRESSPARTS><RURAL><PART std="RR"/><PART data="RURAL ROUTE"/></RURAL>
       </ADDRESSPARTS></CONFIG>)");
  EXPECT_TRUE(isInWordList(table(ListKind::kRural), "", ""));
  EXPECT_EQ("RR", standardFormOf(table(ListKind::kRural), "", ""));
  EXPECT_EQ("", standardFormOf(table(ListKind::kRural), "RURAL ROUTE", ""));
}

// Phrase joining skips words that begin no phrase; it must never skip one that does.
TEST(WordList, WordsThatMayBeginAPhrase) {
  WordList list;
  list.set("PO BOX", "PO BOX");
  list.set("Post Office Box", "PO BOX");
  list.set("BOX", "BOX");
  const std::string longFirstWord(70, 'x');
  list.set(longFirstWord + " Y", "Y");
  struct Row {
    std::string folded;
    bool mayBegin;
  } rows[] = {
      {"po", true},     {"post", true},  {"post office", true},  // joined words
      {"box", false},   {"p", false},    {"po box", false},     // no key goes on after them
      {"mo", false},    {"", false},     {longFirstWord, true},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.mayBegin, list.mayBeginPhrase(row.folded)) << "[" << row.folded << "]";
  }
}

TEST(WordList, OrderedListsEntriesIgnoringCase) {
  WordList list;
  list.set("b", "");
  list.set("A", "");
  list.set("C", "");
  std::string words;
  for (const WordList::Entry* entry : list.ordered()) words += entry->word;
  EXPECT_EQ("AbC", words);
}

TEST(FoldWord, AsciiAndUnicodeFoldAlike) {
  struct Row {
    const char* word;
    const char* folded;
  };
  const Row rows[] = {{"MAIN ST", "main st"}, {"#12b", "#12b"},   {"STRAẞE", "strasse"},
                      {"ÉCOLE", "école"},     {"ΣΟΦΙΑ", "σοφια"}, {"", ""}};
  for (const Row& row : rows) EXPECT_EQ(row.folded, foldWord(row.word)) << row.word;
}

}  // namespace
}  // namespace addr
