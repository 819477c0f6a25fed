// The plug-in tests' host (test_host.h).
#include "test_host.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <stdexcept>

#include "common/os.h"
#include "logging/logger.h"

namespace plugin_test {
namespace {

std::mutex hostMutex;

// Copies `text` into the buffer as a well-behaved host does, or fills every byte
// without a terminator when the test asks for a careless host.
void WriteOut(const std::string& text, char* out, int32_t outSize) {
  if (outSize <= 0) return;
  if (Host().fillWholeBuffers) {
    std::memset(out, 'X', static_cast<size_t>(outSize));
    return;
  }
  size_t length = std::min(text.size(), static_cast<size_t>(outSize) - 1);
  std::memcpy(out, text.data(), length);
  out[length] = '\0';
}

void* StubGetLogger() {
  static Logger logger;  // no writers: the plug-in's logging goes nowhere
  return Host().nullLogger ? nullptr : &logger;
}

const char* StubQueryParameter(const char* section, const char* key) {
  std::lock_guard<std::mutex> lock(hostMutex);
  Host().queries.push_back(std::string(section) + "/" + key);
  return Host().supportPath;
}

unsigned char StubGetTokenInfo(const char* category, const char* token, TokenInfo* info) {
  std::lock_guard<std::mutex> lock(hostMutex);
  Host().tokenQueries.push_back(std::string(category) + "|" + token);
  auto answer = Host().tokens.find(token);
  if (answer == Host().tokens.end()) {
    info->standardForm = "garbage the plug-in must not use";
    info->score = 0;
    return 0;
  }
  info->standardForm =
      answer->second.nullStandardForm ? nullptr : answer->second.standardForm.c_str();
  info->score = answer->second.score;
  return answer->second.known;
}

void StubTransliterateText(const char* text, char* out, int32_t outSize, int32_t,
                           int32_t scriptCode) {
  std::lock_guard<std::mutex> lock(hostMutex);
  Host().transliterated.push_back(std::string(text) + "|" + std::to_string(scriptCode));
  // A script shows in the result as an extra word, so records can prove it arrived.
  WriteOut(text + (scriptCode != 0 ? " script" + std::to_string(scriptCode) : ""), out, outSize);
}

void StubMetaphoneEncode(const char* word, char* out, int32_t outSize) {
  std::lock_guard<std::mutex> lock(hostMutex);
  auto code = Host().codes.find(word);
  WriteOut(code != Host().codes.end() ? code->second : "#" + std::string(word), out, outSize);
}

}  // namespace

StubHost& Host() {
  static StubHost host;
  return host;
}

void* TestLookup(const char* serviceName) {
  const std::string name = serviceName;
  if (Host().missingServices.count(name) != 0) return nullptr;
  if (name == "GetLogger") return reinterpret_cast<void*>(&StubGetLogger);
  if (name == "QueryParameter") return reinterpret_cast<void*>(&StubQueryParameter);
  const plugin::RecordServices services = StubServices();
  if (name == "GetTokenInfo") return reinterpret_cast<void*>(services.getTokenInfo);
  if (name == "TransliterateText") return reinterpret_cast<void*>(services.transliterateText);
  if (name == "MetaphoneEncode") return reinterpret_cast<void*>(services.metaphoneEncode);
  return nullptr;
}

plugin::RecordServices StubServices() {
  return {&StubGetTokenInfo, &StubTransliterateText, &StubMetaphoneEncode};
}

const PluginLibrary& Plugin() {
  static const PluginLibrary library = [] {
    PluginLibrary loaded;
    loaded.path = ZEB_TEST_PLUGIN_PATH;
    std::string error;
    void* handle = cmn::loadLibrary(loaded.path, error);
    if (handle == nullptr) throw std::runtime_error("cannot load " + loaded.path + ": " + error);
    auto entry = [handle](const char* name) { return cmn::librarySymbol(handle, name); };
    loaded.initPlugin = reinterpret_cast<InitPluginFunction>(entry("initPlugin"));
    loaded.runDQM = reinterpret_cast<RunDQMFunction>(entry("runDQM"));
    loaded.getVersion = reinterpret_cast<GetVersionFunction>(entry("getVersion"));
    loaded.closePlugin = reinterpret_cast<ClosePluginFunction>(entry("closePlugin"));
    if (!loaded.initPlugin || !loaded.runDQM || !loaded.getVersion || !loaded.closePlugin) {
      throw std::runtime_error("an entry point is missing from " + loaded.path);
    }
    return loaded;
  }();
  return library;
}

std::string RecordDocument(const std::vector<std::pair<std::string, std::string>>& elements) {
  std::string text = "<STD_BOM><OBS_FEAT>";
  for (const auto& [code, value] : elements) {
    text += "<OBS_FELEM><FELEM_CODE>" + code + "</FELEM_CODE><FELEM_VALUE>" + value +
            "</FELEM_VALUE></OBS_FELEM>";
  }
  return text + "</OBS_FEAT></STD_BOM>";
}

}  // namespace plugin_test
