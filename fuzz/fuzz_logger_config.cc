// Fuzzes the logger's configuration text. Writers come from a factory that makes
// writers with no output, so the search stays on the parsing and the replacement.
#include <cstdint>
#include <memory>
#include <string>

#include "logcore/log_message.h"
#include "logging/log_writer.h"
#include "logging/logger.h"

namespace {

class NullWriter : public CLogWriter {
 public:
  void open(const Uri&) override {}
  void write(const std::string&, const std::string&, const std::string&,
             const LogMessage&) override {}
  void close() override {}
};

class NullWriterFactory : public CLogWriterFactory {
 public:
  std::unique_ptr<CLogWriter> create() override { return std::make_unique<NullWriter>(); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 16384) return 0;  // configuration texts are a few lines
  static NullWriterFactory factory;
  static Logger* logger = [] {
    auto* made = new Logger;
    const char* names[] = {"CRIT", "ERR", "WARN", "INFO", "DBUG"};
    const uint32_t values[] = {1, 2, 4, 16, 64};
    for (int i = 0; i < 5; ++i) {
      made->levelNames[values[i]] = names[i];
      made->levelValues[names[i]] = values[i];
    }
    made->factories["console"] = &factory;
    made->factories["file"] = &factory;
    made->name = "fuzz";
    return made;
  }();
  logger->loadConfig(std::string(reinterpret_cast<const char*>(data), size));
  LogMessage message;
  message.reset("fuzz", 2).appendFormatted("%s", "a message");
  logger->log(message);
  return 0;
}
