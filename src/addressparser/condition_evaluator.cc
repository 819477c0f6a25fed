// Evaluation of compiled rule conditions: one switch on the keyword code, one
// function per keyword. Tested by condition_test.cc.
#include "addressparser/condition_evaluator.h"

#include <array>
#include <memory>
#include <string_view>
#include <vector>

#include "addressparser/condition_compiler.h"
#include "addressparser/condition_keywords.h"
#include "addressparser/condition_program.h"

namespace addr {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool hasDigit(std::string_view text) {
  for (char c : text) {
    if (isDigit(c)) return true;
  }
  return false;
}

bool hasOnlyDigits(std::string_view text) {
  for (char c : text) {
    if (!isDigit(c)) return false;
  }
  return true;
}

size_t codePointCount(std::string_view utf8) {
  size_t count = 0;
  for (char c : utf8) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
  }
  return count;
}

// Everything a keyword test needs: the tokens, the unmoved current position, the
// moved one, and the leaf's first parameter.
struct LeafContext {
  TokenList& tokens;
  size_t current;
  size_t position;
  const ConditionNode& leaf;
  TokenMeaning meaning;  // first parameter, UNKNOWN when there is none
  WordListMemo& memo;

  AddressToken& token() const { return *tokens[position]; }
  MeaningIndex* index() const { return memo.meanings; }
  // Tokens strictly before the current one (clamped to the list).
  size_t beforeEnd() const { return current < tokens.size() ? current : tokens.size(); }
};

bool inWordList(ListKind kind, const LeafContext& c) {
  return c.memo.entry(kind, c.tokens, c.position) != nullptr;
}

bool standardFormIsOneOf(ListKind kind, const LeafContext& c, std::string_view first,
                         std::string_view second, std::string_view third = {}) {
  const WordList::Entry* entry = c.memo.entry(kind, c.tokens, c.position);
  if (entry == nullptr) return false;
  const std::string& form = entry->standardForm;
  return form == first || form == second || (!third.empty() && form == third);
}

// WEHAVE: offset 0 scans the whole list, the current token included; a positive
// offset the tokens after the current one; a negative one the tokens before it.
bool weHave(const LeafContext& c) {
  size_t begin = 0;
  size_t end = c.tokens.size();
  if (c.leaf.offset > 0) {
    begin = c.current + 1;
  } else if (c.leaf.offset < 0) {
    end = c.beforeEnd();
  }
  if (c.index() != nullptr && c.meaning < kCandidateCount) {
    return c.index()->firstWithMeaning(c.meaning, begin, end) != MeaningIndex::kNone;
  }
  for (size_t i = begin; i < end; ++i) {
    if (settledMeaning(*c.tokens[i]) == c.meaning) return true;
  }
  return false;
}

// WEHAVEPOSSIBLETOKENMEANING: a positive offset scans after the current token; zero
// and negative offsets scan before it (never the current token itself).
bool weHavePossibleTokenMeaning(const LeafContext& c) {
  size_t begin = 0;
  size_t end = c.beforeEnd();
  if (c.leaf.offset > 0) {
    begin = c.current + 1;
    end = c.tokens.size();
  }
  if (c.index() != nullptr) return c.index()->anyCandidate(c.meaning, begin, end);
  for (size_t i = begin; i < end; ++i) {
    if (c.tokens[i]->isCandidate(c.meaning)) return true;
  }
  return false;
}

bool meaningsCompete(const LeafContext& c) {
  const AddressToken& token = c.token();
  if (token.candidateCount() != c.leaf.parameters.size()) return false;
  for (TokenMeaning m : c.leaf.parameters) {
    if (!token.isCandidate(m)) return false;
  }
  return true;
}

// ONLYONCE: a meaning some token already has is no longer a candidate of the tested
// token; a directional removes both directionals. Always holds.
bool onlyOnce(const LeafContext& c) {
  AddressToken& token = c.token();
  for (TokenMeaning m : c.leaf.parameters) {
    if (m >= kCandidateCount) continue;  // a digit or comparison item: nothing to remove
    bool settledSomewhere = false;
    if (c.index() != nullptr) {
      settledSomewhere = c.index()->firstWithMeaning(m, 0, c.tokens.size()) != MeaningIndex::kNone;
    } else {
      for (auto& other : c.tokens) {
        if (settledMeaning(*other) == m) {
          settledSomewhere = true;
          break;
        }
      }
    }
    if (!settledSomewhere) continue;
    token.clearCandidate(m);
    if (m == PREDIR) token.clearCandidate(POSTDIR);
    if (m == POSTDIR) token.clearCandidate(PREDIR);
    if (c.index() != nullptr) c.index()->update(c.position);
  }
  return true;
}

