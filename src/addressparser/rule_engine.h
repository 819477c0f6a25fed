// The rule engine: settles the meaning of every token of one address with a
// country's rules. Tested by tests/addressparser/rule_engine_test.cc.
//
// runRules runs, in order:
//   1. the context-free pass: token by token, narrowCandidates (every candidate whose
//      word list, of the token's country with the "US" fallback, lacks the token's
//      text goes) and then the context-free rules until one ends the group for that
//      token;
//   2. up to kMaxContextPasses context passes: the context rules on every unsettled
//      token, then mergeAdjacentTokens; stops after a pass that left every token
//      settled.
// The configuration comes in as a const reference; only the tokens change (and,
// once per rule, its compiled condition).
//
// Tracing: runRules takes an optional EngineTrace (address_parser.h); pass 0 is the
// context-free pass, 1 to 6 the context passes.
#pragma once

#include <cstddef>
#include <string_view>

#include "addressparser/address_parser.h"
#include "addressparser/parser_config.h"
#include "addressparser/token.h"

namespace addr {

inline constexpr int kMaxContextPasses = 6;

// Lists of this many tokens or more are scanned through a MeaningIndex.
inline constexpr size_t kIndexFromTokens = 64;

// Settles the tokens with the rule set, narrowing by the word lists of `config`. May
// shorten the list by joining neighbours.
// Exceptions from condition compilation pass through; the tokens keep the state
// they had reached. `indexFromTokens` only moves the point from which the scanning
// keywords read a MeaningIndex (the result is the same either way).
void runRules(const ParserConfig& config, const RuleSet& ruleSet, TokenList& tokens,
              EngineTrace* trace = nullptr, size_t indexFromTokens = kIndexFromTokens);

// Joins neighbours settled as STREETNAME or STREETNUM (with one blank) and as
// UNITNUM (with nothing between): a run of such neighbours becomes one token, joined
// left to right, in one pass over the list. Each join is reported to `trace` as part
// of `pass`, with the joined token as it stands after that join.
void mergeAdjacentTokens(TokenList& tokens, EngineTrace* trace = nullptr,
                         int pass = kContextFreePass);

}  // namespace addr
