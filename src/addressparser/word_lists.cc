// The per-country word lists and their look-ups. Tested by parser_config_test.cc.
//
// Every look-up runs for each token and each candidate phrase of every record, so
// a WordList is a hash map keyed by the case folding of its words: a query costs one
// folding (none when the caller holds it) and a byte hash.
#include "addressparser/word_lists.h"

#include <algorithm>

#include "common/ustring.h"

namespace addr {
namespace {

const std::string kFallbackCountry = "US";

}  // namespace

std::string foldWord(std::string_view word) {
  std::string folded(word);
  for (char& c : folded) {
    if (static_cast<unsigned char>(c) >= 0x80) return cmn::FoldCase(word);
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

// Short bucket chains: a miss walks its whole chain.
WordList::WordList() { entries_.max_load_factor(0.5f); }

void WordList::set(std::string_view word, std::string_view standardForm) {
  auto [entry, inserted] = entries_.try_emplace(foldWord(word));
  if (inserted) {
    entry->second.word = std::string(word);
    const std::string& key = entry->first;
    keyLengths_ |= uint64_t{1} << std::min(key.size(), kLengthBits);
    if (!key.empty()) {
      const auto first = static_cast<unsigned char>(key.front());
      keyFirstBytes_[first >> 6] |= uint64_t{1} << (first & 63);
      for (size_t blank = key.find(' '); blank != std::string::npos;
           blank = key.find(' ', blank + 1)) {
        phraseBlankOffsets_ |= uint64_t{1} << std::min(blank, kLengthBits);
        phraseFirstBytes_[first >> 6] |= uint64_t{1} << (first & 63);
        phraseBeginnings_.insert(key.substr(0, blank));
      }
    }
  }
  entry->second.standardForm = std::string(standardForm);
}

bool WordList::mayBeginPhrase(std::string_view folded) const {
  if ((phraseBlankOffsets_ >> std::min(folded.size(), kLengthBits) & 1) == 0) return false;
  if (!folded.empty()) {
    const auto first = static_cast<unsigned char>(folded.front());
    if ((phraseFirstBytes_[first >> 6] >> (first & 63) & 1) == 0) return false;
  }
  return phraseBeginnings_.find(folded) != phraseBeginnings_.end();
}

const WordList::Entry* WordList::findFolded(std::string_view folded) const {
  if (!mayContain(folded)) return nullptr;
  auto found = entries_.find(folded);
  return found == entries_.end() ? nullptr : &found->second;
}

const WordList::Entry* WordList::findHashed(const FoldedQuery& query) const {
  if (!query.hash) query.hash = FoldedHash()(query.folded);
  auto found = entries_.find(HashedKey{query.folded, *query.hash});
  return found == entries_.end() ? nullptr : &found->second;
}

const WordList::Entry* WordList::find(std::string_view word) const {
  if (entries_.empty()) return nullptr;
  return findFolded(foldWord(word));
}

const WordList* wordListFor(const WordListTable& table, const std::string& code) {
  auto found = table.find(code);
  if (found != table.end()) return &found->second;
  if (code == kFallbackCountry) return nullptr;
  found = table.find(kFallbackCountry);
  return found == table.end() ? nullptr : &found->second;
}

}  // namespace addr
