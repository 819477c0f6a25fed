// Checks shared by the tests. EXPECT_TRUE(Holds(text, "piece")) or
// Holds(text, {"a", "b"}) shows the missing piece and the whole text when it fails,
// and EXPECT_FALSE(Holds(text, "piece")) the text that holds it. Thrown<E>(call)
// is the E that `call` throws, or nothing. Used across tests/.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <optional>
#include <string_view>

namespace zeb_test {

inline ::testing::AssertionResult Holds(std::string_view text,
                                        std::initializer_list<std::string_view> pieces) {
  for (std::string_view piece : pieces) {
    if (text.find(piece) == std::string_view::npos) {
      return ::testing::AssertionFailure() << "[" << piece << "] not in:\n" << text;
    }
  }
  return ::testing::AssertionSuccess() << "found in:\n" << text;
}

inline ::testing::AssertionResult Holds(std::string_view text, std::string_view piece) {
  return Holds(text, {piece});
}

template <class E, class Call>
std::optional<E> Thrown(Call&& call) {
  try {
    call();
  } catch (const E& e) {
    return e;
  }
  return std::nullopt;
}

}  // namespace zeb_test
