// Reading the LOCALITY elements of the parser configuration; used by the loader only.
// Tested by tests/addressparser/locality_test.cc.
#pragma once

#include <libxml/tree.h>

#include <string>
#include <vector>

#include "addressparser/locality.h"

namespace addr {

// Fills `data` from one LOCALITY element: the order of the parts, the postcode
// shapes, the region names and the city words. An order other than
// "CITY REGION POSTCODE" or "POSTCODE CITY REGION" throws Tarn_Exception naming it.
void loadLocality(xmlNodePtr element, LocalityData& data);

// Adds the words of one of the country's word lists (words and standard forms) to a
// set of street words, keyed as locality recognition looks them up.
void addLocalityWords(std::unordered_set<std::string>& set, const std::vector<std::string>& words);
// Adds the connecting words of the phrases among a list of street types written
// before the name (DE and LA of RUE DE LA).
void addLocalityConnectors(std::unordered_set<std::string>& set,
                           const std::vector<std::string>& prefixTypes);

}  // namespace addr
