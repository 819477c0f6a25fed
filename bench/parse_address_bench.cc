// Addresses per second through parseAddress with a realistic US configuration:
// normalisation, tokenisation, narrowing, about twenty rules and the assembly of the
// fields. Typical one-line US addresses, parsed on one thread (BM_ParseAddress); and
// the time of one parse of long and hostile addresses (BM_LongAddress).
//
//   cmake --build build --target parse_address_bench && build/bench/parse_address_bench
//   ZEB_BENCH_CONFIG=config/support/addressParserMetaData.xml build/bench/parse_address_bench
//
// With ZEB_BENCH_CONFIG set, that configuration file (the shipped default, say) is
// measured instead of the one built in.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "addressparser/address_record.h"
#include "addressparser/parse_driver.h"
#include "addressparser/parser_config.h"

namespace {

// Word lists in the spirit of the US postal abbreviations, and the rules that settle
// street numbers, directionals, names, suffixes, units, PO boxes and rural routes.
constexpr const char* kUsConfiguration = R"xml(<ADDRESSPARSER>
<COUNTRIES><COUNTRY name="USA" c2="US"/><COUNTRY name="US" c2="US"/>
  <COUNTRY name="United States" c2="US"/><DEFAULTCOUNTRY name="US"/></COUNTRIES>
<REGIONS><REGION id="1" name="US" priority="1" base="0"/></REGIONS>
<ADDRESSPARTS c2="US">
  <PREFIX><PART data="HWY" std="HWY"/><PART data="HIGHWAY" std="HWY"/>
    <PART data="ROUTE" std="RTE"/><PART data="RTE" std="RTE"/></PREFIX>
  <SUFFIX><PART data="ST" std="ST"/><PART data="STREET" std="ST"/><PART data="AVE" std="AVE"/>
    <PART data="AVENUE" std="AVE"/><PART data="AV" std="AVE"/><PART data="RD" std="RD"/>
    <PART data="ROAD" std="RD"/><PART data="BLVD" std="BLVD"/><PART data="BOULEVARD" std="BLVD"/>
    <PART data="LN" std="LN"/><PART data="LANE" std="LN"/><PART data="DR" std="DR"/>
    <PART data="DRIVE" std="DR"/><PART data="CT" std="CT"/><PART data="COURT" std="CT"/>
    <PART data="PL" std="PL"/><PART data="PLACE" std="PL"/><PART data="TER" std="TER"/>
    <PART data="WAY" std="WAY"/><PART data="PKWY" std="PKWY"/><PART data="PARKWAY" std="PKWY"/>
    <PART data="CIR" std="CIR"/><PART data="CIRCLE" std="CIR"/><PART data="HWY" std="HWY"/>
    <PART data="SR" std="SR"/><PART data="CR" std="CR"/><PART data="TRL" std="TRL"/>
    <PART data="SQ" std="SQ"/><PART data="LOOP" std="LOOP"/></SUFFIX>
  <BUILDINGSIDE><PART data="REAR" std="REAR"/><PART data="FRONT" std="FRNT"/></BUILDINGSIDE>
  <UNITSIDE><PART data="UPPER" std="UPPR"/><PART data="LOWER" std="LOWR"/></UNITSIDE>
  <BUILDINGTYPE><PART data="BLDG" std="BLDG"/><PART data="BUILDING" std="BLDG"/></BUILDINGTYPE>
  <COUNTY><PART data="COUNTY" std="CO"/></COUNTY>
  <DISCARD><PART data="ATTN" std=""/></DISCARD>
  <POBOX><PART data="PO BOX" std="PO BOX"/><PART data="P O BOX" std="PO BOX"/>
    <PART data="POST OFFICE BOX" std="PO BOX"/><PART data="BOX" std="BOX"/></POBOX>
  <UNITLABEL><PART data="APT" std="APT"/><PART data="APARTMENT" std="APT"/>
    <PART data="STE" std="STE"/><PART data="SUITE" std="STE"/><PART data="UNIT" std="UNIT"/>
    <PART data="FL" std="FL"/><PART data="FLOOR" std="FL"/><PART data="RM" std="RM"/>
    <PART data="ROOM" std="RM"/><PART data="LOT" std="LOT"/></UNITLABEL>
  <DIRECTIONAL><PART data="N" std="N"/><PART data="NORTH" std="N"/><PART data="S" std="S"/>
    <PART data="SOUTH" std="S"/><PART data="E" std="E"/><PART data="EAST" std="E"/>
    <PART data="W" std="W"/><PART data="WEST" std="W"/><PART data="NE" std="NE"/>
    <PART data="NW" std="NW"/><PART data="SE" std="SE"/><PART data="SW" std="SW"/></DIRECTIONAL>
  <RURAL><PART data="RR" std="RR"/><PART data="RURAL ROUTE" std="RR"/><PART data="HC" std="HC"/>
    </RURAL>
  <CAREOF><PART data="C/O"/><PART data="CARE OF"/></CAREOF>
</ADDRESSPARTS>
<RULESET c2="US">
  <NOCONTEXT>
    <RULE name="po box" condition="ISPOBOXWORD" set="POBOXTYPE" setNext="POBOXNUM"/>
    <RULE name="rural route" condition="ISRURALROUTEWORD" set="RRHCLABEL" setNext="RRHCNUM"/>
    <RULE name="number sign" condition="ISNUMBERSIGN" set="UNITLABEL" setNext="UNITNUM"/>
    <RULE name="house number" condition="ISFIRSTTOKEN AND ISNUMBER" set="STREETNUM"/>
    <RULE name="house number with letter"
          condition="ISFIRSTTOKEN AND HASNUMBERS AND LENGTHIS(&lt;=,6) AND NOT ISNUMBERSIGN"
          set="STREETNUM"/>
    <RULE name="unit label" condition="ISUNITWORD AND NOT ISFIRSTTOKEN" set="UNITLABEL"
          setNext="UNITNUM"/>
    <RULE name="highway prefix" condition="ISPREFIXWORD AND NOT ISFIRSTTOKEN AND HASNUMBERS(NEXT)"
          set="PREFIX"/>
    <RULE name="pre-directional"
          condition="ISDIRECTIONALWORD AND ISTOKENA(PREV,STREETNUM) AND NOT ISLASTTOKEN AND NOT ISSUFFIXWORD:NEXT"
          set="PREDIR"/>
    <RULE name="suffix"
          condition="ISSUFFIXWORD AND NOT ISFIRSTTOKEN AND NOT ISTOKENA(PREV,STREETNUM) AND NOT ISTOKENA(PREV,PREDIR)"
          set="SUFFIX"/>
    <RULE name="name after number"
          condition="(ISTOKENA(PREV,STREETNUM) OR ISTOKENA(PREV,PREDIR)) AND NOT ISNUMBER"
          set="STREETNAME"/>
    <RULE name="post-directional" condition="ISDIRECTIONALWORD AND ISTOKENA(PREV,SUFFIX)"
          set="POSTDIR"/>
    <RULE name="one pre-directional" condition="ISDIRECTIONALWORD AND ONLYONCE(PREDIR)"/>
    <RULE name="building side" condition="ISBUILDINGSIDEWORD AND WEHAVE(PREV,STREETNUM)"
          set="BUILDINGSIDE"/>
  </NOCONTEXT>
  <WITHCONTEXT>
    <RULE name="unit number" condition="ISTOKENA(PREV,UNITLABEL) AND ISPOSSIBLEUNITNUMBER"
          set="UNITNUM"/>
    <RULE name="box number" condition="ISTOKENA(PREV,POBOXTYPE)" set="POBOXNUM"/>
    <RULE name="route number" condition="ISTOKENA(PREV,PREFIX) AND HASNUMBERS" set="STREETNAME"/>
    <RULE name="name before suffix" condition="ISTOKENA(NEXT,SUFFIX) AND NOT ISNUMBER"
          set="STREETNAME"/>
    <RULE name="name after name"
          condition="ISTOKENA(PREV,STREETNAME) AND NOT ISSUFFIXWORD AND NOT ISUNITWORD"
          set="STREETNAME"/>
    <RULE name="unit after street"
          condition="(ISTOKENA(PREV,SUFFIX) OR ISTOKENA(PREV,POSTDIR)) AND ISPOSSIBLEUNITNUMBER"
          set="UNITNUM"/>
    <RULE name="directional as name" condition="ISDIRECTIONALWORD AND NOT WEHAVE(STREETNAME)"
          set="STREETNAME"/>
    <RULE name="leftover" condition="CANTOKENBEA(STREETNAME) AND NOT WEHAVE(STREETNAME)"
          set="STREETNAME"/>
  </WITHCONTEXT>
</RULESET>
</ADDRESSPARSER>)xml";

