// The record flow of runDQM. Tested by tests/plugin/record_processing_test.cc and,
// through the shared library, by tests/plugin/run_dqm_test.cc.
#include "plugin/record_processing.h"

#include <utility>

#include "addressparser/address_record.h"
#include "addressparser/parse_driver.h"
#include "plugin/address_derived_element_creator.h"
#include "plugin/address_elements.h"
#include "xml/xml_doc.h"

namespace plugin {
namespace {

// Writes `value` as the element `code`: into the FELEM_VALUE of the element the
// record already had for that code, or as a new OBS_FELEM. An existing element
// without FELEM_VALUE receives one, so that the parsed value is not lost.
void WriteAddressElement(PendingElements& pending, xmlNodePtr existing, const char* code,
                         const std::string& value) {
  if (existing == nullptr) {
    pending.Add(code, value);
    return;
  }
  xmlNodePtr valueElement = FindChildElement(existing, "FELEM_VALUE");
  if (valueElement != nullptr) {
    SetNodeContent(valueElement, value);
  } else {
    NewTextChild(existing, "FELEM_VALUE", value);
  }
}

// The parsed street parts, then the post-office box when there is no unit. The
// elements found before the parse decide between setting and appending, so an
// element appended here never counts as existing.
void WriteParsedParts(PendingElements& pending, const AddressElements& elements,
                      const addr::AddressRecord& record) {
  const struct {
    AddressCode code;
    const std::string& value;
  } parts[] = {{kStreetNumber, record.streetNumber},
               {kStreetName, record.streetName},
               {kUnitType, record.unitLabel},
               {kUnitNumber, record.unitNumber}};
  for (const auto& part : parts) {
    if (!part.value.empty()) {
      WriteAddressElement(pending, elements[part.code], kAddressCodes[part.code], part.value);
    }
  }
  if (record.unitLabel.empty() && record.unitNumber.empty() && !record.poBoxType.empty()) {
    WriteAddressElement(pending, elements[kUnitType], kAddressCodes[kUnitType], "POB");
    if (!record.poBoxNumber.empty()) {
      WriteAddressElement(pending, elements[kUnitNumber], kAddressCodes[kUnitNumber],
                          record.poBoxNumber);
    }
  }
}

}  // namespace

const char* ProcessRecord(const char* inputDocument, const RecordServices& services,
                          std::string& resultDocument) {
  resultDocument.clear();
  if (!services.complete()) {
    return kServicesMissing;
  }
  XMLDoc doc;
  doc.ParseXML(inputDocument);
  xmlNodePtr root = doc.Root();
  if (root == nullptr) {
    return kEmptyInputDocument;
  }

  const AddressElements elements = SelectAddressElements(doc.document());
  xmlNodePtr feature = doc.FindElement(root, "OBS_FEAT");
  PendingElements pending(feature);
  std::string values[kAddressCodeCount];
  for (size_t code = 0; code < kAddressCodeCount; ++code) {
    if (elements[code] != nullptr) {
      values[code] = NodeContent(FindChildElement(elements[code], "FELEM_VALUE"), "");
    }
  }

  addr::AddressRecord record;
  record.addressLine1 = std::move(values[kAddressLine1]);
  record.addressLine2 = std::move(values[kAddressLine2]);
  record.addressLine3 = std::move(values[kAddressLine3]);
  record.city = std::move(values[kCity]);
  record.postalCode = std::move(values[kPostalCode]);
  record.country = std::move(values[kCountry]);
  record.script = std::move(values[kScript]);

  record.alreadyParsed = !values[kStreetNumber].empty() || !values[kStreetName].empty() ||
                         !values[kUnitType].empty() || !values[kUnitNumber].empty();
  if (record.alreadyParsed) {
    record.streetNumber = std::move(values[kStreetNumber]);
    record.streetName = std::move(values[kStreetName]);
    record.unitLabel = std::move(values[kUnitType]);
    record.unitNumber = std::move(values[kUnitNumber]);
  } else {
    addr::parseAddress(record);  // its status carries nothing for us
    WriteParsedParts(pending, elements, record);
  }

  AddressDerivedElementCreator creator(services.transliterateText, services.metaphoneEncode,
                                       &pending);
  creator.AddStreetNameStd(feature, record, services.getTokenInfo);
  creator.AddCityStd(feature, record, services.getTokenInfo);
  creator.AddPostal5(feature, record);
  if (!record.alreadyParsed) {
    creator.AddStreetNumber(feature, record);
    creator.AddUnitNumber(feature, record);
  }

  SetNodeName(root, "STD_RESULT");
  if (!doc.DumpWithTrailingMarkup(resultDocument, pending.feature(), pending.Markup())) {
    pending.Materialise();
    doc.Dump(resultDocument);
  }
  return nullptr;
}

}  // namespace plugin
