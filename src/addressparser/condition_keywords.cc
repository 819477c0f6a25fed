// The keyword table of the condition language.
// Tested by tests/addressparser/condition_test.cc.
#include "addressparser/condition_keywords.h"

#include <array>
#include <utility>

#include "common/ustring.h"

namespace addr {
namespace {

// In the order the table has always been filled; the codes are the language's.
constexpr std::array<std::pair<const char*, ConditionKeyword>, kKeywordCount> kKeywords = {{
    {"WEHAVE", kWeHave},
    {"WEHAVEPOSSIBLETOKENMEANING", kWeHavePossibleTokenMeaning},
    {"MEANINGSCOMPETE", kMeaningsCompete},
    {"ISTOKENMEANINGSET", kIsTokenMeaningSet},
    {"ISTOKENA", kIsTokenA},
    {"ISFIRSTSETTOKENA", kIsFirstSetTokenA},
    {"ONLYONCE", kOnlyOnce},
    {"CANTOKENBEA", kCanTokenBeA},
    {"ISFIRSTTOKEN", kIsFirstToken},
    {"ISLASTTOKEN", kIsLastToken},
    {"ISPOSSIBLEUNITNUMBER", kIsPossibleUnitNumber},
    {"ISNUMBER", kIsNumber},
    {"ISLETTER", kIsLetter},
    {"LENGTHIS", kLengthIs},
    {"HASNUMBERS", kHasNumbers},
    {"HASNUMBERSIGN", kHasNumberSign},
    {"ISNUMBERSIGN", kIsNumberSign},
    {"ISDIRECTIONALWORD", kIsDirectionalWord},
    {"CANBESECONDWORDINDIRECTIONAL", kCanBeSecondWordInDirectional},
    {"CANBEFIRSTWORDINDIRECTIONAL", kCanBeFirstWordInDirectional},
    {"ISPREFIXWORD", kIsPrefixWord},
    {"ISSUFFIXWORD", kIsSuffixWord},
    {"ISPREFIXACTINGSUFFIXWORD", kIsPrefixActingSuffixWord},
    {"ISUNITSIDEWORD", kIsUnitSideWord},
    {"ISBUILDINGSIDEWORD", kIsBuildingSideWord},
    {"ISBUILDINGTYPEWORD", kIsBuildingTypeWord},
    {"ISCOUNTYWORD", kIsCountyWord},
    {"ISPOBOXWORD", kIsPoBoxWord},
    {"ISRURALROUTEWORD", kIsRuralRouteWord},
    {"ISUNITWORD", kIsUnitWord},
    {"NUMBERPRECEDESSUFFIX", kNumberPrecedesSuffix},
    {"NUMBERFOLLOWSPREFIX", kNumberFollowsPrefix},
}};

}  // namespace

const std::map<std::string, int32_t>& conditionKeywords() {
  static const std::map<std::string, int32_t> table = [] {
    std::map<std::string, int32_t> byFolding;
    for (const auto& [text, code] : kKeywords) byFolding.emplace(cmn::FoldCase(text), code);
    return byFolding;
  }();
  return table;
}

int32_t keywordCode(std::string_view keywordText) {
  const auto& table = conditionKeywords();
  auto found = table.find(cmn::FoldCase(keywordText));
  return found == table.end() ? kNoKeyword : found->second;
}

const char* keywordName(int32_t code) {
  for (const auto& [text, keywordCodeValue] : kKeywords) {
    if (keywordCodeValue == code) return text;
  }
  return "";
}

bool keywordNeedsMeaning(int32_t code) {
  switch (code) {
    case kWeHave:
    case kWeHavePossibleTokenMeaning:
    case kIsTokenA:
    case kIsFirstSetTokenA:
    case kCanTokenBeA:
      return true;
    default:
      return false;
  }
}

}  // namespace addr
