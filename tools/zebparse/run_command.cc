// "zebparse run": batch processing of records through the plug-in, loaded with
// dlopen like any host would load it. Records are processed on several threads and
// written in input order; a record that fails gets an error line of its own and the
// run goes on. Tested end to end by tests/tools/zebparse_test.cc.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "common/terminal_text.h"
#include "host/host_context.h"
#include "host/plugin_library.h"
#include "tools/zebparse/batch_pipeline.h"
#include "tools/zebparse/command_line.h"
#include "tools/zebparse/commands.h"
#include "tools/zebparse/record_formats.h"
#include "tools/zebparse/record_input.h"

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
    "                    the result columns and ERROR. Strict: a stray quote or a\n"
    "                    quoted field left open fails the record where it starts\n"
    "                    and reading goes on at the next line\n"
    "  --support-dir DIR support directory answered for PIPELINE/SUPPORTPATH\n"
    "                    (default: the bundled one)\n"
    "  --threads N       worker threads (default: the number of cores)\n"
    "  --result-size B   the largest result runDQM may return (default 1048576);\n"
    "                    buffers grow to it only as records need\n"
    "  --plugin PATH     the plug-in library (default: ../lib next to zebparse)\n"
    "  --log-config FILE logger configuration file, watched for changes\n"
    "  --params INI      more host parameters: [SECTION] and KEY=VALUE lines\n"
    "  --no-progress     no progress line on a terminal\n"
    "\n"
    "A record is at most 16 MiB (or --result-size, when larger); a JSON record at\n"
    "most 64 levels deep with at most 10000 keys per object; a CSV row at most 10000\n"
    "fields. A record beyond these fails on its own.\n"
    "\n"
    "Exit status: 0 every record succeeded, 1 some failed, 2 usage error or the\n"
    "plug-in did not start, 3 the input could not be read or the output could not\n"
    "be written (the run stops at the first failed write).\n";

