// Fuzzes writer URIs.
#include <cstdint>
#include <string>

#include "logging/uri.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;  // a URI of a configuration line
  Uri uri(std::string(reinterpret_cast<const char*>(data), size));
  Uri copy = uri;
  return copy.params.size() > 1000000 ? 1 : 0;
}
