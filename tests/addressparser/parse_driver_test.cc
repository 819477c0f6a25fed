// The parse driver (field rules, discard words, the default unit label, the
// rural-route interplay, country fall-back, and whole parses with the tests' US
// configuration) and locality recognition in one-line addresses (the LOCALITY data as
// loaded, the parts found, and what the parse makes of them).
#include "addressparser/parse_driver.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "addressparser/locality.h"
#include "addressparser/parser_config.h"
#include "addressparser/parser_fixture.h"
#include "addressparser/token_text.h"
#include "errors/tarn_exception.h"
#include "test_checks.h"
#include "test_configuration.h"

namespace addr {
namespace {

using addr_test::makeTokens;

// The parsed-address fields that are not empty, as "name=value; ...".
std::string parsedFields(const AddressRecord& record) {
  const std::pair<const char*, const std::string*> fields[] = {
      {"streetNumber", &record.streetNumber},
      {"preDirectional", &record.preDirectional},
      {"streetName", &record.streetName},
      {"postDirectional", &record.postDirectional},
      {"prefix", &record.prefix},
      {"suffix", &record.suffix},
      {"buildingSide", &record.buildingSide},
      {"unitSide", &record.unitSide},
      {"unitLabel", &record.unitLabel},
      {"unitNumber", &record.unitNumber},
      {"poBoxType", &record.poBoxType},
      {"poBoxNumber", &record.poBoxNumber},
      {"rrhcLabel", &record.rrhcLabel},
      {"rrhcNumber", &record.rrhcNumber},
      {"rrhcBoxNumber", &record.rrhcBoxNumber},
  };
  std::string out;
  for (const auto& [name, value] : fields) {
    if (value->empty()) continue;
    if (!out.empty()) out += "; ";
    out += std::string(name) + "=" + *value;
  }
  return out;
}

using zeb_test::kUsConfiguration;

class ParseDriverTest : public addr_test::ParserFixture {
 protected:
  int parse(AddressRecord& r, ParseTrace* trace = nullptr) { return parser().parse(r, trace); }
  static AddressRecord record(const char* line1, const char* line2 = "",
                              const char* country = "USA") {
    AddressRecord r;
    r.addressLine1 = line1;
    r.addressLine2 = line2;
    r.country = country;
    return r;
  }
};

TEST_F(ParseDriverTest, FieldRulesOfAssembly) {
  const std::pair<const char*, const char*> rows[] = {
      {"N:PREDIR W:PREDIR", "preDirectional=NW"},
      {"MAIN:STREETNAME X ELM:STREETNAME", "streetName=MAIN ELM"},
      {"12:STREETNUM MAIN:STREETNAME 14:STREETNUM", "streetNumber=14; streetName=MAIN"},
      {"4:UNITNUM", "unitLabel=Unit; unitNumber=4"},
      {"APT:UNITLABEL 4:UNITNUM", "unitLabel=APT; unitNumber=4"},
      {"APT:UNITLABEL", "unitLabel=APT"},
      {"PO_BOX:POBOXTYPE 12:POBOXNUM RR:RRHCLABEL 3:RRHCNUM",
       "rrhcLabel=RR; rrhcNumber=3; rrhcBoxNumber=12"},
      {"RR:RRHCLABEL BOX:POBOXTYPE 9:POBOXNUM", "rrhcLabel=RR; rrhcBoxNumber=9"},
      {"PO_BOX:POBOXTYPE 12:POBOXNUM", "poBoxType=PO BOX; poBoxNumber=12"},
      {"POSTFACH:POBOXTYPE 10:POBOXNUM 12:POBOXNUM", "poBoxType=POSTFACH; poBoxNumber=10 12"},
      {"9351:POBOXNUM PO_BOX:POBOXTYPE 8500:POBOXNUM", "poBoxType=PO BOX; poBoxNumber=8500"},
      {"BLDG:BUILDINGTYPE KING:COUNTY", ""},
      {"HWY:PREFIX REAR:BUILDINGSIDE UPPER:UNITSIDE ST:SUFFIX E:POSTDIR 7:RRHCBOXNUM",
       "postDirectional=E; prefix=HWY; suffix=ST; buildingSide=REAR; unitSide=UPPER; "
       "rrhcBoxNumber=7"},
      {"X Y:", ""},
  };
  zeb_test::ExpectEach(rows, [](const char* written) {
    TokenList tokens = makeTokens(written, "US");
    AddressRecord r;
    assembleParsedAddress(tokens, r);
    return parsedFields(r);
  });
}

TEST_F(ParseDriverTest, DiscardWordsAreAllRemovedEvenSideBySide) {
  load(kUsConfiguration);
  TokenList tokens = makeTokens("ATTN attn 12 ATTN MAIN ATTN", "US");
  discardWords(config(), tokens);
  EXPECT_EQ("12:? MAIN:?", addr_test::dumpTokens(tokens));
}

TEST_F(ParseDriverTest, ParsesUsAddresses) {
  load(kUsConfiguration);
  const char* const rows[][4] = {
      {"123 N MAIN ST APT 4", "", "USA",
       "streetNumber=123; preDirectional=N; streetName=MAIN; suffix=ST; unitLabel=APT; "
       "unitNumber=4"},
      {"123 n. Main Street", "Apt. 4", "USA",
       "streetNumber=123; preDirectional=N; streetName=MAIN; suffix=STREET; unitLabel=APT; "
       "unitNumber=4"},
      {"456 OAK TREE AVE", "", "USA", "streetNumber=456; streetName=OAK TREE; suffix=AVE"},
      {"77 ELM ST N 4B", "", "USA",
       "streetNumber=77; streetName=ELM; postDirectional=N; suffix=ST; unitLabel=Unit; "
       "unitNumber=4B"},
      {"12 MAIN ST #5", "", "USA",
       "streetNumber=12; streetName=MAIN; suffix=ST; unitLabel=#; unitNumber=5"},
      {"PO BOX 12", "", "USA", "poBoxType=PO BOX; poBoxNumber=12"},
      {"RR 3 BOX 12", "", "USA", "rrhcLabel=RR; rrhcNumber=3; rrhcBoxNumber=12"},
      {"C/O JOHN SMITH", "9 ELM ST", "USA", "streetNumber=9; streetName=ELM; suffix=ST"},
      // An unknown country falls back to the default, US.
      {"9 ELM ST", "", "Atlantis", "streetNumber=9; streetName=ELM; suffix=ST"},
      {"9 ELM ST", "", "", "streetNumber=9; streetName=ELM; suffix=ST"},
      // Canada has word lists through the US fall-back but no rules: nothing settles.
      {"9 ELM ST APT 4", "", "Canada", ""},
  };
  for (const auto& [line1, line2, country, fields] : rows) {
    AddressRecord r = record(line1, line2, country);
    EXPECT_EQ(0, parse(r));
    EXPECT_EQ(fields, parsedFields(r)) << line1 << " / " << line2 << " in " << country;
  }
}

TEST_F(ParseDriverTest, NoAddressTextLeavesEveryFieldAlone) {
  load(kUsConfiguration);
  for (const char* line : {"", "C/O JOHN SMITH"}) {
    AddressRecord r = record(line, line);
    r.addressLine3 = line;
    r.streetName = "kept";
    r.unitNumber = "7";
    EXPECT_EQ(0, parse(r));
    EXPECT_EQ("streetName=kept; unitNumber=7", parsedFields(r)) << "[" << line << "]";
  }
}

TEST_F(ParseDriverTest, BrokenRuleLeavesBeforeAnyFieldIsWritten) {
  load(R"(<C><RULESET c2="US"><NOCONTEXT>
      <RULE name="number" condition="ISNUMBER" set="STREETNUM"/>
      <RULE name="broken" condition="ISTOKENA:streetname" set="STREETNAME"/>
    </NOCONTEXT></RULESET></C>)");
  AddressRecord r = record("12 MAIN");
  for (int attempt = 0; attempt < 2; ++attempt) {
    EXPECT_THROW(parse(r), Tarn_Exception);
    EXPECT_EQ("", parsedFields(r));
  }
}

TEST_F(ParseDriverTest, OverlongAddressIsRefusedWhole) {
  load(kUsConfiguration);
  const std::string fits(kMaxAddressBytes - 10, 'B');
  AddressRecord r = record("12 MAIN ST", fits.c_str());
  EXPECT_EQ(0, parse(r));
  EXPECT_EQ("12", r.streetNumber);

  r = record("12 MAIN ST", (fits + "B").c_str());
  const auto e = zeb_test::Thrown<Tarn_Exception>([&] { parse(r); });
  ASSERT_TRUE(e) << "an address of " << kMaxAddressBytes + 1 << " bytes was parsed";
  EXPECT_STREQ(e->what(),
               "Address too long to parse: ADDR1 to ADDR3 hold 4097 bytes together, at most 4096 "
               "are parsed");
  EXPECT_EQ("", parsedFields(r));
}

TEST_F(ParseDriverTest, TraceReportsEachStep) {
  load(kUsConfiguration);
  AddressRecord r = record("C/O ANN", "ATTN 456 OAK TREE AVE");
  addr_test::RecordingTrace trace;
  EXPECT_EQ(0, parse(r, &trace));
  std::erase_if(trace.events, [](const std::string& event) {
    return event.starts_with("narrowed") || event.starts_with("passEnd");
  });
  const std::vector<std::string> expected = {
      "country [USA] US",
      "care-of C/O ANN",
      "text ATTN 456 OAK TREE AVE",
      "tokens ATTN:? 456:? OAK:? TREE:? AVE:?",
      "discarded ATTN",
      "rules US 21",
      "fired 0 0 house number ended",
      "fired 0 1 name after number ended",
      "fired 0 3 suffix ended",
      "fired 1 2 name before suffix ended",
      "merged 1 1 [OAK TREE] [TREE]",
      "assembled 456:STREETNUM OAK_TREE:STREETNAME AVE:SUFFIX",
  };
  EXPECT_EQ(expected, trace.events);
  EXPECT_EQ("streetNumber=456; streetName=OAK TREE; suffix=AVE", parsedFields(r));
}

class Locality : public ::testing::Test {
 protected:
  const AddressParserPtr parser_ = AddressParser::fromText(
      zeb_test::kLocality, AddressParser::fromText(zeb_test::kUsConfiguration).get());

