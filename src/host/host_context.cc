// Tested by tests/host/host_services_test.cc.
#include "host/host_context.h"

#include <cstring>
#include <type_traits>

#include "common/path.h"
#include "common/terminal_text.h"
#include "host/double_metaphone.h"
#include "host/transliteration.h"
#include "logging/logger.h"
#include "logging/process_settings.h"
#include "logging/writers.h"

namespace zeb {

void prepareLogger(Logger& logger, const std::string& name) {
  static const struct {
    uint32_t value;
    const char* name;
  } kLevels[] = {
      {1, "CRIT"}, {2, "ERR"},   {4, "WARN"},  {8, "NOTE"},
      {16, "INFO"}, {32, "AUDT"}, {64, "DBUG"}, {128, "TRCE"},
  };
  for (uint32_t bit = 0; bit < 32; ++bit) {
    uint32_t value = 1u << bit;
    std::string levelName = "BIT" + std::to_string(bit);
    for (const auto& level : kLevels) {
      if (level.value == value) levelName = level.name;
    }
    logger.levelNames[value] = levelName;
    logger.levelValues[levelName] = value;
  }
  logger.factories["console"] = &consoleWriterFactory();
  logger.factories["file"] = &fileWriterFactory();
  logger.factories["eventlog"] = &eventWriterFactory();
  logger.name = name;
}

HostContext& HostContext::instance() {
  static HostContext context;
  return context;
}

Logger& HostContext::logger() {
  // Never destroyed: a plug-in may still log while the process winds down.
  static Logger* theLogger = [] {
    auto* made = new Logger();
    prepareLogger(*made, "zebhost");
    return made;
  }();
  return *theLogger;
}

bool HostContext::start(const HostSettings& settings, std::vector<std::string>& problems) {
  Logger& log = logger();
  log.name = settings.name;
  setProcessSetting("DIZ_MODULE", settings.name);
  if (!settings.supportDir.empty() && parameters_.query("PIPELINE", "SUPPORTPATH") == nullptr) {
    parameters_.set("PIPELINE", "SUPPORTPATH", settings.supportDir);
  }
  // The reason names the line, masked and escaped, rather than echoing a text
  // that may hold passwords.
  std::string whyNot;
  bool loggerReady = settings.logConfigFile.empty()
                         ? log.loadConfig(settings.logConfigText, &whyNot)
                         : log.loadConfigFile(settings.logConfigFile, &whyNot);
  if (!loggerReady) {
    problems.push_back(settings.logConfigFile.empty()
                           ? "logger configuration not accepted: " + whyNot
                           : "logger configuration file not loaded [" +
                                 cmn::EscapeForTerminal(settings.logConfigFile) + "]: " + whyNot);
  }
  const char* support = parameters_.query("PIPELINE", "SUPPORTPATH");
  if (support != nullptr && *support != '\0') {
    cmn::PathValue path;
    cmn::JoinPath(path, support, kTokenInfoFileName);
    tokenInfo_.load(cmn::NativePath(path), problems);
  }
  return loggerReady;
}

}  // namespace zeb

extern "C" {

static_assert(std::is_same_v<decltype(&zebHostGetLogger), GetLoggerFunction>);
static_assert(std::is_same_v<decltype(&zebHostQueryParameter), QueryParameterFunction>);
static_assert(std::is_same_v<decltype(&zebHostGetTokenInfo), GetTokenInfoFunction>);
static_assert(std::is_same_v<decltype(&zebHostTransliterateText), TransliterateTextFunction>);
static_assert(std::is_same_v<decltype(&zebHostMetaphoneEncode), MetaphoneEncodeFunction>);
static_assert(std::is_same_v<decltype(&zebHostLookup), LookupFunction>);

void* zebHostGetLogger(void) { return &zeb::HostContext::instance().logger(); }

const char* zebHostQueryParameter(const char* section, const char* key) {
  return zeb::HostContext::instance().parameters().query(section, key);
}

unsigned char zebHostGetTokenInfo(const char* category, const char* token, TokenInfo* info) {
  return zeb::HostContext::instance().tokenInfo().lookup(category, token, info) ? 1 : 0;
}

void zebHostTransliterateText(const char* text, char* out, int32_t outSize, int32_t,
                              int32_t scriptCode) {
  if (out == nullptr || outSize <= 0) return;
  if (text == nullptr) {
    out[0] = '\0';
    return;
  }
  zeb::copyUtf8Bounded(zeb::transliterateFor(text, scriptCode, static_cast<size_t>(outSize) - 1),
                       out, outSize);
}

void zebHostMetaphoneEncode(const char* word, char* out, int32_t outSize) {
  if (out == nullptr || outSize <= 0) return;
  if (word == nullptr) {
    out[0] = '\0';
    return;
  }
  const auto kept = static_cast<size_t>(outSize) - 1;
  zeb::copyUtf8Bounded(zeb::doubleMetaphone(word, kept).primary, out, outSize);
}

void* zebHostLookup(const char* serviceName) {
  if (serviceName == nullptr) return nullptr;
  static const struct {
    const char* name;
    void* entry;
  } kServices[] = {
      {"GetLogger", reinterpret_cast<void*>(&zebHostGetLogger)},
      {"QueryParameter", reinterpret_cast<void*>(&zebHostQueryParameter)},
      {"GetTokenInfo", reinterpret_cast<void*>(&zebHostGetTokenInfo)},
      {"TransliterateText", reinterpret_cast<void*>(&zebHostTransliterateText)},
      {"MetaphoneEncode", reinterpret_cast<void*>(&zebHostMetaphoneEncode)},
  };
  for (const auto& service : kServices) {
    if (std::strcmp(service.name, serviceName) == 0) return service.entry;
  }
  return nullptr;
}

}  // extern "C"
