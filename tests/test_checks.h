// Checks shared by the tests. EXPECT_TRUE(Holds(text, "piece")) or
// Holds(text, {"a", "b"}) shows the missing piece and the whole text when it fails,
// and EXPECT_FALSE(Holds(text, "piece")) the text that holds it. Thrown<E>(call)
// is the E that `call` throws, or nothing. ExpectEach(rows, call) checks a table of
// {input, expected} rows, naming the input that fails. Repeated and Split build and
// cut test texts. Used across tests/.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

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

// `text`, `count` times over.
inline std::string Repeated(std::string_view text, size_t count) {
  std::string out;
  for (size_t i = 0; i < count; ++i) out += text;
  return out;
}

// The lines of `text`, or with a blank as `separator` its words.
inline std::vector<std::string> Split(const std::string& text, char separator = '\n') {
  std::vector<std::string> pieces;
  std::istringstream in(text);
  for (std::string piece; std::getline(in, piece, separator);) pieces.push_back(piece);
  return pieces;
}

// Each row {input, expected} of `rows`: `call(input)` gives `expected`.
template <class Rows, class Call>
void ExpectEach(const Rows& rows, Call&& call) {
  for (const auto& [in, want] : rows) EXPECT_EQ(call(in), want) << "[" << in << "]";
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
