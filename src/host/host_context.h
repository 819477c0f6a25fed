// The reference host: the logger it creates, the tables behind its services, and
// the lookup callback through which a plug-in finds the five services
// ("GetLogger", "QueryParameter", "GetTokenInfo", "TransliterateText",
// "MetaphoneEncode"). The services are plain C functions without a context
// argument, so the host is one object per process.
//
// Start-up order: fill parameters(), call start() (logger configuration, token
// data), then hand hostLookup to the plug-in's initPlugin. From then on every
// table is only read, so the services may be called from any thread.
// Tested by tests/host/host_services_test.cc.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/parameter_table.h"
#include "host/token_info_table.h"
#include "plugin/host_services.h"

class Logger;

namespace zeb {

// What the host prints on standard error unless told otherwise: the diagnostics
// that matter, never on standard output, which carries the records.
inline constexpr const char* kHostLoggerConfig = "console://stderr *.CRIT;*.ERR;*.WARN";

struct HostSettings {
  std::string name = "zebhost";  // logger name and the "DIZ_MODULE" process setting
  std::string supportDir;        // answered for PIPELINE/SUPPORTPATH unless already set
  std::string logConfigFile;     // watched logger configuration; empty: logConfigText
  std::string logConfigText = kHostLoggerConfig;
};

class HostContext {
 public:
  static HostContext& instance();

  // Names the logger, sets "DIZ_MODULE", loads the first logger configuration and
  // the token data of the support directory. Problems (a logger configuration
  // that does not load, bad token-data lines) are appended to `problems`; the
  // return value is false only for a problem that should stop the host (the
  // logger configuration failed).
  bool start(const HostSettings& settings, std::vector<std::string>& problems);

  // The logger, created with its level names and the "console", "file" and
  // "eventlog" writer factories registered. Lives until the process ends.
  Logger& logger();
  ParameterTable& parameters() { return parameters_; }
  TokenInfoTable& tokenInfo() { return tokenInfo_; }

 private:
  HostContext() = default;
  ParameterTable parameters_;
  TokenInfoTable tokenInfo_;
};

// Fills a logger's level tables: 1 CRIT, 2 ERR, 4 WARN, 8 NOTE, 16 INFO, 32 AUDT,
// 64 DBUG, 128 TRCE, every higher bit "BITn"; and registers the three factories.
void prepareLogger(Logger& logger, const std::string& name);

}  // namespace zeb

extern "C" {
// The lookup callback handed to initPlugin: the entry point of a service by its
// exact name, null for any other name.
void* zebHostLookup(const char* serviceName);

// The five services, exported for hosts that wire them up themselves.
void* zebHostGetLogger(void);
const char* zebHostQueryParameter(const char* section, const char* key);
unsigned char zebHostGetTokenInfo(const char* category, const char* token, TokenInfo* info);
void zebHostTransliterateText(const char* text, char* out, int32_t outSize, int32_t reserved,
                              int32_t scriptCode);
void zebHostMetaphoneEncode(const char* word, char* out, int32_t outSize);
}
