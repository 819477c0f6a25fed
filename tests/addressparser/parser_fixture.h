// Shared fixture of the address parser tests: builds configurations from XML text in
// memory, each load merging into the one before, as loads do in the plug-in; and
// joined(), which writes a list as one string for the tests to compare.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>

#include "addressparser/address_parser.h"
#include "addressparser/parser_config.h"

namespace addr_test {

// The items of `range` as `show` writes them, with `separator` between them.
template <typename Range, typename Show = std::identity>
std::string joined(const Range& range, const char* separator, Show show = {}) {
  std::string out;
  for (const auto& item : range) out += separator + std::string(show(item));
  return out.substr(std::min(out.size(), std::strlen(separator)));
}

class ParserFixture : public ::testing::Test {
 protected:
  // Loads `xml` on top of what the test loaded before. Exceptions pass through.
  void load(const std::string& xml) { parser_ = addr::AddressParser::fromText(xml, parser_.get()); }
  const addr::ParserConfig& config() const { return addr::configOf(*parser_); }
  const addr::AddressParser& parser() const { return *parser_; }

  addr::AddressParserPtr parser_ = addr::AddressParser::empty();
};

}  // namespace addr_test
