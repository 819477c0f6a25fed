// Double Metaphone, written from Lawrence Philips' description of the algorithm
// ("The Double Metaphone Search Algorithm", C/C++ Users Journal, June 2000).
//
// The word is scanned left to right; at each position one rule looks at the letter
// and its neighbours, appends to the primary and/or the secondary code and says how
// many letters it consumed. Codes only ever grow, so a code cut to four characters
// is the prefix of ours.
//
// Choices that shape the output on unusual input, kept so that our codes agree with
// the widely used reference table of the algorithm:
// - the scan covers the length of the word as given (UTF-16 units) although the
//   upper-cased text can be longer ("ß" becomes "SS"); five spaces are appended so
//   that look-ahead past the end sees blanks, as in the original formulation;
// - only A-Z, À Ê É (vowels), Ç (like S) and Ñ (like N) produce output; any other
//   character is skipped but still occupies its position;
// - the alternatives written as a blank in Philips' text (a final J, a Spanish LL)
//   add nothing to the secondary code;
// - "-ogy" takes the -gy- rule (K, alternative J) like any other -gy-, only "-rgy"
//   is excluded; "CIA" is a plain S (only CIO and CIE have the Italian X);
//   a C followed by C in "McC..." is coded twice (MCCARTHY is MKKR0); a final
//   "-ier" drops its R in the primary code unless an M stands four letters back
//   (DAUMIER is TM, CHUMMIER keeps XMR).
// Tested by tests/host/host_services_test.cc.
#include "host/double_metaphone.h"

#include <initializer_list>

#include <unicode/locid.h>
#include <unicode/unistr.h>

#include "common/string_util.h"
#include "common/ustring.h"

namespace zeb {
namespace {

constexpr char16_t kAGrave = 0x00C0;
constexpr char16_t kCCedilla = 0x00C7;
constexpr char16_t kEAcute = 0x00C9;
constexpr char16_t kECircumflex = 0x00CA;
constexpr char16_t kNTilde = 0x00D1;

class Encoder {
 public:
  explicit Encoder(std::string_view word) {
    if (cmn::IsAscii(word)) {
      // Plain ASCII (nearly every word) upper-cases byte by byte exactly as ICU's
      // root locale does, without the round trip through a UnicodeString.
      value_.reserve(word.size() + 5);
      for (char c : word) value_.push_back(static_cast<char16_t>(cmn::AsciiUpper(c)));
      length_ = static_cast<int>(word.size());
      value_.append(u"     ");
    } else {
      icu::UnicodeString text = icu::UnicodeString::fromUTF8(
          icu::StringPiece(word.data(), static_cast<int32_t>(word.size())));
      length_ = text.length();
      text.toUpper(icu::Locale::getRoot());
      text.append(icu::UnicodeString(u"     "));
      value_.assign(text.getBuffer(), static_cast<size_t>(text.length()));
    }
    last_ = length_ - 1;
    slavoGermanic_ = contains(u"W") || contains(u"K") || contains(u"CZ") || contains(u"WITZ");
    germanic_ = startsWith(u"VAN ") || startsWith(u"VON ") || startsWith(u"SCH");
  }

  // Stops once the primary code holds `primaryLimit` characters: codes only grow, so
  // those are final, and nobody reads on.
  MetaphoneCodes run(size_t primaryLimit) {
    int i = 0;
    if (isAnyAt(0, {u"GN", u"KN", u"PN", u"WR", u"PS"})) i = 1;
    if (at(0) == u'X') {
      add("S");
      i = 1;
    }
    while (i < length_ && primary_.size() < primaryLimit) i = step(i);
    return {std::move(primary_), std::move(secondary_)};
  }

