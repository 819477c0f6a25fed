// zebparse: the command-line host of the address-parsing plug-in.
#include <cstring>
#include <iostream>

#include <libxml/parser.h>

#include "tools/zebparse/command_line.h"
#include "tools/zebparse/commands.h"

namespace {

constexpr const char* kVersion = "zebparse 1.0";
constexpr const char* kUsage =
    "usage: zebparse COMMAND [OPTIONS] [ARGS]\n"
    "\n"
    "Commands:\n"
    "  run      process records (xml, jsonl or csv) through the plug-in, in parallel\n"
    "  parse    parse one address and show every field and the derived elements\n"
    "  explain  show how one address is parsed, rule by rule\n"
    "  check    check a parser configuration for mistakes\n"
    "\n"
    "zebparse COMMAND --help describes a command; zebparse --version prints the version.\n";

}  // namespace

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  // "run" writes standard output on one thread while another reads standard input;
  // a tied input would flush that unsynchronised output from the reading thread and
  // write records twice or out of order.
  std::cin.tie(nullptr);
  xmlInitParser();
  if (argc < 2) {
    std::cerr << kUsage;
    return zebparse::kExitUsage;
  }
  const char* command = argv[1];
  if (std::strcmp(command, "--help") == 0 || std::strcmp(command, "-h") == 0 ||
      std::strcmp(command, "help") == 0) {
    std::cout << kUsage;
    return zebparse::kExitOk;
  }
  if (std::strcmp(command, "--version") == 0) {
    std::cout << kVersion << "\n";
    return zebparse::kExitOk;
  }
  if (std::strcmp(command, "run") == 0) return zebparse::runCommand(argc, argv);
  if (std::strcmp(command, "parse") == 0) return zebparse::parseCommand(argc, argv);
  if (std::strcmp(command, "explain") == 0) return zebparse::explainCommand(argc, argv);
  if (std::strcmp(command, "check") == 0) return zebparse::checkCommand(argc, argv);
  std::cerr << "zebparse: unknown command [" << command << "]\n" << kUsage;
  return zebparse::kExitUsage;
}
