// Reading the LOCALITY elements of the parser configuration.
// Tested by tests/addressparser/parse_driver_test.cc.
#include "addressparser/locality_loader.h"

#include "addressparser/config_xml.h"
#include "errors/tarn_exception.h"

namespace addr {
namespace {

bool isYes(xmlNodePtr element, const char* attribute) {
  return NodeAttribute(element, attribute, "") == "YES";
}

template <typename Visit>
void forEachChild(xmlNodePtr element, const char* name, Visit visit) {
  for (xmlNodePtr child = firstChildNamed(element, name); child != nullptr;
       child = nextElementOfSameName(child)) {
    visit(child);
  }
}

}  // namespace

void loadLocality(xmlNodePtr element, LocalityData& data) {
  const std::string order = NodeAttribute(element, "order", "CITY REGION POSTCODE");
  if (order == "CITY REGION POSTCODE") {
    data.order = LocalityData::Order::kCityRegionPostcode;
  } else if (order == "POSTCODE CITY REGION") {
    data.order = LocalityData::Order::kPostcodeCityRegion;
  } else {
    throw Tarn_Exception("loadLocality()",
                         "LOCALITY c2=\"" + NodeAttribute(element, "c2", "") +
                             "\": unknown order \"" + order +
                             "\" (known: \"CITY REGION POSTCODE\", \"POSTCODE CITY REGION\")",
                         CRITICAL_ERROR);
  }
  data.cityAlwaysWritten = isYes(element, "cityAlways");
  forEachChild(element, "POSTCODE", [&](xmlNodePtr postcode) {
    data.postcodes.push_back({NodeAttribute(postcode, "shape", ""), isYes(postcode, "afterRegion"),
                              NodeAttribute(postcode, "prefix", "")});
  });
  forEachChild(element, "REGIONNAME", [&](xmlNodePtr region) {
    data.regions.add(localityKey(NodeAttribute(region, "data", "")),
                     NodeAttribute(region, "std", ""));
  });
  forEachChild(element, "CITYSTART", [&](xmlNodePtr word) {
    auto& set = isYes(word, "afterStreetType") ? data.cityStartAbbreviations : data.cityStarts;
    set.insert(localityKey(NodeAttribute(word, "data", "")));
  });
  forEachChild(element, "CITYWORD", [&](xmlNodePtr word) {
    data.cityWords.insert(localityKey(NodeAttribute(word, "data", "")));
  });
  forEachChild(element, "STATION", [&](xmlNodePtr word) {
    data.stations.insert(localityKey(NodeAttribute(word, "data", "")));
  });
  forEachChild(element, "CITYEND", [&](xmlNodePtr word) {
    data.cityEnds.insert(localityKey(NodeAttribute(word, "data", "")));
  });
}

}  // namespace addr
