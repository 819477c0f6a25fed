// The rule engine: narrowing, the context-free pass, the context passes and the
// joining of neighbours. Tested by rule_engine_test.cc.
#include "addressparser/rule_engine.h"

#include <array>
#include <string>
#include <utility>

#include "addressparser/condition_evaluator.h"
#include "addressparser/meaning_index.h"

namespace addr {
namespace {

struct Narrowing {
  ListKind list;
  TokenMeaning meaning;
  TokenMeaning alsoMeaning;  // UNKNOWN when the list removes one meaning only
};

// The order in which the lists are consulted; meanings without a list (numbers,
// street names) are never removed here.
constexpr std::array<Narrowing, 10> kNarrowings = {{
    {ListKind::kDirectional, PREDIR, POSTDIR},
    {ListKind::kSuffix, SUFFIX, UNKNOWN},
    {ListKind::kPrefix, PREFIX, UNKNOWN},
    {ListKind::kBuildingSide, BUILDINGSIDE, UNKNOWN},
    {ListKind::kUnitSide, UNITSIDE, UNKNOWN},
    {ListKind::kBuildingType, BUILDINGTYPE, UNKNOWN},
    {ListKind::kCounty, COUNTY, UNKNOWN},
    {ListKind::kPoBox, POBOXTYPE, UNKNOWN},
    {ListKind::kRural, RRHCLABEL, UNKNOWN},
    {ListKind::kUnitLabel, UNITLABEL, UNKNOWN},
}};

bool isSettled(AddressToken& token) { return settledMeaning(token) != UNKNOWN; }

// Applies one rule at one token; true when no further rule of the same group is to
// be applied to that token. `pass` only labels what is reported.
bool applyRule(const Rule& rule, TokenList& tokens, size_t position, WordListMemo& memo,
               EngineTrace* trace, int pass) {
  AddressToken& token = *tokens[position];
  if (isSettled(token)) return true;
  if (!evaluateCondition(rule, tokens, position, memo)) return false;

  MeaningIndex* index = memo.meanings;
  for (TokenMeaning m : rule.eliminate) token.clearCandidate(m);
  if (rule.setNext != UNKNOWN && position + 1 < tokens.size()) {
    AddressToken& following = *tokens[position + 1];
    if (!isSettled(following)) {
      following.setOnlyCandidate(rule.setNext);
      if (index != nullptr) index->update(position + 1);
    }
  }
  bool endsGroup;
  if (isSettled(token)) {
    endsGroup = true;
  } else if (rule.set == UNKNOWN) {
    endsGroup = rule.terminal;
  } else {
    // The meaning is stored by the next settledMeaning of this token.
    token.setOnlyCandidate(rule.set);
    endsGroup = true;
  }
  if (index != nullptr) index->update(position);
  if (trace != nullptr) trace->ruleFired(pass, position, rule, endsGroup, tokens);
  return endsGroup;
}

void applyGroup(const RuleList& rules, size_t begin, size_t end, TokenList& tokens, size_t position,
                WordListMemo& memo, EngineTrace* trace, int pass) {
  for (size_t r = begin; r < end; ++r) {
    if (applyRule(*rules[r], tokens, position, memo, trace, pass)) return;
  }
}

// Removes every candidate whose word list (of the token's country, with the "US"
// fallback) does not hold the token's text.
void narrowCandidates(TokenList& tokens, size_t position, WordListMemo& memo) {
  AddressToken& token = *tokens[position];
  WordListMemo::Entries entries;
  memo.lookUpAll(tokens, position, entries);
  for (const Narrowing& narrowing : kNarrowings) {
    if (entries[static_cast<size_t>(narrowing.list)] != nullptr) continue;
    token.clearCandidate(narrowing.meaning);
    token.clearCandidate(narrowing.alsoMeaning);
  }
  if (memo.meanings != nullptr) memo.meanings->update(position);
}

// For the trace only: settledness read without recording a meaning, so that tracing
// never changes a parse.
bool allSettledUnrecorded(const TokenList& tokens) {
  for (const auto& token : tokens) {
    if (token->meaning == UNKNOWN && token->candidateCount() != 1) return false;
  }
  return true;
}

// The separator a join of two neighbours settled as `meaning` puts between their
// texts; null when such neighbours are not joined.
const char* joinSeparator(TokenMeaning meaning) {
  switch (meaning) {
    case STREETNAME:
    case STREETNUM:
      return " ";
    case UNITNUM:
      return "";
    default:
      return nullptr;
  }
}

// Keeps `joined.folded` the folding of its text after `separator` and `next.text`
// were appended to it. Folding maps each code point on its own, so the folding of
// the joined text is the two foldings joined by the separator; folding the whole
// text again after each join would cost time quadratic in a run of joins. The one
// exception, a text that begins with UTF-8 continuation bytes appended with nothing
// between (it may complete a sequence the first text left open), folds again.
void appendFolding(AddressToken& joined, const char* separator, const AddressToken& next) {
  const bool mayContinueASequence = separator[0] == '\0' && !next.text.empty() &&
                                    (static_cast<unsigned char>(next.text.front()) & 0xC0) == 0x80;
  if (mayContinueASequence) {
    joined.refold();
    return;
  }
  joined.folded += separator;
  joined.folded += next.folded;
}

}  // namespace

void mergeAdjacentTokens(TokenList& tokens, EngineTrace* trace, int pass) {
  // One pass that keeps joining into the same token while its neighbour matches. The
  // walk this replaces started again from the first token after every join; the pairs
  // before the joined token cannot have changed (reading a settled meaning twice
  // gives the same answer), so it found the same joins in the same order, but took
  // quadratic time on long runs of names.
  auto separatorBetween = [](AddressToken& first, AddressToken& second) -> const char* {
    const TokenMeaning meaning = settledMeaning(first);
    return meaning == settledMeaning(second) ? joinSeparator(meaning) : nullptr;
  };
  // Most lists have nothing to join, or their first join late: nothing moves before it.
  size_t kept = 0;
  while (kept + 1 < tokens.size() &&
         separatorBetween(*tokens[kept], *tokens[kept + 1]) == nullptr) {
    ++kept;
  }
  if (kept + 1 >= tokens.size()) return;

  // From there kept tokens move down over the removed ones; `kept` is the index of the
  // joined token in the list as it stands after each join, which is what the trace
  // reports. The gap is closed also when a join throws (allocation).
  struct Compaction {
    TokenList& tokens;
    size_t& kept;
    size_t read;
    ~Compaction() {
      tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(kept) + 1,
                   tokens.begin() + static_cast<std::ptrdiff_t>(read));
    }
  } compaction{tokens, kept, kept + 1};
  for (size_t& read = compaction.read; read < tokens.size(); ++read) {
    AddressToken& joined = *tokens[kept];
    AddressToken& next = *tokens[read];
    const char* separator = separatorBetween(joined, next);
    if (separator == nullptr) {
      tokens[++kept] = std::move(tokens[read]);
      continue;
    }
    joined.text += separator;
    joined.text += next.text;
    appendFolding(joined, separator, next);
    if (trace != nullptr) trace->merged(pass, kept, joined, next.text);
    tokens[read].reset();
  }
}

