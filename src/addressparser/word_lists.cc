// The per-country word lists and their look-ups. Tested by word_lists_test.cc.
//
// Every look-up runs for each token and each candidate phrase of every record, so
// a WordList is a hash map keyed by the case folding of its words: a query costs one
// folding (none when the caller holds it) and a byte hash. The case-insensitive
// order that display needs is produced on demand by ordered().
#include "addressparser/word_lists.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <functional>

#include "addressparser/config_nodes.h"
#include "common/ustring.h"
#include "xml/xml_doc.h"

namespace addr {
namespace {

const std::string kFallbackCountry = "US";

// Process-wide tables: created empty when the library is loaded, filled only while
// the configuration loads, read without locks afterwards.
std::array<WordListTable, kListKindCount>& allWordListTables() {
  static std::array<WordListTable, kListKindCount> tables;
  return tables;
}

// What one list element of ADDRESSPARTS is read into. The order is the order of
// reading; STICKY_SUFFIX is read twice.
enum class Target { kWordList, kStickySuffixIntoSuffix, kStickySuffixes, kCareOf };
struct ListLayout {
  const char* element;
  Target target;
  ListKind kind;  // for kWordList
};
constexpr ListLayout kListLayouts[] = {
    {"PREFIX", Target::kWordList, ListKind::kPrefix},
    {"SUFFIX", Target::kWordList, ListKind::kSuffix},
    {"STICKY_SUFFIX", Target::kStickySuffixIntoSuffix, ListKind::kSuffix},
    {"STICKY_SUFFIX", Target::kStickySuffixes, ListKind::kSuffix},
    {"BUILDINGSIDE", Target::kWordList, ListKind::kBuildingSide},
    {"UNITSIDE", Target::kWordList, ListKind::kUnitSide},
    {"BUILDINGTYPE", Target::kWordList, ListKind::kBuildingType},
    {"COUNTY", Target::kWordList, ListKind::kCounty},
    {"DISCARD", Target::kWordList, ListKind::kDiscard},
    {"POBOX", Target::kWordList, ListKind::kPoBox},
    {"UNITLABEL", Target::kWordList, ListKind::kUnitLabel},
    {"DIRECTIONAL", Target::kWordList, ListKind::kDirectional},
    {"RURAL", Target::kWordList, ListKind::kRural},
    {"CAREOF", Target::kCareOf, ListKind::kSuffix},
};

// Fills `list` from the PART children of `listElement`; equal words (ignoring case)
// keep the first text and take the latest standard form.
void readParts(xmlNodePtr listElement, WordList& list) {
  for (xmlNodePtr part = firstChildNamed(listElement, "PART"); part != nullptr;
       part = nextElementOfSameName(part)) {
    list.set(NodeAttribute(part, "data", ""), NodeAttribute(part, "std", ""));
  }
}

std::vector<std::string> readSequence(xmlNodePtr listElement) {
  std::vector<std::string> words;
  for (xmlNodePtr part = firstChildNamed(listElement, "PART"); part != nullptr;
       part = nextElementOfSameName(part)) {
    words.push_back(NodeAttribute(part, "data", ""));
  }
  return words;
}

const std::vector<std::string>& sequenceOf(const WordSequenceTable& table,
                                           const std::string& code) {
  static const std::vector<std::string> kNone;
  auto found = table.find(code);
  return found == table.end() ? kNone : found->second;
}

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

std::vector<const WordList::Entry*> WordList::ordered() const {
  std::vector<const Entry*> result;
  result.reserve(entries_.size());
  for (const auto& [key, entry] : entries_) result.push_back(&entry);
  std::sort(result.begin(), result.end(),
            [](const Entry* a, const Entry* b) { return cmn::CaseCompare(a->word, b->word) < 0; });
  return result;
}

WordListTable& wordListTable(ListKind kind) {
  return allWordListTables()[static_cast<size_t>(kind)];
}

WordSequenceTable& stickySuffixTable() {
  static WordSequenceTable table;
  return table;
}

WordSequenceTable& careOfTable() {
  static WordSequenceTable table;
  return table;
}

namespace {
std::atomic<uint64_t> generation{1};
}  // namespace

uint64_t tablesGeneration() { return generation.load(std::memory_order_relaxed); }

void tablesChanged() { generation.fetch_add(1, std::memory_order_relaxed); }

namespace {

const WordList* searchWordList(const WordListTable& table, const std::string& code) {
  auto found = table.find(code);
  if (found != table.end()) return &found->second;
  if (code == kFallbackCountry) return nullptr;
  found = table.find(kFallbackCountry);
  return found == table.end() ? nullptr : &found->second;
}

// Every parse asks for up to eleven lists of one country, several times over, and
// each answer is a search of a map by code that changes only with the tables: each
// thread keeps the answers for the last country it asked about. Plain data, so that
// reaching it costs no per-thread construction check.
constexpr size_t kRememberedCodeSize = 7;  // longer codes are searched every time
struct CountryLists {
  uint64_t generation = 0;
  uint32_t known = 0;  // bit per ListKind: lists[kind] is the answer
  uint8_t codeSize = 0;
  char code[kRememberedCodeSize] = {};
  const WordList* lists[kListKindCount] = {};

