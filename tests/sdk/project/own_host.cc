// A host of its own: the host kit's services, the plug-in loaded by path, one record.
#include <iostream>
#include <string>
#include <vector>

#include "host/host_context.h"
#include "host/plugin_library.h"

int main() {
  zeb::HostContext& host = zeb::HostContext::instance();
  host.parameters().set("PIPELINE", "SUPPORTPATH", SUPPORT_DIR);
  std::vector<std::string> problems;
  std::string error;
  auto plugin = zeb::PluginLibrary::open(PLUGIN, error);
  if (!host.start({}, problems) || !plugin || !plugin->init(&zebHostLookup, error)) {
    std::cerr << "not started: " << error << "\n";
    return 1;
  }
  std::vector<char> buffer(1 << 16);
  auto run = plugin->run(
      "<STD_BOM><OBS_FEAT><OBS_FELEM><FELEM_CODE>ADDR1</FELEM_CODE>"
      "<FELEM_VALUE>12 Elm St</FELEM_VALUE></OBS_FELEM></OBS_FEAT></STD_BOM>",
      buffer.data(), static_cast<uint32_t>(buffer.size()));
  std::cout << (run.threw ? run.error : std::string(buffer.data())) << "\n";
  return plugin->close();
}
