// Reading the LOCALITY elements of the parser configuration; used by the loader only.
// Tested by tests/addressparser/parse_driver_test.cc.
#pragma once

#include <libxml/tree.h>

#include "addressparser/locality.h"

namespace addr {

// Fills `data` from one LOCALITY element: the order of the parts, the postcode
// shapes, the region names and the city words. An order other than
// "CITY REGION POSTCODE" or "POSTCODE CITY REGION" throws Tarn_Exception naming it.
void loadLocality(xmlNodePtr element, LocalityData& data);

}  // namespace addr
