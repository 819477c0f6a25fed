// "zebparse run": batch processing of records through the plug-in, loaded with
// dlopen like any host would load it. Records are processed on several threads and
// written in input order; a record that fails gets an error line of its own and the
// run goes on. Tested end to end by tests/tools/zebparse_test.cc.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "host/host_context.h"
#include "host/plugin_library.h"
#include "tools/zebparse/batch_pipeline.h"
#include "tools/zebparse/command_line.h"
#include "tools/zebparse/commands.h"
#include "tools/zebparse/csv_input.h"
#include "tools/zebparse/record_formats.h"

namespace zebparse {
namespace {

constexpr const char* kRunUsage =
    "usage: zebparse run [--support-dir DIR] [--format xml|jsonl|csv] [--threads N]\n"
    "                    [--result-size BYTES] [--plugin PATH] [--log-config FILE]\n"
    "                    [--params INI] [--no-progress] [INPUT [OUTPUT]]\n"
    "\n"
    "Runs every record of INPUT through the plug-in and writes one result per record\n"
    "to OUTPUT, in input order. INPUT and OUTPUT are files or - (the defaults:\n"
    "standard input and standard output).\n"
    "\n"
    "  --format xml      one record document per line; the output line is the result\n"
    "                    document (default)\n"
    "  --format jsonl    one JSON object of element codes and values per line; the\n"
    "                    output object adds every element of the result\n"
    "  --format csv      RFC 4180 with a header row of element codes; the output adds\n"
    "                    the result columns and ERROR\n"
    "  --support-dir DIR support directory answered for PIPELINE/SUPPORTPATH\n"
    "                    (default: the bundled one)\n"
    "  --threads N       worker threads (default: the number of cores)\n"
    "  --result-size B   result buffer given to runDQM (default 1048576)\n"
    "  --plugin PATH     the plug-in library (default: ../lib next to zebparse)\n"
    "  --log-config FILE logger configuration file, watched for changes\n"
    "  --params INI      more host parameters: [SECTION] and KEY=VALUE lines\n"
    "  --no-progress     no progress line on a terminal\n"
    "\n"
    "Exit status: 0 every record succeeded, 1 some failed, 2 usage error or the\n"
    "plug-in did not start.\n";

constexpr size_t kBatchRecords = 256;
constexpr uint32_t kDefaultResultSize = 1u << 20;
constexpr uint32_t kMinimumResultSize = 128;  // the plug-in's error document must fit

struct RunSettings {
  Format format = Format::kXml;
  unsigned threads = 1;
  uint32_t resultSize = kDefaultResultSize;
  bool progress = true;
};

bool parseNumber(const std::string& text, uint64_t maximum, uint64_t& value) {
  if (text.empty() || text.size() > 19) return false;
  if (!std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return false;
  }
  value = std::stoull(text);
  return value <= maximum;
}

// The outcome of one record document through runDQM.
struct DocumentOutcome {
  std::string text;     // what runDQM left in the buffer, or our error document
  std::string failure;  // empty on success
  bool threw = false;
};

// Messages go on one line of their own: the error document and the report on
// standard error are both line-based.
std::string oneLine(std::string message) {
  for (char& c : message) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  while (!message.empty() && message.back() == ' ') message.pop_back();
  return message;
}

// `recycled` lends its memory to the outcome's text (a record's earlier output).
DocumentOutcome runDocument(zeb::PluginLibrary& plugin, const std::string& document,
                            uint32_t resultSize, std::vector<char>& buffer,
                            std::string recycled = {}) {
  DocumentOutcome outcome;
  outcome.text = std::move(recycled);
  outcome.text.clear();
  if (buffer.size() != resultSize) buffer.assign(resultSize, '\0');
  buffer[0] = '\0';
  zeb::PluginLibrary::RunResult run = plugin.run(document.c_str(), buffer.data(), resultSize);
  if (run.threw) {
    outcome.threw = true;
    outcome.failure = oneLine(run.error);
    outcome.text = errorDocument(outcome.failure);
    return outcome;
  }
  outcome.text.assign(buffer.data(), strnlen(buffer.data(), buffer.size()));
  if (run.status != 0) {
    ResultDocument result;
    std::string ignored;
    outcome.failure = "runDQM returned " + std::to_string(run.status);
    if (readResultDocument(outcome.text, result, ignored) && result.hasError) {
      outcome.failure += ": " + oneLine(result.error);
    }
  }
  return outcome;
}

class RecordProcessor {
 public:
  RecordProcessor(zeb::PluginLibrary& plugin, const RunSettings& settings)
      : plugin_(plugin), settings_(settings) {}

