// Double Metaphone phonetic codes (Lawrence Philips' algorithm), the code behind the
// host service "MetaphoneEncode". Tested by tests/host/host_services_test.cc.
#pragma once

#include <cstddef>
#include <limits>
#include <string>
#include <string_view>

namespace zeb {

struct MetaphoneCodes {
  std::string primary;
  std::string secondary;
};

// Codes of one UTF-8 word, in the alphabet 0AFHJKLMNPRSTX, not cut to four
// characters. The word is upper-cased first; letters outside A-Z and the few Latin-1
// letters the algorithm knows (À Ç É Ê Ñ) produce nothing but keep their position, so
// they still shape the context of their neighbours.
//
// With `primaryLimit`, encoding stops as soon as the primary code holds that many
// characters: the primary code is then the first primaryLimit characters of the
// whole word's (or a few more), and the secondary code is unfinished. The host's
// service keeps no more than its buffer holds, and a word of megabytes would
// otherwise be encoded to the end.
MetaphoneCodes doubleMetaphone(std::string_view word,
                               size_t primaryLimit = std::numeric_limits<size_t>::max());

}  // namespace zeb
