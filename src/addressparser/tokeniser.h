// Normalisation of address lines and their cutting into tokens.
// Tested by tests/addressparser/tokeniser_test.cc.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "addressparser/parser_config.h"
#include "addressparser/token.h"

namespace addr {

// Every function that takes a configuration reads the word lists of `code` there.

// Normalises `line` for `code` and appends it to `addressText`, unless it is a
// care-of line. Returns false when the line was set aside as care-of.
bool normaliseAddressLine(const ParserConfig& config, const std::string& line,
                          const std::string& code, std::string& addressText);
bool isCareOfLine(const ParserConfig& config, const std::string& normalisedLine,
                  const std::string& code);
// The number-pair rewrites of `code` ("FR": 12-14, 12 à 14 and 3 et 5 become 12/14,
// 12/14 and 3/5; "ES": 12-14, 5,3 and 7/2B become 12 14, 5 3 and 7 2B; "AU": 3/12
// becomes 3 12; "CA": 1204-55 becomes 1204 55; "NL": 12-2 and 263-H become 12 # 2 and
// 263 # H), in time linear in the line. True when one rewrote the line.
bool rewriteNumberPairs(std::string& line, const std::string& code);
// One such rewrite with any regular expressions: the leftmost match of
// `outerPattern`, in it the first match of `separatorPattern`, replaced once.
bool rewriteNumberPair(std::string& text, const char* outerPattern, const char* separatorPattern,
                       const char* replacement);

// Cuts the text at blanks, joins the word sequences that some SUFFIX, POBOX or RURAL
// list of `code` holds as one phrase, then splits off sticky suffixes and trailing
// numbers (splitAlphaNumeric).
TokenList tokeniseAddress(const ParserConfig& config, const std::string& addressText,
                          const std::string& code);
std::pair<std::string, std::string> splitAlphaNumeric(const std::string& word);

}  // namespace addr
