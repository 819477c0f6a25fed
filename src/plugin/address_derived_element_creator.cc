// The derived elements of a record. Tested by
// tests/plugin/address_derived_element_creator_test.cc.
#include "plugin/address_derived_element_creator.h"

#include <array>
#include <vector>

#include "common/string_util.h"
#include "common/ustring.h"
#include "xml/xml_doc.h"

namespace plugin {
namespace {

constexpr int32_t kTransliterationBufferSize = 2048;
constexpr int32_t kPhoneticCodeBufferSize = 256;
// A word the host knows with a lower score is dropped from the standardised name.
constexpr int32_t kMinimumTokenScore = 50;

bool EqualsIgnoringAsciiCase(const std::string& text, const char* upper) {
  size_t i = 0;
  for (; i < text.size() && upper[i] != '\0'; ++i) {
    char c = text[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != upper[i]) return false;
  }
  return i == text.size() && upper[i] == '\0';
}

// Only ASCII letters change: bytes of 128 and above are parts of UTF-8 sequences.
void UpperCaseAscii(std::string& text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
}

// The host writes NUL-terminated text into our buffers; the last byte is forced to
// NUL so that a host which fills the whole buffer cannot make us read past it.
template <size_t kSize>
std::string TerminatedText(std::array<char, kSize>& buffer) {
  buffer[kSize - 1] = '\0';
  return std::string(buffer.data());
}

}  // namespace

int32_t ScriptCode(const std::string& script) {
  if (EqualsIgnoringAsciiCase(script, "CHINESE") || EqualsIgnoringAsciiCase(script, "HANZI")) {
    return kScriptChinese;
  }
  if (EqualsIgnoringAsciiCase(script, "JAPANESE") || EqualsIgnoringAsciiCase(script, "KANJI")) {
    return kScriptJapanese;
  }
  return kScriptNone;
}

void AppendAddressElement(xmlNodePtr feature, const char* code, const std::string& value) {
  if (feature == nullptr) {
    return;
  }
  xmlNodePtr element = NewChild(feature, "OBS_FELEM");
  NewTextChild(element, "FELEM_CODE", code);
  NewTextChild(element, "FELEM_VALUE", value);
}

AddressDerivedElementCreator::AddressDerivedElementCreator(
    TransliterateTextFunction transliterateFunction, MetaphoneEncodeFunction metaphoneFunction)
    : transliterate(transliterateFunction), metaphoneEncode(metaphoneFunction) {}

AddressDerivedElementCreator::~AddressDerivedElementCreator() = default;

std::string AddressDerivedElementCreator::StandardisedName(
    const std::string& name, const char* category, const std::string& script,
    GetTokenInfoFunction getTokenInfo) const {
  std::array<char, kTransliterationBufferSize> transliterated;
  transliterated[0] = '\0';
  transliterate(name.c_str(), transliterated.data(), kTransliterationBufferSize, 0,
                ScriptCode(script));
  std::string text = TerminatedText(transliterated);

  cmn::RemoveNonAlnum(text, u" ");
  UpperCaseAscii(text);
  std::vector<std::string> words;
  cmn::Split(text, words, " \t");

  std::string result;
  for (const std::string& word : words) {
    TokenInfo info{};
    bool known = getTokenInfo(category, word.c_str(), &info) != 0;
    if (known && info.score < kMinimumTokenScore) {
      continue;
    }
    const char* encoded = word.c_str();
    if (known && info.standardForm != nullptr && info.standardForm[0] != '\0') {
      encoded = info.standardForm;
    }
    std::array<char, kPhoneticCodeBufferSize> code;
    code[0] = '\0';
    metaphoneEncode(encoded, code.data(), kPhoneticCodeBufferSize);
    result += ' ';
    result += TerminatedText(code);
  }
  // Only leading spaces go: an empty code in the middle leaves a double space, one at
  // the end a trailing space, as the host's matching expects.
  result.erase(0, result.find_first_not_of(' '));
  return result;
}

bool AddressDerivedElementCreator::AddStandardisedName(xmlNodePtr feature,
                                                       const std::string& name,
                                                       const char* category, const char* code,
                                                       const std::string& script,
                                                       GetTokenInfoFunction getTokenInfo) const {
  if (name.empty()) {
    return false;
  }
  std::string standardised = StandardisedName(name, category, script, getTokenInfo);
  if (feature == nullptr) {
    return false;
  }
  AppendAddressElement(feature, code, standardised);
  return true;
}

bool AddressDerivedElementCreator::AddStreetNameStd(xmlNodePtr feature,
                                                    const addr::AddressRecord& record,
                                                    GetTokenInfoFunction getTokenInfo) const {
  if (feature == nullptr) {
    return false;
  }
  return AddStandardisedName(feature, record.streetName, "STR_NAME", "STR_NAME_STD",
                             record.script, getTokenInfo);
}

// Unlike the street name, the city is standardised (and the host's services called)
// even when there is no OBS_FEAT to receive it; only the element is then missing.
bool AddressDerivedElementCreator::AddCityStd(xmlNodePtr feature,
                                              const addr::AddressRecord& record,
                                              GetTokenInfoFunction getTokenInfo) const {
  return AddStandardisedName(feature, record.city, "CITY", "CITY_STD", record.script,
                             getTokenInfo);
}

bool AddressDerivedElementCreator::AddPostal5(xmlNodePtr feature,
                                              const addr::AddressRecord& record) const {
  if (record.postalCode.empty()) {
    return false;
  }
  std::string postal = cmn::UpperCase(record.postalCode);
  cmn::RemoveChar(postal, ' ');
  if (postal.size() >= 5 && cmn::IsAllDigits(std::string_view(postal).substr(0, 5))) {
    postal.resize(5);
  }
  if (feature == nullptr) {
    return false;
  }
  AppendAddressElement(feature, "POSTAL_5", postal);
  return true;
}

bool AddressDerivedElementCreator::AddStreetNumber(xmlNodePtr feature,
                                                   const addr::AddressRecord& record) const {
  if (record.streetNumber.empty() || feature == nullptr) {
    return false;
  }
  AppendAddressElement(feature, "STR_NUM", cmn::UpperCase(record.streetNumber));
  return true;
}

bool AddressDerivedElementCreator::AddUnitNumber(xmlNodePtr feature,
                                                 const addr::AddressRecord& record) const {
  if (record.unitNumber.empty() || feature == nullptr) {
    return false;
  }
  AppendAddressElement(feature, "UNIT_NUM", cmn::UpperCase(record.unitNumber));
  return true;
}

}  // namespace plugin