  // Rows of a line and its parts as "street|city|region|postcode", then "|country"
  // when one is named.
  using Row = std::pair<const char*, const char*>;
  void check(const char* code, const Row& row) {
    const LocalityData* data = configOf(*parser_).localityFor(code);
    ASSERT_NE(data, nullptr);
    const LocalityParts parts = findLocality(row.first, *data);
    std::string found = std::string(parts.street(row.first)) + "|" + parts.city + "|" +
                        parts.region + "|" + parts.postcode;
    if (!parts.country.empty()) found += "|" + parts.country;
    EXPECT_EQ(found, row.second) << row.first;
  }
};

TEST_F(Locality, CityRegionPostcode) {
  const Row rows[] = {
      {"123 Main St Apt 4, Springfield, IL 62704", "123 Main St Apt 4|Springfield|IL|62704"},
      {"2215 OLD MILL RD GREEN BAY IL 54301-1402", "2215 OLD MILL RD|GREEN BAY|IL|54301-1402"},
      {"10 E 70th St New York, New York 10065 USA", "10 E 70th St|New York|New York|10065|USA"},
      {"500 Lake Ave Austin TX", "500 Lake Ave|Austin|TX|"},
      // A city after the street's direction; one that begins with a street type's
      // abbreviation; one whose first word is a street type.
      {"5280 Main St N Saint Petersburg FL 33714", "5280 Main St N|Saint Petersburg|FL|33714"},
      {"1002 Ocean Ave St Simons Island FL 31522", "1002 Ocean Ave|St Simons Island|FL|31522"},
      {"4494 Straight Rd Ln Center Point IL 52213", "4494 Straight Rd Ln|Center Point|IL|52213"},
      // Units, boxes and floors are no postcodes, cities or regions.
      {"504 Seville Dr Ste 201 Denton TX 76205", "504 Seville Dr Ste 201|Denton|TX|76205"},
      {"PO Box 11418", "PO Box 11418|||"},
      {"6811 Kenilworth Ave Unit 62704", "6811 Kenilworth Ave Unit 62704|||"},
      {"1750 Tysons Blvd Fourth FL", "1750 Tysons Blvd Fourth FL|||"},
      {"216 Bloomfield St, Hoboken, CT 7030", "216 Bloomfield St|Hoboken|CT|7030"},
      {"Box 7030", "Box 7030|||"},
      {"RR 4 Box 164 A Rio IL 61472", "RR 4 Box 164 A|Rio|IL|61472"},
      // A region alone after the street is its type; after a comma it is a region.
      {"42 Cedar Crest Ct", "42 Cedar Crest Ct|||"},
      {"1824 South Wood Street, IL", "1824 South Wood Street||IL|"},
      // A street line alone comes through whole, directions after a comma included.
      {"8128 S Martin Luther King Dr", "8128 S Martin Luther King Dr|||"},
      {"75 Fifth Street, NW", "75 Fifth Street, NW|||"},
      {"4810 Crystal Lake Road, Unit C-D", "4810 Crystal Lake Road, Unit C-D|||"},
      {"Springfield, IL 62704", "|Springfield|IL|62704"},
      // A part with no number and no street word before the street names a building.
      {"Rose Cottage, Mill Ln, Springfield IL", "Mill Ln|Springfield|IL|"},
      {"Office of General Counsel, 820 N Michigan Ave, Chicago, IL 60611",
       "820 N Michigan Ave|Chicago|IL|60611"},
      {"Air Systems Consultants, Inc., 162 Limerick Ln, Springfield IL",
       "162 Limerick Ln|Springfield|IL|"},
      // A customer number before a box, a recipient anywhere but alone, the station after
      // a box: none is street.
      {"Customer # 55-0037082 PO Box 427 Springfield IL 62704", "PO Box 427|Springfield|IL|62704"},
      {"3348 Peachtree Rd NE c/o David Allman", "3348 Peachtree Rd NE|||"},
      {"6000 Feldwood Rd care of BOA Box 402605, Springfield IL",
       "6000 Feldwood Rd Box 402605|Springfield|IL|"},
      {"C/O:Charlotte Duran 2905 Rodeo Park Dr, Springfield IL",
       "2905 Rodeo Park Dr|Springfield|IL|"},
      {"c/o John Smith", "c/o John Smith|||"},
      // Plain words before a house number with its street type, or before a box, name
      // the recipient; a floor after its number ends the street.
      {"Janet Smith 7710 Main Ave Apt 1110 Springfield IL",
       "7710 Main Ave Apt 1110|Springfield|IL|"},
      {"HRCC Inc PO Box 1313 Springfield IL", "PO Box 1313|Springfield|IL|"},
      {"300 Randolph St 4th Floor Springfield IL", "300 Randolph St 4th Floor|Springfield|IL|"},
      // ZIPs written with an en dash or a stray quote; a box number then a city named
      // with a street type.
      {"1019 Market St Springfield IL 94103\u20131612",
       "1019 Market St|Springfield|IL|94103\u20131612"},
      {"204 Gault Ave Springfield IL 35968\"", "204 Gault Ave|Springfield|IL|35968"},
      {"PO Box 790126 St Louis IL 63179", "PO Box 790126|St Louis|IL|63179"},
      {"", "|||"},
  };
  for (const Row& row : rows) check("US", row);
}

TEST_F(Locality, PostcodeCityRegion) {
  const Row rows[] = {
      {"41 rue des Carmes, 45000 Orléans", "41 rue des Carmes|Orléans||45000"},
      {"2 place du Capitole 31070 Toulouse Cedex 7 France",
       "2 place du Capitole|Toulouse||31070|France"},
      {"Via Roma 12, 36100 Vicenza (VI)", "Via Roma 12|Vicenza|VI|36100"},
      {"Via Roma 12 36100 Vicenza VI", "Via Roma 12|Vicenza|VI|36100"},
      {"Rúa do Vilar 12, 15705 Santiago (A Coruña)", "Rúa do Vilar 12|Santiago|A Coruña|15705"},
      // A city named like its province stays the city; a district is left out.
      {"Calle Colón 5, 46001 Valencia", "Calle Colón 5|Valencia||46001"},
      {"Via Chiesa 7, Frazione Valle, 36078 Valdagno", "Via Chiesa 7|Valdagno||36078"},
      {"Oudegracht 12 3511 LX Utrecht", "Oudegracht 12|Utrecht||3511 LX"},
      {"Oudegracht 12, 3511LX Utrecht", "Oudegracht 12|Utrecht||3511LX"},
      {"1 place Bellecour, F-69002 Lyon", "1 place Bellecour|Lyon||69002"},
      {"Box 12345 Lyon", "Box 12345 Lyon|||"},
  };
  for (const Row& row : rows) check("FR", row);
}

// The parse reads the locality only when the record has no city and no postal code,
// and gives the rules the street part alone.
TEST_F(Locality, ParseFillsWhatTheRecordLacks) {
  AddressRecord oneLine;
  oneLine.addressLine1 = "123 Main St Apt 4, Springfield, IL 62704";
  parser_->parse(oneLine);
  EXPECT_TRUE(oneLine.localityFromText);
  EXPECT_EQ(oneLine.streetName + "|" + oneLine.unitNumber, "MAIN|4");
  EXPECT_EQ(oneLine.city + "|" + oneLine.region + "|" + oneLine.postalCode, "Springfield|IL|62704");

  AddressRecord split;
  split.addressLine1 = "123 Main St Springfield IL";
  split.city = "Chicago";
  parser_->parse(split);
  EXPECT_FALSE(split.localityFromText);
  EXPECT_EQ(split.city, "Chicago");
  EXPECT_EQ(split.region, "");

  AddressRecord noLines;
  parser_->parse(noLines);
  EXPECT_FALSE(noLines.localityFromText);

  AddressRecord localityOnly;
  localityOnly.addressLine1 = "1 Main St";
  localityOnly.addressLine2 = "Springfield IL 62704";
  localityOnly.region = "Illinois";
  parser_->parse(localityOnly);
  EXPECT_EQ(localityOnly.streetName + "|" + localityOnly.city + "|" + localityOnly.region,
            "MAIN|Springfield|Illinois");
}

}  // namespace
}  // namespace addr