 private:
  // The character at `pos`; 0 before the start or past the padded end.
  char16_t at(int pos) const {
    if (pos < 0 || pos >= static_cast<int>(value_.size())) return 0;
    return value_[static_cast<size_t>(pos)];
  }
  bool isAt(int pos, std::u16string_view piece) const {
    if (pos < 0 || static_cast<size_t>(pos) + piece.size() > value_.size()) return false;
    return std::u16string_view(value_).substr(static_cast<size_t>(pos), piece.size()) == piece;
  }
  bool isAnyAt(int pos, std::initializer_list<std::u16string_view> pieces) const {
    for (auto piece : pieces) {
      if (isAt(pos, piece)) return true;
    }
    return false;
  }
  bool isOneOf(int pos, std::u16string_view letters) const {
    char16_t c = at(pos);
    return c != 0 && letters.find(c) != std::u16string_view::npos;
  }
  bool contains(std::u16string_view piece) const {
    return value_.find(piece) != std::u16string::npos;
  }
  bool startsWith(std::u16string_view piece) const { return isAt(0, piece); }
  bool isVowel(int pos) const {
    char16_t c = at(pos);
    return c == u'A' || c == u'E' || c == u'I' || c == u'O' || c == u'U' || c == u'Y' ||
           c == kAGrave || c == kEAcute || c == kECircumflex;
  }

  void add(const char* both) {
    primary_ += both;
    secondary_ += both;
  }
  void add(const char* primary, const char* secondary) {
    primary_ += primary;
    secondary_ += secondary;
  }

  // Applies the rule for the letter at `i`; returns the next position.
  int step(int i) {
    char16_t c = at(i);
    switch (c) {
      case u'A': case u'E': case u'I': case u'O': case u'U': case u'Y':
      case kAGrave: case kEAcute: case kECircumflex:
        if (i == 0) add("A");  // only an initial vowel is coded
        return i + 1;
      case u'B':
        add("P");
        return at(i + 1) == u'B' ? i + 2 : i + 1;
      case kCCedilla:
        add("S");
        return i + 1;
      case u'C':
        return letterC(i);
      case u'D':
        if (isAt(i, u"DG")) {
          if (isOneOf(i + 2, u"IEY")) {  // "edge"
            add("J");
            return i + 3;
          }
          add("TK");  // "edgar"
          return i + 2;
        }
        add("T");
        return isAnyAt(i, {u"DT", u"DD"}) ? i + 2 : i + 1;
      case u'F':
        add("F");
        return at(i + 1) == u'F' ? i + 2 : i + 1;
      case u'G':
        return letterG(i);
      case u'H':
        // Kept only when first or after a vowel, and before a vowel.
        if ((i == 0 || isVowel(i - 1)) && isVowel(i + 1)) {
          add("H");
          return i + 2;
        }
        return i + 1;
      case u'J':
        return letterJ(i);
      case u'K':
        add("K");
        return at(i + 1) == u'K' ? i + 2 : i + 1;
      case u'L':
        if (at(i + 1) == u'L') {
          // Spanish "cabrillo", "gallegos": no L in the alternative.
          if ((i == length_ - 3 && isAnyAt(i - 1, {u"ILLO", u"ILLA", u"ALLE"})) ||
              ((isAnyAt(last_ - 1, {u"AS", u"OS"}) || isOneOf(last_, u"AO")) &&
               isAt(i - 1, u"ALLE"))) {
            add("L", "");
            return i + 2;
          }
          add("L");
          return i + 2;
        }
        add("L");
        return i + 1;
      case u'M':
        add("M");
        // "dumb", "thumb", "plumber"
        if ((isAt(i - 1, u"UMB") && (i + 1 == last_ || isAt(i + 2, u"ER"))) ||
            at(i + 1) == u'M') {
          return i + 2;
        }
        return i + 1;
      case u'N':
        add("N");
        return at(i + 1) == u'N' ? i + 2 : i + 1;
      case kNTilde:
        add("N");
        return i + 1;
      case u'P':
        if (at(i + 1) == u'H') {
          add("F");
          return i + 2;
        }
        add("P");
        return isOneOf(i + 1, u"PB") ? i + 2 : i + 1;  // "campbell", "raspberry"
      case u'Q':
        add("K");
        return at(i + 1) == u'Q' ? i + 2 : i + 1;
      case u'R':
        // French "rogier", but not "hochmeier".
        if (i == last_ && !slavoGermanic_ && isAt(i - 2, u"IE") && at(i - 4) != u'M') {
          add("", "R");
        } else {
          add("R");
        }
        return at(i + 1) == u'R' ? i + 2 : i + 1;
      case u'S':
        return letterS(i);
      case u'T':
        return letterT(i);
      case u'V':
        add("F");
        return at(i + 1) == u'V' ? i + 2 : i + 1;
      case u'W':
        return letterW(i);
      case u'X':
        // French "breaux": silent at the end after AU, OU, IAU, EAU.
        if (!(i == last_ &&
              (isAnyAt(i - 3, {u"IAU", u"EAU"}) || isAnyAt(i - 2, {u"AU", u"OU"})))) {
          add("KS");
        }
        return isOneOf(i + 1, u"CX") ? i + 2 : i + 1;
      case u'Z':
        if (at(i + 1) == u'H') {  // Chinese pinyin "zhao"
          add("J");
          return i + 2;
        }
        if (isAnyAt(i + 1, {u"ZO", u"ZI", u"ZA"}) ||
            (slavoGermanic_ && i > 0 && at(i - 1) != u'T')) {
          add("S", "TS");
        } else {
          add("S");
        }
        return at(i + 1) == u'Z' ? i + 2 : i + 1;
      default:
        return i + 1;
    }
  }

