// The in-process address parser that "parse", "explain" and "check" use: the same
// configuration the plug-in would load, read directly so that the commands can
// look inside the parse. Tested by tests/tools/zebparse_test.cc.
#pragma once

#include <string>

#include "addressparser/address_parser.h"

namespace zebparse {

// Starts the host (logger, parameters, token data) for an interactive command and
// loads <supportDir>/addressParserMetaData.xml into `parser`. False with a message
// when the file cannot be read or is not valid.
bool loadParserSession(const std::string& supportDir, std::string& configPath,
                       addr::AddressParserPtr& parser, std::string& error);

// The support directory a command uses: --support-dir, else the bundled one.
std::string supportDirectoryOption(const std::string& given);

}  // namespace zebparse
