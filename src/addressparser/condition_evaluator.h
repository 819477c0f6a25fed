// Evaluates rule conditions at a token position, compiling a rule's condition on its
// first evaluation. Tested by tests/addressparser/condition_test.cc.
//
// Evaluation runs the condition's ConditionProgram (condition_program.h): one loop
// over leaf tests, whatever the depth of the tree. A rule's program is compiled once,
// after which evaluating it allocates nothing; keyword tests read
// AddressToken::folded and the word lists' folded look-ups.
//
// A keyword that reads a meaning (WEHAVE, WEHAVEPOSSIBLETOKENMEANING, ISTOKENA,
// ISFIRSTSETTOKENA, CANTOKENBEA) written without one tests the meaning UNKNOWN, as
// does a digit or comparison item in its place: ISTOKENA then holds for an unsettled
// token, WEHAVE when some token in its scope is unsettled, and the candidate tests
// are false. No test reads or writes past the 17 candidate flags.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "addressparser/condition_node.h"
#include "addressparser/meaning_index.h"
#include "addressparser/parser_config.h"
#include "addressparser/rule.h"
#include "addressparser/token.h"
#include "addressparser/word_lists.h"

namespace addr {

// Remembers, for the tokens of one parse, the entry each token's text has in each
// word list of `config`, so that narrowing and every word-list keyword of every rule
// look a word up at most once per list. Owned by one runRules call (one thread);
// the configuration must outlive it.
// Keyed by position and checked against the token's address; whoever changes a
// token's text or the list's order (mergeAdjacentTokens) calls forget().
class WordListMemo {
 public:
  explicit WordListMemo(const ParserConfig& config) : config_(config) { forget(); }
  // The token's entry in `kind`'s list for its country (with the "US" fallback);
  // null when the list or the word is missing. A remembered entry is read inline:
  // rules ask again and again about the same few tokens.
  const WordList::Entry* entry(ListKind kind, const TokenList& tokens, size_t position) {
    if (position < slots_.size()) {
      const Slot& slot = slots_[position];
      const auto index = static_cast<size_t>(kind);
      if (slot.token == tokens[position].get() && (slot.known >> index & 1) != 0) {
        return slot.entries[index];
      }
    }
    return lookUp(kind, tokens, position);
  }
  using Entries = std::array<const WordList::Entry*, kListKindCount>;
  // The index of the tokens' meanings that the scanning keywords read instead of the
  // tokens, when the engine keeps one (long addresses); null otherwise.
  MeaningIndex* meanings = nullptr;
  // Looks the token up at once in every list but the discard list, for narrowing,
  // which asks about those ten; `entries` is indexed by ListKind, its discard entry
  // null.
  void lookUpAll(const TokenList& tokens, size_t position, Entries& entries);
  void forget();

 private:
  static constexpr size_t kRememberedTokens = 16;  // later tokens are looked up directly
  struct Slot {
    const AddressToken* token;
    uint32_t known;            // bit per ListKind: entries[kind] is valid
    uint32_t listsGeneration;  // lists_ hold this token's country while equal to generation_
    std::array<const WordList::Entry*, kListKindCount> entries;
  };
  // Makes lists_ those of `country` (every token of a parse normally has the same
  // one, so this compares codes once per token, not once per look-up).
  void useCountry(const std::string& country);
  const WordList::Entry* find(ListKind kind, const WordList::FoldedQuery& query);
  // entry() for a token not remembered, or not for this list yet.
  const WordList::Entry* lookUp(ListKind kind, const TokenList& tokens, size_t position);

  const ParserConfig& config_;
  std::array<Slot, kRememberedTokens> slots_;
  bool haveCountry_ = false;
  std::string listCountry_;
  uint32_t generation_ = 1;   // changes with listCountry_; 0 is never current
  CountryWordLists lists_{};  // of listCountry_
};

// True when the rule's condition is empty; otherwise compiles it on first use
// (Rule::compiledProgram) and evaluates it at `position`, looking words up through
// `memo`. May change the candidates and meanings of tokens (ONLYONCE, and every
// settledMeaning that records a token's only candidate). Throws what
// compileCondition throws, on every evaluation of a rule whose condition does not
// compile.
bool evaluateCondition(const Rule& rule, TokenList& tokens, size_t position, WordListMemo& memo);
// The same with the word lists of `config`, for a single evaluation.
bool evaluateCondition(const ParserConfig& config, const Rule& rule, TokenList& tokens,
                       size_t position);

// Evaluates a compiled tree at `position`. "AND" and "OR" skip their right operand
// once the left decides, so its side effects happen only when it is reached.
// Compiles the tree's program on every call: rules keep theirs (evaluateCondition).
bool evaluateConditionNode(const ParserConfig& config, const ConditionNode& root, TokenList& tokens,
                           size_t position);

}  // namespace addr
