// Locality recognition, read from the end of the line: country name, postcode,
// region, then the city between the street and the region. Where a comma parts the
// line the part after the last comma is the city, unless it holds a number or a unit;
// otherwise the street ends at its last street word (a street type, a unit and its
// number, a box number, a house or route number) and the city is what follows.
// Tested by tests/addressparser/parse_driver_test.cc.
#include "addressparser/locality.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <utility>

#include "addressparser/word_lists.h"

namespace addr {
namespace {

struct Word {
  size_t begin = 0, end = 0;  // bytes of the line; commas are never part of a word
  // localityKey of the word, worked out on first use: most lines are decided by
  // their last few words.
  mutable std::string key;
  mutable bool keyed = false;
  bool breakAfter = false;  // a comma follows
  bool hasDigit = false;
};

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
bool isAsciiLetter(char c) { return asciiLower(c) >= 'a' && asciiLower(c) <= 'z'; }

// A comma or semicolon ends a word and marks a break after it.
std::vector<Word> splitWords(std::string_view line) {
  std::vector<Word> words;
  words.reserve(16);
  size_t i = 0;
  while (i < line.size()) {
    const char c = line[i];
    if (isBlank(c)) {
      ++i;
    } else if (c == ',' || c == ';') {
      if (!words.empty()) words.back().breakAfter = true;
      ++i;
    } else {
      Word word;
      word.begin = i;
      while (i < line.size() && !isBlank(line[i]) && line[i] != ',' && line[i] != ';') {
        word.hasDigit = word.hasDigit || isDigit(line[i]);
        ++i;
      }
      word.end = i;
      words.push_back(std::move(word));
    }
  }
  return words;
}

// The hyphen, non-breaking hyphen, figure dash, en dash and em dash (U+2010 to U+2014)
// in UTF-8: word processors turn a ZIP+4's hyphen into one of them (94103—1612).
bool isUnicodeDash(std::string_view text, size_t i) {
  return text.size() - i >= 3 && text[i] == '\xE2' && text[i + 1] == '\x80' &&
         text[i + 2] >= '\x90' && text[i + 2] <= '\x94';
}

bool matchesShape(std::string_view text, std::string_view shape) {
  size_t i = 0;
  for (const char s : shape) {
    if (i == text.size()) return false;
    if (s == '-' && isUnicodeDash(text, i)) {
      i += 3;
      continue;
    }
    const char t = text[i++];
    const bool matches = s == '9'   ? isDigit(t)
                         : s == 'A' ? isAsciiLetter(t)
                                    : asciiLower(t) == asciiLower(s);
    if (!matches) return false;
  }
  return i == text.size();
}

class Recogniser {
 public:
  Recogniser(std::string_view line, const LocalityData& data)
      : line_(line), data_(data), words_(splitWords(line)), end_(words_.size()) {}

  LocalityParts run();

 private:
  void readCityFirst();
  void readPostcodeFirst();

  struct StreetEnd {
    size_t end;       // the street is words [segment, end), the city [end, end_)
    const char* how;  // for explain
    bool beforeCityStart = false;
  };

  const std::string& key(size_t w) const {
    const Word& word = words_[w];
    if (!word.keyed) {
      word.key = localityKey(line_.substr(word.begin, word.end - word.begin));
      word.keyed = true;
    }
    return word.key;
  }
  bool in(const std::unordered_set<std::string>& set, size_t w) const {
    return set.count(key(w)) != 0;
  }
  bool isStreetType(size_t w) const { return in(data_.streetTypes, w); }
  bool isUnitWord(size_t w) const { return in(data_.unitLabels, w) || key(w) == "#"; }
  bool isDirectional(size_t w) const { return in(data_.directionals, w); }
  // N, SW: the direction after a street type. NORTH may as well begin the city.
  bool isShortDirectional(size_t w) const { return key(w).size() <= 2 && isDirectional(w); }
  bool anyDigit(size_t first, size_t last) const {
    return std::any_of(words_.begin() + static_cast<std::ptrdiff_t>(first),
                       words_.begin() + static_cast<std::ptrdiff_t>(last),
                       [](const Word& word) { return word.hasDigit; });
  }

