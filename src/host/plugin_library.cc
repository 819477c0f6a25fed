// Tested by tests/host/host_services_test.cc.
#include "host/plugin_library.h"

#include <cstring>
#include <exception>
#include <vector>

#include "common/os.h"
#include "errors/tarn_exception.h"

namespace zeb {
namespace {

template <typename Function>
bool resolve(void* handle, const char* name, Function& out, std::string& error,
             const std::string& path) {
  void* symbol = cmn::librarySymbol(handle, name);
  if (symbol == nullptr) {
    error = "plug-in [" + path + "] has no entry point " + name;
    return false;
  }
  out = reinterpret_cast<Function>(symbol);
  return true;
}

// Runs `call`, turning whatever it throws into text.
template <typename Call>
bool guarded(Call&& call, std::string& error) {
  try {
    call();
    return true;
  } catch (const Tarn_Exception& e) {
    error = e.what();
  } catch (const std::exception& e) {
    error = e.what();
  } catch (...) {
    error = "unknown exception";
  }
  if (error.empty()) error = "exception without a message";
  return false;
}

}  // namespace

std::unique_ptr<PluginLibrary> PluginLibrary::open(const std::string& path, std::string& error) {
  std::string reason;
  void* handle = cmn::loadLibrary(path, reason);
  if (handle == nullptr) {
    error = "cannot load plug-in [" + path + "]: " + reason;
    return nullptr;
  }
  std::unique_ptr<PluginLibrary> library(new PluginLibrary());
  library->handle_ = handle;
  library->path_ = path;
  if (!resolve(handle, "initPlugin", library->init_, error, path) ||
      !resolve(handle, "runDQM", library->run_, error, path) ||
      !resolve(handle, "getVersion", library->version_, error, path) ||
      !resolve(handle, "closePlugin", library->close_, error, path)) {
    return nullptr;
  }
  return library;
}

PluginLibrary::~PluginLibrary() {
  if (handle_ != nullptr) cmn::unloadLibrary(handle_);
}

bool PluginLibrary::init(LookupFunction lookup, std::string& error) {
  std::vector<char> message(4096, '\0');
  int32_t status = 0;
  if (!guarded(
          [&] {
            status = init_(nullptr, nullptr, message.data(), static_cast<uint32_t>(message.size()),
                           lookup);
          },
          error)) {
    return false;
  }
  if (status == 0) return true;
  // The plug-in does not terminate a message that fills the whole buffer.
  error.assign(message.data(), strnlen(message.data(), message.size()));
  if (error.empty()) error = "initPlugin failed with status " + std::to_string(status);
  return false;
}

PluginLibrary::RunResult PluginLibrary::run(const char* document, char* buffer,
                                            uint32_t bufferSize) {
  RunResult result;
  result.threw =
      !guarded([&] { result.status = run_(document, nullptr, buffer, bufferSize); }, result.error);
  return result;
}

std::string PluginLibrary::version() {
  const char* text = version_();
  return text != nullptr ? text : "";
}

int32_t PluginLibrary::close() {
  int32_t status = 0;
  std::string ignored;
  guarded([&] { status = close_(); }, ignored);
  return status;
}

}  // namespace zeb
