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
  return loadConfiguration(configPath, parser, error);
}

bool loadConfiguration(const std::string& path, addr::AddressParserPtr& parser,
                       std::string& error) {
  if (isBlankFile(path)) {
    error = "configuration [" + path + "] is empty";
    return false;
  }
  try {
    if (addr::AddressParser::load(path, parser) != addr::kConfigOk) {
      error = "cannot open configuration [" + path + "]";
      return false;
    }
  } catch (const std::exception& e) {
    // The XML reader names the file too; once is enough.
    std::string why = e.what();
    const std::string fileNamed = " (file [" + path + "])";
    if (why.size() > fileNamed.size() && why.ends_with(fileNamed)) {
      why.resize(why.size() - fileNamed.size());
    }
    error = "configuration [" + path + "] not loaded: " + oneLine(why);
    return false;
  }
  return true;
}

}  // namespace zebparse
