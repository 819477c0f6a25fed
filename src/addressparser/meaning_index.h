// Bit sets over the tokens of one long address, so that the condition keywords that
// scan the token list (WEHAVE, WEHAVEPOSSIBLETOKENMEANING, ONLYONCE, ISFIRSTSETTOKENA,
// NUMBERFOLLOWSPREFIX, NUMBERPRECEDESSUFFIX) read 64 tokens at a time instead of one.
// Tested by tests/addressparser/rule_engine_test.cc (the same parses with and without
// the index).
//
// Every rule may run such a scan at every token, so scanning token by token makes a
// parse quadratic in the token count with a large constant; with the index the
// constant is 64 times smaller, and the engine uses it for long addresses only.
//
// Each query gives exactly what the token-by-token scan gives, side effects included:
// reading a token's settled meaning records the meaning of a token that has exactly
// one candidate left (settledMeaning), and a scan records it on every token it reads,
// up to the one that decides. So the index keeps, besides each token's candidates and
// the meaning a scan would read (`effective`), the tokens whose meaning such a read
// would record ("pending"); a query reads every pending token in its range through
// settledMeaning. A token recorded elsewhere stays marked pending until a query
// reaches it, which then records nothing.
//
// Whoever changes a token's candidates calls update() for that token; whoever changes
// the list (joins) calls build() again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "addressparser/token.h"

namespace addr {

class MeaningIndex {
 public:
  static constexpr size_t kNone = static_cast<size_t>(-1);

  // Indexes `tokens`, which must outlive every later call until the next build().
  void build(TokenList& tokens);
  // After the candidates of the token at `position` changed.
  void update(size_t position);

  // The first token in [begin, end) whose settled meaning is `m` (m below 17), or
  // kNone; every token read before it, and it, is read through settledMeaning.
  size_t firstWithMeaning(TokenMeaning m, size_t begin, size_t end);
  // Whether a token in [begin, end) has `m` among its candidates; reads no meaning.
  bool anyCandidate(TokenMeaning m, size_t begin, size_t end) const;
  // ISFIRSTSETTOKENA's forward scan over [begin, end): the first token that is
  // settled or lacks the candidate `m` decides. Gives that token's position, or kNone
  // when none does; reads every token up to it.
  size_t firstSettledOrNotCandidate(TokenMeaning m, size_t begin, size_t end);
  // The settled meaning of the last settled token in [begin, end), UNKNOWN when there
  // is none; reads every token of the range.
  TokenMeaning lastSettledMeaning(size_t begin, size_t end);
  // NUMBERFOLLOWSPREFIX from `begin`: true when a token settled as PREFIX comes before
  // the first other token whose text holds a digit.
  bool numberFollowsPrefix(size_t begin);
  // NUMBERPRECEDESSUFFIX from `begin`: true when a token whose text holds a digit
  // comes before the first token without a digit that is settled as SUFFIX. The
  // tokens with a digit are not read.
  bool numberPrecedesSuffix(size_t begin);

  // The settled meaning of the token at `position`, as settledMeaning reads it.
  TokenMeaning effective(size_t position) const { return effective_[position]; }

 private:
  // Rows of bits, one bit per token: the 17 candidates, the 17 settled meanings and
  // "unsettled", then pending and "text holds a digit".
  static constexpr size_t kCandidateRow = 0;
  static constexpr size_t kEffectiveRow = kCandidateRow + kCandidateCount;
  static constexpr size_t kPendingRow = kEffectiveRow + kCandidateCount + 1;
  static constexpr size_t kDigitRow = kPendingRow + 1;
  static constexpr size_t kRowCount = kDigitRow + 1;

  uint64_t* row(size_t r) { return bits_.data() + r * words_; }
  const uint64_t* row(size_t r) const { return bits_.data() + r * words_; }
  void set(size_t r, size_t position, bool on);
  // Reads every pending token in [begin, end) through settledMeaning and clears its
  // pending mark; with `exceptWhere`, only those whose bit there is clear.
  void recordPending(size_t begin, size_t end, const uint64_t* exceptWhere = nullptr);

  TokenList* tokens_ = nullptr;
  size_t words_ = 0;
  std::vector<uint64_t> bits_;
  std::vector<TokenMeaning> effective_;
};

}  // namespace addr
