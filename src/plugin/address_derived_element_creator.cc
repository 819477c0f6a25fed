// The derived elements of a record. Tested by
// tests/plugin/record_processing_test.cc.
#include "plugin/address_derived_element_creator.h"

#include <algorithm>
#include <array>
#include <vector>

#include "common/string_util.h"
#include "common/ustring.h"
#include "xml/single_line_writer.h"
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
    if (cmn::AsciiUpper(text[i]) != upper[i]) return false;
  }
  return i == text.size() && upper[i] == '\0';
}

bool IsAsciiAlnum(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Keeps letters, digits and spaces and upper-cases ASCII letters. Text that is all
// ASCII (the usual case) is filtered in place: for it the Unicode classes agree with
// the ASCII ones, and the round trip through UTF-16 is the costly part.
void ReduceToUpperCaseWords(std::string& text) {
  if (!cmn::IsAscii(text)) {
    cmn::RemoveNonAlnum(text, u" ");
    cmn::AsciiUpper(text);  // bytes of 128 and above are parts of UTF-8 sequences
    return;
  }
  size_t kept = 0;
  for (char c : text) {
    if (IsAsciiAlnum(c) || c == ' ') {
      text[kept++] = cmn::AsciiUpper(c);
    }
  }
  text.resize(kept);
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

void ElementMarkup::Append(const char* code, const std::string& value) {
  if (markup_.empty()) {
    markup_.reserve(512);
  }
  markup_ += "<OBS_FELEM><FELEM_CODE>";
  xml::AppendEscapedText(markup_, code);
  markup_ += "</FELEM_CODE><FELEM_VALUE>";
  // A text node keeps the value up to its first NUL; so does the escaping.
  xml::AppendEscapedText(markup_, value.c_str());
  markup_ += "</FELEM_VALUE></OBS_FELEM>";
}

void PendingElements::Append(const char* code, const std::string& value) {
  if (elements_.empty()) {
    elements_.reserve(8);
  }
  elements_.emplace_back(code, value);
  ElementMarkup::Append(code, value);
}

void PendingElements::Materialise() {
  for (const auto& [code, value] : elements_) {
    AppendAddressElement(feature_, code, value);
  }
  elements_.clear();
  markup_.clear();
}

AddressDerivedElementCreator::AddressDerivedElementCreator(
    TransliterateTextFunction transliterateFunction, MetaphoneEncodeFunction metaphoneFunction,
    ElementSink* featureSink)
    : transliterate(transliterateFunction),
      metaphoneEncode(metaphoneFunction),
      feature(featureSink) {}

AddressDerivedElementCreator::~AddressDerivedElementCreator() = default;

std::string AddressDerivedElementCreator::StandardisedName(
    const std::string& name, const char* category, const std::string& script,
    GetTokenInfoFunction getTokenInfo) const {
  std::array<char, kTransliterationBufferSize> transliterated;
  transliterated[0] = '\0';
  transliterate(name.c_str(), transliterated.data(), kTransliterationBufferSize, 0,
                ScriptCode(script));
  std::string text = TerminatedText(transliterated);
  ReduceToUpperCaseWords(text);

  std::string result;
  std::string word;
  for (size_t end = 0;;) {
    size_t start = text.find_first_not_of(" \t", end);
    if (start == std::string::npos) {
      break;
    }
    end = std::min(text.find_first_of(" \t", start), text.size());
    word.assign(text, start, end - start);
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
    code[kPhoneticCodeBufferSize - 1] = '\0';
    result += ' ';
    result.append(code.data());
  }
  // Only leading spaces go: an empty code in the middle leaves a double space, one at
  // the end a trailing space, as the host's matching expects.
  result.erase(0, result.find_first_not_of(' '));
  return result;
}

bool AddressDerivedElementCreator::AddStandardisedName(const std::string& name,
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
  feature->Append(code, standardised);
  return true;
}

bool AddressDerivedElementCreator::AddStreetNameStd(const addr::AddressRecord& record,
                                                    GetTokenInfoFunction getTokenInfo) const {
  if (feature == nullptr) {
    return false;
  }
  return AddStandardisedName(record.streetName, "STR_NAME", "STR_NAME_STD", record.script,
                             getTokenInfo);
}

// Unlike the street name, the city is standardised (and the host's services called)
// even when there is no OBS_FEAT to receive it; only the element is then missing.
bool AddressDerivedElementCreator::AddCityStd(const addr::AddressRecord& record,
                                              GetTokenInfoFunction getTokenInfo) const {
  return AddStandardisedName(record.city, "CITY", "CITY_STD", record.script, getTokenInfo);
}

bool AddressDerivedElementCreator::AddPostal5(const addr::AddressRecord& record) const {
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
  feature->Append("POSTAL_5", postal);
  return true;
}

bool AddressDerivedElementCreator::AddStreetNumber(const addr::AddressRecord& record) const {
  if (record.streetNumber.empty() || feature == nullptr) {
    return false;
  }
  feature->Append("STR_NUM", cmn::UpperCase(record.streetNumber));
  return true;
}

bool AddressDerivedElementCreator::AddUnitNumber(const addr::AddressRecord& record) const {
  if (record.unitNumber.empty() || feature == nullptr) {
    return false;
  }
  feature->Append("UNIT_NUM", cmn::UpperCase(record.unitNumber));
  return true;
}

}  // namespace plugin
