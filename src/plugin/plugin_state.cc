// The plug-in's start-up and shut-down. Tested by tests/plugin/plugin_library_test.cc.
#include "plugin/plugin_state.h"

#include "common/path.h"
#include "logging/logger.h"

namespace plugin {
namespace {

RecordServices installedServices;
QueryParameterFunction queryParameter = nullptr;
// Never null. Each load merges into the configuration held before it.
addr::AddressParserPtr installedParser = addr::AddressParser::empty();

template <typename Function>
Function LookUp(LookupFunction lookup, const char* serviceName) {
  return reinterpret_cast<Function>(lookup(serviceName));
}

// The four services must all be there: records call them without checking.
const char* MissingServiceMessage() {
  if (installedServices.getTokenInfo == nullptr) return "No GetTokenInfo callback provided";
  if (installedServices.transliterateText == nullptr) {
    return "No TransliterateText callback provided";
  }
  if (installedServices.metaphoneEncode == nullptr) return "No MetaphoneEncode callback provided";
  if (queryParameter == nullptr) return "No QueryParameter callback provided";
  return nullptr;
}

}  // namespace

int32_t InitializePlugin(LookupFunction lookup, std::string& message) {
  GetLoggerFunction getLogger =
      lookup != nullptr ? LookUp<GetLoggerFunction>(lookup, "GetLogger") : nullptr;
  if (getLogger == nullptr) {
    message = "No GETLOGGER callback provided";
    return kInitFailed;
  }
  Logger* logger = static_cast<Logger*>(getLogger());
  if (logger == nullptr) {
    message = "GETLOGGER callback returns a NULL pointer";
    return kInitFailed;
  }
  setProcessLogger(logger);

  installedServices.getTokenInfo = LookUp<GetTokenInfoFunction>(lookup, "GetTokenInfo");
  installedServices.transliterateText =
      LookUp<TransliterateTextFunction>(lookup, "TransliterateText");
  installedServices.metaphoneEncode = LookUp<MetaphoneEncodeFunction>(lookup, "MetaphoneEncode");
  queryParameter = LookUp<QueryParameterFunction>(lookup, "QueryParameter");
  if (const char* missing = MissingServiceMessage()) {
    message = missing;
    return kInitFailed;
  }

  const char* supportPath = queryParameter("PIPELINE", "SUPPORTPATH");
  if (supportPath == nullptr || supportPath[0] == '\0') {
    message = "PLX Support Path not valid.";
    return kInitFailed;
  }
  // The composed form (backslashes) names the file in the message; the parser turns
  // it into the operating system's form itself.
  cmn::PathValue configurationPath;
  cmn::JoinPath(configurationPath, supportPath, kParserConfigurationFile);
  if (addr::AddressParser::load(configurationPath.utf8, installedParser, installedParser.get()) !=
      addr::kConfigOk) {
    message =
        "Unabled to initialize address parser with configuration [" + configurationPath.utf8 + "]";
    return kInitFailed;
  }
  return kInitOk;
}

void ClosePlugin() { installedParser = installedParser->withoutRules(); }

const RecordServices& InstalledServices() { return installedServices; }

const addr::AddressParser& InstalledParser() { return *installedParser; }

}  // namespace plugin
