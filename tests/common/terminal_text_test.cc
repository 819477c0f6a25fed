// Text from files and records as it reaches a terminal.
#include "common/terminal_text.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace cmn {
namespace {

TEST(EscapeForTerminal, EscapesWhatATerminalWouldActOn) {
  const std::pair<std::string, const char*> rows[] = {
      {"Main St 12", "Main St 12"},
      {"caf\xC3\xA9 \xE5\x8C\x97 C:\\data", "caf\xC3\xA9 \xE5\x8C\x97 C:\\data"},
      {"\x1B]0;owned\x07x", "\\x1B]0;owned\\x07x"},  // escape sequence, bell
      {"a\tb\r\nc\x7F", "a\tb\\x0D\\x0Ac\\x7F"},
      {std::string("nul\0in", 6), "nul\\x00in"},
      {"\xC2\x9Bm", "\\xC2\\x9Bm"},                                      // C1 control (CSI)
      {"abc\xE2\x80\xAEzyx", "abc\\xE2\\x80\\xAEzyx"},                   // right-to-left override
      {"bad \xFF\xC3 utf8 \xE5\x8C", "bad \\xFF\\xC3 utf8 \\xE5\\x8C"},  // invalid, truncated
  };
  for (const auto& [text, shown] : rows) EXPECT_EQ(shown, EscapeForTerminal(text)) << shown;
}

TEST(EscapeForTerminal, CutsLongTextAtAWholeCharacter) {
  EXPECT_EQ("abcd... (2 more bytes)", EscapeForTerminal("abcdef", 4));
  EXPECT_EQ("ab... (3 more bytes)", EscapeForTerminal("ab\xC3\xA9z", 3));  // é does not fit
  EXPECT_EQ("abcdef", EscapeForTerminal("abcdef", 6));
  EXPECT_EQ(std::string(200, 'x') + "... (800 more bytes)",
            EscapeForTerminal(std::string(1000, 'x')));
}

}  // namespace
}  // namespace cmn
