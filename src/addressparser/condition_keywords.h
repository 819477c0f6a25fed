// The condition keywords of the rule language: their codes and the process-wide
// table that maps keyword text to code, looked up ignoring case.
// Tested by tests/addressparser/condition_test.cc.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace addr {

// Codes stored in ConditionNode::keyword. 0 is no keyword: such a leaf evaluates
// false. The values are part of the rule language and must not be renumbered.
enum ConditionKeyword : int32_t {
  kNoKeyword = 0,
  kWeHave = 1,                         // WEHAVE
  kWeHavePossibleTokenMeaning = 2,     // WEHAVEPOSSIBLETOKENMEANING
  kMeaningsCompete = 3,                // MEANINGSCOMPETE
  kOnlyOnce = 4,                       // ONLYONCE
  kIsFirstToken = 5,                   // ISFIRSTTOKEN
  kIsLastToken = 6,                    // ISLASTTOKEN
  kIsTokenMeaningSet = 7,              // ISTOKENMEANINGSET
  kIsTokenA = 8,                       // ISTOKENA
  kIsFirstSetTokenA = 9,               // ISFIRSTSETTOKENA
  kIsPossibleUnitNumber = 10,          // ISPOSSIBLEUNITNUMBER
  kIsNumber = 11,                      // ISNUMBER
  kIsLetter = 12,                      // ISLETTER
  kLengthIs = 13,                      // LENGTHIS
  kIsNumberSign = 14,                  // ISNUMBERSIGN
  kIsPrefixWord = 15,                  // ISPREFIXWORD
  kIsSuffixWord = 16,                  // ISSUFFIXWORD
  kIsPrefixActingSuffixWord = 17,      // ISPREFIXACTINGSUFFIXWORD
  kIsBuildingSideWord = 18,            // ISBUILDINGSIDEWORD
  kIsUnitSideWord = 19,                // ISUNITSIDEWORD
  kIsBuildingTypeWord = 20,            // ISBUILDINGTYPEWORD
  kIsCountyWord = 21,                  // ISCOUNTYWORD
  kIsPoBoxWord = 22,                   // ISPOBOXWORD
  kIsRuralRouteWord = 23,              // ISRURALROUTEWORD
  kIsUnitWord = 24,                    // ISUNITWORD
  kIsDirectionalWord = 25,             // ISDIRECTIONALWORD
  kCanTokenBeA = 26,                   // CANTOKENBEA
  kCanBeSecondWordInDirectional = 27,  // CANBESECONDWORDINDIRECTIONAL
  kCanBeFirstWordInDirectional = 28,   // CANBEFIRSTWORDINDIRECTIONAL
  kHasNumbers = 29,                    // HASNUMBERS
  kHasNumberSign = 30,                 // HASNUMBERSIGN
  kNumberFollowsPrefix = 31,           // NUMBERFOLLOWSPREFIX
  kNumberPrecedesSuffix = 32,          // NUMBERPRECEDESSUFFIX
};
inline constexpr int32_t kKeywordCount = 32;

// The process-wide keyword table, keyed by the case folding of each keyword text.
// Built on first use (thread-safe static initialisation) and never changed.
const std::map<std::string, int32_t>& conditionKeywords();

// The code of a keyword text, ignoring case (full Unicode case folding); 0 when the
// text is no keyword.
int32_t keywordCode(std::string_view keywordText);

// The upper-case text of a code, or "" for a code outside 1 to 32.
const char* keywordName(int32_t code);

// Keywords whose test reads a meaning parameter. Written without one, they test the
// meaning UNKNOWN (see condition_evaluator.h).
bool keywordNeedsMeaning(int32_t code);

}  // namespace addr
