// Double Metaphone phonetic codes (Lawrence Philips' algorithm), the code behind the
// host service "MetaphoneEncode". Tested by tests/host/double_metaphone_test.cc.
#pragma once

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
MetaphoneCodes doubleMetaphone(std::string_view word);

}  // namespace zeb
