// UTF-8 text through ICU: conversions, upper-casing, case folding and comparison.
// The case helpers skip ICU for pure-ASCII text, which is what almost every address
// word is; the results are the same as ICU's for that text.
#include "common/ustring.h"

#include <memory>

#include <unicode/bytestream.h>
#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/ucnv.h>
#include <unicode/unistr.h>

#include "common/string_util.h"

namespace cmn {
namespace {

inline bool IsAsciiByte(char c) { return static_cast<unsigned char>(c) < 0x80; }

// Index of the first byte of 128 or more; text.size() when there is none.
size_t FirstNonAscii(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsAsciiByte(text[i])) ++i;
  return i;
}

inline char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }


struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};

}  // namespace

icu::UnicodeString ToUnicode(std::string_view utf8) {
  return icu::UnicodeString::fromUTF8(
      icu::StringPiece(utf8.data(), static_cast<int32_t>(utf8.size())));
}

ustring FromUnicode(const icu::UnicodeString& text) {
  ustring out;
  text.toUTF8String(out);
  return out;
}

bool IsAscii(std::string_view text) { return FirstNonAscii(text) == text.size(); }

bool AsciiUpperCaseIsPlain(std::string_view utf8) {
  if (!IsAscii(utf8)) return false;
  if (utf8.find('i') == std::string_view::npos) return true;
  const char* language = icu::Locale::getDefault().getLanguage();
  return !(language[0] == 't' && language[1] == 'r' && language[2] == '\0') &&
         !(language[0] == 'a' && language[1] == 'z' && language[2] == '\0');
}

ustring UpperCase(std::string_view utf8) {
  if (AsciiUpperCaseIsPlain(utf8)) {
    ustring out(utf8);
    AsciiUpper(out);
    return out;
  }
  icu::UnicodeString text = ToUnicode(utf8);
  text.toUpper();
  return FromUnicode(text);
}

ustring FoldCase(std::string_view utf8) {
  // Default full case folding maps each code point on its own, so the ASCII prefix
  // can be folded here and only the rest handed to ICU.
  const size_t asciiEnd = FirstNonAscii(utf8);
  ustring out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < asciiEnd; ++i) out.push_back(AsciiLower(utf8[i]));
  if (asciiEnd < utf8.size()) {
    icu::UnicodeString rest = ToUnicode(utf8.substr(asciiEnd));
    rest.foldCase(U_FOLD_CASE_DEFAULT);
    rest.toUTF8String(out);
  }
  return out;
}

size_t RemoveNonAlnum(ustring& text, std::u16string_view kept) {
  const icu::UnicodeString source = ToUnicode(text);
  icu::UnicodeString result;
  size_t removed = 0;
  // Unit by unit, as the text is held: a surrogate is never alphanumeric on its own.
  for (int32_t i = 0; i < source.length(); ++i) {
    const char16_t unit = source.charAt(i);
    if (u_isalnum(unit) || kept.find(unit) != std::u16string_view::npos) {
      result.append(unit);
    } else {
      ++removed;
    }
  }
  if (removed > 0) {
    text.clear();
    result.toUTF8String(text);
  }
  return removed;
}

std::string ToCodePage(const icu::UnicodeString& text) {
  if (text.isEmpty()) return std::string();
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<UConverter, ConverterCloser> converter(ucnv_open(nullptr, &status));
  if (U_FAILURE(status)) return FromUnicode(text);
  // Six bytes per UTF-16 unit holds the longest form any code page gives a unit.
  std::string out(static_cast<size_t>(text.length()) * 6, '\0');
  const int32_t written = text.extract(out.data(), static_cast<int32_t>(out.size()),
                                       converter.get(), status);
  if (U_FAILURE(status)) return FromUnicode(text);
  out.resize(static_cast<size_t>(written));
  return out;
}

std::string ToCodePage(std::string_view utf8) {
  if (utf8.empty()) return std::string();
  return ToCodePage(ToUnicode(utf8));
}

std::string ToCodePage(const char* utf8) {
  return utf8 == nullptr ? std::string() : ToCodePage(std::string_view(utf8));
}

}  // namespace cmn