// ISFIRSTSETTOKENA: is the first settled token in the scope (chosen by the offset's
// sign) of meaning m, with every unsettled token on the way able to be m?
bool isFirstSetTokenA(const LeafContext& c) {
  const TokenMeaning m = c.meaning;
  if (MeaningIndex* index = c.index(); index != nullptr) {
    const size_t end = c.beforeEnd();
    if (c.leaf.offset < 0) {
      return index->lastSettledMeaning(0, end) == m && end > 0 && c.tokens[end - 1]->isCandidate(m);
    }
    const size_t begin = c.leaf.offset > 0 ? c.current + 1 : 0;
    const size_t scanEnd = c.leaf.offset > 0 ? c.tokens.size() : end;
    const size_t decider = index->firstSettledOrNotCandidate(m, begin, scanEnd);
    if (decider == MeaningIndex::kNone) return c.leaf.offset == 0 && m == UNKNOWN;
    const TokenMeaning settled = index->effective(decider);
    return settled != UNKNOWN && settled == m;
  }
  if (c.leaf.offset > 0) {
    for (size_t i = c.current + 1; i < c.tokens.size(); ++i) {
      AddressToken& scanned = *c.tokens[i];
      TokenMeaning settled = settledMeaning(scanned);
      if (settled != UNKNOWN) return settled == m;
      if (!scanned.isCandidate(m)) return false;
    }
    return false;
  }
  const size_t end = c.beforeEnd();
  if (c.leaf.offset == 0) {
    for (size_t i = 0; i < end; ++i) {
      AddressToken& scanned = *c.tokens[i];
      TokenMeaning settled = settledMeaning(scanned);
      if (settled != UNKNOWN) return settled == m;
      if (!scanned.isCandidate(m)) return false;
    }
    return m == UNKNOWN;
  }
  TokenMeaning lastSettled = UNKNOWN;
  bool previousCanBeM = false;
  for (size_t i = 0; i < end; ++i) {
    AddressToken& scanned = *c.tokens[i];
    TokenMeaning settled = settledMeaning(scanned);
    if (settled != UNKNOWN) lastSettled = settled;
    previousCanBeM = scanned.isCandidate(m);
  }
  return lastSettled == m && previousCanBeM;
}

bool isNumber(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\r\n";
  size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return true;
  size_t last = text.find_last_not_of(kBlanks);
  std::string_view rest = text.substr(first, last - first + 1);
  if (rest.front() == '+' || rest.front() == '-') rest.remove_prefix(1);
  return hasOnlyDigits(rest);
}

bool isPossibleUnitNumber(const LeafContext& c) {
  const AddressToken& token = c.token();
  if (!token.isCandidate(UNITNUM)) return false;
  return isNumber(token.text) || hasDigit(token.text) || codePointCount(token.text) < 4;
}

