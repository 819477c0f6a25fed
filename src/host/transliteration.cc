// ICU transliterators are costly to build and must not be shared between threads,
// so each thread builds the ones it needs once and keeps them (thread_local).
// Tested by tests/host/host_services_test.cc.
#include "host/transliteration.h"

#include <array>
#include <memory>

#include <unicode/translit.h>
#include <unicode/unistr.h>
#include <unicode/utypes.h>

#include "common/ustring.h"

namespace zeb {
namespace {

// One compound transform per script code; each ends with Latin-ASCII so that the
// accents and tone marks of the romanisation go too.
const char* transformId(int32_t scriptCode) {
  switch (scriptCode) {
    case kScriptChinese:
      return "Han-Latin; Latin-ASCII";
    case kScriptJapanese:
      return "Katakana-Latin; Hiragana-Latin; Han-Latin; Latin-ASCII";
    default:
      return "Any-Latin; Latin-ASCII";
  }
}

struct ThreadTransliterators {
  std::array<std::unique_ptr<icu::Transliterator>, 3> byCode;
  std::array<bool, 3> failed{};
};

icu::Transliterator* transliteratorFor(int32_t scriptCode) {
  thread_local ThreadTransliterators cache;
  size_t slot = (scriptCode == kScriptChinese || scriptCode == kScriptJapanese)
                    ? static_cast<size_t>(scriptCode)
                    : 0;
  if (!cache.byCode[slot] && !cache.failed[slot]) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Transliterator> made(icu::Transliterator::createInstance(
        icu::UnicodeString::fromUTF8(transformId(scriptCode)), UTRANS_FORWARD, status));
    if (U_FAILURE(status)) {
      cache.failed[slot] = true;  // ICU data missing: do not retry for every word
    } else {
      cache.byCode[slot] = std::move(made);
    }
  }
  return cache.byCode[slot].get();
}

}  // namespace

std::string transliterate(std::string_view text, int32_t scriptCode) {
  if (cmn::IsAscii(text)) return std::string(text);
  icu::Transliterator* transform = transliteratorFor(scriptCode);
  if (transform == nullptr) return std::string(text);
  icu::UnicodeString unicode = icu::UnicodeString::fromUTF8(
      icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
  transform->transliterate(unicode);
  std::string result;
  unicode.toUTF8String(result);
  return result;
}

void copyUtf8Bounded(std::string_view text, char* out, int32_t outSize) {
  if (out == nullptr || outSize <= 0) return;
  size_t length = text.size();
  size_t room = static_cast<size_t>(outSize) - 1;
  if (length > room) {
    length = room;
    // Step back over continuation bytes so that no sequence is split: the cut falls
    // on the first byte of the sequence that does not fit. A sequence has at most
    // three continuation bytes; longer runs are not UTF-8 and are cut anywhere.
    size_t limit = length >= 3 ? length - 3 : 0;
    while (length > limit && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) {
      --length;
    }
  }
  text.copy(out, length);
  out[length] = '\0';
}

}  // namespace zeb
