// Addresses per second through parseAddress with a realistic US configuration:
// normalisation, tokenisation, narrowing, about twenty rules and the assembly of the
// fields. Typical US street lines, parsed on one thread (BM_ParseAddress); the same
// with their city, state and ZIP on the line, read by locality recognition
// (BM_ParseOneLineAddress); and the time of one parse of long and hostile addresses
// (BM_LongAddress).
//
//   cmake --build build --target parse_address_bench && build/bench/parse_address_bench
//   ZEB_BENCH_CONFIG=config/support/addressParserMetaData.xml build/bench/parse_address_bench
//
// With ZEB_BENCH_CONFIG set, that configuration file (the shipped default, say) is
// measured instead of the one built in.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iterator>
#include <string>
#include <vector>

#include "../tests/test_configuration.h"
#include "addressparser/address_parser.h"

namespace {

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

// The configuration measured: the tests' US configuration, or ZEB_BENCH_CONFIG's.
const addr::AddressParser& UsConfiguration() {
  static const addr::AddressParserPtr parser = [] {
    addr::AddressParserPtr loaded;
    if (const char* file = std::getenv("ZEB_BENCH_CONFIG")) {
      if (addr::AddressParser::load(file, loaded) != addr::kConfigOk) {
        std::fprintf(stderr, "cannot load the configuration [%s]\n", file);
        std::exit(1);
      }
      return loaded;
    }
    return addr::AddressParser::fromText(
        zeb_test::kLocality, addr::AddressParser::fromText(zeb_test::kUsConfiguration).get());
  }();
  return *parser;
}

// The localities the one-line addresses end with, with and without commas.
const char* const kLocalities[] = {
    ", Springfield, IL 62704", " CHICAGO IL 60601-1234", ", New York, NY 10065",
    " Austin TX 78701",        ", Hoboken, CT 7030",     " Saint Petersburg FL 33714",
};

// Parses the addresses in turn, each line followed by `locality(i)`.
template <typename Locality>
void ParseInTurn(benchmark::State& state, Locality locality) {
  const addr::AddressParser& parser = UsConfiguration();
  std::vector<addr::AddressRecord> records;
  for (size_t i = 0; i < std::size(kAddresses); ++i) {
    addr::AddressRecord record;
    record.addressLine1 = std::string(kAddresses[i]) + locality(i);
    record.country = "USA";
    records.push_back(record);
  }
  size_t next = 0;
  for (auto _ : state) {
    addr::AddressRecord record = records[next];
    parser.parse(record);
    benchmark::DoNotOptimize(record.streetName.data());
    benchmark::DoNotOptimize(record.city.data());
    if (++next == records.size()) next = 0;
  }
  state.SetItemsProcessed(state.iterations());
  state.SetLabel("addresses");
}

void BM_ParseAddress(benchmark::State& state) {
  ParseInTurn(state, [](size_t) { return ""; });
}
BENCHMARK(BM_ParseAddress);

void BM_ParseOneLineAddress(benchmark::State& state) {
  ParseInTurn(state, [](size_t i) { return kLocalities[i % std::size(kLocalities)]; });
}
BENCHMARK(BM_ParseOneLineAddress);

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
  const addr::AddressParser& parser = UsConfiguration();
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
      parser.parse(parsed);
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