bool isLetter(std::string_view text) {
  if (text.size() != 1) return false;
  const char c = text[0];
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// NUMBERFOLLOWSPREFIX: after the tested token, does the first token with a digit
// come after a PREFIX token?
bool numberFollowsPrefix(const LeafContext& c) {
  if (c.index() != nullptr) return c.index()->numberFollowsPrefix(c.position + 1);
  bool sawPrefix = false;
  for (size_t i = c.position + 1; i < c.tokens.size(); ++i) {
    AddressToken& scanned = *c.tokens[i];
    if (settledMeaning(scanned) == PREFIX) {
      sawPrefix = true;
    } else if (hasDigit(scanned.text)) {
      return sawPrefix;
    }
  }
  return false;
}

// NUMBERPRECEDESSUFFIX: after the tested token, does a token with a digit come
// before the first SUFFIX token?
bool numberPrecedesSuffix(const LeafContext& c) {
  if (c.index() != nullptr) return c.index()->numberPrecedesSuffix(c.position + 1);
  bool sawNumber = false;
  for (size_t i = c.position + 1; i < c.tokens.size(); ++i) {
    AddressToken& scanned = *c.tokens[i];
    if (hasDigit(scanned.text)) {
      sawNumber = true;
    } else if (settledMeaning(scanned) == SUFFIX) {
      return sawNumber;
    }
  }
  return false;
}

// Kept out of line: inlined into the program loop, its many cases would make every
// evaluation pay for saving registers it rarely needs.
[[gnu::noinline]] bool evaluateLeaf(const ConditionNode& leaf, TokenList& tokens, size_t current,
                                    WordListMemo& memo) {
  // Moving one token at a time off either end of the list makes the leaf false.
  const int64_t moved = static_cast<int64_t>(current) + leaf.offset;
  if (moved < 0 || moved >= static_cast<int64_t>(tokens.size())) return false;
  if (leaf.keyword < 1 || leaf.keyword > kKeywordCount) return false;

  const LeafContext c{tokens,
                      current,
                      static_cast<size_t>(moved),
                      leaf,
                      leaf.parameters.empty() ? UNKNOWN : leaf.parameters.front(),
                      memo};
  AddressToken& token = c.token();
  switch (leaf.keyword) {
    case kWeHave:
      return weHave(c);
    case kWeHavePossibleTokenMeaning:
      return weHavePossibleTokenMeaning(c);
    case kMeaningsCompete:
      return meaningsCompete(c);
    case kOnlyOnce:
      return onlyOnce(c);
    case kIsFirstToken:
      return c.position == 0;
    case kIsLastToken:
      return c.position + 1 == tokens.size();
    case kIsTokenMeaningSet:
      return settledMeaning(token) != UNKNOWN;
    case kIsTokenA:
      return settledMeaning(token) == c.meaning;
    case kIsFirstSetTokenA:
      return isFirstSetTokenA(c);
    case kIsPossibleUnitNumber:
      return isPossibleUnitNumber(c);
    case kIsNumber:
      return isNumber(token.text);
    case kIsLetter:
      return isLetter(token.text);
    case kLengthIs:
      return parseLengthTest(leaf.parameterText).holdsFor(token.text.size());
    case kIsNumberSign:
      return token.text == "#";
    case kIsPrefixWord:
      return inWordList(ListKind::kPrefix, c);
    case kIsSuffixWord:
      return inWordList(ListKind::kSuffix, c);
    case kIsPrefixActingSuffixWord:
      return standardFormIsOneOf(ListKind::kSuffix, c, "SR", "CR", "RD");
    case kIsBuildingSideWord:
      return inWordList(ListKind::kBuildingSide, c);
    case kIsUnitSideWord:
      return inWordList(ListKind::kUnitSide, c);
    case kIsBuildingTypeWord:
      return inWordList(ListKind::kBuildingType, c);
    case kIsCountyWord:
      return inWordList(ListKind::kCounty, c);
    case kIsPoBoxWord:
      return inWordList(ListKind::kPoBox, c);
    case kIsRuralRouteWord:
      return inWordList(ListKind::kRural, c);
    case kIsUnitWord:
      return inWordList(ListKind::kUnitLabel, c);
    case kIsDirectionalWord:
      return inWordList(ListKind::kDirectional, c);
    case kCanTokenBeA:
      return token.isCandidate(c.meaning);
    case kCanBeSecondWordInDirectional:
      return standardFormIsOneOf(ListKind::kDirectional, c, "E", "W");
    case kCanBeFirstWordInDirectional:
      return standardFormIsOneOf(ListKind::kDirectional, c, "N", "S");
    case kHasNumbers:
      return hasDigit(token.text);
    case kHasNumberSign:
      return token.text.find('#') != std::string::npos;
    case kNumberFollowsPrefix:
      return numberFollowsPrefix(c);
    case kNumberPrecedesSuffix:
      return numberPrecedesSuffix(c);
    default:
      return false;
  }
}

// A step's test. The keywords most rules test are read here, from the step, without
// the full leaf dispatch (whose many scanning keywords make every call to it
// costly); any other keyword goes there. Each case gives exactly what evaluateLeaf
// gives.
inline bool testStep(const ConditionStep& step, TokenList& tokens, size_t current,
                     WordListMemo& memo) {
  const int64_t moved = static_cast<int64_t>(current) + step.offset;
  if (moved < 0 || moved >= static_cast<int64_t>(tokens.size())) return false;
  const auto position = static_cast<size_t>(moved);
  // The memo's remembered answers are read inline.
  auto inList = [&](ListKind kind) { return memo.entry(kind, tokens, position) != nullptr; };
  switch (step.keyword) {
    case kIsFirstToken:
      return position == 0;
    case kIsLastToken:
      return position + 1 == tokens.size();
    case kHasNumbers:
      return hasDigit(tokens[position]->text);
    case kIsLetter:
      return isLetter(tokens[position]->text);
    case kIsNumber:
      return isNumber(tokens[position]->text);
    case kIsTokenA:
      return settledMeaning(*tokens[position]) == step.meaning;
    case kCanTokenBeA:
      return tokens[position]->isCandidate(step.meaning);
    case kLengthIs:
      return step.lengthTest.holdsFor(tokens[position]->text.size());
    case kIsNumberSign:
      return tokens[position]->text == "#";
    case kHasNumberSign:
      return tokens[position]->text.find('#') != std::string::npos;
    case kIsRuralRouteWord:
      return inList(ListKind::kRural);
    case kIsCountyWord:
      return inList(ListKind::kCounty);
    case kIsBuildingSideWord:
      return inList(ListKind::kBuildingSide);
    case kIsUnitSideWord:
      return inList(ListKind::kUnitSide);
    case kIsUnitWord:
      return inList(ListKind::kUnitLabel);
    case kIsPoBoxWord:
      return inList(ListKind::kPoBox);
    case kIsSuffixWord:
      return inList(ListKind::kSuffix);
    case kIsBuildingTypeWord:
      return inList(ListKind::kBuildingType);
    case kIsDirectionalWord:
      return inList(ListKind::kDirectional);
    case kIsPrefixWord:
      return inList(ListKind::kPrefix);
    default:
      return evaluateLeaf(*step.leaf, tokens, current, memo);
  }
}

inline bool runProgram(const ConditionProgram& program, TokenList& tokens, size_t position,
                       WordListMemo& memo) {
  const ConditionStep* steps = program.steps.data();
  uint32_t at = program.entry;
  while (at < kConditionFails) {
    const ConditionStep& step = steps[at];
    at = testStep(step, tokens, position, memo) ? step.onTrue : step.onFalse;
  }
  return at == kConditionHolds;
}

}  // namespace

