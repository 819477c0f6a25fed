// The rule engine: settles the meaning of every token of one address with a
// country's rules. Tested by tests/addressparser/rule_engine_test.cc.
//
// runRules runs, in order:
//   1. the context-free pass: token by token, narrowCandidates and then the
//      context-free rules until one ends the group for that token;
//   2. up to kMaxContextPasses context passes: the context rules on every unsettled
//      token, then mergeAdjacentTokens; stops after a pass that left every token
//      settled.
// Tables come in as const references; only the tokens change (and, once per rule,
// its compiled condition).
//
// Tracing (for `zebparse explain`). runRules takes an optional EngineTrace; with the
// default null pointer nothing is reported and nothing is spent. The observer sees:
//   - narrowed:  a token's candidates right after narrowCandidates (context-free
//                pass, before that token's rules run);
//   - ruleFired: a rule whose condition held at an unsettled token, after the rule
//                took effect; pass 0 is the context-free pass, 1 to 6 the context
//                passes. `endedGroup` tells whether it stopped the token's rules;
//   - merged:    a join of two neighbours, with the joined token and the text of
//                the neighbour that was removed;
//   - passEnd:   the tokens at the end of each pass (after merging for context
//                passes), and whether every token was settled.
// The observer must not change the tokens. ParseTrace (parse_driver.h) extends it
// with what the driver does around the engine.
#pragma once

#include <cstddef>
#include <string_view>

#include "addressparser/parser_config.h"
#include "addressparser/rule.h"
#include "addressparser/token.h"

namespace addr {

inline constexpr int kMaxContextPasses = 6;
inline constexpr int kContextFreePass = 0;

struct EngineTrace {
  virtual ~EngineTrace() = default;
  virtual void narrowed(size_t tokenIndex, const AddressToken& token) {}
  virtual void ruleFired(int pass, size_t tokenIndex, const Rule& rule, bool endedGroup,
                         const TokenList& tokens) {}
  virtual void merged(int pass, size_t tokenIndex, const AddressToken& joined,
                      std::string_view removedText) {}
  virtual void passEnd(int pass, const TokenList& tokens, bool allSettled) {}
};

// Lists of this many tokens or more are scanned through a MeaningIndex.
inline constexpr size_t kIndexFromTokens = 64;

// Settles the tokens with the rule set. May shorten the list by joining neighbours.
// Exceptions from condition compilation pass through; the tokens keep the state
// they had reached. `indexFromTokens` only moves the point from which the scanning
// keywords read a MeaningIndex (the result is the same either way).
void runRules(const RuleSet& ruleSet, TokenList& tokens, EngineTrace* trace = nullptr,
              size_t indexFromTokens = kIndexFromTokens);

// Removes every candidate whose word list (of the token's country, with the "US"
// fallback) does not hold the token's text.
void narrowCandidates(AddressToken& token);

// Applies one rule at one token; true when no further rule of the same group is to
// be applied to that token.
bool applyRule(Rule& rule, TokenList& tokens, size_t position);

// Joins neighbours settled as STREETNAME or STREETNUM (with one blank) and as
// UNITNUM (with nothing between): a run of such neighbours becomes one token, joined
// left to right, in one pass over the list. Each join is reported to `trace` as part
// of `pass`, with the joined token as it stands after that join.
void mergeAdjacentTokens(TokenList& tokens, EngineTrace* trace = nullptr,
                         int pass = kContextFreePass);

}  // namespace addr