  int letterC(int i) {
    // Germanic "bach", "macher", but not "mache" or "achille".
    if (i > 1 && !isVowel(i - 2) && isAt(i - 1, u"ACH") && at(i + 2) != u'I' &&
        (at(i + 2) != u'E' || isAnyAt(i - 2, {u"BACHER", u"MACHER"}))) {
      add("K");
      return i + 2;
    }
    if (i == 0 && isAt(i, u"CAESAR")) {
      add("S");
      return i + 2;
    }
    if (isAt(i, u"CHIA")) {  // Italian "chianti"
      add("K");
      return i + 2;
    }
    if (isAt(i, u"CH")) {
      if (i > 0 && isAt(i, u"CHAE")) {  // "michael"
        add("K", "X");
        return i + 2;
      }
      // Greek roots at the start: "chemistry", "chorus", "character", but "chore".
      if (i == 0 &&
          (isAnyAt(i + 1, {u"HARAC", u"HARIS"}) ||
           isAnyAt(i + 1, {u"HOR", u"HYM", u"HIA", u"HEM"})) &&
          !isAt(0, u"CHORE")) {
        add("K");
        return i + 2;
      }
      // Germanic and Greek CH sounding like K: "orchestra", "architect", "wachtler".
      if (germanic_ || isAnyAt(i - 2, {u"ORCHES", u"ARCHIT", u"ORCHID"}) ||
          isOneOf(i + 2, u"TS") ||
          ((isOneOf(i - 1, u"AOUE") || i == 0) && isOneOf(i + 2, u"LRNMBHFVW "))) {
        add("K");
      } else if (i > 0) {
        if (isAt(0, u"MC")) {  // "McHugh"
          add("K");
        } else {
          add("X", "K");
        }
      } else {
        add("X");
      }
      return i + 2;
    }
    if (isAt(i, u"CZ") && !isAt(i - 2, u"WICZ")) {  // "czerny", not "wicz"
      add("S", "X");
      return i + 2;
    }
    if (isAt(i + 1, u"CIA")) {  // "focaccia"
      add("X");
      return i + 3;
    }
    // Double C, but not "McClellan".
    if (isAt(i, u"CC") && !(i == 1 && at(0) == u'M')) {
      if (isOneOf(i + 2, u"IEH") && !isAt(i + 2, u"HU")) {
        // "accident", "accede", "succeed" against "bacci", "bertucci"
        if ((i == 1 && at(i - 1) == u'A') || isAnyAt(i - 1, {u"UCCEE", u"UCCES"})) {
          add("KS");
        } else {
          add("X");
        }
        return i + 3;
      }
      add("K");  // Pierce's rule
      return i + 2;
    }
    if (isAnyAt(i, {u"CK", u"CG", u"CQ"})) {
      add("K");
      return i + 2;
    }
    if (isAnyAt(i, {u"CI", u"CE", u"CY"})) {
      if (isAnyAt(i, {u"CIO", u"CIE"})) {  // Italian against English; "CIA" stays S
        add("S", "X");
      } else {
        add("S");
      }
      return i + 2;
    }
    add("K");
    if (isAnyAt(i + 1, {u" C", u" Q", u" G"})) return i + 3;  // "mac caffrey", "mac gregor"
    return i + 1;
  }