bool evaluateConditionNode(const ParserConfig& config, const ConditionNode& root, TokenList& tokens,
                           size_t position) {
  WordListMemo memo(config);
  return runProgram(compileProgram(root), tokens, position, memo);
}

bool evaluateCondition(const Rule& rule, TokenList& tokens, size_t position, WordListMemo& memo) {
  if (rule.condition.empty()) return true;
  return runProgram(rule.compiledProgram(), tokens, position, memo);
}

bool evaluateCondition(const ParserConfig& config, const Rule& rule, TokenList& tokens,
                       size_t position) {
  WordListMemo memo(config);
  return evaluateCondition(rule, tokens, position, memo);
}

void WordListMemo::forget() {
  for (Slot& slot : slots_) {
    slot.token = nullptr;
    slot.known = 0;
    slot.listsGeneration = 0;
  }
}

void WordListMemo::useCountry(const std::string& country) {
  if (haveCountry_ && country == listCountry_) return;
  haveCountry_ = true;
  listCountry_ = country;
  lists_ = config_.wordListsFor(country);
  ++generation_;
}

const WordList::Entry* WordListMemo::find(ListKind kind, const WordList::FoldedQuery& query) {
  const WordList* list = lists_[static_cast<size_t>(kind)];
  return list == nullptr ? nullptr : list->findFolded(query);
}

void WordListMemo::lookUpAll(const TokenList& tokens, size_t position, Entries& entries) {
  const AddressToken& token = *tokens[position];
  useCountry(token.country);
  // The discard list has already done its work (discardWords) and no rule reads it.
  constexpr size_t kDiscardIndex = static_cast<size_t>(ListKind::kDiscard);
  constexpr uint32_t kAllButDiscard =
      ((uint32_t{1} << kListKindCount) - 1) & ~(uint32_t{1} << kDiscardIndex);
  const WordList::FoldedQuery query(token.folded);
  for (size_t index = 0; index < kListKindCount; ++index) {
    entries[index] = index == kDiscardIndex ? nullptr : find(static_cast<ListKind>(index), query);
  }
  if (position >= slots_.size()) return;
  Slot& slot = slots_[position];
  slot.token = &token;
  slot.listsGeneration = generation_;
  slot.entries = entries;
  slot.known = kAllButDiscard;
}

const WordList::Entry* WordListMemo::lookUp(ListKind kind, const TokenList& tokens,
                                            size_t position) {
  const AddressToken& token = *tokens[position];
  if (position >= slots_.size()) {
    useCountry(token.country);
    return find(kind, WordList::FoldedQuery(token.folded));
  }
  Slot& slot = slots_[position];
  if (slot.token != &token) {
    slot.token = &token;
    slot.known = 0;
    slot.listsGeneration = 0;
  }
  const size_t index = static_cast<size_t>(kind);
  const uint32_t bit = uint32_t{1} << index;
  if ((slot.known & bit) == 0) {
    if (slot.listsGeneration != generation_) {
      useCountry(token.country);
      slot.listsGeneration = generation_;
    }
    slot.entries[index] = find(kind, WordList::FoldedQuery(token.folded));
    slot.known |= bit;
  }
  return slot.entries[index];
}

}  // namespace addr
