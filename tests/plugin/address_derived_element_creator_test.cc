// The derived elements: how the host's services are called and their answers used.
#include "plugin/address_derived_element_creator.h"

#include <string>

#include <gtest/gtest.h>

#include "test_host.h"
#include "xml/xml_doc.h"

namespace {

using plugin_test::Host;
using plugin_test::TokenAnswer;

class DerivedElements : public ::testing::Test {
 protected:
  void SetUp() override {
    Host().Reset();
    doc_.ParseXML("<STD_BOM><OBS_FEAT/></STD_BOM>");
    feature_ = FindChildElement(doc_.Root(), "OBS_FEAT");
  }

  // "CODE=value" of every element appended so far, separated by "|".
  std::string Appended() const {
    std::string out;
    for (xmlNodePtr e = feature_->children; e != nullptr; e = e->next) {
      if (!out.empty()) out += '|';
      out += NodeContent(FindChildElement(e, "FELEM_CODE"), "") + "=" +
             NodeContent(FindChildElement(e, "FELEM_VALUE"), "");
    }
    return out;
  }

  std::string StreetNameStd(const std::string& streetName, const std::string& script = "") {
    addr::AddressRecord record;
    record.streetName = streetName;
    record.script = script;
    creator_.AddStreetNameStd(feature_, record, services_.getTokenInfo);
    return Appended();
  }