const char* const kAddresses[] = {
    "123 N MAIN ST APT 4",
    "4567 Oak Tree Avenue",
    "89 W. Elm St., Suite 200",
    "1600 Pennsylvania Ave NW",
    "PO Box 1234",
    "RR 2 Box 45",
    "22 Park Place Apt 3B",
    "7 S Washington Blvd #12",
    "350 Fifth Avenue Floor 34",
    "12 Old Mill Road",
    "901 E Lake Shore Dr Unit 1203",
    "55 HWY 61",
};

class UsConfiguration {
 public:
  UsConfiguration() {
    if (const char* file = std::getenv("ZEB_BENCH_CONFIG")) {
      if (addr::loadParserConfiguration(file) != addr::kConfigOk) {
        std::fprintf(stderr, "cannot load the configuration [%s]\n", file);
      }
      return;
    }
    path_ = std::filesystem::temp_directory_path() /
            ("zeb_parse_bench_" + std::to_string(::getpid()) + ".xml");
    std::ofstream(path_, std::ios::binary) << kUsConfiguration;
    if (addr::loadParserConfiguration(path_.string()) != addr::kConfigOk) {
      std::fprintf(stderr, "cannot load the benchmark configuration\n");
    }
  }
  ~UsConfiguration() {
    addr::freeParserConfiguration();
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove(path_, ignored);
  }

