// Text made safe for a terminal. Tested by tests/common/common_test.cc.
#include "common/terminal_text.h"

#include <unicode/utf8.h>

#include <algorithm>
#include <cstdint>
#include <limits>

namespace cmn {
namespace {

// Characters a terminal acts on, or that change how the rest of the line is shown.
// A tab only moves to the next column, and configuration lines use it as a
// separator, so it stays.
bool ActsOnTerminal(UChar32 c) {
  return (c < 0x20 && c != '\t') || (c >= 0x7F && c <= 0x9F) || c == 0x061C || c == 0x200E || c == 0x200F ||
         (c >= 0x2028 && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

void AppendEscapedBytes(std::string& out, std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (char byte : bytes) {
    const auto value = static_cast<unsigned char>(byte);
    out += "\\x";
    out += kHex[value >> 4];
    out += kHex[value & 0xF];
  }
}

}  // namespace

std::string EscapeForTerminal(std::string_view text, size_t maxBytes) {
  std::string out;
  // Only the characters that can fit are read; one of up to 4 bytes that begins in
  // the first maxBytes is read whole.
  constexpr size_t kLongestCharacter = 4;
  const size_t readable = std::min({text.size(), maxBytes + kLongestCharacter,
                                    static_cast<size_t>(std::numeric_limits<int32_t>::max())});
  const auto length = static_cast<int32_t>(readable);
  size_t shown = 0;
  while (shown < readable) {
    auto next = static_cast<int32_t>(shown);
    UChar32 c;
    // ICU's macro narrows int to uint8_t inside its own expansion.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wconversion"
    U8_NEXT(text.data(), next, length, c);
#pragma GCC diagnostic pop
    if (static_cast<size_t>(next) > maxBytes) break;
    const std::string_view character = text.substr(shown, static_cast<size_t>(next) - shown);
    if (c < 0 || ActsOnTerminal(c)) {
      AppendEscapedBytes(out, character);
    } else {
      out += character;
    }
    shown = static_cast<size_t>(next);
  }
  if (shown < text.size()) {
    out += "... (" + std::to_string(text.size() - shown) + " more bytes)";
  }
  return out;
}

}  // namespace cmn
