// The plug-in tests' host.
#include "test_host.h"

#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include "logging/logger.h"

namespace plugin_test {
namespace {

// Copies `text` into the host-side buffer the way a well-behaved host does, or
// fills every byte without a terminator when the test asks for a careless host.
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
  StubHost& host = Host();
  std::lock_guard<std::mutex> lock(host.mutex);
  if (host.recordCalls) host.queries.push_back(std::string(section) + "/" + key);
  return host.supportPath;
}

unsigned char StubGetTokenInfo(const char* category, const char* token, TokenInfo* info) {
  StubHost& host = Host();
  std::lock_guard<std::mutex> lock(host.mutex);
  if (host.recordCalls) host.tokenQueries.push_back(std::string(category) + "|" + token);
  auto answer = host.tokens.find(token);
  if (answer == host.tokens.end()) {
    info->standardForm = "garbage the plug-in must not use";
    info->score = 0;
    return 0;
  }
  info->standardForm =
      answer->second.nullStandardForm ? nullptr : answer->second.standardForm.c_str();
  info->score = answer->second.score;
  return answer->second.known;
}

void StubTransliterateText(const char* text, char* out, int32_t outSize, int32_t reserved,
                           int32_t scriptCode) {
  StubHost& host = Host();
  std::lock_guard<std::mutex> lock(host.mutex);
  if (host.recordCalls) {
    host.transliterated.push_back(std::string(text) + "|" + std::to_string(scriptCode));
  }
  // A script shows in the result as an extra word, so records can prove it arrived.
  std::string result = host.transliteration.empty() ? std::string(text) : host.transliteration;
  if (scriptCode != 0) result += " script" + std::to_string(scriptCode);
  WriteOut(result, out, outSize);
}

void StubMetaphoneEncode(const char* word, char* out, int32_t outSize) {
  StubHost& host = Host();
  std::lock_guard<std::mutex> lock(host.mutex);
  if (host.recordCalls) host.encoded.push_back(word);
  auto code = host.codes.find(word);
  WriteOut(code != host.codes.end() ? code->second : "#" + std::string(word), out, outSize);
}

}  // namespace

void StubHost::Reset() {
  std::lock_guard<std::mutex> lock(mutex);
  missingServices.clear();
  nullLogger = false;
  supportPath = nullptr;
  tokens.clear();
  codes.clear();
  transliteration.clear();
  fillWholeBuffers = false;
  recordCalls = true;
  queries.clear();
  transliterated.clear();
  tokenQueries.clear();
  encoded.clear();
}

StubHost& Host() {
  static StubHost host;
  return host;
}

void* TestLookup(const char* serviceName) {
  const std::string name = serviceName;
  if (Host().missingServices.count(name) != 0) return nullptr;
  if (name == "GetLogger") return reinterpret_cast<void*>(&StubGetLogger);
  if (name == "QueryParameter") return reinterpret_cast<void*>(&StubQueryParameter);
  if (name == "GetTokenInfo") return reinterpret_cast<void*>(&StubGetTokenInfo);
  if (name == "TransliterateText") return reinterpret_cast<void*>(&StubTransliterateText);
  if (name == "MetaphoneEncode") return reinterpret_cast<void*>(&StubMetaphoneEncode);
  return nullptr;
}

plugin::RecordServices StubServices() {
  plugin::RecordServices services;
  services.getTokenInfo = &StubGetTokenInfo;
  services.transliterateText = &StubTransliterateText;
  services.metaphoneEncode = &StubMetaphoneEncode;
  return services;
}

TempDirectory::TempDirectory() {
  static std::atomic<int> counter{0};
  path_ = std::filesystem::temp_directory_path() /
          ("zeb_plugin_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
  // A directory a suite keeps to the end of its process outlives it; a later process
  // with the same id must not find its files.
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
  std::filesystem::create_directories(path_);
}

TempDirectory::~TempDirectory() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void TempDirectory::WriteConfiguration(const std::string& content) const {
  std::ofstream out(path_ / "addressParserMetaData.xml", std::ios::binary);
  out << content;
}

const PluginLibrary& Plugin() {
  static const PluginLibrary library = [] {
    PluginLibrary loaded;
    const char* buildDir = std::getenv("ZEB_BUILD_DIR");
    if (buildDir == nullptr) throw std::runtime_error("ZEB_BUILD_DIR is not set");
    loaded.path = std::string(buildDir) + "/lib/libzebConfigParseAddr.so";
    void* handle = dlopen(loaded.path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) throw std::runtime_error(std::string("dlopen failed: ") + dlerror());
    loaded.initPlugin = reinterpret_cast<InitPluginFunction>(dlsym(handle, "initPlugin"));
    loaded.runDQM = reinterpret_cast<RunDQMFunction>(dlsym(handle, "runDQM"));
    loaded.getVersion = reinterpret_cast<GetVersionFunction>(dlsym(handle, "getVersion"));
    loaded.closePlugin = reinterpret_cast<ClosePluginFunction>(dlsym(handle, "closePlugin"));
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
