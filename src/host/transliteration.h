// The host service "TransliterateText": text in any script to plain ASCII through
// ICU transforms. Tested by tests/host/host_services_test.cc.
#pragma once

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

// Copies `text` into `out` (outSize bytes, terminator included), cut at the last
// whole UTF-8 sequence that fits. Nothing is written when outSize is not positive.
void copyUtf8Bounded(std::string_view text, char* out, int32_t outSize);

}  // namespace zeb
