// Messages per second through the Logger into a file writer: the cost of one
// logged line, time stamp, source label, the writer's lock and the file write
// included. One thread, one line per message, a file in the temporary directory.
//
//   cmake --build build --target log_file_bench && build/bench/log_file_bench
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "logging/logger.h"
#include "logging/writers.h"

namespace {

void BM_FileWriterMessage(benchmark::State& state) {
  std::string directory = (std::filesystem::temp_directory_path() / "zeblog-bench-XXXXXX").string();
  if (::mkdtemp(directory.data()) == nullptr) {
    state.SkipWithError("no temporary directory");
    return;
  }
  Logger logger;
  logger.levelNames[kLevelError] = "ERR";
  logger.levelValues["ERR"] = kLevelError;
  logger.factories["file"] = &fileWriterFactory();
  logger.name = "bench";
  if (!logger.loadConfig("file://" + directory + "/app.log *.ERR")) {
    state.SkipWithError("configuration not loaded");
    return;
  }
  LogMessage message;
  for (auto _ : state) {
    message.reset("worker", kLevelError);
    message.lines.push_back("record 4711: no street name found in [12 Main St Apt 4]");
    logger.log(message);
  }
  state.SetItemsProcessed(state.iterations());
  logger.clear();
  std::filesystem::remove_all(directory);
}
BENCHMARK(BM_FileWriterMessage)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
