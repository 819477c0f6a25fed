// Normalisation of address lines and their cutting into tokens.
// Tested by tokeniser_test.cc.
//
// The number-pair rewrites of France and Spain are matched by hand, in one pass over
// the line (findNumberPair). A regular-expression engine takes time quadratic in a
// run of digits for these patterns (every start inside the run is tried, and each
// try backtracks over the rest of it): a line of 20,000 digits took seconds.
//
// rewriteNumberPair, for any pattern, runs ICU regular expressions over a byte view
// of the UTF-8 line: every byte becomes one UTF-16 unit of the same value (a Latin-1
// reading), and the patterns are read the same way, so "à" in a pattern is its two
// UTF-8 bytes in a row. Match positions are then byte positions in the line, the
// rewrite edits the line's bytes directly, and the matching is exactly byte-wise.
#include "addressparser/tokeniser.h"

#include <unicode/regex.h>
#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <memory>
#include <string_view>

#include "addressparser/word_lists.h"
#include "common/string_util.h"
#include "common/ustring.h"

namespace addr {
namespace {

constexpr std::string_view kDigits = "0123456789";
constexpr size_t kMaxPhraseExtraWords = 5;  // phrases of 2 to 6 words

icu::UnicodeString byteView(std::string_view bytes) {
  icu::UnicodeString view;
  const auto length = static_cast<int32_t>(bytes.size());
  char16_t* units = view.getBuffer(length);
  for (int32_t i = 0; i < length; ++i) units[i] = static_cast<unsigned char>(bytes[i]);
  view.releaseBuffer(length);
  return view;
}

// Null when the pattern does not compile.
std::unique_ptr<icu::RegexPattern> compileBytePattern(const char* pattern) {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::RegexPattern> compiled(
      icu::RegexPattern::compile(byteView(pattern), 0, status));
  if (U_FAILURE(status)) return nullptr;
  return compiled;
}

// One number-pair rewrite: the pattern "([0-9]+) *INFIX *([0-9]...)", whose
// separator is the infix, or the infix with one blank on each side.
struct NumberPairRewrite {
  std::string_view infix;
  bool infixIsOneOf;          // the infix is any one of these characters
  bool separatorTakesBlanks;  // the separator is " INFIX "
  const char* replacement;
  bool letterMayFollow = false;    // the pair's second part may begin with a letter
  bool letterMayEndFirst = false;  // the first part may end in one letter (5A/12)
};

// "([0-9]+) *- *([0-9]+)" with "-", "([0-9]+) *à *([0-9]+)" with " à " and
// "([0-9]+) *et *([0-9]+)" with " et ", tried in this order; the first that rewrites
// ends the step.
constexpr NumberPairRewrite kFrenchRewrites[] = {
    {"-", false, false, "/"},
    {"\xC3\xA0", false, true, "/"},
    {"et", false, true, "/"},
};
// "([0-9]+) *[-,/] *([0-9].*)" with "[-,/]".
constexpr NumberPairRewrite kSpanishRewrite = {"-,/", true, false, " "};

// Elsewhere the punctuation inside a number pair is dropped with the rest, which glues
// two numbers into one that names no house (3/12 or 12-2 would read as 312 or 122).
// Where a country writes a unit and its building's number as such a pair, the pair is
// split instead, in the order the country's rules read it: Australia's unit/number
// (3/12) and Canada's unit-number (1204-55) as two numbers, the unit first; the
// Netherlands' number-addition (12-2, 263-H, 502-III) with a number sign before the
// addition, which every rule set reads as "a unit follows" (12 # 2), since a letter
// written after a blank is still part of a Dutch house number (3 B).
// An Australian unit may carry a letter (5A/12 is unit 5A at number 12).
constexpr NumberPairRewrite kAustralianRewrite = {"/", false, false, " ", false, true};
constexpr NumberPairRewrite kCanadianRewrite = {"-", false, false, " "};
constexpr NumberPairRewrite kDutchRewrite = {"-", false, false, " # ", true};

bool isAsciiAlnum(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool isAsciiDigit(char c) { return c >= '0' && c <= '9'; }

size_t skipBlanks(std::string_view text, size_t position) {
  while (position < text.size() && text[position] == ' ') ++position;
  return position;
}

// The leftmost match of the rewrite's pattern, as a regular-expression search finds
// it: the first run of digits followed by blanks, the infix, blanks and a digit.
// Every start inside a run of digits ends that run at the same place, and neither a
// blank nor the infix can be a digit, so a run either matches from its first digit
// or not at all. Gives the position of the infix, or npos.
size_t findNumberPair(std::string_view text, const NumberPairRewrite& rewrite, size_t& runEnd,
                      size_t& infixLength) {
  size_t position = 0;
  while (position < text.size()) {
    if (!isAsciiDigit(text[position])) {
      ++position;
      continue;
    }
    runEnd = position;
    while (runEnd < text.size() && isAsciiDigit(text[runEnd])) ++runEnd;
    // The digits are used up, so an alphanumeric character here is a letter.
    if (rewrite.letterMayEndFirst && runEnd < text.size() && isAsciiAlnum(text[runEnd])) ++runEnd;
    const size_t infix = skipBlanks(text, runEnd);
    infixLength = 0;
    if (rewrite.infixIsOneOf) {
      if (infix < text.size() && rewrite.infix.find(text[infix]) != std::string_view::npos) {
        infixLength = 1;
      }
    } else if (text.substr(infix, rewrite.infix.size()) == rewrite.infix) {
      infixLength = rewrite.infix.size();
    }
    if (infixLength > 0) {
      const size_t after = skipBlanks(text, infix + infixLength);
      if (after < text.size() &&
          (rewrite.letterMayFollow ? isAsciiAlnum(text[after]) : isAsciiDigit(text[after]))) {
        return infix;
      }
    }
    position = runEnd;
  }
  return std::string_view::npos;
}

// The rewrite on `text`: finds the pattern, then the separator inside the match, and
// replaces it once. False when the pattern or the separator is not found.
bool applyNumberPairRewrite(std::string& text, const NumberPairRewrite& rewrite) {
  size_t runEnd = 0;
  size_t infixLength = 0;
  size_t start = findNumberPair(text, rewrite, runEnd, infixLength);
  if (start == std::string_view::npos) return false;
  size_t end = start + infixLength;
  if (rewrite.separatorTakesBlanks) {
    // The match holds a blank before the infix only if some blank follows the digits;
    // one after it is inside the match whenever there is one, as digits follow.
    if (start == runEnd || end >= text.size() || text[end] != ' ') return false;
    --start;
    ++end;
  }
  text.replace(start, end - start, rewrite.replacement);
  return true;
}

// Finds the outer pattern (leftmost match), then the separator inside the text of
// that match, and replaces that separator occurrence once.
bool rewriteWith(std::string& text, const icu::RegexPattern* outer,
                 const icu::RegexPattern* separator, const char* replacement) {
  if (outer == nullptr || separator == nullptr) return false;
  UErrorCode status = U_ZERO_ERROR;
  const icu::UnicodeString view = byteView(text);
  std::unique_ptr<icu::RegexMatcher> outerMatcher(outer->matcher(view, status));
  if (U_FAILURE(status) || !outerMatcher->find(status)) return false;
  const int32_t matchStart = outerMatcher->start(status);
  const int32_t matchEnd = outerMatcher->end(status);

  // A region with opaque bounds searches the match text as if it stood alone.
  std::unique_ptr<icu::RegexMatcher> separatorMatcher(separator->matcher(view, status));
  if (U_FAILURE(status)) return false;
  separatorMatcher->region(matchStart, matchEnd, status);
  if (U_FAILURE(status) || !separatorMatcher->find(status)) return false;
  const int32_t separatorStart = separatorMatcher->start(status);
  const int32_t separatorEnd = separatorMatcher->end(status);
  if (U_FAILURE(status)) return false;
  text.replace(static_cast<size_t>(separatorStart),
               static_cast<size_t>(separatorEnd - separatorStart), replacement);
  return true;
}

bool hasDigit(std::string_view text) {
  return text.find_first_of(kDigits) != std::string_view::npos;
}

// Full Unicode upper-casing in the default locale. Plain ASCII text skips the round
// trip through UTF-16, with the same result, and is changed in place.
void upperCaseLine(std::string& line) {
  if (cmn::AsciiUpperCaseIsPlain(line)) {
    cmn::AsciiUpper(line);
  } else {
    line = cmn::UpperCase(line);
  }
}

// True when the code point just before `position` is a letter or digit.
bool alnumBefore(std::string_view text, size_t position) {
  if (position == 0) return false;
  auto index = static_cast<int32_t>(position);
  UChar32 c;
  U8_PREV(text.data(), 0, index, c);
  return c >= 0 && u_isalnum(c);
}

// True when the code point starting at `position` is a letter or digit.
bool alnumAt(std::string_view text, size_t position) {
  if (position >= text.size()) return false;
  auto index = static_cast<int32_t>(position);
  UChar32 c;
  // ICU's macro narrows int to uint8_t inside its own expansion.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wconversion"
  U8_NEXT(text.data(), index, static_cast<int32_t>(text.size()), c);
#pragma GCC diagnostic pop
  return c >= 0 && u_isalnum(c);
}

// Whether `word` occurs in `line` as a whole word: not preceded and not followed by a
// letter or digit. The word is taken literally: characters that regular expressions
// treat as syntax carry no special meaning here.
bool containsWholeWord(std::string_view line, std::string_view word) {
  for (size_t found = line.find(word); found != std::string_view::npos;
       found = line.find(word, found + 1)) {
    if (!alnumBefore(line, found) && !alnumAt(line, found + word.size())) return true;
  }
  return false;
}

void joinPhrasesFolded(const ParserConfig& config, std::vector<std::string>& words,
                       std::vector<std::string>& folds, const std::string& code) {
  const CountryWordLists& all = config.wordListsFor(code);
  const WordList* lists[] = {
      all[static_cast<size_t>(ListKind::kSuffix)],
      all[static_cast<size_t>(ListKind::kPoBox)],
      all[static_cast<size_t>(ListKind::kRural)],
  };
  auto inAnyList = [&lists](std::string_view foldedPhrase) {
    const WordList::FoldedQuery query(foldedPhrase);
    for (const WordList* list : lists) {
      if (list != nullptr && list->findFolded(query) != nullptr) return true;
    }
    return false;
  };
  auto mayBeginPhrase = [&lists](std::string_view folded) {
    for (const WordList* list : lists) {
      if (list != nullptr && list->mayBeginPhrase(folded)) return true;
    }
    return false;
  };
  if (lists[0] == nullptr && lists[1] == nullptr && lists[2] == nullptr) return;

  // Shorter phrases first at each position, positions from the left. After a join at
  // some position the search goes back kMaxPhraseExtraWords words, since the joined
  // word can now complete a phrase that begins before it; a phrase that begins
  // further back ends before the joined word, and was already tried and missed.
  // (Starting again from the first word finds the same joins, in quadratic time.)
  //
  // The list is kept in place as two parts: words[0, kept) from the start up to a
  // few words past `position`, and words[unread, size) for the rest, with a gap of
  // removed words between them. A join removes words only at the end of the first
  // part, so it moves at most a few words.
  size_t kept = 0;
  size_t unread = 0;
  auto readUpTo = [&](size_t count) {
    for (; kept < count && unread < words.size(); ++kept, ++unread) {
      if (kept == unread) continue;
      words[kept] = std::move(words[unread]);
      folds[kept] = std::move(folds[unread]);
    }
  };
  auto listSize = [&] { return kept + (words.size() - unread); };
  size_t position = 0;
  std::string foldedPhrase;
  while (position + 1 < listSize()) {
    readUpTo(position + kMaxPhraseExtraWords + 1);
    if (!mayBeginPhrase(folds[position])) {
      ++position;
      continue;
    }
    bool joined = false;
    foldedPhrase = folds[position];
    for (size_t extra = 1; extra <= kMaxPhraseExtraWords && position + extra < kept; ++extra) {
      foldedPhrase += ' ';
      foldedPhrase += folds[position + extra];
      if (!inAnyList(foldedPhrase)) continue;
      for (size_t k = 1; k <= extra; ++k) {
        words[position] += ' ';
        words[position] += words[position + k];
      }
      folds[position] = foldedPhrase;
      // Close up the end of the first part over the joined words.
      for (size_t from = position + extra + 1; from < kept; ++from) {
        words[from - extra] = std::move(words[from]);
        folds[from - extra] = std::move(folds[from]);
      }
      kept -= extra;
      joined = true;
      break;
    }
    if (!joined) {
      ++position;
    } else {
      position = position > kMaxPhraseExtraWords ? position - kMaxPhraseExtraWords : 0;
    }
  }
  readUpTo(listSize());
  words.resize(kept);
  folds.resize(kept);
}

bool isAllDigits(std::string_view word) {
  return !word.empty() && word.find_first_not_of(kDigits) == std::string_view::npos;
}

// An AND between two streets is written as the & of an intersection (18TH AND
// LINCOLN, WOODVILLE AVE AND BANKSVILLE RD, US HIGHWAY 18 AND 15), so the rules read
// both spellings alike. It joins two streets when a word with a digit stands beside
// it, or when the word before it is a street type that ends a name (a type right after
// the house number is the name itself: 100 RIVER AND HARBOR RD). Any other AND stays
// a word of the name (C AND N SMITH MILL RD, RUTH AND BARON COLEMAN BLVD).
void markIntersectionAnd(const ParserConfig& config, std::vector<std::string>& words,
                         std::vector<std::string>& folds, const std::string& code) {
  const WordList* suffixes = config.wordListsFor(code)[static_cast<size_t>(ListKind::kSuffix)];
  for (size_t i = 1; i + 1 < words.size(); ++i) {
    if (folds[i] != "and") continue;
    const bool digitBeside = hasDigit(words[i - 1]) || hasDigit(words[i + 1]);
    const bool typeEndsName = i >= 2 && !isAllDigits(words[i - 2]) && suffixes != nullptr &&
                              suffixes->findFolded(WordList::FoldedQuery(folds[i - 1])) != nullptr;
    if (!digitBeside && !typeEndsName) continue;
    words[i] = "&";
    folds[i] = "&";
  }
}

}  // namespace

bool rewriteNumberPair(std::string& text, const char* outerPattern, const char* separatorPattern,
                       const char* replacement) {
  // Compiled per call: the parse itself matches its fixed patterns by hand.
  auto outer = compileBytePattern(outerPattern);
  auto separator = compileBytePattern(separatorPattern);
  return rewriteWith(text, outer.get(), separator.get(), replacement);
}

bool rewriteNumberPairs(std::string& line, const std::string& code) {
  if (code == "FR") {
    for (const NumberPairRewrite& rewrite : kFrenchRewrites) {
      if (applyNumberPairRewrite(line, rewrite)) return true;
    }
    return false;
  }
  if (code == "ES") return applyNumberPairRewrite(line, kSpanishRewrite);
  if (code == "AU") return applyNumberPairRewrite(line, kAustralianRewrite);
  if (code == "CA") return applyNumberPairRewrite(line, kCanadianRewrite);
  if (code == "NL") return applyNumberPairRewrite(line, kDutchRewrite);
  return false;
}

bool normaliseAddressLine(const ParserConfig& config, const std::string& line,
                          const std::string& code, std::string& addressText) {
  std::string normalised = line;

  rewriteNumberPairs(normalised, code);

  size_t kept = 0;
  for (char c : normalised) {
    if (c == '%' || c == '.' || c == ',' || c == '-') continue;
    // Brackets and semicolons part words (MAIN ST (REAR), FELDWOOD RD; LOCKBOX 4).
    normalised[kept++] = (c == '(' || c == ')' || c == ';') ? ' ' : c;
  }
  normalised.resize(kept);
  upperCaseLine(normalised);

  if (isCareOfLine(config, normalised, code)) return false;
  addressText += ' ';
  addressText += normalised;
  cmn::TrimLeft(addressText);
  cmn::TrimRight(addressText);
  return true;
}

bool isCareOfLine(const ParserConfig& config, const std::string& normalisedLine,
                  const std::string& code) {
  for (const std::string& word : config.careOfWordsOf(code)) {
    // An empty care-of word would frame nothing but a gap between two separators;
    // it marks no line as care-of.
    if (!word.empty() && containsWholeWord(normalisedLine, word)) return true;
  }
  return false;
}

namespace {

bool splitStickySuffixOf(const std::string& word, const std::vector<std::string>& suffixes,
                         std::pair<std::string, std::string>& parts) {
  for (const std::string& suffix : suffixes) {
    // An empty suffix would "split" every word and so block the alphanumeric split.
    if (suffix.empty() || !cmn::EndsWith(word, suffix.c_str())) continue;
    parts.first = word.substr(0, word.size() - suffix.size());
    parts.second = suffix;
    return true;
  }
  return false;
}

}  // namespace

std::pair<std::string, std::string> splitAlphaNumeric(const std::string& word) {
  std::pair<std::string, std::string> parts{word, std::string()};
  auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  const size_t firstDigit = word.find_first_of(kDigits);
  if (firstDigit == std::string::npos || word.find_first_not_of(kDigits) == std::string::npos) {
    return parts;
  }
  if (isDigit(word.front()) && isDigit(word.back())) return parts;
  if (word.front() == '#') {
    parts.first = "#";
    parts.second = word.substr(1);
    return parts;
  }
  if (!isDigit(word.back()) || word.find('-') != std::string::npos) return parts;
  // Only the trailing run of digits is split off: A1B2 gives A1B and 2, so no
  // character appears in both parts.
  const size_t lastNonDigit = word.find_last_not_of(kDigits);
  parts.first = word.substr(0, lastNonDigit + 1);
  parts.second = word.substr(lastNonDigit + 1);
  return parts;
}

TokenList tokeniseAddress(const ParserConfig& config, const std::string& addressText,
                          const std::string& code) {
  std::vector<std::string> words;
  words.reserve(addressText.size() / 2 + 1);  // room for the most words the text can hold
  cmn::Split(addressText, words, " ");
  // Each word is folded once here; phrases and unsplit words reuse the folding.
  std::vector<std::string> folds;
  folds.reserve(words.size());
  for (const std::string& word : words) folds.push_back(foldWord(word));
  joinPhrasesFolded(config, words, folds, code);
  markIntersectionAnd(config, words, folds, code);

  TokenList tokens;
  tokens.reserve(words.size() + 2);
  bool keepNextWhole = false;  // set after a "#" token: "#12 B7" keeps B7 whole
  std::pair<std::string, std::string> parts;
  const std::vector<std::string>& stickySuffixes = config.stickySuffixesOf(code);
  for (size_t i = 0; i < words.size(); ++i) {
    bool split = false;
    if (!keepNextWhole) {
      if (splitStickySuffixOf(words[i], stickySuffixes, parts)) {
        split = !parts.second.empty();
      } else if (hasDigit(words[i])) {  // splitAlphaNumeric splits no word without one
        parts = splitAlphaNumeric(words[i]);
        split = !parts.second.empty();
      }
    }
    if (!split) {
      keepNextWhole = words[i] == "#";
      tokens.push_back(
          std::make_unique<AddressToken>(std::move(words[i]), code, std::move(folds[i])));
      continue;
    }
    keepNextWhole = parts.first == "#";
    // A word that is exactly a sticky suffix has an empty first part: it becomes the
    // suffix token alone, with no empty token before it.
    if (!parts.first.empty()) {
      std::string folded = foldWord(parts.first);
      tokens.push_back(
          std::make_unique<AddressToken>(std::move(parts.first), code, std::move(folded)));
    }
    std::string folded = foldWord(parts.second);
    tokens.push_back(
        std::make_unique<AddressToken>(std::move(parts.second), code, std::move(folded)));
  }
  return tokens;
}

}  // namespace addr
