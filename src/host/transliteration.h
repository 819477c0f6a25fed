// The host service "TransliterateText": text in any script to plain ASCII through
// ICU transforms. Tested by tests/host/host_services_test.cc.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zeb {

// Script codes the plug-in passes: 1 Chinese, 2 Japanese, anything else any script.
inline constexpr int32_t kScriptAny = 0;
inline constexpr int32_t kScriptChinese = 1;
inline constexpr int32_t kScriptJapanese = 2;

// Transliterates UTF-8 `text` to Latin and then to ASCII. Plain ASCII comes back
// unchanged without entering ICU. When ICU cannot build the transform the text
// comes back unchanged too.
std::string transliterate(std::string_view text, int32_t scriptCode);

// At most this many characters (code points) of a text are transliterated to fill
// `outputBytes` bytes, as a multiple of outputBytes.
inline constexpr size_t kTransliteratedCharactersPerOutputByte = 8;

// transliterate() of as much of `text` as it takes to fill `outputBytes` bytes of
// result, for callers that keep no more: the transforms take time for every
// character (Chinese about 80 microseconds each), and a long text took seconds. The
// text is taken in growing prefixes that end between two characters (never before a
// combining mark), until the result of one holds `outputBytes` bytes and a margin
// (so that the end of a prefix, which may read differently with the text after it,
// lies beyond the bytes kept), the whole text is taken, or the prefix holds
// kTransliteratedCharactersPerOutputByte * outputBytes characters. So the result
// equals transliterate(text) when that is no longer than `outputBytes`, and begins
// with the same `outputBytes` bytes otherwise.
std::string transliterateFor(std::string_view text, int32_t scriptCode, size_t outputBytes);

// Copies `text` into `out` (outSize bytes, terminator included), cut at the last
// whole UTF-8 sequence that fits. Nothing is written when outSize is not positive.
void copyUtf8Bounded(std::string_view text, char* out, int32_t outSize);

}  // namespace zeb
