// "zebparse parse": one address, shown as a table of every parsed field and the
// derived elements. The fields come from the parser run in-process; the derived
// elements from the plug-in, run on the same address through the host services.
// Tested end to end by tests/tools/zebparse_test.cc.
#include <cstdio>
#include <exception>
#include <iostream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "addressparser/address_parser.h"
#include "host/host_context.h"
#include "host/plugin_library.h"
#include "tools/zebparse/command_line.h"
#include "tools/zebparse/commands.h"
#include "tools/zebparse/parser_session.h"
#include "tools/zebparse/record_formats.h"

namespace zebparse {
namespace {

constexpr const char* kParseUsage =
    "usage: zebparse parse [--support-dir DIR] [--country CODE] [--plugin PATH] [--json]\n"
    "                      LINE [LINE2 [LINE3]]\n"
    "\n"
    "Parses one address (up to three address lines) and prints every parsed field and\n"
    "the elements the plug-in adds (STR_NAME_STD, STR_NUM, UNIT_NUM, and CITY, STATE,\n"
    "POSTAL_CODE found at the end of a one-line address, with CITY_STD and POSTAL_5).\n"
    "  --country CODE  the record's country as records write it (default: none, so\n"
    "                  the configuration's default country)\n"
    "  --json          print one JSON object instead of the table\n";

std::vector<std::pair<const char*, const std::string*>> fieldsOf(const addr::AddressRecord& r) {
  return {
      {"street number", &r.streetNumber},
      {"pre-directional", &r.preDirectional},
      {"prefix", &r.prefix},
      {"street name", &r.streetName},
      {"suffix", &r.suffix},
      {"post-directional", &r.postDirectional},
      {"building side", &r.buildingSide},
      {"unit label", &r.unitLabel},
      {"unit number", &r.unitNumber},
      {"unit side", &r.unitSide},
      {"PO box type", &r.poBoxType},
      {"PO box number", &r.poBoxNumber},
      {"rural route label", &r.rrhcLabel},
      {"rural route number", &r.rrhcNumber},
      {"rural route box", &r.rrhcBoxNumber},
      {"city", &r.city},
      {"region", &r.region},
      {"postal code", &r.postalCode},
  };
}

// The derived elements the plug-in appends; empty with `error` set when the
// plug-in could not be used (`loaded` false when it did not even start).
std::vector<Element> derivedElements(const std::string& pluginPath,
                                     const std::vector<Element>& input, std::string& error,
                                     bool& loaded) {
  std::unique_ptr<zeb::PluginLibrary> plugin = zeb::PluginLibrary::open(pluginPath, error);
  loaded = plugin && plugin->init(&zebHostLookup, error);
  if (!loaded) return {};
  std::string document;
  std::vector<Element> derived;
  if (!buildRecordDocument(input, document, error)) return {};
  std::vector<char> buffer(1u << 20, '\0');
  zeb::PluginLibrary::RunResult run =
      plugin->run(document.c_str(), buffer.data(), static_cast<uint32_t>(buffer.size()));
  plugin->close();
  if (run.threw) {
    error = run.error;
    return {};
  }
  ResultDocument result;
  if (!readResultDocument(buffer.data(), result, error)) return {};
  if (result.hasError) {
    error = result.error;
    return {};
  }
  // The derived elements are appended last; STR_NUM and UNIT_NUM also occur earlier
  // as the parsed parts, so keep the last occurrence of each code.
  for (const char* code : {"CITY", "STATE", "POSTAL_CODE", "STR_NAME_STD", "CITY_STD", "POSTAL_5",
                           "STR_NUM", "UNIT_NUM"}) {
    const Element* last = nullptr;
    for (const Element& element : result.elements) {
      if (element.code == code) last = &element;
    }
    if (last != nullptr) derived.push_back(*last);
  }
  return derived;
}

}  // namespace

int parseCommand(int argc, char** argv) {
  Arguments args;
  std::string error;
  if (!parseArguments(argc, argv, 2, {"--support-dir", "--country", "--plugin"},
                      {"--json", "--help"}, args, error)) {
    return usageError("parse", error);
  }
  if (args.flags.count("--help") != 0) {
    std::cout << kParseUsage;
    return kExitOk;
  }
  if (args.positional.empty() || args.positional.size() > 3) {
    return usageError("parse", "give one to three address lines");
  }
  std::string supportDir = supportDirectoryOption(args.values["--support-dir"]);
  std::string configPath;
  addr::AddressParserPtr parser;
  if (!loadParserSession(supportDir, configPath, parser, error)) {
    std::cerr << "zebparse: " << error << "\n";
    return kExitUsage;
  }

  addr::AddressRecord record;
  std::string* lines[] = {&record.addressLine1, &record.addressLine2, &record.addressLine3};
  std::vector<Element> input;
  for (size_t i = 0; i < args.positional.size(); ++i) {
    *lines[i] = args.positional[i];
    input.push_back({"ADDR" + std::to_string(i + 1), args.positional[i]});
  }
  record.country = args.values["--country"];
  if (!record.country.empty()) input.push_back({"COUNTRY", record.country});
  try {
    parser->parse(record);
  } catch (const std::exception& e) {
    std::cerr << "zebparse: the parse failed: " << e.what() << "\n";
    return kExitRecordsFailed;
  }

  std::string pluginPath =
      args.values.count("--plugin") != 0 ? args.values["--plugin"] : defaultPluginPath();
  std::string derivedError;
  bool loaded = false;
  std::vector<Element> derived = derivedElements(pluginPath, input, derivedError, loaded);
  // The table is still worth showing, but a script must see that half of it is missing.
  int status = derivedError.empty() ? kExitOk : loaded ? kExitRecordsFailed : kExitUsage;

  if (args.flags.count("--json") != 0) {
    Json out = Json::object();
    Json fields = Json::object();
    for (const auto& [label, value] : fieldsOf(record)) fields[label] = *value;
    out["fields"] = fields;
    Json derivedJson = Json::object();
    for (const Element& element : derived) derivedJson[element.code] = element.value;
    out["derived"] = derivedJson;
    if (!derivedError.empty()) out["derivedError"] = derivedError;
    std::cout << out.dump(2, ' ', false, Json::error_handler_t::replace) << "\n";
    return status;
  }
  std::printf("%-20s %s\n", "field", "value");
  std::printf("%-20s %s\n", "--------------------", "--------------------");
  for (const auto& [label, value] : fieldsOf(record)) {
    std::printf("%-20s %s\n", label, value->c_str());
  }
  std::printf("\n%-20s %s\n", "derived element", "value");
  std::printf("%-20s %s\n", "--------------------", "--------------------");
  if (!derivedError.empty()) {
    std::printf("(not available: %s)\n", derivedError.c_str());
  }
  for (const Element& element : derived) {
    std::printf("%-20s %s\n", element.code.c_str(), element.value.c_str());
  }
  if (!derivedError.empty()) std::cerr << "zebparse: " << derivedError << "\n";
  return status;
}

}  // namespace zebparse