  plugin::RecordServices services_ = plugin_test::StubServices();
  plugin::AddressDerivedElementCreator creator_{services_.transliterateText,
                                                services_.metaphoneEncode};
  XMLDoc doc_;
  xmlNodePtr feature_ = nullptr;
};

TEST_F(DerivedElements, PostalFiveKeepsFiveLeadingDigitsOnly) {
  struct Row {
    const char* postalCode;
    const char* expected;
  } rows[] = {{"12345-6789", "12345"}, {"   ", ""}, {"stra\xc3\x9f" "e", "STRASSE"}};
  for (const Row& row : rows) {
    SetUp();
    addr::AddressRecord record;
    record.postalCode = row.postalCode;
    EXPECT_TRUE(creator_.AddPostal5(feature_, record)) << row.postalCode;
    EXPECT_EQ(Appended(), std::string("POSTAL_5=") + row.expected) << row.postalCode;
  }
  SetUp();
  EXPECT_FALSE(creator_.AddPostal5(feature_, addr::AddressRecord()));
  EXPECT_EQ(Appended(), "");
}

TEST_F(DerivedElements, ScriptCodesCompareWholeTextsIgnoringCase) {
  struct Row {
    const char* script;
    int32_t code;
  } rows[] = {{"CHINESE", 1}, {"hanzi", 1},   {"Japanese", 2}, {"kanji", 2},
              {"", 0},        {"LATIN", 0},   {"JAPANESE SCRIPT", 0}, {" KANJI", 0},
              {"KANJI ", 0},  {"CHINES", 0}};
  for (const Row& row : rows) {
    EXPECT_EQ(plugin::ScriptCode(row.script), row.code) << row.script;
  }
  StreetNameStd("Main", "kanji");
  ASSERT_EQ(Host().transliterated.size(), 1u);
  EXPECT_EQ(Host().transliterated[0], "Main|2");
}

TEST_F(DerivedElements, TokenScoreDecidesBetweenDroppingAndStandardForm) {
  Host().tokens["LOW"] = TokenAnswer{1, "L", false, 10};
  Host().tokens["EDGE"] = TokenAnswer{1, "E", false, 49};
  Host().tokens["PASS"] = TokenAnswer{1, "STANDARD", false, 50};
  Host().tokens["UNKNOWN"] = TokenAnswer{0, "IGNORED", false, 90};
  Host().tokens["NOFORM"] = TokenAnswer{1, "", true, 80};
  Host().tokens["EMPTYFORM"] = TokenAnswer{1, "", false, 80};
  Host().tokens["NEGATIVE"] = TokenAnswer{1, "N", false, -1};
  EXPECT_EQ(StreetNameStd("low edge pass unknown noform emptyform negative"),
            "STR_NAME_STD=#STANDARD #UNKNOWN #NOFORM #EMPTYFORM");
  EXPECT_EQ(Host().tokenQueries.front(), "STR_NAME|LOW");
  EXPECT_EQ(Host().tokenQueries.size(), 7u);
}

TEST_F(DerivedElements, NameKeepsLettersDigitsAndSpacesAndUpperCasesAsciiOnly) {
  struct Row {
    const char* name;
    const char* expected;
  } rows[] = {
      {"main st", "STR_NAME_STD=#MAIN #ST"},
      {"O'Brien-Smith\tSt.", "STR_NAME_STD=#OBRIENSMITHST"},
      {"rue de l'\xc3\xa9glise", "STR_NAME_STD=#RUE #DE #L\xc3\xa9GLISE"},
      {"  42nd   street  ", "STR_NAME_STD=#42ND #STREET"},
      {"\xf0\x9f\x98\x80 smile", "STR_NAME_STD=#SMILE"},
      {"-- ,. !", "STR_NAME_STD="},
  };
  for (const Row& row : rows) {
    SetUp();
    EXPECT_EQ(StreetNameStd(row.name), row.expected) << row.name;
  }
  EXPECT_TRUE(Host().tokenQueries.empty()) << "punctuation only: no words to look up";
}

TEST_F(DerivedElements, OnlyLeadingSpacesOfTheCodesAreRemoved) {
  Host().codes["RUE"] = "";
  Host().codes["DE"] = "";
  Host().codes["LA"] = "";
  EXPECT_EQ(StreetNameStd("rue grande de paix la"), "STR_NAME_STD=#GRANDE  #PAIX ");
}

TEST_F(DerivedElements, WithoutObsFeatNothingIsAppended) {
  addr::AddressRecord record;
  record.streetName = "Main";
  record.city = "Springfield";
  record.postalCode = "12345";
  record.streetNumber = "12";
  record.unitNumber = "b";
  EXPECT_FALSE(creator_.AddStreetNameStd(nullptr, record, services_.getTokenInfo));
  EXPECT_TRUE(Host().transliterated.empty()) << "the street name calls no service then";
  EXPECT_FALSE(creator_.AddCityStd(nullptr, record, services_.getTokenInfo));
  EXPECT_FALSE(creator_.AddPostal5(nullptr, record));
  EXPECT_FALSE(creator_.AddStreetNumber(nullptr, record));
  EXPECT_FALSE(creator_.AddUnitNumber(nullptr, record));
  EXPECT_EQ(Appended(), "");
}

TEST_F(DerivedElements, NumbersAreUpperCasedCopies) {
  addr::AddressRecord record;
  record.streetNumber = "12a";
  record.unitNumber = "b";
  record.city = "new york";
  EXPECT_TRUE(creator_.AddStreetNumber(feature_, record));
  EXPECT_TRUE(creator_.AddUnitNumber(feature_, record));
  EXPECT_TRUE(creator_.AddCityStd(feature_, record, services_.getTokenInfo));
  EXPECT_EQ(Appended(), "STR_NUM=12A|UNIT_NUM=B|CITY_STD=#NEW #YORK");
  EXPECT_EQ(Host().tokenQueries.front(), "CITY|NEW");
}

TEST_F(DerivedElements, HostFillingWholeBuffersCannotMakeUsReadPastThem) {
  Host().fillWholeBuffers = true;
  EXPECT_EQ(StreetNameStd("Main"), "STR_NAME_STD=" + std::string(255, 'X'));
  ASSERT_EQ(Host().tokenQueries.size(), 1u);
  EXPECT_EQ(Host().tokenQueries[0], "STR_NAME|" + std::string(2047, 'X'));
}

}  // namespace
