// The host service "GetTokenInfo": standard forms and scores of street-name and
// city words, loaded once from the support directory.
//
// File format (tokenInfo.tsv, UTF-8, one entry per line):
//   category<TAB>word<TAB>standardForm<TAB>score
// category is STR_NAME, CITY, or * for both; the word is matched ignoring ASCII
// letter case (the plug-in upper-cases words before asking); standardForm may be
// empty (the word itself is then encoded); score is a decimal integer, 100 when the
// column is missing or empty. The plug-in drops words scoring below 50. Blank lines
// and lines starting with # are ignored. An entry for a named category wins over a
// * entry for the same word; among equal entries the later line wins.
// Tested by tests/host/host_services_test.cc.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "plugin/host_services.h"

namespace zeb {

inline constexpr const char* kTokenInfoFileName = "tokenInfo.tsv";
inline constexpr int32_t kDefaultTokenScore = 100;
inline constexpr size_t kDescribedMalformedLines = 5;

class TokenInfoTable {
 public:
  // Reads the file. A missing file is no error: the table stays empty and every
  // word gets no information. Malformed lines are skipped; the first
  // kDescribedMalformedLines are described in `problems` ("tokenInfo.tsv:12: ...",
  // the file's text escaped for a terminal), and one more entry counts the rest
  // ("tokenInfo.tsv: 37 more malformed lines"). Returns false only when the file
  // exists but cannot be read.
  bool load(const std::string& path, std::vector<std::string>& problems);
  // Adds one entry (category "*" for both).
  void add(std::string_view category, std::string_view word, std::string_view standardForm,
           int32_t score);

  // Fills `info` and returns true when the word has an entry under `category`. The
  // standard form stays owned by the table (null when empty). Safe from any thread
  // once loading is over.
  bool lookup(const char* category, const char* word, TokenInfo* info) const;
  size_t size() const { return entries_.size(); }

 private:
  struct Entry {
    std::string standardForm;
    int32_t score = kDefaultTokenScore;
    bool fromWildcard = false;
  };
  void put(std::string key, const Entry& entry);

  std::unordered_map<std::string, Entry> entries_;  // "CATEGORY\tWORD" upper-cased
  // No longer word has an entry: lookup answers it without copying or hashing it.
  size_t longestWord_ = 0;
};

}  // namespace zeb