  int letterG(int i) {
    if (at(i + 1) == u'H') {
      if (i > 0 && !isVowel(i - 1)) {
        add("K");
        return i + 2;
      }
      if (i == 0) {  // "ghislane", "ghiradelli"
        add(at(i + 2) == u'I' ? "J" : "K");
        return i + 2;
      }
      // Parker's rule: silent in "hugh", "bough", "broughton".
      if ((i > 1 && isOneOf(i - 2, u"BHD")) || (i > 2 && isOneOf(i - 3, u"BHD")) ||
          (i > 3 && isOneOf(i - 4, u"BH"))) {
        return i + 2;
      }
      // "laugh", "McLaughlin", "cough", "rough", "tough"
      if (i > 2 && at(i - 1) == u'U' && isOneOf(i - 3, u"CGLRT")) {
        add("F");
      } else if (i > 0 && at(i - 1) != u'I') {
        add("K");
      }
      return i + 2;
    }
    if (at(i + 1) == u'N') {
      if (i == 1 && isVowel(0) && !slavoGermanic_) {
        add("KN", "N");
      } else if (!isAt(i + 2, u"EY") && at(i + 1) != u'Y' && !slavoGermanic_) {
        add("N", "KN");  // not "cagney"
      } else {
        add("KN");
      }
      return i + 2;
    }
    if (isAt(i + 1, u"LI") && !slavoGermanic_) {  // "tagliaro"
      add("KL", "L");
      return i + 2;
    }
    // -ges-, -gep-, -gel-, -gie- at the start
    if (i == 0 && (at(i + 1) == u'Y' ||
                   isAnyAt(i + 1, {u"ES", u"EP", u"EB", u"EL", u"EY", u"IB", u"IL", u"IN",
                                   u"IE", u"EI", u"ER"}))) {
      add("K", "J");
      return i + 2;
    }
    // -ger-, -gy-
    if ((isAt(i + 1, u"ER") || at(i + 1) == u'Y') &&
        !isAnyAt(0, {u"DANGER", u"RANGER", u"MANGER"}) && !isOneOf(i - 1, u"EI") &&
        !isAt(i - 1, u"RGY")) {
      add("K", "J");
      return i + 2;
    }
    // Italian "biaggi"
    if (isOneOf(i + 1, u"EIY") || isAnyAt(i - 1, {u"AGGI", u"OGGI"})) {
      if (germanic_ || isAt(i + 1, u"ET")) {
        add("K");
      } else if (isAt(i + 1, u"IER ")) {  // always soft with a French ending
        add("J");
      } else {
        add("J", "K");
      }
      return i + 2;
    }
    add("K");
    return at(i + 1) == u'G' ? i + 2 : i + 1;
  }

  int letterJ(int i) {
    // Spanish "jose", "san jacinto"
    if (isAt(i, u"JOSE") || isAt(0, u"SAN ")) {
      if ((i == 0 && at(i + 4) == u' ') || isAt(0, u"SAN ")) {
        add("H");
      } else {
        add("J", "H");
      }
      return i + 1;
    }
    if (i == 0 && !isAt(i, u"JOSE")) {
      add("J", "A");  // "Yankelovich" against "Jankelowicz"
    } else if (isVowel(i - 1) && !slavoGermanic_ && isOneOf(i + 1, u"AO")) {
      add("J", "H");  // Spanish "bajador"
    } else if (i == last_) {
      add("J", "");
    } else if (!isOneOf(i + 1, u"LTKSNMBZ") && !isOneOf(i - 1, u"SKL")) {
      add("J");
    }
    return at(i + 1) == u'J' ? i + 2 : i + 1;
  }