constexpr size_t kBatchRecords = 256;
constexpr size_t kBatchBytes = 4u << 20;  // a batch of long records ends early
constexpr uint32_t kDefaultResultSize = 1u << 20;
constexpr uint32_t kMinimumResultSize = 128;  // the plug-in's error document must fit
// Result buffers start at this size (or twice the document) and grow only when a
// result does not fit; a thread keeps a buffer up to the second size for its next
// record and releases a larger one.
constexpr size_t kFirstResultSize = 64u << 10;
constexpr size_t kKeptResultSize = 4u << 20;

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
// The buffer holds what the record needs, not `resultSize` up front: it starts
// near the document's size and grows while runDQM answers -5, up to `resultSize`.
DocumentOutcome runDocument(zeb::PluginLibrary& plugin, const std::string& document,
                            uint32_t resultSize, std::vector<char>& buffer,
                            std::string recycled = {}) {
  DocumentOutcome outcome;
  outcome.text = std::move(recycled);
  outcome.text.clear();
  size_t size = std::max({kFirstResultSize, 2 * document.size(), buffer.size()});
  size = std::min<size_t>(size, resultSize);
  zeb::PluginLibrary::RunResult run;
  for (;;) {
    if (buffer.size() < size) {
      try {
        buffer.resize(size);
      } catch (const std::bad_alloc&) {
        outcome.failure = "cannot allocate " + std::to_string(size) + " bytes for the result";
        outcome.text = errorDocument(outcome.failure);
        return outcome;
      }
    }
    buffer[0] = '\0';
    run = plugin.run(document.c_str(), buffer.data(), static_cast<uint32_t>(size));
    if (run.threw || run.status != -5 || size >= resultSize) break;
    size = std::min<size_t>(4 * size, resultSize);
  }
  if (run.threw) {
    outcome.threw = true;
    outcome.failure = oneLine(run.error);
    outcome.text = errorDocument(outcome.failure);
  } else {
    outcome.text.assign(buffer.data(), strnlen(buffer.data(), size));
  }
  if (buffer.size() > kKeptResultSize) std::vector<char>().swap(buffer);
  if (!run.threw && run.status != 0) {
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

  // Every record gets its output line; a record the reader already found broken,
  // or one that cannot be processed (memory running out included), gets one that
  // carries the reason.
  void process(Record& record, std::vector<char>& buffer) {
    try {
      if (record.failure.empty()) {
        switch (settings_.format) {
          case Format::kXml:
            processXml(record, buffer);
            break;
          case Format::kJsonl:
            processJson(record, buffer);
            break;
          case Format::kCsv:
            processCsv(record, buffer);
            break;
        }
        return;
      }
    } catch (const std::bad_alloc&) {
      record.failure = "out of memory";
    } catch (const std::exception& e) {
      record.failure = oneLine(e.what());
    }
    try {
      failureOutput(record);
    } catch (const std::exception&) {
      record.output.clear();
    }
  }

 private:
  void failureOutput(Record& record) {
    switch (settings_.format) {
      case Format::kXml:
        record.output = errorDocument(record.failure);
        break;
      case Format::kJsonl:
        record.output = jsonOutput(Json(), nullptr, &record.failure);
        break;
      case Format::kCsv:
        record.output = csvLine(
            csvOutputRow(csvHeader, csvOutputColumns, record.cells, nullptr, &record.failure));
        break;
    }
  }

  void processXml(Record& record, std::vector<char>& buffer) {
    if (!refuseNul(record.text, record.failure)) {
      failureOutput(record);
      return;
    }
    DocumentOutcome outcome =
        runDocument(plugin_, record.text, settings_.resultSize, buffer, std::move(record.output));
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
      record.output = jsonOutput(std::move(input), nullptr, &record.failure);
      return;
    }
    ResultDocument result;
    bool succeeded = runElements(elements, buffer, result, record.failure);
    bool haveResult = succeeded || !result.elements.empty() || result.hasError;
    record.output = jsonOutput(std::move(input), haveResult ? &result : nullptr,
                               succeeded ? nullptr : &record.failure);
  }

  void processCsv(Record& record, std::vector<char>& buffer) {
    std::vector<Element> elements;
    ResultDocument result;
    bool succeeded = csvRecord(csvHeader, record.cells, elements, record.failure) &&
                     runElements(elements, buffer, result, record.failure);
    record.output =
        csvLine(csvOutputRow(csvHeader, csvOutputColumns, record.cells,
                             succeeded ? &result : nullptr, succeeded ? nullptr : &record.failure));
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
      std::snprintf(
          line + length, sizeof line - static_cast<size_t>(length), ", %.0f%%",
          100.0 * static_cast<double>(bytesRead.load()) / static_cast<double>(inputBytes_));
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

// The output, written with write(2) so that the first failure is seen at once and
// it is known which records reached the output whole.
class OutputSink {
 public:
  // `cutBack`: the output is a file of our own, which a failed write may leave
  // ending inside a record; it is cut back to the last whole one.
  OutputSink(int fd, bool cutBack) : fd_(fd), cutBack_(cutBack) {}

  void add(const std::string& line) {
    pending_ += line;
    pending_ += '\n';
    ends_.push_back(pending_.size());
  }
  size_t pendingBytes() const { return pending_.size(); }

  // Writes what was added; returns how many of the added lines went out whole.
  size_t flush() {
    size_t written = 0;
    while (written < pending_.size() && error_ == 0) {
      ssize_t n = ::write(fd_, pending_.data() + written, pending_.size() - written);
      if (n > 0) {
        written += static_cast<size_t>(n);
      } else if (n < 0 && errno == EINTR) {
        continue;
      } else {
        error_ = n < 0 ? errno : EIO;
      }
    }
    size_t lines =
        static_cast<size_t>(std::upper_bound(ends_.begin(), ends_.end(), written) - ends_.begin());
    uint64_t wholeEnd = offset_ + (lines > 0 ? ends_[lines - 1] : 0);
    offset_ += written;
    if (error_ != 0 && cutBack_ && wholeEnd < offset_) {
      if (::ftruncate(fd_, static_cast<off_t>(wholeEnd)) == 0) offset_ = wholeEnd;
    }
    pending_.clear();
    ends_.clear();
    return lines;
  }
  bool failed() const { return error_ != 0; }
  int error() const { return error_; }
  void fail(int error) { error_ = error; }

 private:
  int fd_;
  bool cutBack_;
  std::string pending_;
  std::vector<size_t> ends_;  // the end of each line in `pending_`
  uint64_t offset_ = 0;       // bytes written so far
  int error_ = 0;
};

// What the command line asked for.
struct RunOptions {
  Arguments args;  // host start-up reads --params, --support-dir and --log-config
  RunSettings settings;
  std::string inputName = "-";
  std::string outputName = "-";
};

int usageError(const std::string& message) {
  std::cerr << "zebparse run: " << message << "\n" << kRunUsage;
  return kExitUsage;
}

// Step 1: the options. Returns the exit status when the command ends here (--help
// or a usage error).
std::optional<int> parseRunOptions(int argc, char** argv, RunOptions& options) {
  Arguments& args = options.args;
  std::string error;
  if (!parseArguments(argc, argv, 2,
                      {"--support-dir", "--format", "--threads", "--result-size", "--plugin",
                       "--log-config", "--params"},
                      {"--no-progress", "--help"}, args, error)) {
    return usageError(error);
  }
  if (args.flags.count("--help") != 0) {
    std::cout << kRunUsage;
    return kExitOk;
  }
  if (args.positional.size() > 2) return usageError("too many arguments");

  RunSettings& settings = options.settings;
  settings.threads = std::max(1u, std::thread::hardware_concurrency());
  if (auto found = args.values.find("--format"); found != args.values.end()) {
    if (found->second == "xml") {
      settings.format = Format::kXml;
    } else if (found->second == "jsonl") {
      settings.format = Format::kJsonl;
    } else if (found->second == "csv") {
      settings.format = Format::kCsv;
    } else {
      return usageError("unknown format [" + found->second + "]; use xml, jsonl or csv");
    }
  }
  if (auto found = args.values.find("--threads"); found != args.values.end()) {
    uint64_t threads = 0;
    if (!parseNumber(found->second, 1024, threads) || threads == 0) {
      return usageError("--threads needs a number from 1 to 1024, got [" + found->second + "]");
    }
    settings.threads = static_cast<unsigned>(threads);
  }
  if (auto found = args.values.find("--result-size"); found != args.values.end()) {
    uint64_t size = 0;
    if (!parseNumber(found->second, 1u << 30, size) || size < kMinimumResultSize) {
      return usageError("--result-size needs a number of bytes from " +
                        std::to_string(kMinimumResultSize) + " to 1073741824, got [" +
                        found->second + "]");
    }
    settings.resultSize = static_cast<uint32_t>(size);
  }
  settings.progress = args.flags.count("--no-progress") == 0 && isatty(STDERR_FILENO) != 0;
  if (args.positional.size() > 0) options.inputName = args.positional[0];
  if (args.positional.size() > 1) options.outputName = args.positional[1];
  return std::nullopt;
}

// Step 2: host start-up (parameters, logger, token data), then the plug-in, loaded
// and initialised. Null when it did not start (reported).
std::unique_ptr<zeb::PluginLibrary> startPlugin(const RunOptions& options) {
  const Arguments& args = options.args;
  std::string error;
  zeb::HostContext& host = zeb::HostContext::instance();
  if (auto found = args.values.find("--params"); found != args.values.end()) {
    std::error_code ignored;
    if (std::filesystem::is_directory(found->second, ignored)) {
      usageError("--params [" + found->second + "] is a directory, not a parameter file");
      return nullptr;
    }
    if (!host.parameters().loadIni(found->second, error)) {
      usageError(error);
      return nullptr;
    }
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
  if (!hostReady) return nullptr;

  // An empty configuration loads, and then every record "succeeds" unparsed.
  if (const char* support = host.parameters().query("PIPELINE", "SUPPORTPATH");
      support != nullptr && *support != '\0') {
    std::string config = (std::filesystem::path(support) / "addressParserMetaData.xml").string();
    if (isBlankFile(config)) {
      std::cerr << "zebparse: configuration [" << config << "] is empty\n";
      return nullptr;
    }
  }

  auto path = args.values.find("--plugin");
  std::unique_ptr<zeb::PluginLibrary> plugin = zeb::PluginLibrary::open(
      path != args.values.end() ? path->second : defaultPluginPath(), error);
  if (!plugin) {
    std::cerr << "zebparse: " << error << "\n";
    return nullptr;
  }
  if (!plugin->init(&zebHostLookup, error)) {
    std::cerr << "zebparse: initPlugin failed: " << error << "\n";
    return nullptr;
  }
  return plugin;
}

// The input and output descriptors; standard input and output are never closed.
struct RunFiles {
  int inputFd = STDIN_FILENO;
  int64_t inputBytes = -1;  // the input file's size, -1 when it is no regular file
  int outputFd = STDOUT_FILENO;

  void closeInput() {
    if (inputFd != STDIN_FILENO) ::close(inputFd);
    inputFd = STDIN_FILENO;
  }
};

// Step 3: opens INPUT and OUTPUT. Runs after the plug-in started, so that a failed
// start leaves no output file behind. False when either does not open (reported).
bool openFiles(const RunOptions& options, RunFiles& files) {
  if (options.inputName != "-") {
    files.inputFd = ::open(options.inputName.c_str(), O_RDONLY | O_CLOEXEC);
    if (files.inputFd < 0) {
      std::cerr << "zebparse: cannot open input [" << options.inputName
                << "]: " << std::strerror(errno) << "\n";
      files.inputFd = STDIN_FILENO;
      return false;
    }
    struct stat status {};
    if (::fstat(files.inputFd, &status) == 0 && S_ISREG(status.st_mode)) {
      files.inputBytes = status.st_size;
    }
  }
  if (options.outputName != "-") {
    files.outputFd =
        ::open(options.outputName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (files.outputFd < 0) {
      std::cerr << "zebparse: cannot open output [" << options.outputName
                << "]: " << std::strerror(errno) << "\n";
      files.outputFd = STDOUT_FILENO;
      files.closeInput();
      return false;
    }
  }
  return true;
}

// How the records went through.
struct PipelineOutcome {
  bool headerBroken = false;  // the CSV header row failed: no record was run
  int writeError = 0;         // errno of the failed write (or close) of the output
  int readError = 0;          // errno of the failed read of the input
};

void reportFailure(Progress& progress, const Record& record) {
  progress.clear();
  std::cerr << "zebparse: line " << record.line << ": "
            << cmn::EscapeForTerminal(record.failure, kMessageMaxBytes) << "\n";
}

// The CSV header row comes before any record, and goes out before any result.
// False when it is broken (reported): then no record is run.
bool startCsv(CsvReader& rows, RecordProcessor& processor, OutputSink& sink, Progress& progress) {
  Record header;
  if (!rows.next(header)) return true;
  if (!header.failure.empty()) {
    header.failure = "header: " + header.failure;
    reportFailure(progress, header);
    return false;
  }
  processor.csvHeader = header.cells;
  processor.csvOutputColumns = csvOutputHeader(header.cells);
  sink.add(csvLine(processor.csvOutputColumns));
  sink.flush();
  return true;
}

// Step 4: every record through the plug-in and out, in input order; the output
// file is closed here, its close being the last write that may fail.
PipelineOutcome runPipeline(zeb::PluginLibrary& plugin, const RunOptions& options, RunFiles& files,
                            Progress& progress) {
  const RunSettings& settings = options.settings;
  PipelineOutcome outcome;
  OutputSink sink(files.outputFd, options.outputName != "-");
  InputSource input = InputSource::fromDescriptor(files.inputFd);
  size_t limit = recordLimit(settings.resultSize);
  LineReader lines(input, limit);
  CsvReader rows(input, limit);

  RecordProcessor processor(plugin, settings);
  auto report = [&](const Record& record) { reportFailure(progress, record); };
  if (settings.format == Format::kCsv) {
    outcome.headerBroken = !startCsv(rows, processor, sink, progress);
  }

  // A batch's lines go out in pieces of about a megabyte. Only records whose line
  // went out whole are counted and reported; at the first failed write the run
  // stops.
  constexpr size_t kOutputPiece = 1 << 20;
  auto write = [&](std::vector<Record>& batch, bool) {
    size_t counted = 0;
    auto count = [&](size_t written) {
      for (size_t end = counted + written; counted < end; ++counted) {
        ++progress.records;
        if (!batch[counted].failure.empty()) {
          ++progress.failures;
          report(batch[counted]);
        }
      }
    };
    for (Record& record : batch) {
      sink.add(record.output);
      if (sink.pendingBytes() >= kOutputPiece) count(sink.flush());
      if (sink.failed()) return false;
    }
    count(sink.flush());
    progress.update();
    return !sink.failed();
  };
  auto read = [&](std::vector<Record>& batch) {
    size_t used = 0;
    size_t bytes = 0;
    bool more = true;
    while (used < kBatchRecords && bytes < kBatchBytes && (used == 0 || input.buffered())) {
      if (used == batch.size()) batch.emplace_back();
      Record& record = batch[used];
      if (!(settings.format == Format::kCsv ? rows.next(record) : lines.next(record))) {
        more = false;
        break;
      }
      ++used;
      bytes += record.text.size();
      for (const std::string& cell : record.cells) bytes += cell.size();
    }
    batch.resize(used);
    progress.bytesRead = static_cast<int64_t>(input.bytesRead());
    return more;
  };
  auto process = [&](Record& record, std::vector<char>& scratch) {
    processor.process(record, scratch);
  };
  size_t window = 2 * static_cast<size_t>(settings.threads) + 2;
  if (!outcome.headerBroken && !sink.failed()) {
    BatchPipeline(window, read, process, write).run(settings.threads);
  }
  if (files.outputFd != STDOUT_FILENO && ::close(files.outputFd) != 0 && !sink.failed()) {
    sink.fail(errno);
  }
  files.outputFd = STDOUT_FILENO;
  outcome.writeError = sink.error();
  outcome.readError = input.error();
  return outcome;
}

// Step 5: the summary on standard error, and the exit status.
int finishRun(const RunOptions& options, Progress& progress, const PipelineOutcome& outcome) {
  progress.clear();
  double seconds = progress.seconds();
  char summary[200];
  std::snprintf(summary, sizeof summary, "zebparse: %llu records, %llu failed, %.0f records/s\n",
                static_cast<unsigned long long>(progress.records),
                static_cast<unsigned long long>(progress.failures),
                seconds > 0 ? static_cast<double>(progress.records) / seconds : 0.0);
  std::cerr << summary;
  auto shown = [](const std::string& name, const char* standard) {
    return name == "-" ? std::string(standard) : "[" + name + "]";
  };
  if (outcome.writeError != 0) {
    std::cerr << "zebparse: error writing output " << shown(options.outputName, "(standard output)")
              << ": " << std::strerror(outcome.writeError) << "; the run stopped there\n";
    return kExitIo;
  }
  if (outcome.readError != 0) {
    std::cerr << "zebparse: error reading input " << shown(options.inputName, "(standard input)")
              << ": " << std::strerror(outcome.readError) << "\n";
    return kExitIo;
  }
  return progress.failures == 0 && !outcome.headerBroken ? kExitOk : kExitRecordsFailed;
}

}  // namespace

int runCommand(int argc, char** argv) {
  RunOptions options;
  if (std::optional<int> status = parseRunOptions(argc, argv, options)) return *status;
  std::unique_ptr<zeb::PluginLibrary> plugin = startPlugin(options);
  if (!plugin) return kExitUsage;
  RunFiles files;
  if (!openFiles(options, files)) {
    plugin->close();
    return kExitIo;
  }
  Progress progress(options.settings.progress, files.inputBytes);
  PipelineOutcome outcome = runPipeline(*plugin, options, files, progress);
  files.closeInput();
  plugin->close();
  return finishRun(options, progress, outcome);
}

}  // namespace zebparse
