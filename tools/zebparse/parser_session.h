// The in-process address parser that "parse", "explain" and "check" use: the same
// configuration the plug-in would load, read directly so that the commands can
// look inside the parse. Tested by tests/tools/zebparse_test.cc.
#pragma once

#include <string>
#include <vector>

#include "addressparser/address_parser.h"

namespace zebparse {

// Starts the host (logger, parameters, token data) for an interactive command and
// loads <supportDir>/addressParserMetaData.xml into `parser`. False with a message
// when the file cannot be read or is not valid.
bool loadParserSession(const std::string& supportDir, std::string& configPath,
                       addr::AddressParserPtr& parser, std::string& error);

// Loads the configuration file at `path` into `parser`; false with a one-line
// message naming the file once. An empty file is refused: it would load and then
// leave every address unparsed.
bool loadConfiguration(const std::string& path, addr::AddressParserPtr& parser, std::string& error);

// What "check" finds in a loaded configuration: each line "error: WHERE: WHAT" or
// "warning: ...", escaped for a terminal.
struct ConfigReport {
  void error(const std::string& where, const std::string& what);
  void warning(const std::string& where, const std::string& what);
  std::vector<std::string> lines;
  int errors = 0;
  int warnings = 0;
};
// Conditions that do not compile, unknown keywords, names that are no meaning,
// rule sets without rules, countries that map to no region, and a default country
// without region or rules. Implemented in check_command.cc.
void checkConfiguration(const addr::AddressParser& parser, ConfigReport& report);

// The support directory a command uses: --support-dir, else the bundled one.
std::string supportDirectoryOption(const std::string& given);

}  // namespace zebparse