  int letterS(int i) {
    if (isAnyAt(i - 1, {u"ISL", u"YSL"})) return i + 1;  // "island", "isle", "carlisle"
    if (i == 0 && isAt(i, u"SUGAR")) {
      add("X", "S");
      return i + 1;
    }
    if (isAt(i, u"SH")) {
      // Germanic "-sheim", "-shoek", "-sholm", "-sholz"
      add(isAnyAt(i + 1, {u"HEIM", u"HOEK", u"HOLM", u"HOLZ"}) ? "S" : "X");
      return i + 2;
    }
    if (isAnyAt(i, {u"SIO", u"SIA"}) || isAt(i, u"SIAN")) {  // Italian, Armenian
      if (slavoGermanic_) {
        add("S");
      } else {
        add("S", "X");
      }
      return i + 3;
    }
    // "smith" matching "schmidt", "snider" matching "schneider"; Slavic "-sz-".
    if ((i == 0 && isOneOf(i + 1, u"MNLW")) || at(i + 1) == u'Z') {
      add("S", "X");
      return at(i + 1) == u'Z' ? i + 2 : i + 1;
    }
    if (isAt(i, u"SC")) {
      if (at(i + 2) == u'H') {  // Schlesinger's rule
        if (isAnyAt(i + 3, {u"OO", u"ER", u"EN", u"UY", u"ED", u"EM"})) {
          // Dutch "school", "schooner"; "schermerhorn", "schenker"
          if (isAnyAt(i + 3, {u"ER", u"EN"})) {
            add("X", "SK");
          } else {
            add("SK");
          }
          return i + 3;
        }
        if (i == 0 && !isVowel(3) && at(3) != u'W') {
          add("X", "S");
        } else {
          add("X");
        }
        return i + 3;
      }
      if (isOneOf(i + 2, u"IEY")) {
        add("S");
        return i + 3;
      }
      add("SK");
      return i + 3;
    }
    // French "resnais", "artois"
    if (i == last_ && isAnyAt(i - 2, {u"AI", u"OI"})) {
      add("", "S");
    } else {
      add("S");
    }
    return isOneOf(i + 1, u"SZ") ? i + 2 : i + 1;
  }

  int letterT(int i) {
    if (isAt(i, u"TION")) {
      add("X");
      return i + 3;
    }
    if (isAnyAt(i, {u"TIA", u"TCH"})) {
      add("X");
      return i + 3;
    }
    if (isAt(i, u"TH") || isAt(i, u"TTH")) {
      // "thomas", "thames", or Germanic
      if (isAnyAt(i + 2, {u"OM", u"AM"}) || germanic_) {
        add("T");
      } else {
        add("0", "T");
      }
      return i + 2;
    }
    add("T");
    return isOneOf(i + 1, u"TD") ? i + 2 : i + 1;
  }

  int letterW(int i) {
    if (isAt(i, u"WR")) {
      add("R");
      return i + 2;
    }
    if (i == 0 && (isVowel(i + 1) || isAt(i, u"WH"))) {
      // "Wasserman" matching "Vasserman"; "Uomo" matching "Womo"
      if (isVowel(i + 1)) {
        add("A", "F");
      } else {
        add("A");
      }
    }
    // "Arnow" matching "Arnoff"
    if ((i == last_ && isVowel(i - 1)) ||
        isAnyAt(i - 1, {u"EWSKI", u"EWSKY", u"OWSKI", u"OWSKY"}) || isAt(0, u"SCH")) {
      add("", "F");
      return i + 1;
    }
    if (isAnyAt(i, {u"WICZ", u"WITZ"})) {  // Polish "filipowicz"
      add("TS", "FX");
      return i + 4;
    }
    return i + 1;
  }

  std::u16string value_;
  int length_ = 0;
  int last_ = -1;
  bool slavoGermanic_ = false;
  bool germanic_ = false;
  std::string primary_;
  std::string secondary_;
};

}  // namespace

MetaphoneCodes doubleMetaphone(std::string_view word, size_t primaryLimit) {
  return Encoder(word).run(primaryLimit);
}

}  // namespace zeb