  std::vector<std::string> csvHeader;
  std::vector<std::string> csvOutputColumns;

  void process(Record& record, std::vector<char>& buffer) {
    switch (settings_.format) {
      case Format::kXml: processXml(record, buffer); break;
      case Format::kJsonl: processJson(record, buffer); break;
      case Format::kCsv: processCsv(record, buffer); break;
    }
  }

 private:
  void processXml(Record& record, std::vector<char>& buffer) {
    DocumentOutcome outcome = runDocument(plugin_, record.text, settings_.resultSize, buffer,
                                          std::move(record.output));
    record.output = std::move(outcome.text);
    record.failure = std::move(outcome.failure);
  }

  // Runs the elements and reads the result back; fills `failure` on any problem.
  bool runElements(const std::vector<Element>& elements, std::vector<char>& buffer,
                   ResultDocument& result, std::string& failure) {
    std::string document;
    if (!buildRecordDocument(elements, document, failure)) return false;
    DocumentOutcome outcome = runDocument(plugin_, document, settings_.resultSize, buffer);
    if (outcome.threw) {
      failure = outcome.failure;
      return false;
    }
    std::string problem;
    if (!readResultDocument(outcome.text, result, problem)) {
      failure = outcome.failure.empty() ? problem : outcome.failure;
      return false;
    }
    failure = outcome.failure;
    return failure.empty();
  }

  void processJson(Record& record, std::vector<char>& buffer) {
    Json input;
    std::vector<Element> elements;
    if (!jsonRecord(record.text, input, elements, record.failure)) {
      record.output = jsonOutput(input.is_object() ? &input : nullptr, nullptr, &record.failure);
      return;
    }
    ResultDocument result;
    bool succeeded = runElements(elements, buffer, result, record.failure);
    bool haveResult = succeeded || !result.elements.empty() || result.hasError;
    record.output = jsonOutput(&input, haveResult ? &result : nullptr,
                               succeeded ? nullptr : &record.failure);
  }

  void processCsv(Record& record, std::vector<char>& buffer) {
    std::vector<Element> elements;
    ResultDocument result;
    bool succeeded = csvRecord(csvHeader, record.cells, elements, record.failure) &&
                     runElements(elements, buffer, result, record.failure);
    record.output = csvLine(csvOutputRow(csvHeader, csvOutputColumns, record.cells,
                                         succeeded ? &result : nullptr,
                                         succeeded ? nullptr : &record.failure));
  }

  zeb::PluginLibrary& plugin_;
  const RunSettings& settings_;
};

// Counts and the progress line; touched only by the thread writing at the time,
// apart from the byte count the reader advances.
class Progress {
 public:
  Progress(bool show, int64_t inputBytes)
      : show_(show), inputBytes_(inputBytes), start_(std::chrono::steady_clock::now()) {}

  std::atomic<int64_t> bytesRead{0};
  uint64_t records = 0;
  uint64_t failures = 0;

  double seconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  }
  void update() {
    if (!show_) return;
    auto now = std::chrono::steady_clock::now();
    if (now - lastShown_ < std::chrono::milliseconds(250)) return;
    lastShown_ = now;
    double elapsed = seconds();
    char line[160];
    int length = std::snprintf(line, sizeof line, "\rzebparse: %llu records, %.0f/s",
                               static_cast<unsigned long long>(records),
                               elapsed > 0 ? static_cast<double>(records) / elapsed : 0.0);
    if (inputBytes_ > 0 && length > 0 && static_cast<size_t>(length) < sizeof line) {
      std::snprintf(line + length, sizeof line - static_cast<size_t>(length), ", %.0f%%",
                    100.0 * static_cast<double>(bytesRead.load()) /
                        static_cast<double>(inputBytes_));
    }
    std::fputs(line, stderr);
    std::fflush(stderr);
    shown_ = true;
  }
  void clear() {
    if (shown_) std::fputs("\r\033[K", stderr);
  }

