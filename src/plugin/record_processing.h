// One record through the plug-in: the record document in, the result document out.
// The host's services come in through RecordServices, so tests drive the flow with
// stub services and no host. Tested by tests/plugin/record_processing_test.cc.
#pragma once

#include <string>

#include "plugin/host_services.h"

namespace addr {
class AddressParser;
struct AddressRecord;
}  // namespace addr

namespace plugin {

// The host services a record needs; borrowed, never freed.
struct RecordServices {
  GetTokenInfoFunction getTokenInfo = nullptr;
  TransliterateTextFunction transliterateText = nullptr;
  MetaphoneEncodeFunction metaphoneEncode = nullptr;

  bool complete() const {
    return getTokenInfo != nullptr && transliterateText != nullptr && metaphoneEncode != nullptr;
  }
};

// Reasons why no result document can be made; each becomes the error document's text.
inline constexpr const char* kEmptyInputDocument = "input document is empty";
inline constexpr const char* kServicesMissing = "plug-in is not initialised";

// Parses `inputDocument`, splits its address with `parser` unless the record already
// carries the street parts, writes the parts and the derived elements into the document, renames
// the root to STD_RESULT and serialises it on one line into `resultDocument`. New
// elements go straight into the serialised text (ElementMarkup), which reads
// exactly as if they had been appended to the tree. The usual record, a plain nest
// of elements and text, is read as an xml::FlatDocument instead of a tree, with the
// same result.
// Returns null on success, or one of the reasons above (with `resultDocument` left
// empty) when the input is null or empty or a service is missing. A document that is
// not well-formed or breaks the rules for record documents (XMLDoc::Rules) raises
// Tarn_Exception, as do the parser's own errors; nothing here catches them.
// When `parsedRecord` is not null it receives the address fields the document was
// processed with, as parsed: the scoring harness (zeb_eval) reads there the parts
// that no element carries, such as the directionals.
const char* ProcessRecord(const char* inputDocument, const addr::AddressParser& parser,
                          const RecordServices& services, std::string& resultDocument,
                          addr::AddressRecord* parsedRecord = nullptr);

}  // namespace plugin
