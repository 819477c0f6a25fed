// The derived elements of a record: standardised phonetic forms of the street name
// and the city (STR_NAME_STD, CITY_STD), the five-digit postal code (POSTAL_5) and
// upper-cased copies of the street and unit numbers (STR_NUM, UNIT_NUM), each
// appended to OBS_FEAT as a new OBS_FELEM through an ElementSink. The phonetic forms
// rest on the host's TransliterateText, GetTokenInfo and MetaphoneEncode.
// Tested by tests/plugin/record_processing_test.cc.
#pragma once

#include <libxml/tree.h>

#include <string>
#include <utility>
#include <vector>

#include "addressparser/address_record.h"
#include "plugin/host_services.h"

namespace plugin {

// Script codes passed to TransliterateText.
inline constexpr int32_t kScriptNone = 0;
inline constexpr int32_t kScriptChinese = 1;
inline constexpr int32_t kScriptJapanese = 2;

// "CHINESE"/"HANZI" give 1, "JAPANESE"/"KANJI" give 2, compared as whole texts
// ignoring ASCII letter case; anything else gives 0.
int32_t ScriptCode(const std::string& script);

// Appends OBS_FELEM(FELEM_CODE code, FELEM_VALUE value) as the last child of
// `feature`; does nothing when `feature` is null.
void AppendAddressElement(xmlNodePtr feature, const char* code, const std::string& value);

// Where a record's new OBS_FELEMs go: the end of its OBS_FEAT, in a libxml2 tree or in
// a flat document.
class ElementSink {
 public:
  virtual ~ElementSink() = default;
  virtual void Append(const char* code, const std::string& value) = 0;
};

// New OBS_FELEMs held as the markup the serialiser writes at the end of the OBS_FEAT
// (XMLDoc::DumpWithTrailingMarkup, FlatDocument::Write): building and freeing some
// forty nodes per record costs more than writing their text.
class ElementMarkup : public ElementSink {
 public:
  void Append(const char* code, const std::string& value) override;
  const std::string& Markup() const { return markup_; }

 protected:
  std::string markup_;
};

// The same for a libxml2 tree, which may still have to be written by libxml2: the
// elements are also kept so that they can become nodes then.
class PendingElements final : public ElementMarkup {
 public:
  explicit PendingElements(xmlNodePtr feature) : feature_(feature) {}

  xmlNodePtr feature() const { return feature_; }
  void Append(const char* code, const std::string& value) override;
  // Appends the held elements to feature() (see AppendAddressElement), in order, and
  // holds none any more.
  void Materialise();

 private:
  xmlNodePtr const feature_;
  std::vector<std::pair<const char*, std::string>> elements_;
};

// One per record. Every operation returns true when it appended its element to the
// record's OBS_FEAT.
class AddressDerivedElementCreator {
 public:
  // Both services must be non-null; they are the host's and are only called.
  // `feature` receives the new elements; null when the record has no OBS_FEAT.
  AddressDerivedElementCreator(TransliterateTextFunction transliterate,
                               MetaphoneEncodeFunction metaphoneEncode, ElementSink* feature);
  virtual ~AddressDerivedElementCreator();

  bool AddStreetNameStd(const addr::AddressRecord& record, GetTokenInfoFunction getTokenInfo) const;
  bool AddCityStd(const addr::AddressRecord& record, GetTokenInfoFunction getTokenInfo) const;
  bool AddPostal5(const addr::AddressRecord& record) const;
  bool AddStreetNumber(const addr::AddressRecord& record) const;
  bool AddUnitNumber(const addr::AddressRecord& record) const;

  // The standardised form of `name`: transliterated, reduced to letters, digits and
  // spaces, ASCII upper-cased, and each word that the host does not reject replaced
  // by the phonetic code of its standard form; codes joined by single spaces.
  std::string StandardisedName(const std::string& name, const char* category,
                               const std::string& script, GetTokenInfoFunction getTokenInfo) const;

 private:
  bool AddStandardisedName(const std::string& name, const char* category, const char* code,
                           const std::string& script, GetTokenInfoFunction getTokenInfo) const;

  TransliterateTextFunction const transliterate;
  MetaphoneEncodeFunction const metaphoneEncode;
  ElementSink* const feature;
};

}  // namespace plugin
