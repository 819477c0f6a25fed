// The per-country word lists of the address parser: eleven lists of words with
// standard forms and two plain word sequences, held by the loaded configuration
// (parser_config.h), filled by its loader and read without locks afterwards.
// Tested by tests/addressparser/parser_config_test.cc.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace addr {

// The default full Unicode case folding of a word, as UTF-8: the key under which
// word lists store and find words. Text made only of ASCII is folded without ICU
// (A-Z become a-z, nothing else changes), which is what ICU gives for it. Folding
// maps code point by code point, so the folding of a phrase is the foldings of its
// words joined by the same separators.
std::string foldWord(std::string_view word);

// The eleven standard-form lists. STICKY_SUFFIX words also enter the SUFFIX list.
enum class ListKind {
  kPrefix,
  kSuffix,
  kBuildingSide,
  kUnitSide,
  kBuildingType,
  kCounty,
  kDiscard,
  kPoBox,
  kUnitLabel,
  kDirectional,
  kRural,
};
inline constexpr size_t kListKindCount = 11;

// Words matched ignoring case (full Unicode case folding): each entry is keyed by
// the folding of its word, so a look-up folds the query once (or not at all when
// the caller already holds the folding) and compares bytes.
class WordList {
 public:
  struct Entry {
    std::string word;          // text of the first PART that introduced the key
    std::string standardForm;  // from the latest PART with an equal word
  };
  // A folded word looked up in several lists: its hash is computed at most once,
  // by the first list that may hold the word.
  struct FoldedQuery {
    explicit FoldedQuery(std::string_view foldedWord) : folded(foldedWord) {}
    std::string_view folded;
    mutable std::optional<size_t> hash;
  };
  WordList();
  // Inserts `word`, or replaces the standard form of an equal word already present.
  void set(std::string_view word, std::string_view standardForm);
  const Entry* findFolded(std::string_view folded) const;
  // Inline, since most queries are told apart by mayContain alone.
  const Entry* findFolded(const FoldedQuery& query) const {
    return mayContain(query.folded) ? findHashed(query) : nullptr;
  }
  // False when no key is `folded` followed by a blank and more: then no phrase that
  // begins with that text and a blank is in the list. Tells most words that begin
  // no phrase by their length and first byte, the rest with one look-up.
  bool mayBeginPhrase(std::string_view folded) const;
  const Entry* find(std::string_view word) const;
  size_t size() const { return entries_.size(); }
  template <typename Visit>
  void forEachEntry(Visit visit) const {
    for (const auto& [key, entry] : entries_) visit(entry);
  }
  bool empty() const { return entries_.empty(); }

 private:
  // Lets find() take a string_view without building a std::string per query, or a
  // query whose hash is known.
  struct HashedKey {
    std::string_view text;
    size_t hash;
  };
  struct FoldedHash {
    using is_transparent = void;
    size_t operator()(std::string_view key) const { return std::hash<std::string_view>{}(key); }
    size_t operator()(const HashedKey& key) const { return key.hash; }
  };
  struct FoldedEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return a == b; }
    bool operator()(const HashedKey& a, std::string_view b) const { return a.text == b; }
    bool operator()(std::string_view a, const HashedKey& b) const { return a == b.text; }
  };
  // Most queries miss (a word tried against a list it is not in), so a miss is
  // usually told by the key's length and first byte before any hashing.
  bool mayContain(std::string_view folded) const {
    if ((keyLengths_ >> std::min(folded.size(), kLengthBits) & 1) == 0) return false;
    if (folded.empty()) return true;
    const auto first = static_cast<unsigned char>(folded.front());
    return (keyFirstBytes_[first >> 6] >> (first & 63) & 1) != 0;
  }
  const Entry* findHashed(const FoldedQuery& query) const;
  static constexpr size_t kLengthBits = 63;

  std::unordered_map<std::string, Entry, FoldedHash, FoldedEqual> entries_;
  uint64_t keyLengths_ = 0;         // bit min(length, 63) set for every key
  uint64_t keyFirstBytes_[4] = {};  // bit b set when some key starts with byte b
  // The same for keys that hold a blank: bit min(offset, 63) for each blank's offset,
  // and their first bytes.
  uint64_t phraseBlankOffsets_ = 0;
  uint64_t phraseFirstBytes_[4] = {};
  // Every text that some key continues with a blank ("po" and "post office" for the
  // key "post office box").
  std::unordered_set<std::string, FoldedHash, FoldedEqual> phraseBeginnings_;
};

// Byte-wise order of country codes, the order of std::less<std::string>. Written out
// because codes are two bytes long and every word look-up searches a country map:
// an inline loop beats a call to memcmp there.
struct CountryCodeOrder {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const {
    const size_t common = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < common; ++i) {
      if (a[i] != b[i]) return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[i]);
    }
    return a.size() < b.size();
  }
};

using WordListTable = std::map<std::string, WordList, CountryCodeOrder>;  // by country code
using WordSequenceTable =
    std::map<std::string, std::vector<std::string>, CountryCodeOrder>;  // by country code

// The list under `code`, else (when code is not "US") the "US" list, else null.
const WordList* wordListFor(const WordListTable& table, const std::string& code);
// wordListFor of every list kind at once, indexed by ListKind.
using CountryWordLists = std::array<const WordList*, kListKindCount>;

}  // namespace addr
