// The four functions the host resolves by name. Each only turns the outcome of one
// C++ call into the boundary's return code and buffer contents.
//
// Exceptions are deliberately NOT caught here: a Tarn_Exception from a malformed
// record or configuration document, or from a rule whose condition does not
// compile, leaves the entry point towards the host, which catches it (as
// Tarn_Exception or std::exception). The host is C++ and built for this.
#include "plugin/export.h"
#include "plugin/host_services.h"
#include "plugin/plugin_state.h"
#include "plugin/record_processing.h"
#include "plugin/result_buffer.h"

extern "C" {

ZEB_EXPORT int32_t initPlugin(void* /*reserved1*/, void* /*reserved2*/, char* errorBuffer,
                              uint32_t errorBufferSize, LookupFunction lookup) {
  std::string message;
  int32_t status = plugin::InitializePlugin(lookup, message);
  if (status != plugin::kInitOk) {
    plugin::CopyBoundedMessage(message, errorBuffer, errorBufferSize);
  }
  return status;
}

ZEB_EXPORT int32_t runDQM(const char* inputDocument, void* /*reserved*/, char* resultBuffer,
                          uint32_t resultBufferSize) {
  std::string document;
  const char* problem = plugin::ProcessRecord(inputDocument, plugin::InstalledParser(),
                                              plugin::InstalledServices(), document);
  if (problem != nullptr) {
    return plugin::WriteErrorDocument(problem, resultBuffer, resultBufferSize);
  }
  return plugin::CopyResultDocument(document, resultBuffer, resultBufferSize);
}

ZEB_EXPORT const char* getVersion(void) { return plugin::kPluginVersion; }

ZEB_EXPORT int32_t closePlugin(void) {
  plugin::ClosePlugin();
  return 0;
}

}  // extern "C"