  std::string text(size_t first, size_t last) const {
    return std::string(
        line_.substr(words_[first].begin, words_[last - 1].end - words_[first].begin));
  }
  // A region as written, without the parentheses around it.
  std::string regionText(size_t first, size_t last) const {
    std::string region = text(first, last);
    if (region.size() >= 2 && region.front() == '(' && region.back() == ')') {
      region = region.substr(1, region.size() - 2);
    }
    return region;
  }
  // The longest run of words ending before `stop` whose keys joined by blanks are a
  // phrase of `table`: its length and the table's value; {0, null} when none is.
  std::pair<size_t, const std::string*> phraseBefore(size_t stop, const PhraseTable& table) const;
  std::optional<std::string> postcode(size_t first, size_t last, bool afterRegion) const;
  void takeCountry();
  void takePostcode();
  void takeRegion();
  // The start of the words after the last comma before end_ (0 when none).
  size_t lastSegment() const;
  // Where the street ends in words [segment, end_), a postcode, region or country
  // having been found; `guess`: a part strong enough to take a city even where no
  // street word ends the street.
  std::optional<StreetEnd> streetEnd(size_t segment, bool guess) const;
  void takeCity(size_t first, const char* how);
  void dropPlaceLines();
  void dropStation();
  void skipNameLines();
  void skipAccountNumber();
  void skipLeadingName();
  void cutCareOf();
  // The number of words of a care-of phrase that starts at word w; 0 when none does.
  size_t careOfAt(size_t w) const;
  // A unit word that is no region (APT, not FL): the number after it is the unit's.
  bool afterUnit(size_t w) const {
    return w > 0 && isUnitWord(w - 1) && data_.regions.values.count(key(w - 1)) == 0;
  }
  bool afterBox(size_t w) const {
    return w > 0 && (in(data_.boxWords, w - 1) || key(w - 1) == "#");
  }