void runRules(const ParserConfig& config, const RuleSet& ruleSet, TokenList& tokens,
              EngineTrace* trace, size_t indexFromTokens) {
  const RuleList& rules = ruleSet.rules;
  WordListMemo memo(config);
  // Long lists are scanned through an index of their meanings (see meaning_index.h);
  // on short ones reading the tokens themselves is quicker.
  MeaningIndex index;
  if (tokens.size() >= indexFromTokens) {
    index.build(tokens);
    memo.meanings = &index;
  }
  const size_t contextBegin =
      ruleSet.firstContextRule < rules.size() ? ruleSet.firstContextRule : rules.size();

  // Narrowing and rules alternate token by token: while a token's rules run, the
  // tokens after it still hold all their candidates (bar a setNext from before).
  for (size_t position = 0; position < tokens.size(); ++position) {
    narrowCandidates(tokens, position, memo);
    if (trace != nullptr) trace->narrowed(position, *tokens[position]);
    applyGroup(rules, 0, contextBegin, tokens, position, memo, trace, kContextFreePass);
  }
  if (trace != nullptr) trace->passEnd(kContextFreePass, tokens, allSettledUnrecorded(tokens));

  // The passes run even without context rules: each still joins neighbours.
  for (int pass = 1; pass <= kMaxContextPasses; ++pass) {
    bool everyTokenSettled = true;
    for (size_t position = 0; position < tokens.size(); ++position) {
      if (isSettled(*tokens[position])) continue;
      applyGroup(rules, contextBegin, rules.size(), tokens, position, memo, trace, pass);
      if (!isSettled(*tokens[position])) everyTokenSettled = false;
    }
    mergeAdjacentTokens(tokens, trace, pass);
    memo.forget();  // joined texts and shifted positions
    if (memo.meanings != nullptr) index.build(tokens);
    if (trace != nullptr) trace->passEnd(pass, tokens, everyTokenSettled);
    if (everyTokenSettled) break;
  }
}

}  // namespace addr
