// zebparse: the command-line host of the address-parsing plug-in.
#include <libxml/parser.h>

#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "common/os.h"
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
    "zebparse help COMMAND (or zebparse COMMAND --help) describes a command;\n"
    "zebparse --version prints the version; man zebparse has the whole story.\n";

}  // namespace

int main(int argc, char** nativeArgv) {
  // File names and addresses on the command line arrive as UTF-8 on every system.
  std::vector<std::string> arguments = cmn::commandLineArguments(argc, nativeArgv);
  std::vector<char*> argvUtf8;
  for (std::string& argument : arguments) argvUtf8.push_back(argument.data());
  argvUtf8.push_back(nullptr);
  char** argv = argvUtf8.data();

  std::ios::sync_with_stdio(false);
  // "run" writes standard output on one thread while another reads standard input;
  // a tied input would flush that unsynchronised output from the reading thread and
  // write records twice or out of order.
  std::cin.tie(nullptr);
  // Records pass through byte for byte, on Windows too.
  cmn::useBinaryMode(cmn::kStandardInput);
  cmn::useBinaryMode(cmn::kStandardOutput);
  xmlInitParser();
  if (argc < 2) {
    std::cerr << "usage: zebparse COMMAND [OPTIONS] [ARGS] (try 'zebparse --help')\n";
    return zebparse::kExitUsage;
  }
  const char* command = argv[1];
  if (std::strcmp(command, "--help") == 0 || std::strcmp(command, "-h") == 0 ||
      std::strcmp(command, "help") == 0) {
    // "zebparse help run" is "zebparse run --help".
    if (std::strcmp(command, "help") == 0 && argc > 2) {
      char help[] = "--help";
      char* helpArgv[] = {argv[0], argv[2], help, nullptr};
      if (std::strcmp(argv[2], "run") == 0) return zebparse::runCommand(3, helpArgv);
      if (std::strcmp(argv[2], "parse") == 0) return zebparse::parseCommand(3, helpArgv);
      if (std::strcmp(argv[2], "explain") == 0) return zebparse::explainCommand(3, helpArgv);
      if (std::strcmp(argv[2], "check") == 0) return zebparse::checkCommand(3, helpArgv);
      std::cerr << "zebparse: no command [" << argv[2] << "] (try 'zebparse --help')\n";
      return zebparse::kExitUsage;
    }
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
  std::cerr << "zebparse: unknown command [" << command << "] (try 'zebparse --help')\n";
  return zebparse::kExitUsage;
}