  std::string_view line_;
  const LocalityData& data_;
  std::vector<Word> words_;
  size_t end_;                        // words [0, end_) are not yet read as locality
  size_t begin_ = 0;                  // words before begin_ name a building or company
  size_t cutBegin_ = 0, cutEnd_ = 0;  // words [cutBegin_, cutEnd_) are a recipient
  LocalityParts parts_;
};

std::pair<size_t, const std::string*> Recogniser::phraseBefore(size_t stop,
                                                               const PhraseTable& table) const {
  if (stop == 0 || table.lastWords.count(key(stop - 1)) == 0) return {0, nullptr};
  std::string phrase;
  for (size_t count = std::min(table.longest, stop); count > 0; --count) {
    phrase.clear();
    for (size_t w = stop - count; w < stop; ++w) {
      if (!phrase.empty()) phrase += ' ';
      phrase += key(w);
    }
    if (auto found = table.values.find(phrase); found != table.values.end()) {
      return {count, &found->second};
    }
  }
  return {0, nullptr};
}

std::optional<std::string> Recogniser::postcode(size_t first, size_t last, bool afterRegion) const {
  std::string_view candidate =
      line_.substr(words_[first].begin, words_[last - 1].end - words_[first].begin);
  // A full stop, or a quote left over from the line's export (35968").
  if (!candidate.empty() && (candidate.back() == '.' || candidate.back() == '"')) {
    candidate.remove_suffix(1);
  }
  for (const LocalityData::PostcodeShape& shape : data_.postcodes) {
    if (shape.afterRegionOnly && !afterRegion) continue;
    std::string_view code = candidate;
    if (!shape.prefix.empty()) {
      if (!matchesShape(code.substr(0, shape.prefix.size()), shape.prefix)) continue;
      code.remove_prefix(shape.prefix.size());
    }
    if (matchesShape(code, shape.shape)) return std::string(code);
  }
  return std::nullopt;
}

// The country's name, once or twice (UNITED STATES US): the name nearest the rest.
void Recogniser::takeCountry() {
  for (int names = 0; names < 2; ++names) {
    const auto [count, code] = phraseBefore(end_, data_.countryNames);
    if (count == 0 || count >= end_) return;
    parts_.country = text(end_ - count, end_);
    end_ -= count;
  }
}

// A number after a box word or number sign is the box's, not a postcode.
void Recogniser::takePostcode() {
  for (size_t count = 2; count > 0; --count) {
    if (end_ <= count) continue;
    const size_t first = end_ - count;
    if (auto found = postcode(first, end_, false); found && !afterBox(first) && !afterUnit(first)) {
      parts_.postcode = std::move(*found);
      end_ = first;
      return;
    }
  }
}

// A region; then, when no postcode was found, a postcode of a shape only taken after
// a region (4-digit ZIPs) with the region before it.
void Recogniser::takeRegion() {
  // A region that is also a unit word (FL, floor) needs a postcode after it or a
  // comma before it: 1750 TYSONS BLVD FOURTH FL is a floor.
  if (auto [count, standard] = phraseBefore(end_, data_.regions);
      count > 0 && count < end_ &&
      (!parts_.postcode.empty() || words_[end_ - count - 1].breakAfter ||
       !(count == 1 && isUnitWord(end_ - 1)))) {
    parts_.region = regionText(end_ - count, end_);
    parts_.regionStandard = *standard;
    end_ -= count;
    return;
  }
  if (!parts_.postcode.empty() || end_ < 3) return;
  auto found = postcode(end_ - 1, end_, true);
  if (!found) return;
  auto [count, standard] = phraseBefore(end_ - 1, data_.regions);
  if (count == 0 || count >= end_ - 1) return;
  parts_.postcode = std::move(*found);
  parts_.region = regionText(end_ - 1 - count, end_ - 1);
  parts_.regionStandard = *standard;
  end_ -= count + 1;
}

size_t Recogniser::lastSegment() const {
  size_t segment = 0;
  for (size_t w = 0; w + 1 < end_; ++w) {
    if (words_[w].breakAfter) segment = w + 1;
  }
  return segment;
}

// Every place where the street may end, and the last one that leaves a city: after
// a number (and the short directions that follow it), before a word that begins a
// city, after a street type (and its short directions), after a unit and its
// number, after a box number. A city never begins with a street type, a unit word,
// a number or a word only found inside city names.
std::optional<Recogniser::StreetEnd> Recogniser::streetEnd(size_t segment, bool guess) const {
  std::vector<StreetEnd> ends;
  bool sawStreetType = false;
  for (size_t w = segment; w < end_; ++w) {
    if (words_[w].hasDigit && w > segment) {
      size_t end = w + 1;
      while (end + 1 < end_ && isShortDirectional(end)) ++end;
      ends.push_back({end, "a number ends the street"});
    } else if (in(data_.cityStartAbbreviations, w) && w > segment + 1 && w + 1 < end_ &&
               (isStreetType(w - 1) || sawStreetType) && !isStreetType(w + 1) &&
               !isDirectional(w + 1)) {
      ends.push_back({w, "a word that begins a city follows the street type", true});
    } else if (in(data_.cityStarts, w) && w > segment + 1) {
      ends.push_back({w, "a word that begins a city", true});
    } else if (isStreetType(w) && w == segment + 1 && words_[segment].hasDigit) {
      // A type right after the house number comes before the name (RUE PRINCIPALE,
      // CH. DE LA CÔTE-DES-NEIGES): the street ends after the first word of the name.
      size_t end = w + 1;
      while (end + 1 < end_ && in(data_.connectors, end)) ++end;
      ends.push_back({std::min(end + 1, end_), "a street type and the first word of its name"});
    } else if (isStreetType(w) && w > segment && !(words_[w - 1].hasDigit && afterBox(w - 1))) {
      size_t end = w + 1;
      while (end < end_ && isShortDirectional(end)) ++end;
      ends.push_back({end, "a street type ends the street"});
      sawStreetType = true;
    } else if (isUnitWord(w) && w + 1 < end_) {
      if (w > segment && words_[w - 1].hasDigit && !isUnitWord(w + 1)) {
        ends.push_back({w + 1, "a floor after its number ends the street"});  // 4TH FLOOR
      }
      size_t end = w + 2;
      if (isUnitWord(w + 1) && w + 2 < end_) ++end;
      ends.push_back({end, "a unit ends the street"});
    } else if (in(data_.boxWords, w) && w + 1 < end_ && words_[w + 1].hasDigit) {
      size_t end = w + 2;
      // A letter after the box number is part of it (RR 4 BOX 164 A RIO); a direction
      // begins the city (BOX 5 N LITTLE ROCK).
      if (end + 1 < end_ && key(end).size() == 1 && isAsciiLetter(key(end)[0]) &&
          !isDirectional(end)) {
        ++end;
      }
      // The delivery station after the box (PO BOX 4001 STN A).
      if (end + 2 < end_ && in(data_.stations, end)) end += 2;
      ends.push_back({end, "a box number ends the street"});
    }
  }
  // A city never begins with a unit word, a number, a word only found inside city
  // names, or a street type (unless it begins cities); nor is it one direction alone.
  // Where that leaves no city, one of two words or more may begin with a street type
  // (LN CENTER POINT, PARK FOREST).
  const auto cityMayBegin = [&](const StreetEnd& end, bool lenient) {
    if (end.end > end_) return false;
    if (end.end == end_ || end.beforeCityStart) return true;
    const size_t w = end.end;
    if (isUnitWord(w) || words_[w].hasDigit || in(data_.cityWords, w) || in(data_.boxWords, w)) {
      return false;
    }
    if (w + 1 == end_ && isDirectional(w)) return false;
    // A box has no street, so a street type after its number begins the city
    // (PO BOX 790126 ST LOUIS).
    if (isStreetType(w) && !in(data_.cityStarts, w) && !(w > 0 && afterBox(w - 1))) {
      return lenient && end_ - w >= 2;
    }
    return true;
  };
  const auto lastBeforeCity = [&](bool lenient) {
    std::optional<StreetEnd> last;
    for (const StreetEnd& end : ends) {
      if (end.end < end_ && cityMayBegin(end, lenient) && (!last || end.end >= last->end)) {
        last = end;
      }
    }
    return last;
  };
  if (auto last = lastBeforeCity(false)) return last;
  if (!anyDigit(segment, end_)) return StreetEnd{segment, "no street before the region"};
  std::optional<StreetEnd> atEnd;
  for (const StreetEnd& end : ends) {
    if (end.end == end_) atEnd = end;
  }
  // A street that ends at a comma before the locality has no city after it.
  if (atEnd && words_[end_ - 1].breakAfter) return atEnd;
  if (auto last = lastBeforeCity(true)) return last;
  if (guess) {
    // No street word leaves a city: a house number, a direction, one word of name and
    // its short directions; a single street type left over is the street's.
    size_t end = segment;
    if (end < end_ && words_[end].hasDigit) ++end;
    if (end < end_ && isDirectional(end)) ++end;
    if (end < end_) ++end;
    while (end + 1 < end_ && isShortDirectional(end)) ++end;
    if (end < end_ && !anyDigit(end, end_) && !(end + 1 == end_ && isStreetType(end))) {
      return StreetEnd{end, "the street taken as a number and one word"};
    }
  }
  return atEnd;
}

void Recogniser::takeCity(size_t first, const char* how) {
  parts_.city = text(first, end_);
  parts_.cityFoundBy = how;
  end_ = first;
}

LocalityParts Recogniser::run() {
  takeCountry();
  if (data_.order == LocalityData::Order::kCityRegionPostcode) {
    readCityFirst();
  } else {
    readPostcodeFirst();
  }
  if (!parts_.empty()) {
    dropStation();
    skipNameLines();
    skipAccountNumber();
    skipLeadingName();
  }
  cutCareOf();
  parts_.streetBytes = end_ == 0 ? 0 : words_[end_ - 1].end;
  parts_.streetBegin = begin_ < end_ ? words_[begin_].begin : parts_.streetBytes;
  if (cutEnd_ > cutBegin_) {
    parts_.cutBegin = words_[cutBegin_].begin;
    parts_.cutEnd = words_[cutEnd_].begin;
  }
  return parts_;
}

size_t Recogniser::careOfAt(size_t w) const {
  for (const std::vector<std::string>& phrase : data_.careOf) {
    if (w + phrase.size() > end_) continue;
    bool matches = true;
    for (size_t i = 0; i < phrase.size() && matches; ++i) {
      const std::string& word = key(w + i);
      // The last word may carry what follows it without a blank (ATTN:JOHN).
      matches =
          word == phrase[i] || (i + 1 == phrase.size() && word.starts_with(phrase[i]) &&
                                !std::isalnum(static_cast<unsigned char>(word[phrase[i].size()])));
    }
    if (matches) return phrase.size();
  }
  return 0;
}

// A recipient inside the line (3348 PEACHTREE RD NE ATTN: DAVID ALLMAN; 6000 FELDWOOD
// RD C/O BOA LOCKBOX 402605; ATTN:CHARLOTTE DURAN 2905 RODEO PARK DR) runs from its
// care-of phrase to the end of its part, or up to a number or a box, and is left out of
// the street. A line that is nothing but a recipient stays whole, for the line's
// care-of test to set aside.
void Recogniser::cutCareOf() {
  for (size_t w = begin_; w < end_; ++w) {
    const size_t count = careOfAt(w);
    if (count == 0) continue;
    size_t stop = w + count;
    while (stop < end_ && !words_[stop - 1].breakAfter && !words_[stop].hasDigit &&
           !in(data_.boxWords, stop)) {
      ++stop;
    }
    if (w == begin_) {
      if (stop < end_) begin_ = stop;
    } else if (stop == end_) {
      end_ = w;
    } else {
      cutBegin_ = w;
      cutEnd_ = stop;
    }
    return;
  }
}

// Plain words before a house number whose street type follows, or before a box,
// with no comma between, name the recipient or the company (JANET S SMITH 7710 MAIN
// AVE; HRCC INC PO BOX 1313): they are left out of the street. A word that could be
// part of an address (a unit, box, direction, street type or number) keeps them all.
void Recogniser::skipLeadingName() {
  for (size_t w = begin_; w + 1 < end_ && !words_[w].breakAfter; ++w) {
    if (words_[w + 1].hasDigit && in(data_.boxWords, w)) {
      while (w > begin_ && in(data_.boxLeadWords, w - 1)) --w;  // the whole of PO BOX
      begin_ = w;
      return;
    }
    if (words_[w].hasDigit) {
      if (w == begin_ || !isDigit(line_[words_[w].begin])) return;
      for (size_t t = w + 1; t < end_; ++t) {
        if (isStreetType(t)) {
          begin_ = w;
          return;
        }
        if (words_[t].breakAfter) break;
      }
      return;
    }
    if (isStreetType(w) || isUnitWord(w) || isDirectional(w) || in(data_.stations, w) ||
        careOfAt(w) > 0) {
      return;
    }
  }
}

// A customer or account number before a box (CUSTOMER # 55-0037082 LOCK BOX 427; RE:
// ACCT # 50016 PO BOX 972651) tells the sender's books, not the post, where it goes.
void Recogniser::skipAccountNumber() {
  bool numberSign = false;
  size_t afterNumber = begin_;  // the word after the last number seen
  for (size_t w = begin_; w + 1 < end_; ++w) {
    if (!numberSign && isStreetType(w)) return;  // a street comes first
    if (numberSign && in(data_.boxWords, w) && words_[w + 1].hasDigit) {
      begin_ = afterNumber;
      return;
    }
    numberSign = numberSign || key(w).starts_with('#');
    if (numberSign && words_[w].hasDigit) afterNumber = w + 1;
  }
}

// The delivery station after a box number (PO BOX 4001 STN A; C.P. 456, SUCC.
// PLACE-D'ARMES) routes the mail as the postcode does, and is no part of the street.
void Recogniser::dropStation() {
  for (size_t w = begin_ + 2; w < end_; ++w) {
    if (in(data_.stations, w) && words_[w - 1].hasDigit && afterBox(w - 1)) {
      end_ = w;
      return;
    }
  }
}

// Before the street, parts with no number and no street word that a part with a house
// number, a street type or a box follows name a building, a company or a department
// (ROSE COTTAGE, MILL LANE; OFFICE OF GENERAL COUNSEL, 820 N MICHIGAN AVE; AIR
// SYSTEMS CONSULTANTS, INC., 162 LIMERICK LANE): they are left out of the street.
void Recogniser::skipNameLines() {
  // A unit or box word makes a unit or box only with its number (SUITE 750, PO BOX
  // 9); alone it may be a word of a name (OFFICE OF GENERAL COUNSEL).
  const auto isNamePart = [&](size_t first, size_t last) {
    for (size_t w = first; w < last; ++w) {
      const bool numberFollows = w + 1 < last && words_[w + 1].hasDigit;
      if (words_[w].hasDigit || isStreetType(w) || in(data_.stations, w) ||
          ((isUnitWord(w) || in(data_.boxWords, w)) && numberFollows)) {
        return false;
      }
    }
    return true;
  };
  for (size_t first = begin_; first < end_;) {
    size_t next = first;
    while (next < end_ && !words_[next].breakAfter) ++next;
    if (next + 1 >= end_) return;  // one part left: the street
    ++next;
    if (!isNamePart(first, next)) return;
    bool streetFollows = words_[next].hasDigit;
    for (size_t w = next; w < end_ && !streetFollows; ++w) {
      streetFollows = isStreetType(w) || in(data_.boxWords, w);
      if (words_[w].breakAfter) break;
    }
    if (streetFollows) begin_ = next;
    first = next;
  }
}

void Recogniser::readCityFirst() {
  takePostcode();
  takeRegion();
  const bool found = !parts_.empty();
  size_t segment = lastSegment();
  if (segment > 0 && segment < end_) {
    bool streetLike = anyDigit(segment, end_);
    for (size_t w = segment; w < end_ && !streetLike; ++w) {
      streetLike = isUnitWord(w) || in(data_.boxWords, w);
    }
    if (!streetLike) {
      // A short direction after the comma belongs to the street (ROAD, NW NORCROSS),
      // and so do directions alone (STREET, NE).
      while (segment < end_ && key(segment).size() == 2 && isDirectional(segment)) ++segment;
      if (segment < end_) takeCity(segment, "the words after the last comma");
      dropPlaceLines();
      return;
    }
  }
  if (end_ == 0) return;
  // Without a postcode, region or country name, only a clean part after a comma
  // (above) is a city: a street line alone must come through whole.
  if (!found) return;
  const bool guess = !parts_.postcode.empty() || !parts_.country.empty() || segment > 0 ||
                     words_[end_ - 1].breakAfter;
  if (auto street = streetEnd(segment, guess); street && street->end < end_) {
    takeCity(street->end, street->how);
  } else if (!parts_.region.empty() && parts_.postcode.empty() && parts_.country.empty() &&
             !words_[end_ - 1].breakAfter) {
    // A region alone after the street, with nothing before it that reads as a city,
    // is the street's own last word (CEDAR CREST CT).
    parts_ = LocalityParts{};
    end_ = words_.size();
  }
  if (parts_.city.empty() && !parts_.region.empty() && data_.cityAlwaysWritten) {
    parts_.city = std::move(parts_.region);
    parts_.cityFoundBy = "a region name where the town must be";
    parts_.region.clear();
    parts_.regionStandard.clear();
  }
}

// Between the street and the town, parts that hold no number and no street word
// name a district or village (5 KINGS ROAD, CHELSEA, LONDON): they are left out of
// the street. The first part always stays.
void Recogniser::dropPlaceLines() {
  while (end_ > 0) {
    size_t start = 0;
    for (size_t w = 0; w + 1 < end_; ++w) {
      if (words_[w].breakAfter) start = w + 1;
    }
    if (start == 0 || !words_[end_ - 1].breakAfter) return;
    for (size_t w = start; w < end_; ++w) {
      if (words_[w].hasDigit || isStreetType(w) || isUnitWord(w) || in(data_.boxWords, w) ||
          in(data_.stations, w)) {
        return;
      }
    }
    end_ = start;
  }
}

// The last postcode with a word after it starts the locality; the city follows it,
// then perhaps a region (VICENZA VI, VALENCIA (VALENCIA)) or a delivery office
// (TOULOUSE CEDEX 7), which is left out of the city. A region is taken only after
// a city of its own, so a city named like its region stays the city.
void Recogniser::readPostcodeFirst() {
  std::optional<std::pair<size_t, size_t>> found;
  for (size_t first = end_; first-- > 0 && !found;) {
    for (size_t count = 2; count > 0; --count) {
      const size_t last = first + count;
      if (last >= end_ || afterBox(first)) continue;
      if (auto code = postcode(first, last, false)) {
        parts_.postcode = std::move(*code);
        found = std::make_pair(first, last);
        break;
      }
    }
  }
  if (!found) {
    const size_t segment = lastSegment();
    if (segment > 0 && segment < end_ && !anyDigit(segment, end_)) {
      takeCity(segment, "the words after the last comma");
    }
    return;
  }
  const auto [first, last] = *found;
  size_t cityEnd = end_;
  for (size_t w = last; w < end_; ++w) {
    if (in(data_.cityEnds, w)) {
      cityEnd = w;
      break;
    }
  }
  // A region after the city: not one that ends the city's name after a connecting
  // word (LAS PALMAS DE GRAN CANARIA).
  if (cityEnd - last > 1) {
    if (auto [count, standard] = phraseBefore(cityEnd, data_.regions);
        count > 0 && count < cityEnd - last && !in(data_.connectors, cityEnd - count - 1)) {
      parts_.region = regionText(cityEnd - count, cityEnd);
      parts_.regionStandard = *standard;
      cityEnd -= count;
    }
  }
  if (cityEnd > last) {
    parts_.city = text(last, cityEnd);
    parts_.cityFoundBy = "the words after the postcode";
  }
  end_ = first;
  dropPlaceLines();
}

}  // namespace

void PhraseTable::add(const std::string& phrase, std::string value) {
  const size_t blank = phrase.rfind(' ');
  lastWords.insert(blank == std::string::npos ? phrase : phrase.substr(blank + 1));
  const auto words = static_cast<size_t>(std::count(phrase.begin(), phrase.end(), ' ')) + 1;
  longest = std::max(longest, words);
  values[phrase] = std::move(value);
}

std::string localityKey(std::string_view word) {
  std::string key;
  key.reserve(word.size());
  for (char c : word) {
    if (c != '.') key += c;
  }
  // A region in parentheses may span words: (A CORUÑA).
  std::string_view bare = key;
  if (!bare.empty() && bare.front() == '(') bare.remove_prefix(1);
  if (!bare.empty() && bare.back() == ')') bare.remove_suffix(1);
  return foldWord(bare);
}

LocalityParts findLocality(std::string_view line, const LocalityData& data) {
  return Recogniser(line, data).run();
}

std::string LocalityParts::street(std::string_view line) const {
  if (cutEnd <= cutBegin) return std::string(line.substr(streetBegin, streetBytes - streetBegin));
  std::string text(line.substr(streetBegin, cutBegin - streetBegin));
  text += line.substr(cutEnd, streetBytes - cutEnd);
  return text;
}

}  // namespace addr
