// A host for the plug-in tests: a lookup callback over stub services that record
// their calls, a real Logger, a support directory holding a configuration file, and
// the plug-in's entry points resolved from the shared library with dlopen.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "plugin/host_services.h"
#include "xml/xml_doc.h"
#include "plugin/record_processing.h"

namespace plugin_test {

// What GetTokenInfo answers for one word.
struct TokenAnswer {
  unsigned char known = 0;
  std::string standardForm;
  bool nullStandardForm = false;
  int32_t score = 0;
};

// The stub services' behaviour and the calls they received. One per process; the
// stubs lock it, so records may be processed on several threads.
struct StubHost {
  std::mutex mutex;
  std::set<std::string> missingServices;        // the lookup answers null for these
  bool nullLogger = false;                      // GetLogger returns null
  const char* supportPath = nullptr;            // QueryParameter's answer
  std::map<std::string, TokenAnswer> tokens;    // GetTokenInfo's answers by word
  std::map<std::string, std::string> codes;     // MetaphoneEncode's answers by word
  std::string transliteration;                  // non-empty: TransliterateText's answer
  bool fillWholeBuffers = false;                // services write every byte, no NUL
  bool recordCalls = true;

  std::vector<std::string> queries;             // "section/key"
  std::vector<std::string> transliterated;      // "text|script"
  std::vector<std::string> tokenQueries;        // "category|word"
  std::vector<std::string> encoded;             // the words MetaphoneEncode received

  void Reset();
};

StubHost& Host();

// The stub services. TransliterateText passes the text through and appends
// " script<code>" for a non-zero script code; MetaphoneEncode's default code is "#"
// and the word.
void* TestLookup(const char* serviceName);
plugin::RecordServices StubServices();

// A fresh directory under the temporary directory, removed with the object.
class TempDirectory {
 public:
  TempDirectory();
  ~TempDirectory();
  TempDirectory(const TempDirectory&) = delete;
  TempDirectory& operator=(const TempDirectory&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // Writes addressParserMetaData.xml with `content`.
  void WriteConfiguration(const std::string& content) const;

 private:
  std::filesystem::path path_;
};

// The entry points of build/lib/libzebConfigParseAddr.so, loaded once per process
// and never unloaded.
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

// "CODE=value" of every OBS_FELEM of a result document's OBS_FEAT, joined by "|"; an
// element without FELEM_VALUE shows as "CODE"; "<no OBS_FEAT>" when there is none.
std::string Transcript(const std::string& resultDocument);

// Records and the transcripts of their results. Expects the tests' US configuration
// and UseRecordTokens().
struct RecordCase {
  std::string input;
  std::string expected;
};
const std::vector<RecordCase>& RecordCases();
// The GetTokenInfo answers the record cases rely on.
void UseRecordTokens();

}  // namespace plugin_test
