// Tested by tests/tools/zebparse_test.cc.
#include "tools/zebparse/parser_session.h"

#include <exception>
#include <iostream>
#include <vector>

#include "common/path.h"
#include "errors/tarn_exception.h"
#include "host/host_context.h"
#include "logging/logger.h"
#include "tools/zebparse/command_line.h"

namespace zebparse {

std::string supportDirectoryOption(const std::string& given) {
  return given.empty() ? defaultSupportDirectory() : given;
}

bool loadParserSession(const std::string& supportDir, std::string& configPath,
                       addr::AddressParserPtr& parser, std::string& error) {
  std::vector<std::string> warnings;
  if (!checkSupportDirectory(supportDir, error, warnings)) return false;
  for (const std::string& warning : warnings) std::cerr << "zebparse: warning: " << warning << "\n";
  zeb::HostContext& host = zeb::HostContext::instance();
  host.parameters().set("PIPELINE", "SUPPORTPATH", supportDir);
  zeb::HostSettings settings;
  settings.name = "zebparse";
  std::vector<std::string> problems;
  host.start(settings, problems);
  for (const std::string& problem : problems) std::cerr << "zebparse: " << problem << "\n";
  // The in-process parser logs through the process logger, as the plug-in does.
  setProcessLogger(&host.logger());

  cmn::PathValue path;
  cmn::JoinPath(path, supportDir.c_str(), "addressParserMetaData.xml");
  configPath = cmn::NativePath(path);
  if (isBlankFile(configPath)) {
    error = "configuration [" + configPath + "] is empty";
    return false;
  }
  try {
    if (addr::AddressParser::load(configPath, parser) != addr::kConfigOk) {
      error = "cannot open configuration [" + configPath + "]";
      return false;
    }
  } catch (const std::exception& e) {
    error = "configuration [" + configPath + "] not loaded: " + e.what();
    return false;
  }
  return true;
}

}  // namespace zebparse
