// Text from files and records made safe to print on a terminal. Tested by
// tests/common/common_test.cc.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace cmn {

// How much of a text a message shows by default, in bytes of the text.
inline constexpr size_t kTerminalTextMaxBytes = 200;

// `text` as it can be shown on a terminal without the terminal acting on it: every
// byte that is not part of well-formed UTF-8, and every control character (C0 and C1
// controls but tab, DEL) and bidirectional-formatting character, is written as \xNN per byte,
// so escape sequences, bells and text that reorders the line never reach the
// terminal. Everything else, backslashes included, stays as it is. A text longer
// than `maxBytes` is cut at the last whole character that fits and ends with
// "... (N more bytes)".
std::string EscapeForTerminal(std::string_view text, size_t maxBytes = kTerminalTextMaxBytes);

}  // namespace cmn