  bool isFor(const std::string& other) const {
    if (other.size() != codeSize) return false;
    for (size_t i = 0; i < codeSize; ++i) {
      if (other[i] != code[i]) return false;
    }
    return true;
  }
};

// The calling thread's answers for `code`, reset when the code or the tables change.
CountryLists& rememberedListsFor(const std::string& code) {
  thread_local constinit CountryLists remembered;
  const uint64_t current = tablesGeneration();
  if (remembered.generation != current || !remembered.isFor(code)) {
    remembered.generation = current;
    remembered.known = 0;
    remembered.codeSize = static_cast<uint8_t>(code.size());
    std::copy(code.begin(), code.end(), remembered.code);
  }
  return remembered;
}

}  // namespace

const WordList* wordListFor(const WordListTable& table, const std::string& code) {
  const auto& tables = allWordListTables();
  const std::less<const WordListTable*> before;
  if (code.size() > kRememberedCodeSize || before(&table, tables.data()) ||
      !before(&table, tables.data() + tables.size())) {
    return searchWordList(table, code);
  }
  const auto index = static_cast<size_t>(&table - tables.data());
  CountryLists& remembered = rememberedListsFor(code);
  const uint32_t bit = uint32_t{1} << index;
  if ((remembered.known & bit) == 0) {
    remembered.lists[index] = searchWordList(table, code);
    remembered.known |= bit;
  }
  return remembered.lists[index];
}

CountryWordLists wordListsFor(const std::string& code) {
  const auto& tables = allWordListTables();
  CountryWordLists lists;
  if (code.size() > kRememberedCodeSize) {
    for (size_t index = 0; index < kListKindCount; ++index) {
      lists[index] = searchWordList(tables[index], code);
    }
    return lists;
  }
  CountryLists& remembered = rememberedListsFor(code);
  constexpr uint32_t kAll = (uint32_t{1} << kListKindCount) - 1;
  if (remembered.known != kAll) {
    for (size_t index = 0; index < kListKindCount; ++index) {
      if ((remembered.known >> index & 1) == 0) {
        remembered.lists[index] = searchWordList(tables[index], code);
      }
    }
    remembered.known = kAll;
  }
  std::copy(std::begin(remembered.lists), std::end(remembered.lists), lists.begin());
  return lists;
}

bool isInWordList(const WordListTable& table, std::string_view word, const std::string& code) {
  const WordList* list = wordListFor(table, code);
  return list != nullptr && list->find(word) != nullptr;
}

bool isInWordListFolded(const WordListTable& table, std::string_view folded,
                        const std::string& code) {
  const WordList* list = wordListFor(table, code);
  return list != nullptr && list->findFolded(folded) != nullptr;
}

std::string standardFormOf(const WordListTable& table, std::string_view word,
                           const std::string& code) {
  const WordList* list = wordListFor(table, code);
  if (list == nullptr) return std::string();
  const WordList::Entry* entry = list->find(word);
  return entry == nullptr ? std::string() : entry->standardForm;
}

const std::string* standardFormOfFolded(const WordListTable& table, std::string_view folded,
                                        const std::string& code) {
  const WordList* list = wordListFor(table, code);
  if (list == nullptr) return nullptr;
  const WordList::Entry* entry = list->findFolded(folded);
  return entry == nullptr ? nullptr : &entry->standardForm;
}

const std::vector<std::string>& stickySuffixesOf(const std::string& code) {
  return sequenceOf(stickySuffixTable(), code);
}

const std::vector<std::string>& careOfWordsOf(const std::string& code) {
  return sequenceOf(careOfTable(), code);
}

void loadAddressParts(xmlNodePtr addressParts) {
  const std::string code = NodeAttribute(addressParts, "c2", "");
  for (const ListLayout& layout : kListLayouts) {
    xmlNodePtr listElement = firstChildNamed(addressParts, layout.element);
    // A missing list element leaves whatever an earlier ADDRESSPARTS stored.
    if (listElement == nullptr) continue;
    switch (layout.target) {
      case Target::kWordList: {
        // A list element without PART stores an empty list, which hides the "US"
        // fallback for this country.
        WordList list;
        readParts(listElement, list);
        wordListTable(layout.kind)[code] = std::move(list);
        break;
      }
      case Target::kStickySuffixIntoSuffix:
        // Added to the country's suffixes rather than replacing them, so that a
        // country keeps its ordinary street types next to the split-off ones.
        readParts(listElement, wordListTable(ListKind::kSuffix)[code]);
        break;
      case Target::kStickySuffixes:
        stickySuffixTable()[code] = readSequence(listElement);
        break;
      case Target::kCareOf:
        careOfTable()[code] = readSequence(listElement);
        break;
    }
  }
  tablesChanged();
}

void clearWordLists() {
  tablesChanged();
  for (WordListTable& table : allWordListTables()) table.clear();
  stickySuffixTable().clear();
  careOfTable().clear();
}

}  // namespace addr
