// Locality recognition: finding the city, region, postcode and country written at
// the end of a one-line address, so that only the street part reaches the rules.
// Tested by tests/addressparser/parse_driver_test.cc.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "addressparser/address_parser.h"

namespace addr {

// Phrases of one or more words (keys joined by blanks) and their values, looked up
// from a phrase's last word: most words end no phrase.
struct PhraseTable {
  std::unordered_map<std::string, std::string> values;
  std::unordered_set<std::string> lastWords;
  size_t longest = 0;  // words in the longest phrase

  // `phrase` as localityKey gives it.
  void add(const std::string& phrase, std::string value);
};

// What one country's locality recognition knows. Words are held folded (foldWord)
// with their full stops removed, the form in which a line's words are looked up.
struct LocalityData {
  // How the country writes its locality after the street: city, region, postcode
  // (US, CA, AU, GB), or postcode, city and perhaps a region (FR, DE, ES, IT, NL).
  enum class Order { kCityRegionPostcode, kPostcodeCityRegion };
  Order order = Order::kCityRegionPostcode;
  // A postcode shape: '9' stands for a digit, 'A' for a letter, a blank for the
  // blank between two words; any other character stands for itself, in either case.
  struct PostcodeShape {
    std::string shape;
    // Only right after a region name: a shape that a house or box number also has
    // (US ZIP codes that lost their leading zero).
    bool afterRegionOnly = false;
    // Text written before the postcode and left out of it (the D- of D-04109).
    std::string prefix;
  };
  std::vector<PostcodeShape> postcodes;
  PhraseTable regions;       // name or abbreviation -> standard form
  PhraseTable countryNames;  // name -> country code
  // Street words, from the country's word lists: where the street part may end.
  std::unordered_set<std::string> streetTypes, directionals, unitLabels, boxWords;
  // The words before the last of a box phrase (PO and P, O of PO BOX, P O BOX).
  std::unordered_set<std::string> boxLeadWords;
  // Words that join a street type written first to the name (RUE DE LA PAIX), and
  // the words that name a box's delivery station (PO BOX 4001 STN A).
  std::unordered_set<std::string> connectors, stations;
  // Care-of phrases (C/O, ATTN, CARE OF), each as its words' keys: a recipient written
  // inside the line is no part of the street.
  std::vector<std::vector<std::string>> careOf;
  // Every locality names its town (GB): a region found with no city before it is the
  // town of the same name (CARDIFF, SWANSEA).
  bool cityAlwaysWritten = false;
  // Words that begin a city and never end a street (SAINT, FORT), their
  // abbreviations that also name a street type (ST, FT: after a street type they
  // begin the city), words found only inside a city's name (TOWNSHIP), and words
  // that end the city's name, leaving themselves and what follows out (CEDEX 7).
  std::unordered_set<std::string> cityStarts, cityStartAbbreviations, cityWords, cityEnds;
};

// Reads the locality from the end of `line`. Parts not found stay empty; when none
// is found the whole line is the street part. A part is taken only when what is
// left still holds a street (a line that is only a city and region keeps them as
// locality and leaves no street).
LocalityParts findLocality(std::string_view line, const LocalityData& data);

// The key under which locality tables hold a word: folded, full stops and
// enclosing parentheses removed.
std::string localityKey(std::string_view word);

}  // namespace addr
