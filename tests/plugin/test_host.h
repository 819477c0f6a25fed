// A host for the plug-in tests: a lookup callback over stub services that record
// their calls, and the plug-in's entry points resolved from the shared library
// with dlopen. Used by plugin_test and plugin_library_test.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "plugin/host_services.h"
#include "plugin/record_processing.h"

namespace plugin_test {

// What GetTokenInfo answers for one word.
struct TokenAnswer {
  unsigned char known = 0;
  std::string standardForm;
  bool nullStandardForm = false;
  int32_t score = 0;
};

// The stub services' behaviour and the calls they received, one per process; the
// stubs lock it, so records may be processed on several threads.
struct StubHost {
  std::set<std::string> missingServices;      // the lookup answers null for these
  bool nullLogger = false;                    // GetLogger returns null
  const char* supportPath = nullptr;          // QueryParameter's answer
  std::map<std::string, TokenAnswer> tokens;  // GetTokenInfo's answers by word
  std::map<std::string, std::string> codes;   // MetaphoneEncode's answers; default "#word"
  bool fillWholeBuffers = false;              // services write every byte, no NUL

  std::vector<std::string> queries;         // "section/key"
  std::vector<std::string> transliterated;  // "text|script"
  std::vector<std::string> tokenQueries;    // "category|word"

  void Reset() { *this = StubHost(); }
};

StubHost& Host();

// TransliterateText passes the text through and appends " script<code>" for a
// non-zero script code.
void* TestLookup(const char* serviceName);
plugin::RecordServices StubServices();

// The entry points of the built plug-in, loaded once, never unloaded.
struct PluginLibrary {
  InitPluginFunction initPlugin = nullptr;
  RunDQMFunction runDQM = nullptr;
  GetVersionFunction getVersion = nullptr;
  ClosePluginFunction closePlugin = nullptr;
  std::string path;
};

const PluginLibrary& Plugin();

// A record document with one OBS_FELEM per (code, value) pair, in order.
std::string RecordDocument(const std::vector<std::pair<std::string, std::string>>& elements);

}  // namespace plugin_test
