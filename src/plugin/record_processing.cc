// The record flow of runDQM. Tested by tests/plugin/record_processing_test.cc and,
// through the shared library, by tests/plugin/plugin_library_test.cc (suite RunDQM).
#include "plugin/record_processing.h"

#include <cstring>
#include <utility>

#include "addressparser/address_parser.h"
#include "plugin/address_derived_element_creator.h"
#include "plugin/address_elements.h"
#include "xml/flat_document.h"
#include "xml/xml_doc.h"

namespace plugin {
namespace {

// The record flow's view of a document read into a libxml2 tree: any document.
class TreeRecord {
 public:
  explicit TreeRecord(XMLDoc& doc)
      : doc_(doc),
        elements_(SelectAddressElements(doc.document())),
        pending_(doc.FindElement(doc.Root(), "OBS_FEAT")) {}

  bool Has(AddressCode code) const { return elements_[code] != nullptr; }
  std::string Value(AddressCode code) const {
    return NodeContent(FindChildElement(elements_[code], "FELEM_VALUE"), "");
  }
  // Into the FELEM_VALUE of the element the record already has for `code`, or as a
  // new OBS_FELEM. An existing element without FELEM_VALUE receives one, so that the
  // value is not lost.
  void Write(AddressCode code, const std::string& value) {
    xmlNodePtr existing = elements_[code];
    if (existing == nullptr) {
      if (ElementSink* feature = sink()) {
        feature->Append(kAddressCodes[code], value);
      }
      return;
    }
    xmlNodePtr valueElement = FindChildElement(existing, "FELEM_VALUE");
    if (valueElement != nullptr) {
      SetNodeContent(valueElement, value);
    } else {
      NewTextChild(existing, "FELEM_VALUE", value);
    }
  }
  // Where new OBS_FELEMs go; nowhere without an OBS_FEAT.
  ElementSink* sink() { return pending_.feature() != nullptr ? &pending_ : nullptr; }
  void Finish(std::string& resultDocument) {
    SetNodeName(doc_.Root(), "STD_RESULT");
    if (!doc_.DumpWithTrailingMarkup(resultDocument, pending_.feature(), pending_.Markup())) {
      pending_.Materialise();
      doc_.Dump(resultDocument);
    }
  }

 private:
  XMLDoc& doc_;
  const AddressElements elements_;
  PendingElements pending_;
};

// The same view of a flat document (the usual record), which has no nodes: new
// elements are only ever written as markup.
class FlatRecord {
 public:
  explicit FlatRecord(xml::FlatDocument& doc)
      : doc_(doc), elements_(SelectAddressElements(doc)), feature_(doc.FirstChild(0, "OBS_FEAT")) {}

  bool Has(AddressCode code) const { return elements_[code] != xml::FlatDocument::kNone; }
  std::string Value(AddressCode code) const {
    return Has(code) ? doc_.Content(doc_.FirstChild(elements_[code], "FELEM_VALUE")) : "";
  }
  void Write(AddressCode code, const std::string& value) {
    if (!Has(code)) {
      if (ElementSink* feature = sink()) {
        feature->Append(kAddressCodes[code], value);
      }
      return;
    }
    xml::FlatDocument::Index valueElement = doc_.FirstChild(elements_[code], "FELEM_VALUE");
    if (valueElement != xml::FlatDocument::kNone) {
      doc_.SetContent(valueElement, value);
    } else {
      doc_.AppendTextChild(elements_[code], "FELEM_VALUE", value);
    }
  }
  ElementSink* sink() { return feature_ != xml::FlatDocument::kNone ? &newElements_ : nullptr; }
  void Finish(std::string& resultDocument) {
    doc_.Rename(0, "STD_RESULT");
    doc_.Write(resultDocument, feature_, newElements_.Markup());
  }

