// ICU transliterators are costly to build and must not be used by two threads at once,
// so built ones wait in a pool per transform for whichever thread needs one next.
// Tested by tests/host/host_services_test.cc.
#include "host/transliteration.h"

#include <unicode/translit.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>
#include <unicode/utypes.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "common/mutex.h"
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

// The transliterators built for one transform that no thread is using. A pool rather
// than a copy per thread: the Windows runtime destroys thread_local objects after
// ICU's own per-thread state, and a thread's copies would die with it.
class TransliteratorPool {
 public:
  explicit TransliteratorPool(const char* id) : id_(id) {}

  // One for the caller's use alone, built when none waits; null when ICU cannot
  // build it (its data missing), then without trying again for every word.
  std::unique_ptr<icu::Transliterator> take() {
    {
      cmn::MutexLock guard(lock_);
      if (failed_) return nullptr;
      if (!idle_.empty()) {
        std::unique_ptr<icu::Transliterator> ready = std::move(idle_.back());
        idle_.pop_back();
        return ready;
      }
    }
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Transliterator> made(icu::Transliterator::createInstance(
        icu::UnicodeString::fromUTF8(id_), UTRANS_FORWARD, status));
    if (U_FAILURE(status)) {
      cmn::MutexLock guard(lock_);
      failed_ = true;
      return nullptr;
    }
    return made;
  }

  void giveBack(std::unique_ptr<icu::Transliterator> transliterator) {
    cmn::MutexLock guard(lock_);
    idle_.push_back(std::move(transliterator));
  }

 private:
  const char* const id_;
  cmn::Mutex lock_;
  std::vector<std::unique_ptr<icu::Transliterator>> idle_ GUARDED_BY(lock_);
  bool failed_ GUARDED_BY(lock_) = false;
};

// Made on first use and never destroyed: a thread may still transliterate while
// static objects are destroyed at exit.
TransliteratorPool& poolFor(int32_t scriptCode) {
  static TransliteratorPool* const pools[] = {new TransliteratorPool(transformId(0)),
                                              new TransliteratorPool(transformId(kScriptChinese)),
                                              new TransliteratorPool(transformId(kScriptJapanese))};
  const size_t slot = (scriptCode == kScriptChinese || scriptCode == kScriptJapanese)
                          ? static_cast<size_t>(scriptCode)
                          : 0;
  return *pools[slot];
}

}  // namespace

std::string transliterate(std::string_view text, int32_t scriptCode) {
  if (cmn::IsAscii(text)) return std::string(text);
  TransliteratorPool& pool = poolFor(scriptCode);
  std::unique_ptr<icu::Transliterator> transform = pool.take();
  if (transform == nullptr) return std::string(text);
  icu::UnicodeString unicode = icu::UnicodeString::fromUTF8(
      icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
  transform->transliterate(unicode);
  pool.giveBack(std::move(transform));
  std::string result;
  unicode.toUTF8String(result);
  return result;
}

namespace {

// Bytes past what is kept that a prefix's result must reach: the last characters of
// a prefix may be read differently once the text after them is seen.
constexpr size_t kPrefixMargin = 256;

// Combining marks a character keeps with it at a cut: the most that text in the
// Unicode stream-safe format puts on one character, and a bound for text that is
// nothing but marks.
constexpr int kMostMarksKept = 30;

// The byte length of the first `count` characters of `text`, extended past the
// combining marks (and joiners) that follow them, so that no character is cut from
// its marks. Ill-formed bytes count as one character each.
// ICU's U8_NEXT narrows int to uint8_t inside its own expansion.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wconversion"
size_t prefixOfCharacters(std::string_view text, size_t count) {
  const auto length = static_cast<int32_t>(text.size());
  int32_t end = 0;
  for (size_t n = 0; n < count && end < length; ++n) {
    UChar32 c;
    U8_NEXT(text.data(), end, length, c);
  }
  for (int marks = 0; marks < kMostMarksKept && end < length; ++marks) {
    int32_t next = end;
    UChar32 c;
    U8_NEXT(text.data(), next, length, c);
    const bool extends = c >= 0 && (u_hasBinaryProperty(c, UCHAR_GRAPHEME_EXTEND) || c == 0x200D);
    if (!extends) break;
    end = next;
  }
  return static_cast<size_t>(end);
}
#pragma GCC diagnostic pop

}  // namespace

std::string transliterateFor(std::string_view text, int32_t scriptCode, size_t outputBytes) {
  if (cmn::IsAscii(text)) return std::string(text.substr(0, outputBytes));
  const size_t wanted = outputBytes + kPrefixMargin;
  const size_t mostCharacters = kTransliteratedCharactersPerOutputByte * (outputBytes + 1);
  // A start that fills the output in one go for Chinese, about 4.5 bytes a character.
  size_t characters = std::min(wanted / 4 + 1, mostCharacters);
  for (;;) {
    const size_t end = prefixOfCharacters(text, characters);
    std::string result = transliterate(text.substr(0, end), scriptCode);
    if (end == text.size() || result.size() >= wanted || characters >= mostCharacters) {
      return result;
    }
    // Grow by what this prefix gave per character, with some room, at least doubling.
    const size_t estimate =
        result.empty() ? 0 : characters * wanted / result.size() + characters / 8;
    characters = std::min(std::max(2 * characters, estimate), mostCharacters);
  }
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