 private:
  bool show_;
  int64_t inputBytes_;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point lastShown_{};
  bool shown_ = false;
};

// A byte-order mark at the start of the input is no part of the first record.
void dropByteOrderMark(std::string& line, uint64_t lineNumber) {
  if (lineNumber == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
}

bool isBlank(const std::string& line) {
  return line.find_first_not_of(" \t\r\n") == std::string::npos;
}

// Reads xml or jsonl input: one record per non-blank line. A partial batch is handed
// over as soon as no more input is buffered, so that a slow stream (a pipe fed line
// by line) sees its results without waiting for a full batch.
//
// The batches to fill were written before: a line is swapped into a record's text,
// so each string keeps its memory from batch to batch and steady streaming
// allocates nothing per record.
class LineReader {
 public:
  LineReader(std::istream& in, Progress& progress) : in_(in), progress_(progress) {}

  bool read(std::vector<Record>& batch) {
    size_t used = 0;
    bool more = true;
    while (used < kBatchRecords && (used == 0 || in_.rdbuf()->in_avail() > 0)) {
      if (!std::getline(in_, line_)) {
        more = false;
        break;
      }
      ++lineNumber_;
      progress_.bytesRead += static_cast<int64_t>(line_.size() + 1);
      dropByteOrderMark(line_, lineNumber_);
      if (!line_.empty() && line_.back() == '\r') line_.pop_back();
      if (isBlank(line_)) continue;
      if (used == batch.size()) batch.emplace_back();
      Record& record = batch[used++];
      record.line = lineNumber_;
      record.text.swap(line_);
    }
    batch.resize(used);
    return more;
  }

 private:
  std::istream& in_;
  Progress& progress_;
  std::string line_;
  uint64_t lineNumber_ = 0;
};

// Reads CSV input. The first record is the header; it goes to `onHeader`, which
// runs before any record is read into a batch and so before any is written.
class CsvReader {
 public:
  using HeaderFunction = std::function<void(const std::vector<std::string>& header)>;

  CsvReader(std::istream& in, Progress& progress, HeaderFunction onHeader)
      : in_(in), progress_(progress), onHeader_(std::move(onHeader)) {}
  CsvReader(const CsvReader&) = delete;
  CsvReader& operator=(const CsvReader&) = delete;

  bool read(std::vector<Record>& batch) {
    batch.clear();
    for (;;) {
      if (!batch.empty() && (batch.size() >= kBatchRecords || in_.rdbuf()->in_avail() <= 0)) {
        return true;
      }
      if (!std::getline(in_, line_)) {
        csv_.finish();
        drain(batch);
        return false;
      }
      ++lineNumber_;
      progress_.bytesRead += static_cast<int64_t>(line_.size() + 1);
      dropByteOrderMark(line_, lineNumber_);
      line_ += '\n';
      csv_.feed(line_, lineNumber_);
      drain(batch);
    }
  }

 private:
  void drain(std::vector<Record>& batch) {
    for (CsvRecord& read : csv_.records()) {
      if (!haveHeader_) {
        onHeader_(read.cells);
        haveHeader_ = true;
        continue;
      }
      Record record;
      record.line = read.line;
      record.cells = std::move(read.cells);
      batch.push_back(std::move(record));
    }
    csv_.records().clear();
  }

  std::istream& in_;
  Progress& progress_;
  HeaderFunction onHeader_;
  CsvInput csv_;
  bool haveHeader_ = false;
  std::string line_;
  uint64_t lineNumber_ = 0;
};

}  // namespace

int runCommand(int argc, char** argv) {
  Arguments args;
  std::string error;
  if (!parseArguments(argc, argv, 2,
                      {"--support-dir", "--format", "--threads", "--result-size", "--plugin",
                       "--log-config", "--params"},
                      {"--no-progress", "--help"}, args, error)) {
    std::cerr << "zebparse run: " << error << "\n" << kRunUsage;
    return kExitUsage;
  }
  if (args.flags.count("--help") != 0) {
    std::cout << kRunUsage;
    return kExitOk;
  }
  auto usage = [](const std::string& message) {
    std::cerr << "zebparse run: " << message << "\n" << kRunUsage;
    return kExitUsage;
  };
  if (args.positional.size() > 2) return usage("too many arguments");

  RunSettings settings;
  settings.threads = std::max(1u, std::thread::hardware_concurrency());
  if (auto found = args.values.find("--format"); found != args.values.end()) {
    if (found->second == "xml") {
      settings.format = Format::kXml;
    } else if (found->second == "jsonl") {
      settings.format = Format::kJsonl;
    } else if (found->second == "csv") {
      settings.format = Format::kCsv;
    } else {
      return usage("unknown format [" + found->second + "]; use xml, jsonl or csv");
    }
  }
  if (auto found = args.values.find("--threads"); found != args.values.end()) {
    uint64_t threads = 0;
    if (!parseNumber(found->second, 1024, threads) || threads == 0) {
      return usage("--threads needs a number from 1 to 1024, got [" + found->second + "]");
    }
    settings.threads = static_cast<unsigned>(threads);
  }
  if (auto found = args.values.find("--result-size"); found != args.values.end()) {
    uint64_t size = 0;
    if (!parseNumber(found->second, 1u << 30, size) || size < kMinimumResultSize) {
      return usage("--result-size needs a number of bytes from " +
                   std::to_string(kMinimumResultSize) + " to 1073741824, got [" +
                   found->second + "]");
    }
    settings.resultSize = static_cast<uint32_t>(size);
  }
  settings.progress = args.flags.count("--no-progress") == 0 && isatty(STDERR_FILENO) != 0;

  std::string inputName = args.positional.size() > 0 ? args.positional[0] : "-";
  std::string outputName = args.positional.size() > 1 ? args.positional[1] : "-";

  // Host start-up: parameters, logger, token data; then the plug-in.
  zeb::HostContext& host = zeb::HostContext::instance();
  if (auto found = args.values.find("--params"); found != args.values.end()) {
    if (!host.parameters().loadIni(found->second, error)) return usage(error);
  }
  zeb::HostSettings hostSettings;
  hostSettings.name = "zebparse";
  if (auto found = args.values.find("--support-dir"); found != args.values.end()) {
    host.parameters().set("PIPELINE", "SUPPORTPATH", found->second);
  }
  hostSettings.supportDir = defaultSupportDirectory();
  if (auto found = args.values.find("--log-config"); found != args.values.end()) {
    hostSettings.logConfigFile = found->second;
  }
  std::vector<std::string> problems;
  bool hostReady = host.start(hostSettings, problems);
  for (const std::string& problem : problems) std::cerr << "zebparse: " << problem << "\n";
  if (!hostReady) return kExitUsage;

  std::string pluginPath = args.values.count("--plugin") != 0 ? args.values["--plugin"]
                                                              : defaultPluginPath();
  std::unique_ptr<zeb::PluginLibrary> plugin = zeb::PluginLibrary::open(pluginPath, error);
  if (!plugin) {
    std::cerr << "zebparse: " << error << "\n";
    return kExitUsage;
  }
  if (!plugin->init(&zebHostLookup, error)) {
    std::cerr << "zebparse: initPlugin failed: " << error << "\n";
    return kExitUsage;
  }

  // Input and output. Opened after the plug-in started, so that a failed start
  // leaves no output file behind. The input file gets a large buffer: a partial
  // batch goes out whenever the buffer runs dry (see LineReader), and a small one
  // would cut a file into batches of a few records.
  std::vector<char> inputBuffer(1 << 20);
  std::ifstream inputFile;
  inputFile.rdbuf()->pubsetbuf(inputBuffer.data(),
                               static_cast<std::streamsize>(inputBuffer.size()));
  std::istream* in = &std::cin;
  int64_t inputBytes = -1;
  if (inputName != "-") {
    inputFile.open(inputName, std::ios::binary);
    if (!inputFile) {
      std::cerr << "zebparse: cannot open input [" << inputName << "]: " << std::strerror(errno)
                << "\n";
      plugin->close();
      return kExitUsage;
    }
    in = &inputFile;
    struct stat status {};
    if (::stat(inputName.c_str(), &status) == 0 && S_ISREG(status.st_mode)) {
      inputBytes = status.st_size;
    }
  }
  std::ofstream outputFile;
  std::ostream* out = &std::cout;
  if (outputName != "-") {
    outputFile.open(outputName, std::ios::binary | std::ios::trunc);
    if (!outputFile) {
      std::cerr << "zebparse: cannot open output [" << outputName
                << "]: " << std::strerror(errno) << "\n";
      plugin->close();
      return kExitUsage;
    }
    out = &outputFile;
  }

  Progress progress(settings.progress, inputBytes);
  RecordProcessor processor(*plugin, settings);
  // A batch's lines go to the stream in large pieces: the stream writes any piece
  // of 1 KiB or more with a system call of its own, and most result lines are
  // longer than that. The output is flushed whenever the writer has caught up, so a
  // stream fed line by line sees each result at once.
  constexpr size_t kOutputPiece = 1 << 20;
  std::string pending;
  auto write = [&](std::vector<Record>& batch, bool idle) {
    for (Record& record : batch) {
      pending += record.output;
      pending += '\n';
      if (pending.size() >= kOutputPiece) {
        out->write(pending.data(), static_cast<std::streamsize>(pending.size()));
        pending.clear();
      }
      ++progress.records;
      if (!record.failure.empty()) {
        ++progress.failures;
        progress.clear();
        std::cerr << "zebparse: line " << record.line << ": " << record.failure << "\n";
      }
    }
    out->write(pending.data(), static_cast<std::streamsize>(pending.size()));
    pending.clear();
    if (idle) out->flush();
    progress.update();
  };
  auto process = [&](Record& record, std::vector<char>& scratch) {
    processor.process(record, scratch);
  };
  size_t window = 2 * static_cast<size_t>(settings.threads) + 2;
  if (settings.format == Format::kCsv) {
    CsvReader reader(*in, progress, [&](const std::vector<std::string>& header) {
      processor.csvHeader = header;
      processor.csvOutputColumns = csvOutputHeader(header);
      *out << csvLine(processor.csvOutputColumns) << '\n';
    });
    BatchPipeline(
        window, [&](std::vector<Record>& batch) { return reader.read(batch); }, process, write)
        .run(settings.threads);
  } else {
    LineReader reader(*in, progress);
    BatchPipeline(
        window, [&](std::vector<Record>& batch) { return reader.read(batch); }, process, write)
        .run(settings.threads);
  }
  out->flush();
  bool outputFailed = !*out;
  bool inputFailed = in->bad();
  plugin->close();

  progress.clear();
  double seconds = progress.seconds();
  char summary[200];
  std::snprintf(summary, sizeof summary, "zebparse: %llu records, %llu failed, %.0f records/s\n",
                static_cast<unsigned long long>(progress.records),
                static_cast<unsigned long long>(progress.failures),
                seconds > 0 ? static_cast<double>(progress.records) / seconds : 0.0);
  std::cerr << summary;
  if (inputFailed) {
    std::cerr << "zebparse: error reading input [" << inputName << "]\n";
    return kExitUsage;
  }
  if (outputFailed) {
    std::cerr << "zebparse: error writing output [" << outputName << "]\n";
    return kExitUsage;
  }
  return progress.failures == 0 ? kExitOk : kExitRecordsFailed;
}

}  // namespace zebparse