 private:
  xml::FlatDocument& doc_;
  const FlatAddressElements elements_;
  const xml::FlatDocument::Index feature_;
  ElementMarkup newElements_;
};

// The parsed street parts, then the post-office box when there is no unit. The
// elements found before the parse decide between setting and appending, so an
// element appended here never counts as existing.
template <typename Document>
void WriteParsedParts(Document& doc, const addr::AddressRecord& record) {
  const struct {
    AddressCode code;
    const std::string& value;
  } parts[] = {{kStreetNumber, record.streetNumber},
               {kStreetName, record.streetName},
               {kUnitType, record.unitLabel},
               {kUnitNumber, record.unitNumber}};
  for (const auto& part : parts) {
    if (!part.value.empty()) {
      doc.Write(part.code, part.value);
    }
  }
  if (record.unitLabel.empty() && record.unitNumber.empty() && !record.poBoxType.empty()) {
    doc.Write(kUnitType, "POB");
    if (!record.poBoxNumber.empty()) {
      doc.Write(kUnitNumber, record.poBoxNumber);
    }
  }
}

// The city, region and postal code found in a one-line address. The parse looks
// only when the record has no city and no postal code, so a value the record
// carries is never replaced; nor is its STATE.
template <typename Document>
void WriteLocality(Document& doc, const addr::AddressRecord& record, bool stateMissing) {
  if (!record.city.empty()) doc.Write(kCity, record.city);
  if (stateMissing && !record.region.empty()) doc.Write(kState, record.region);
  if (!record.postalCode.empty()) doc.Write(kPostalCode, record.postalCode);
}

template <typename Document>
void ProcessDocument(Document& doc, const addr::AddressParser& parser,
                     const RecordServices& services, std::string& resultDocument,
                     addr::AddressRecord* parsedRecord) {
  std::string values[kAddressCodeCount];
  for (size_t code = 0; code < kAddressCodeCount; ++code) {
    if (doc.Has(static_cast<AddressCode>(code))) {
      values[code] = doc.Value(static_cast<AddressCode>(code));
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
  record.region = values[kState];

  record.alreadyParsed = !values[kStreetNumber].empty() || !values[kStreetName].empty() ||
                         !values[kUnitType].empty() || !values[kUnitNumber].empty();
  if (record.alreadyParsed) {
    record.streetNumber = std::move(values[kStreetNumber]);
    record.streetName = std::move(values[kStreetName]);
    record.unitLabel = std::move(values[kUnitType]);
    record.unitNumber = std::move(values[kUnitNumber]);
  } else {
    parser.parse(record);  // its status carries nothing for us
    WriteParsedParts(doc, record);
    if (record.localityFromText) WriteLocality(doc, record, values[kState].empty());
  }

  AddressDerivedElementCreator creator(services.transliterateText, services.metaphoneEncode,
                                       doc.sink());
  creator.AddStreetNameStd(record, services.getTokenInfo);
  creator.AddCityStd(record, services.getTokenInfo);
  creator.AddPostal5(record);
  if (!record.alreadyParsed) {
    creator.AddStreetNumber(record);
    creator.AddUnitNumber(record);
  }
  doc.Finish(resultDocument);
  if (parsedRecord != nullptr) {
    *parsedRecord = std::move(record);
  }
}

}  // namespace

const char* ProcessRecord(const char* inputDocument, const addr::AddressParser& parser,
                          const RecordServices& services, std::string& resultDocument,
                          addr::AddressRecord* parsedRecord) {
  resultDocument.clear();
  if (!services.complete()) {
    return kServicesMissing;
  }
  const size_t length = inputDocument != nullptr ? std::strlen(inputDocument) : 0;
  thread_local xml::FlatDocument flat;
  if (flat.Read(inputDocument, length)) {
    FlatRecord record(flat);
    ProcessDocument(record, parser, services, resultDocument, parsedRecord);
    return nullptr;
  }
  XMLDoc doc;
  doc.ParseXML(inputDocument, length, XMLDoc::Rules::kRecordDocument);
  if (doc.Root() == nullptr) {
    return kEmptyInputDocument;
  }
  TreeRecord record(doc);
  ProcessDocument(record, parser, services, resultDocument, parsedRecord);
  return nullptr;
}

}  // namespace plugin
