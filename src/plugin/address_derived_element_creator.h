// The derived elements of a record: standardised phonetic forms of the street name
// and the city (STR_NAME_STD, CITY_STD), the five-digit postal code (POSTAL_5) and
// upper-cased copies of the street and unit numbers (STR_NUM, UNIT_NUM), each
// appended to OBS_FEAT as a new OBS_FELEM. The phonetic forms rest on the host's
// TransliterateText, GetTokenInfo and MetaphoneEncode.
// Tested by tests/plugin/address_derived_element_creator_test.cc.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include <libxml/tree.h>

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

// A record's new OBS_FELEMs for one OBS_FEAT, held back from the tree so that the
// serialiser writes them (XMLDoc::DumpWithTrailingMarkup): building and freeing some
// forty libxml2 nodes per record costs more than writing their text.
class PendingElements {
 public:
  explicit PendingElements(xmlNodePtr feature);

  xmlNodePtr feature() const { return feature_; }
  // What AppendAddressElement(feature(), code, value) would append; nothing when
  // feature() is null.
  void Add(const char* code, const std::string& value);
  // The held elements as the serialiser writes their nodes.
  const std::string& Markup() const { return markup_; }
  // Appends the held elements to the tree, in order, and holds none any more.
  void Materialise();

 private:
  xmlNodePtr const feature_;
  std::vector<std::pair<const char*, std::string>> elements_;
  std::string markup_;
};

// One per record. Every operation takes the record's OBS_FEAT (may be null: then
// nothing is appended) and returns true when it appended its element.
class AddressDerivedElementCreator {
 public:
  // Both services must be non-null; they are the host's and are only called.
  // With `pending`, elements for its OBS_FEAT are added there instead of to the tree.
  AddressDerivedElementCreator(TransliterateTextFunction transliterate,
                               MetaphoneEncodeFunction metaphoneEncode,
                               PendingElements* pending = nullptr);
  virtual ~AddressDerivedElementCreator();

  bool AddStreetNameStd(xmlNodePtr feature, const addr::AddressRecord& record,
                        GetTokenInfoFunction getTokenInfo) const;
  bool AddCityStd(xmlNodePtr feature, const addr::AddressRecord& record,
                  GetTokenInfoFunction getTokenInfo) const;
  bool AddPostal5(xmlNodePtr feature, const addr::AddressRecord& record) const;
  bool AddStreetNumber(xmlNodePtr feature, const addr::AddressRecord& record) const;
  bool AddUnitNumber(xmlNodePtr feature, const addr::AddressRecord& record) const;

  // The standardised form of `name`: transliterated, reduced to letters, digits and
  // spaces, ASCII upper-cased, and each word that the host does not reject replaced
  // by the phonetic code of its standard form; codes joined by single spaces.
  std::string StandardisedName(const std::string& name, const char* category,
                               const std::string& script,
                               GetTokenInfoFunction getTokenInfo) const;

 private:
  bool AddStandardisedName(xmlNodePtr feature, const std::string& name, const char* category,
                           const char* code, const std::string& script,
                           GetTokenInfoFunction getTokenInfo) const;

  void Append(xmlNodePtr feature, const char* code, const std::string& value) const;

  TransliterateTextFunction const transliterate;
  MetaphoneEncodeFunction const metaphoneEncode;
  PendingElements* const pending;
};

}  // namespace plugin
