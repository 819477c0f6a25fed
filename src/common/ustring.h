// UTF-8 text and its conversions through ICU's UnicodeString.
// Tested by tests/common/common_test.cc.
#pragma once

#include <string>
#include <string_view>

#include <unicode/unistr.h>

namespace cmn {

// All text in the system is UTF-8 held in a plain byte string.
using ustring = std::string;

icu::UnicodeString ToUnicode(std::string_view utf8);
ustring FromUnicode(const icu::UnicodeString& text);

// Whether every byte is below 128: text for which the ASCII shortcuts hold.
bool IsAscii(std::string_view text);

// Full Unicode upper-casing in the default locale; ill-formed UTF-8 becomes U+FFFD.
ustring UpperCase(std::string_view utf8);

// Whether UpperCase of this text is A-Z for a-z and nothing else: the text is ASCII,
// and either holds no small i or the default locale is not Turkic (where i becomes a
// dotted capital I). Reading the default locale takes ICU's process-wide lock, so it
// is read only for text that holds an i.
bool AsciiUpperCaseIsPlain(std::string_view utf8);

// The default full case folding of a text, as UTF-8.
ustring FoldCase(std::string_view utf8);

// Deletes every UTF-16 unit that is neither alphanumeric nor in `kept`; returns the count.
size_t RemoveNonAlnum(ustring& text, std::u16string_view kept);

// Converts to the platform's default code page (UTF-8 on Linux).
std::string ToCodePage(std::string_view utf8);
std::string ToCodePage(const icu::UnicodeString& text);
// For literals and C texts, which would otherwise fit both forms; null gives empty text.
std::string ToCodePage(const char* utf8);

}  // namespace cmn
