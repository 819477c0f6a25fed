// Records per second through the record flow of runDQM: typical US records of about
// 500 bytes with one to three address lines, trivial host services and the US
// configuration of the tests. Run: build/bench/run_dqm_bench
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "../tests/test_configuration.h"
#include "addressparser/address_parser.h"
#include "plugin/record_processing.h"
#include "plugin/result_buffer.h"
#include "xml/flat_document.h"
#include "xml/xml_doc.h"

namespace {

unsigned char NoTokenInfo(const char*, const char*, TokenInfo*) { return 0; }

void CopyTransliteration(const char* text, char* out, int32_t outSize, int32_t, int32_t) {
  std::strncpy(out, text, static_cast<size_t>(outSize) - 1);
  out[outSize - 1] = '\0';
}

void FirstFourLetters(const char* word, char* out, int32_t outSize) {
  std::strncpy(out, word, 4);
  out[4] = '\0';
}

const plugin::RecordServices kServices = {&NoTokenInfo, &CopyTransliteration, &FirstFourLetters};

std::string Record(const std::vector<std::pair<const char*, const char*>>& elements) {
  std::string text =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><STD_BOM><DSRC_CODE>CUSTOMERS"
      "</DSRC_CODE><RECORD_ID>1000234</RECORD_ID><OBS_FEAT><FTYPE_CODE>ADDRESS"
      "</FTYPE_CODE><USAGE_TYPE>HOME</USAGE_TYPE>";
  for (const auto& [code, value] : elements) {
    text += std::string("<OBS_FELEM><FELEM_CODE>") + code + "</FELEM_CODE><FELEM_VALUE>" + value +
            "</FELEM_VALUE></OBS_FELEM>";
  }
  return text + "</OBS_FEAT></STD_BOM>";
}

const std::vector<std::string>& Records() {
  static const std::vector<std::string> records = {
      Record({{"ADDR1", "123 Main St"},
              {"CITY", "Springfield"},
              {"STATE", "IL"},
              {"POSTAL_CODE", "62704-1234"},
              {"COUNTRY", "US"}}),
      Record({{"ADDR1", "4500 N Lincoln Ave Apt 12b"},
              {"ADDR2", "Building C"},
              {"CITY", "Chicago"},
              {"STATE", "IL"},
              {"POSTAL_CODE", "60625"},
              {"COUNTRY", "USA"}}),
      Record({{"ADDR1", "PO Box 4417"},
              {"CITY", "Boise"},
              {"STATE", "ID"},
              {"POSTAL_CODE", "83711"},
              {"COUNTRY", "US"}}),
      Record({{"ADDR1", "Acme Corporation"},
              {"ADDR2", "Attn Receiving"},
              {"ADDR3", "77 Harbor Blvd Suite 300"},
              {"CITY", "Long Beach"},
              {"STATE", "CA"},
              {"POSTAL_CODE", "90802"},
              {"COUNTRY", "US"}}),
  };
  return records;
}

const addr::AddressParser& Configuration() {
  static const addr::AddressParserPtr parser =
      addr::AddressParser::fromText(zeb_test::kUsConfiguration);
  return *parser;
}

void BM_RunDQM(benchmark::State& state) {
  const addr::AddressParser& parser = Configuration();
  const std::vector<std::string>& records = Records();
  std::vector<char> buffer(65536);
  std::string document;
  size_t next = 0;
  for (auto _ : state) {
    const std::string& record = records[next++ % records.size()];
    plugin::ProcessRecord(record.c_str(), parser, kServices, document);
    benchmark::DoNotOptimize(
        plugin::CopyResultDocument(document, buffer.data(), static_cast<uint32_t>(buffer.size())));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RunDQM);

// The share of the XML work alone: parse and write back.
void BM_ParseAndDump(benchmark::State& state) {
  const std::vector<std::string>& records = Records();
  std::string document;
  size_t next = 0;
  for (auto _ : state) {
    XMLDoc doc;
    doc.ParseXML(records[next++ % records.size()].c_str());
    doc.Dump(document);
    benchmark::DoNotOptimize(document.data());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ParseAndDump);

// The same documents read flat (the usual record's path) and written back.
void BM_FlatReadAndWrite(benchmark::State& state) {
  const std::vector<std::string>& records = Records();
  xml::FlatDocument doc;
  std::string document;
  size_t next = 0;
  for (auto _ : state) {
    const std::string& record = records[next++ % records.size()];
    if (!doc.Read(record.data(), record.size())) std::abort();
    document.clear();
    doc.Write(document, xml::FlatDocument::kNone, "");
    benchmark::DoNotOptimize(document.data());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FlatReadAndWrite);

}  // namespace

BENCHMARK_MAIN();
