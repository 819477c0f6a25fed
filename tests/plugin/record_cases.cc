// Records through the whole flow and the transcripts of their results, for the
// in-process record processing tests (record_processing_test.cc).
#include "test_host.h"

namespace plugin_test {

std::string Transcript(const std::string& resultDocument) {
  XMLDoc doc;
  doc.ParseXML(resultDocument.c_str());
  xmlNodePtr feature = doc.FindElement(doc.Root(), "OBS_FEAT");
  if (feature == nullptr) return "<no OBS_FEAT>";
  std::string out;
  for (xmlNodePtr e = feature->children; e != nullptr; e = e->next) {
    if (!out.empty()) out += '|';
    out += NodeContent(FindChildElement(e, "FELEM_CODE"), "");
    xmlNodePtr value = FindChildElement(e, "FELEM_VALUE");
    if (value != nullptr) out += "=" + NodeContent(value, "");
  }
  return out;
}

void UseRecordTokens() {
  Host().tokens["LOW"] = TokenAnswer{1, "L", false, 10};
  Host().tokens["EDGE"] = TokenAnswer{1, "E", false, 49};
  Host().tokens["PASS"] = TokenAnswer{1, "STANDARD", false, 50};
}

const std::vector<RecordCase>& RecordCases() {
  static const std::vector<RecordCase> cases = {
      // Parsed, written back and derived.
      {RecordDocument({{"ADDR1", "123 Main St"}, {"POSTAL_CODE", "12345-6789"}}),
       "ADDR1=123 Main St|POSTAL_CODE=12345-6789|STR_NUM=123|STR_NAME=MAIN|"
       "STR_NAME_STD=#MAIN|POSTAL_5=12345|STR_NUM=123"},
      {RecordDocument({{"ADDR1", "12b Main St Apt 4c"}, {"CITY", "Springfield"}}),
       "ADDR1=12b Main St Apt 4c|CITY=Springfield|STR_NUM=12B|STR_NAME=MAIN|UNIT_TYPE=APT|"
       "UNIT_NUM=4C|STR_NAME_STD=#MAIN|CITY_STD=#SPRINGFIELD|STR_NUM=12B|UNIT_NUM=4C"},
      // A post-office box without a unit becomes UNIT_TYPE POB and the box number.
      {RecordDocument({{"ADDR1", "PO Box 42"}}), "ADDR1=PO Box 42|UNIT_TYPE=POB|UNIT_NUM=42"},
      {RecordDocument({{"UNIT_TYPE", ""}, {"UNIT_NUM", ""}, {"ADDR1", "PO Box 42"}}),
       "UNIT_TYPE=POB|UNIT_NUM=42|ADDR1=PO Box 42"},
      // Already parsed: the address lines are not read, no numbers are appended.
      {RecordDocument({{"ADDR1", "999 Other Rd"}, {"STR_NAME", "Elm"}, {"UNIT_NUM", "7"}}),
       "ADDR1=999 Other Rd|STR_NAME=Elm|UNIT_NUM=7|STR_NAME_STD=#ELM"},
      // An empty STR_NUM does not make the record parsed; it receives the number.
      {RecordDocument({{"STR_NUM", ""}, {"ADDR1", "123 Main St"}}),
       "STR_NUM=123|ADDR1=123 Main St|STR_NAME=MAIN|STR_NAME_STD=#MAIN|STR_NUM=123"},
      // An existing element without FELEM_VALUE gets one rather than losing the value.
      {"<STD_BOM><OBS_FEAT><OBS_FELEM><FELEM_CODE>STR_NUM</FELEM_CODE></OBS_FELEM>"
       "<OBS_FELEM><FELEM_CODE>ADDR1</FELEM_CODE><FELEM_VALUE>123 Main St</FELEM_VALUE>"
       "</OBS_FELEM></OBS_FEAT></STD_BOM>",
       "STR_NUM=123|ADDR1=123 Main St|STR_NAME=MAIN|STR_NAME_STD=#MAIN|STR_NUM=123"},
      // Only the first exactly matching code counts.
      {RecordDocument({{"ADDR1", "123 Main St"}, {"ADDR1", "9 Elm Ave"}}),
       "ADDR1=123 Main St|ADDR1=9 Elm Ave|STR_NUM=123|STR_NAME=MAIN|STR_NAME_STD=#MAIN|"
       "STR_NUM=123"},
      {RecordDocument({{" ADDR1", "123 Main St"}}), " ADDR1=123 Main St"},
      {RecordDocument({{"addr1", "123 Main St"}}), "addr1=123 Main St"},
      // Postal codes.
      {RecordDocument({{"POSTAL_CODE", "123 45"}}), "POSTAL_CODE=123 45|POSTAL_5=12345"},
      {RecordDocument({{"POSTAL_CODE", "k1a 0b1"}}), "POSTAL_CODE=k1a 0b1|POSTAL_5=K1A0B1"},
      {RecordDocument({{"POSTAL_CODE", "1234"}}), "POSTAL_CODE=1234|POSTAL_5=1234"},
      {RecordDocument({{"POSTAL_CODE", "1234A"}}), "POSTAL_CODE=1234A|POSTAL_5=1234A"},
      {RecordDocument({{"POSTAL_CODE", "1234-5"}}), "POSTAL_CODE=1234-5|POSTAL_5=1234-5"},
      // Script codes reach TransliterateText (the stub shows them as a word).
      {RecordDocument({{"SCRIPT", "kanji"}, {"STR_NAME", "Elm"}, {"CITY", "Tokyo"}}),
       "SCRIPT=kanji|STR_NAME=Elm|CITY=Tokyo|STR_NAME_STD=#ELM #SCRIPT2|"
       "CITY_STD=#TOKYO #SCRIPT2"},
      {RecordDocument({{"SCRIPT", "Hanzi"}, {"STR_NAME", "Elm"}}),
       "SCRIPT=Hanzi|STR_NAME=Elm|STR_NAME_STD=#ELM #SCRIPT1"},
      {RecordDocument({{"SCRIPT", "JAPANESE SCRIPT"}, {"STR_NAME", "Elm"}}),
       "SCRIPT=JAPANESE SCRIPT|STR_NAME=Elm|STR_NAME_STD=#ELM"},
      // Token scores: 10 and 49 drop the word, 50 encodes the standard form.
      {RecordDocument({{"STR_NAME", "Low Edge Pass Elm"}}),
       "STR_NAME=Low Edge Pass Elm|STR_NAME_STD=#STANDARD #ELM"},
      // A street name of punctuation only gives an empty standard form.
      {RecordDocument({{"STR_NAME", "-- ,. !"}}), "STR_NAME=-- ,. !|STR_NAME_STD="},
      // Markup characters stay literal text.
      {RecordDocument({{"STR_NAME", "A &amp; B &lt;x&gt;"}}),
       "STR_NAME=A & B <x>|STR_NAME_STD=#A #B #X"},
      // Without OBS_FEAT nothing is added; the content passes through.
      {"<STD_BOM><OTHER>123 Main St</OTHER></STD_BOM>", "<no OBS_FEAT>"},
      {"<OTHER><OBS_FEAT><OBS_FELEM><FELEM_CODE>ADDR1</FELEM_CODE><FELEM_VALUE>123 Main St"
       "</FELEM_VALUE></OBS_FELEM></OBS_FEAT></OTHER>",
       "ADDR1=123 Main St"},
  };
  return cases;
}

}  // namespace plugin_test
