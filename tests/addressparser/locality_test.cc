// Tests of locality recognition in one-line addresses.
#include "addressparser/locality.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

namespace addr {
namespace {

void addWords(std::unordered_set<std::string>& set, std::initializer_list<const char*> words) {
  for (const char* word : words) set.insert(localityKey(word));
}

LocalityData usData() {
  LocalityData data;
  data.postcodes = {{"99999", false, ""}, {"99999-9999", false, ""}, {"9999", true, ""}};
  for (auto [name, code] : {std::pair{"IL", "IL"},
                            {"Illinois", "IL"},
                            {"NY", "NY"},
                            {"New York", "NY"},
                            {"CT", "CT"},
                            {"FL", "FL"},
                            {"TX", "TX"}}) {
    data.regions[localityKey(name)] = code;
  }
  data.countryNames[localityKey("USA")] = "US";
  data.countryNames[localityKey("United States")] = "US";
  addWords(data.streetTypes, {"St", "Street", "Ave", "Rd", "Dr", "Ct", "Beach", "Park"});
  addWords(data.directionals, {"N", "S", "E", "W", "NW", "North", "West"});
  addWords(data.unitLabels, {"Apt", "Ste", "Unit", "FL"});
  addWords(data.boxWords, {"Box", "PO Box"});
  addWords(data.cityStarts, {"Saint", "Fort"});
  addWords(data.cityStartAbbreviations, {"St"});
  return data;
}

LocalityData postcodeFirstData() {
  LocalityData data;
  data.order = LocalityData::Order::kPostcodeCityRegion;
  data.postcodes = {{"99999", false, ""}, {"9999 AA", false, ""}, {"9999AA", false, ""}, {"99999", false, "D-"}};
  data.regions[localityKey("VI")] = "VI";
  data.regions[localityKey("Valencia")] = "Valencia";
  data.countryNames[localityKey("France")] = "FR";
  addWords(data.boxWords, {"BP", "Postfach"});
  addWords(data.cityEnds, {"Cedex"});
  return data;
}

struct Row {
  const char* line;
  const char* street;
  const char* city;
  const char* region;
  const char* postcode;
  const char* country = "";
};

void check(const LocalityData& data, const Row& row) {
  SCOPED_TRACE(row.line);
  const LocalityParts parts = findLocality(row.line, data);
  EXPECT_EQ(std::string(row.line).substr(0, parts.streetBytes), row.street);
  EXPECT_EQ(parts.city, row.city);
  EXPECT_EQ(parts.region, row.region);
  EXPECT_EQ(parts.postcode, row.postcode);
  EXPECT_EQ(parts.country, row.country);
}

TEST(FindLocality, CityRegionPostcode) {
  const Row rows[] = {
      {"123 Main St Apt 4, Springfield, IL 62704", "123 Main St Apt 4", "Springfield", "IL",
       "62704"},
      {"2215 OLD MILL RD GREEN BAY IL 54301-1402", "2215 OLD MILL RD", "GREEN BAY", "IL",
       "54301-1402"},
      {"10 E 70th St New York, New York 10065 USA", "10 E 70th St", "New York", "New York", "10065",
       "USA"},
      {"500 Lake Ave Austin TX", "500 Lake Ave", "Austin", "TX", ""},
      // A city whose last word is a street type, and one after the street's direction.
      {"391 Samoa Dr Huntington Beach FL 92646", "391 Samoa Dr", "Huntington Beach", "FL", "92646"},
      {"5280 Main St N Saint Petersburg FL 33714", "5280 Main St N", "Saint Petersburg", "FL",
       "33714"},
      {"1002 Ocean Ave St Simons Island FL 31522", "1002 Ocean Ave", "St Simons Island", "FL",
       "31522"},
      // The unit ends the street; the box number and a unit number are no postcodes.
      {"504 Seville Dr Ste 201 Denton TX 76205", "504 Seville Dr Ste 201", "Denton", "TX", "76205"},
      {"PO Box 11418", "PO Box 11418", "", "", ""},
      {"6811 Kenilworth Ave Unit 62704", "6811 Kenilworth Ave Unit 62704", "", "", ""},
      // A ZIP that lost its leading zero counts only after a region.
      {"216 Bloomfield St, Hoboken, CT 7030", "216 Bloomfield St", "Hoboken", "CT", "7030"},
      {"Box 7030", "Box 7030", "", "", ""},
      // A region alone after the street is the street's type; after a comma it is not.
      {"42 Cedar Crest Ct", "42 Cedar Crest Ct", "", "", ""},
      {"1824 South Wood Street, IL", "1824 South Wood Street", "", "IL", ""},
      // Only a locality; only a street.
      {"Springfield, IL 62704", "", "Springfield", "IL", "62704"},
      {"8128 S Martin Luther King Dr", "8128 S Martin Luther King Dr", "", "", ""},
      {"", "", "", "", ""},
  };
  const LocalityData data = usData();
  for (const Row& row : rows) check(data, row);
}

TEST(FindLocality, PostcodeCityRegion) {
  const Row rows[] = {
      {"41 rue des Carmes, 45000 Orléans", "41 rue des Carmes", "Orléans", "", "45000"},
      {"2 place du Capitole 31070 Toulouse Cedex 7 France", "2 place du Capitole", "Toulouse", "",
       "31070", "France"},
      {"Via Roma 12, 36100 Vicenza (VI)", "Via Roma 12", "Vicenza", "VI", "36100"},
      {"Via Roma 12 36100 Vicenza VI", "Via Roma 12", "Vicenza", "VI", "36100"},
      // A city named like its province stays the city.
      {"Calle Colón 5, 46001 Valencia", "Calle Colón 5", "Valencia", "", "46001"},
      {"Oudegracht 12 3511 LX Utrecht", "Oudegracht 12", "Utrecht", "", "3511 LX"},
      {"Oudegracht 12, 3511LX Utrecht", "Oudegracht 12", "Utrecht", "", "3511LX"},
      {"Theaterplatz 1, D-01067 Dresden", "Theaterplatz 1", "Dresden", "", "01067"},
      // The number after a box word is the box's.
      {"BP 12345 Lyon", "BP 12345 Lyon", "", "", ""},
      {"Hauptstraße 5, Leipzig", "Hauptstraße 5", "Leipzig", "", ""},
  };
  const LocalityData data = postcodeFirstData();
  for (const Row& row : rows) check(data, row);
}

}  // namespace
}  // namespace addr