 private:
  std::filesystem::path path_;
};

void BM_ParseAddress(benchmark::State& state) {
  static UsConfiguration configuration;
  std::vector<addr::AddressRecord> records;
  for (const char* line : kAddresses) {
    addr::AddressRecord record;
    record.addressLine1 = line;
    record.country = "USA";
    records.push_back(record);
  }
  size_t next = 0;
  for (auto _ : state) {
    addr::AddressRecord record = records[next];
    addr::parseAddress(record);
    benchmark::DoNotOptimize(record.streetName.data());
    if (++next == records.size()) next = 0;
  }
  state.SetItemsProcessed(state.iterations());
  state.SetLabel("addresses");
}
BENCHMARK(BM_ParseAddress);

// Long and hostile addresses: the time of one parse of an address of N tokens, in
// four shapes. "names" is a street number, N-2 one-letter names and a suffix (the
// names join into one token); "numbers" is N numbers; "unsettled" is N tokens that no
// rule settles, so that the rules run in every pass and scan the whole list; "mixed"
// repeats a whole US address. Addresses over the parser's limit (4,096 bytes) are
// refused: their rows (marked "refused") time the refusal, copying the record
// included. The last row is a line of 2 MB of the "names" shape.
std::string LongAddress(int shape, size_t tokens) {
  std::string text;
  switch (shape) {
    case 0:
      text = "1 ";
      for (size_t i = 2; i < tokens; ++i) text += "B ";
      text += "St";
      break;
    case 1:
      for (size_t i = 0; i < tokens; ++i) text += "1 ";
      break;
    case 2:
      for (size_t i = 0; i < tokens; ++i) text += "& ";
      break;
    default:
      for (size_t i = 0; i < tokens; i += 7) text += "12 N MAIN ST APT 4 ";
      break;
  }
  return text;
}

void BM_LongAddress(benchmark::State& state) {
  static UsConfiguration configuration;
  static const char* const kShapes[] = {"names", "numbers", "unsettled", "mixed"};
  const int shape = static_cast<int>(state.range(0));
  const auto tokens = static_cast<size_t>(state.range(1));
  addr::AddressRecord record;
  record.addressLine1 = LongAddress(shape, tokens);
  record.country = "USA";
  bool refused = false;
  for (auto _ : state) {
    addr::AddressRecord parsed = record;
    try {
      addr::parseAddress(parsed);
    } catch (const std::exception&) {
      refused = true;
    }
    benchmark::DoNotOptimize(parsed.streetName.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(tokens));
  state.SetLabel(std::string(kShapes[shape]) + ", " + std::to_string(record.addressLine1.size()) +
                 " bytes" + (refused ? ", refused" : ""));
}
BENCHMARK(BM_LongAddress)
    ->ArgsProduct({{0, 1, 2, 3}, {64, 256, 1024, 2048, 10000, 20000, 40000, 80000}})
    ->Args({0, 1000000})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
