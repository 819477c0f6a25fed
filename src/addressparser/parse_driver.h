// The parser's entry for record processing: one record's address lines in, its
// parsed-address fields out. Tested by tests/addressparser/parse_driver_test.cc.
#pragma once

#include "addressparser/address_record.h"

namespace addr {

// Always returns 0. Exceptions from condition compilation pass through to the caller.
int parseAddress(AddressRecord& record);

}  // namespace addr
