// Bit sets over the tokens of one long address for the scanning condition keywords.
// Tested by rule_engine_test.cc.
#include "addressparser/meaning_index.h"

#include <bit>
#include <string_view>

namespace addr {
namespace {

constexpr size_t kBits = 64;

bool hasDigit(std::string_view text) {
  for (char c : text) {
    if (c >= '0' && c <= '9') return true;
  }
  return false;
}

// The meaning settledMeaning would give the token, without recording it.
TokenMeaning effectiveMeaning(const AddressToken& token) {
  if (token.meaning != UNKNOWN) return token.meaning;
  TokenMeaning only = UNKNOWN;
  for (size_t value = 0; value < kCandidateCount; ++value) {
    if (!token.candidates[value]) continue;
    if (only != UNKNOWN) return UNKNOWN;
    only = static_cast<TokenMeaning>(value);
  }
  return only;
}

// The bits of word `w` that stand for positions in [begin, end).
uint64_t rangeMask(size_t w, size_t begin, size_t end) {
  uint64_t mask = ~uint64_t{0};
  if (w == begin / kBits) mask &= ~uint64_t{0} << (begin % kBits);
  if (w == (end - 1) / kBits && end % kBits != 0) mask &= ~(~uint64_t{0} << (end % kBits));
  return mask;
}

// The first position in [begin, end) whose bit in wordAt(w) is set, or kNone.
template <typename WordAt>
size_t firstSet(size_t begin, size_t end, WordAt wordAt) {
  if (begin >= end) return MeaningIndex::kNone;
  for (size_t w = begin / kBits; w <= (end - 1) / kBits; ++w) {
    const uint64_t bits = wordAt(w) & rangeMask(w, begin, end);
    if (bits != 0) return w * kBits + static_cast<size_t>(std::countr_zero(bits));
  }
  return MeaningIndex::kNone;
}

// The last such position, or kNone.
template <typename WordAt>
size_t lastSet(size_t begin, size_t end, WordAt wordAt) {
  if (begin >= end) return MeaningIndex::kNone;
  for (size_t w = (end - 1) / kBits + 1; w-- > begin / kBits;) {
    const uint64_t bits = wordAt(w) & rangeMask(w, begin, end);
    if (bits != 0) return w * kBits + kBits - 1 - static_cast<size_t>(std::countl_zero(bits));
  }
  return MeaningIndex::kNone;
}

}  // namespace

void MeaningIndex::build(TokenList& tokens) {
  tokens_ = &tokens;
  words_ = (tokens.size() + kBits - 1) / kBits;
  bits_.assign(kRowCount * words_, 0);
  effective_.assign(tokens.size(), UNKNOWN);
  for (size_t position = 0; position < tokens.size(); ++position) {
    set(kDigitRow, position, hasDigit(tokens[position]->text));
    set(kEffectiveRow + UNKNOWN, position, true);
    update(position);
  }
}

void MeaningIndex::set(size_t r, size_t position, bool on) {
  uint64_t& word = row(r)[position / kBits];
  const uint64_t bit = uint64_t{1} << (position % kBits);
  word = on ? word | bit : word & ~bit;
}

void MeaningIndex::update(size_t position) {
  const AddressToken& token = *(*tokens_)[position];
  for (size_t m = 0; m < kCandidateCount; ++m) {
    set(kCandidateRow + m, position, token.candidates[m]);
  }
  const TokenMeaning now = effectiveMeaning(token);
  set(kEffectiveRow + effective_[position], position, false);
  set(kEffectiveRow + now, position, true);
  effective_[position] = now;
  set(kPendingRow, position, token.meaning == UNKNOWN && now != UNKNOWN);
}

void MeaningIndex::recordPending(size_t begin, size_t end, const uint64_t* exceptWhere) {
  const uint64_t* pending = row(kPendingRow);
  auto wordAt = [&](size_t w) {
    return exceptWhere == nullptr ? pending[w] : pending[w] & ~exceptWhere[w];
  };
  for (size_t position = firstSet(begin, end, wordAt); position != kNone;
       position = firstSet(position + 1, end, wordAt)) {
    settledMeaning(*(*tokens_)[position]);
    set(kPendingRow, position, false);
  }
}

size_t MeaningIndex::firstWithMeaning(TokenMeaning m, size_t begin, size_t end) {
  const uint64_t* meaning = row(kEffectiveRow + m);
  const size_t found = firstSet(begin, end, [&](size_t w) { return meaning[w]; });
  recordPending(begin, found == kNone ? end : found + 1);
  return found;
}

bool MeaningIndex::anyCandidate(TokenMeaning m, size_t begin, size_t end) const {
  if (m >= kCandidateCount) return false;
  const uint64_t* candidate = row(kCandidateRow + m);
  return firstSet(begin, end, [&](size_t w) { return candidate[w]; }) != kNone;
}

size_t MeaningIndex::firstSettledOrNotCandidate(TokenMeaning m, size_t begin, size_t end) {
  const uint64_t* unsettled = row(kEffectiveRow + UNKNOWN);
  // UNKNOWN is never a candidate, so then every token decides.
  const uint64_t* candidate = m < kCandidateCount ? row(kCandidateRow + m) : nullptr;
  const size_t found = firstSet(begin, end, [&](size_t w) {
    return ~unsettled[w] | (candidate == nullptr ? ~uint64_t{0} : ~candidate[w]);
  });
  recordPending(begin, found == kNone ? end : found + 1);
  return found;
}

TokenMeaning MeaningIndex::lastSettledMeaning(size_t begin, size_t end) {
  recordPending(begin, end);
  const uint64_t* unsettled = row(kEffectiveRow + UNKNOWN);
  const size_t found = lastSet(begin, end, [&](size_t w) { return ~unsettled[w]; });
  return found == kNone ? UNKNOWN : effective_[found];
}

bool MeaningIndex::numberFollowsPrefix(size_t begin) {
  const size_t end = effective_.size();
  const uint64_t* digit = row(kDigitRow);
  const uint64_t* prefix = row(kEffectiveRow + PREFIX);
  const size_t decider = firstSet(begin, end, [&](size_t w) { return digit[w] & ~prefix[w]; });
  recordPending(begin, decider == kNone ? end : decider + 1);
  if (decider == kNone) return false;
  return firstSet(begin, decider, [&](size_t w) { return prefix[w]; }) != kNone;
}

bool MeaningIndex::numberPrecedesSuffix(size_t begin) {
  const size_t end = effective_.size();
  const uint64_t* digit = row(kDigitRow);
  const uint64_t* suffix = row(kEffectiveRow + SUFFIX);
  const size_t decider = firstSet(begin, end, [&](size_t w) { return suffix[w] & ~digit[w]; });
  recordPending(begin, decider == kNone ? end : decider + 1, digit);
  if (decider == kNone) return false;
  return firstSet(begin, decider, [&](size_t w) { return digit[w]; }) != kNone;
}

}  // namespace addr
