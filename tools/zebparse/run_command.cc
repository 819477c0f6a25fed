// "zebparse run": batch processing of records through the plug-in, loaded with
// dlopen like any host would load it. Records are processed on several threads and
// written in input order; a record that fails gets an error line of its own and the
// run goes on. Tested end to end by tests/tools/zebparse_test.cc.
#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "addressparser/address_parser.h"
#include "common/os.h"
#include "common/terminal_text.h"
#include "host/host_context.h"
#include "host/plugin_library.h"
#include "logging/logger.h"
#include "tools/zebparse/batch_pipeline.h"
#include "tools/zebparse/command_line.h"
#include "tools/zebparse/commands.h"
#include "tools/zebparse/parser_session.h"
#include "tools/zebparse/record_formats.h"
#include "tools/zebparse/record_input.h"

namespace zebparse {
namespace {

constexpr const char* kRunUsage =
    "usage: zebparse run [--format xml|jsonl|csv] [--map NAME=CODE]... [--country C]\n"
    "                    [--delimiter D] [--all-elements] [--support-dir DIR]\n"
    "                    [--threads N] [--result-size BYTES] [--plugin PATH]\n"
    "                    [--log-config FILE] [--params INI] [--force] [--no-progress]\n"
    "                    [INPUT [OUTPUT]]\n"
    "\n"
    "Runs every record of INPUT through the plug-in and writes one output line per\n"
    "input line (per record, for csv), in input order; a blank line stays blank.\n"
    "INPUT and OUTPUT are files or - (the defaults: standard input and output).\n"
    "\n"
    "  --format xml      one record document per line; the output line is the\n"
    "                    plug-in's result document (default)\n"
    "  --format jsonl    one JSON object per line; the output repeats its members\n"
    "                    and adds STR_NUM, STR_NAME, UNIT_TYPE, UNIT_NUM,\n"
    "                    STR_NAME_STD, CITY_STD and POSTAL_5, one string each\n"
    "  --format csv      RFC 4180 with a header row; the output adds those columns\n"
    "                    and ERROR. Strict: a stray quote or a quoted field left open\n"
    "                    fails the record where it starts; reading goes on\n"
    "  --map NAME=CODE   read key or column NAME as element CODE (ADDR1, CITY, ...);\n"
    "                    repeat for more. Keys that are element codes need none\n"
    "  --country C       COUNTRY of the records that have none\n"
    "  --delimiter D     csv field delimiter: one character, or comma, semicolon,\n"
    "                    tab, pipe (default comma); the output uses it too\n"
    "  --all-elements    jsonl: every element of the result, each code with the list\n"
    "                    of all its values (a parsed STR_NUM and its derived copy)\n"
    "  --support-dir DIR the support directory (default ../share/zebparse/support\n"
    "                    beside the directory of the executable)\n"
    "  --threads N       worker threads (default: the number of cores)\n"
    "  --result-size B   the largest result runDQM may return (default 1048576);\n"
    "                    buffers grow to it only as records need\n"
    "  --plugin PATH     the plug-in library (default: ../lib next to zebparse)\n"
    "  --log-config FILE logger configuration file, watched for changes; the run's\n"
    "                    start, failed records, warnings and summary are logged\n"
    "  --params INI      more host parameters: [SECTION] and KEY=VALUE lines\n"
    "  --force           run even when the configuration check finds errors\n"
    "  --no-progress     no progress line on a terminal\n"
    "\n"
    "A record is at most 16 MiB (or --result-size, when larger); a JSON record at\n"
    "most 64 levels deep with at most 10000 keys; a CSV row at most 10000 fields.\n"
    "A record beyond these fails on its own.\n"
    "\n"
    "Exit status: 0 every record succeeded, 1 some failed, 2 usage error, the\n"
    "configuration check failed or the plug-in did not start, 3 the input could not\n"
    "be read or the output could not be written (the run stops at the first failed\n"
    "write).\n";

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
  ColumnMap map;
  std::string country;  // for records without one
  char delimiter = ',';
  bool allElements = false;
  bool force = false;
  // The country names the configuration knows; null when it was not read.
  const std::map<std::string, std::string>* countries = nullptr;
  std::string defaultCountry;  // the code of the configuration's default country
};

// Messages of the run through the host logger, for a configured log (--log-config);
// without one the host's default would print them on standard error a second time.
class RunLog {
 public:
  bool enabled = false;
  void write(uint32_t level, const std::string& text) {
    if (!enabled) return;
    LogMessage message;
    message.reset("zebparse", level);
    message.lines.push_back(text);
    try {
      zeb::HostContext::instance().logger().log(message);
    } catch (const std::exception& e) {
      if (!failed_) std::cerr << "zebparse: logging failed: " << oneLine(e.what()) << "\n";
      failed_ = true;
    }
  }

 private:
  bool failed_ = false;
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

// What a thread keeps from record to record, so that a steady stream of records
// allocates little beyond their texts.
struct Scratch {
  JsonRecord json;
  std::vector<Element> elements;
  std::string document;
  std::string resultText;
  ResultDocument result;
};

class RecordProcessor {
 public:
  RecordProcessor(zeb::PluginLibrary& plugin, const RunSettings& settings)
      : plugin_(plugin), settings_(settings) {}

  std::unique_ptr<CsvLayout> csv;

  // Every record gets its output line; a record the reader already found broken,
  // or one that cannot be processed (memory running out included), gets one that
  // carries the reason.
  void process(Record& record, std::vector<char>& buffer) {
    static thread_local Scratch scratch;
    try {
      if (record.blank) {
        record.output.clear();
        return;
      }
      if (record.failure.empty()) {
        switch (settings_.format) {
          case Format::kXml:
            processXml(record, buffer);
            break;
          case Format::kJsonl:
            processJson(record, buffer, scratch);
            break;
          case Format::kCsv:
            processCsv(record, buffer, scratch);
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
      failureOutput(record, scratch);
    } catch (const std::exception&) {
      record.output.clear();
    }
  }

 private:
  void failureOutput(Record& record, Scratch& scratch) {
    switch (settings_.format) {
      case Format::kXml:
        record.output = errorDocument(record.failure);
        break;
      case Format::kJsonl:
        // A line the reader refused was never scanned: nothing of it is kept.
        scratch.json.memberCount = 0;
        jsonOutput(scratch.json, nullptr, &record.failure, settings_.allElements, record.output);
        break;
      case Format::kCsv:
        csv->outputLine(record.cells, nullptr, &record.failure, record.output);
        break;
    }
  }

  void processXml(Record& record, std::vector<char>& buffer) {
    if (!refuseNul(record.text, record.failure)) {
      record.output = errorDocument(record.failure);
      return;
    }
    DocumentOutcome outcome =
        runDocument(plugin_, record.text, settings_.resultSize, buffer, std::move(record.output));
    record.output = std::move(outcome.text);
    record.failure = std::move(outcome.failure);
  }

  // The default country for a record without one, and what the summary counts:
  // no address element, a COUNTRY no configured country is called. The record's
  // own values are never changed.
  void prepare(Record& record, std::vector<Element>& elements) {
    bool hasCountry = false;
    bool hasAddress = false;
    for (Element& element : elements) {
      if (element.value.empty()) continue;
      if (isAddressCode(element.code)) hasAddress = true;
      if (element.code != "COUNTRY") continue;
      hasCountry = true;
      if (settings_.countries != nullptr && settings_.countries->count(element.value) == 0) {
        record.unknownCountry = element.value;
      }
    }
    record.noAddress = !hasAddress;
    if (!hasCountry && !settings_.country.empty()) {
      std::erase_if(elements, [](const Element& e) { return e.code == "COUNTRY"; });
      elements.push_back({"COUNTRY", settings_.country});
    }
  }

  // Runs the elements and reads the result back; fills `failure` on any problem.
  bool runElements(const std::vector<Element>& elements, std::vector<char>& buffer,
                   Scratch& scratch, std::string& failure) {
    ResultDocument& result = scratch.result;
    result.elements.clear();
    result.hasError = false;
    if (!buildRecordDocument(elements, scratch.document, failure)) return false;
    DocumentOutcome outcome = runDocument(plugin_, scratch.document, settings_.resultSize, buffer,
                                          std::move(scratch.resultText));
    scratch.resultText = std::move(outcome.text);
    if (outcome.threw) {
      failure = outcome.failure;
      return false;
    }
    std::string problem;
    if (!readResultDocument(scratch.resultText, result, problem)) {
      failure = outcome.failure.empty() ? problem : outcome.failure;
      return false;
    }
    failure = outcome.failure;
    return failure.empty();
  }

  void processJson(Record& record, std::vector<char>& buffer, Scratch& scratch) {
    if (!scanJsonRecord(record.text, settings_.map, scratch.json, record.failure)) {
      jsonOutput(scratch.json, nullptr, &record.failure, settings_.allElements, record.output);
      return;
    }
    prepare(record, scratch.json.elements);
    bool succeeded = runElements(scratch.json.elements, buffer, scratch, record.failure);
    const ResultDocument& result = scratch.result;
    bool haveResult = succeeded || !result.elements.empty() || result.hasError;
    jsonOutput(scratch.json, haveResult ? &result : nullptr, succeeded ? nullptr : &record.failure,
               settings_.allElements, record.output);
  }

  void processCsv(Record& record, std::vector<char>& buffer, Scratch& scratch) {
    bool succeeded = csv->record(record.cells, scratch.elements, record.failure);
    if (succeeded) {
      prepare(record, scratch.elements);
      succeeded = runElements(scratch.elements, buffer, scratch, record.failure);
    }
    csv->outputLine(record.cells, succeeded ? &scratch.result : nullptr,
                    succeeded ? nullptr : &record.failure, record.output);
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
  uint64_t blankLines = 0;
  uint64_t unknownCountries = 0;  // records whose COUNTRY names no configured country
  uint64_t withoutAddress = 0;    // records without any address element

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
      int64_t n = cmn::writeFile(fd_, pending_.data() + written, pending_.size() - written);
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
      if (cmn::truncateFile(fd_, static_cast<int64_t>(wholeEnd))) offset_ = wholeEnd;
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
  addr::AddressParserPtr parser;  // the configuration as checked, read in-process
  RunLog log;
};

int usageError(const std::string& message) { return zebparse::usageError("run", message); }

// The delimiter named by --delimiter, or 0.
char delimiterNamed(const std::string& text) {
  const std::string name = lowerCase(text);
  if (name == "comma") return ',';
  if (name == "semicolon") return ';';
  if (name == "tab" || name == "\\t") return '\t';
  if (name == "pipe") return '|';
  if (text.size() == 1 && text[0] != '"' && text[0] != '\n' && text[0] != '\r') return text[0];
  return 0;
}

// Step 1: the options. Returns the exit status when the command ends here (--help
// or a usage error).
std::optional<int> parseRunOptions(int argc, char** argv, RunOptions& options) {
  Arguments& args = options.args;
  std::string error;
  if (!parseArguments(argc, argv, 2,
                      {"--support-dir", "--format", "--threads", "--result-size", "--plugin",
                       "--log-config", "--params", "--map", "--country", "--delimiter"},
                      {"--no-progress", "--help", "--all-elements", "--force"}, args, error)) {
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
    const std::string format = lowerCase(found->second);
    if (format == "xml") {
      settings.format = Format::kXml;
    } else if (format == "jsonl" || format == "json") {
      settings.format = Format::kJsonl;
    } else if (format == "csv") {
      settings.format = Format::kCsv;
    } else {
      return usageError("unknown format [" + found->second + "]; use xml, jsonl or csv");
    }
  }
  bool records = settings.format != Format::kXml;
  for (const auto& [name, value] : args.ordered) {
    if (name != "--map") continue;
    size_t equals = value.rfind('=');
    if (equals == std::string::npos || equals == 0 || !isElementCode(value.substr(equals + 1))) {
      return usageError("--map needs NAME=CODE with an element code such as ADDR1, got [" + value +
                        "]");
    }
    settings.map.add(value.substr(0, equals), value.substr(equals + 1));
  }
  if (auto found = args.values.find("--country"); found != args.values.end()) {
    settings.country = found->second;
  }
  if (auto found = args.values.find("--delimiter"); found != args.values.end()) {
    settings.delimiter = delimiterNamed(found->second);
    if (settings.delimiter == 0) {
      return usageError("--delimiter needs one character or comma, semicolon, tab, pipe, got [" +
                        found->second + "]");
    }
    if (settings.format != Format::kCsv) return usageError("--delimiter applies to --format csv");
  }
  settings.allElements = args.flags.count("--all-elements") != 0;
  if (settings.allElements && settings.format != Format::kJsonl) {
    // A CSV header is fixed before the first record: it cannot grow a column per
    // occurrence. The xml output is the whole result anyway.
    return usageError("--all-elements applies to --format jsonl");
  }
  if (!records && (args.values.count("--map") != 0 || !settings.country.empty())) {
    return usageError(
        "--map and --country apply to --format jsonl and csv; an xml record "
        "document goes to the plug-in as it is");
  }
  settings.force = args.flags.count("--force") != 0;
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
  settings.progress =
      args.flags.count("--no-progress") == 0 && cmn::isTerminal(cmn::kStandardError);
  if (args.positional.size() > 0) options.inputName = args.positional[0];
  if (args.positional.size() > 1) options.outputName = args.positional[1];
  return std::nullopt;
}

// Step 2: host start-up (parameters, logger, token data), then the plug-in, loaded
// and initialised. Null when it did not start (reported).
std::unique_ptr<zeb::PluginLibrary> startPlugin(RunOptions& options) {
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
  options.log.enabled = hostReady && !hostSettings.logConfigFile.empty();
  auto warn = [&](const std::string& text) {
    std::cerr << "zebparse: warning: " << text << "\n";
    options.log.write(kLevelWarning, text);
  };
  auto fail = [&](const std::string& text) {
    std::cerr << "zebparse: " << text << "\n";
    options.log.write(kLevelError, text);
    return nullptr;
  };
  for (const std::string& problem : problems) {
    std::cerr << "zebparse: " << problem << "\n";
    options.log.write(kLevelWarning, problem);
  }
  if (!hostReady) return nullptr;

  const char* supportParameter = host.parameters().query("PIPELINE", "SUPPORTPATH");
  std::string support = supportParameter != nullptr ? supportParameter : "";
  std::vector<std::string> warnings;
  if (!checkSupportDirectory(support, error, warnings)) return fail(error);
  for (const std::string& warning : warnings) warn(warning);
  std::string config = (std::filesystem::path(support) / "addressParserMetaData.xml").string();
  // The configuration is checked as "zebparse check" does: a rule that does not
  // compile would otherwise fail or quietly misparse record after record.
  setProcessLogger(&host.logger());
  if (!loadConfiguration(config, options.parser, error)) return fail(error);
  ConfigReport report;
  checkConfiguration(*options.parser, report);
  for (const std::string& line : report.lines) {
    std::cerr << "zebparse: " << line << "\n";
    options.log.write(line.rfind("error", 0) == 0 ? kLevelError : kLevelWarning, line);
  }
  if (report.errors > 0 && !options.settings.force) {
    return fail("the configuration has " + std::to_string(report.errors) +
                " error(s) (zebparse check --support-dir " + support +
                " lists them); --force runs anyway");
  }
  options.settings.countries = &options.parser->countryCodeByName();
  options.settings.defaultCountry = options.parser->defaultCountry();
  std::string& country = options.settings.country;
  if (!country.empty() && options.settings.countries->count(country) == 0) {
    std::string upper = country;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (options.settings.countries->count(upper) != 0) {
      country = upper;
    } else {
      warn("--country [" + country + "] is no configured country; its records are parsed as " +
           options.parser->defaultCountry());
    }
  }

  auto path = args.values.find("--plugin");
  std::unique_ptr<zeb::PluginLibrary> plugin = zeb::PluginLibrary::open(
      path != args.values.end() ? path->second : defaultPluginPath(), error);
  if (!plugin) return fail(error);
  if (!plugin->init(&zebHostLookup, error)) return fail("initPlugin failed: " + error);
  options.log.write(kLevelInformation, "run started: plug-in [" + plugin->path() + "] version [" +
                                           plugin->version() + "], support directory [" + support +
                                           "], " + std::to_string(options.settings.threads) +
                                           " thread(s), input [" + options.inputName +
                                           "], output [" + options.outputName + "]");
  return plugin;
}

// The input and output descriptors; standard input and output are never closed.
struct RunFiles {
  int inputFd = cmn::kStandardInput;
  int64_t inputBytes = -1;  // the input file's size, -1 when it is no regular file
  int outputFd = cmn::kStandardOutput;

  void closeInput() {
    if (inputFd != cmn::kStandardInput) cmn::closeFile(inputFd);
    inputFd = cmn::kStandardInput;
  }
};

// Step 3: opens INPUT and OUTPUT. Runs after the plug-in started, so that a failed
// start leaves no output file behind. False when either does not open (reported).
bool openFiles(const RunOptions& options, RunFiles& files) {
  if (options.inputName != "-") {
    files.inputFd = cmn::openFile(options.inputName, cmn::OpenFor::kRead);
    if (files.inputFd < 0) {
      std::cerr << "zebparse: cannot open input [" << options.inputName
                << "]: " << std::strerror(errno) << "\n";
      files.inputFd = cmn::kStandardInput;
      return false;
    }
    cmn::FileStatus status;
    if (cmn::statusOf(files.inputFd, status) && status.regular) files.inputBytes = status.size;
  }
  if (options.outputName != "-") {
    files.outputFd = cmn::openFile(options.outputName, cmn::OpenFor::kReplace);
    if (files.outputFd < 0) {
      std::cerr << "zebparse: cannot open output [" << options.outputName
                << "]: " << std::strerror(errno) << "\n";
      files.outputFd = cmn::kStandardOutput;
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

// The reports of the run, in input order: failed records, and a warning for each
// distinct unknown COUNTRY and for input without an address, once.
class RunReports {
 public:
  RunReports(Progress& progress, RunLog& log, const RunSettings& settings)
      : progress_(progress), log_(log), settings_(settings) {}

  void failure(const Record& record) {
    progress_.clear();
    std::string message = cmn::EscapeForTerminal(record.failure, kMessageMaxBytes);
    std::cerr << "zebparse: line " << record.line << ": " << message << "\n";
    log_.write(kLevelError, "line " + std::to_string(record.line) + ": " + message);
  }
  void warning(const std::string& text) {
    progress_.clear();
    std::cerr << "zebparse: warning: " << text << "\n";
    log_.write(kLevelWarning, text);
  }
  // One record that went out whole.
  void count(const Record& record) {
    if (record.blank) {
      ++progress_.blankLines;
      return;
    }
    ++progress_.records;
    if (!record.failure.empty()) {
      ++progress_.failures;
      failure(record);
    }
    if (!record.unknownCountry.empty()) {
      ++progress_.unknownCountries;
      if (unknownCountries_.size() < kMaxWarnedCountries &&
          unknownCountries_.insert(record.unknownCountry).second) {
        warning("line " + std::to_string(record.line) + ": COUNTRY [" +
                cmn::EscapeForTerminal(record.unknownCountry, kMessageMaxBytes) +
                "] is no configured country; records with it are parsed as " +
                settings_.defaultCountry + " (warned once per value)");
      }
    }
    if (record.noAddress && record.failure.empty()) {
      ++progress_.withoutAddress;
      // For JSON lines the first record stands for the file, as the header does for
      // CSV (warned there).
      if (settings_.format == Format::kJsonl && !firstSeen_) {
        warning("line " + std::to_string(record.line) +
                ": the first record has no address (no ADDR1, ADDR2, ADDR3, STR_NUM or "
                "STR_NAME); name its key with --map KEY=ADDR1");
      }
    }
    firstSeen_ = true;
  }

 private:
  static constexpr size_t kMaxWarnedCountries = 1000;  // a column of garbage warns no more
  Progress& progress_;
  RunLog& log_;
  const RunSettings& settings_;
  std::set<std::string> unknownCountries_;
  bool firstSeen_ = false;
};

// The CSV header row comes before any record, and goes out before any result.
// False when it is broken (reported): then no record is run.
bool startCsv(CsvReader& rows, RecordProcessor& processor, OutputSink& sink, RunReports& reports,
              const RunSettings& settings) {
  Record header;
  for (;;) {
    if (!rows.next(header)) return true;
    if (!header.blank) break;
    sink.add("");  // blank lines before the header keep their place
  }
  if (!header.failure.empty()) {
    header.failure = "header: " + header.failure;
    reports.failure(header);
    return false;
  }
  processor.csv = std::make_unique<CsvLayout>(header.cells, settings.map, settings.delimiter);
  if (!processor.csv->hasAddressColumn()) {
    reports.warning("line " + std::to_string(header.line) +
                    ": the header has no address column (ADDR1, ADDR2, ADDR3, STR_NUM or "
                    "STR_NAME); name one with --map COLUMN=ADDR1");
  }
  sink.add(csvLine(processor.csv->outputHeader(), settings.delimiter));
  sink.flush();
  return true;
}

// Step 4: every record through the plug-in and out, in input order; the output
// file is closed here, its close being the last write that may fail.
PipelineOutcome runPipeline(zeb::PluginLibrary& plugin, RunOptions& options, RunFiles& files,
                            Progress& progress) {
  const RunSettings& settings = options.settings;
  PipelineOutcome outcome;
  OutputSink sink(files.outputFd, options.outputName != "-");
  InputSource input = InputSource::fromDescriptor(files.inputFd);
  size_t limit = recordLimit(settings.resultSize);
  LineReader lines(input, limit);
  CsvReader rows(input, limit, settings.delimiter);

  RecordProcessor processor(plugin, settings);
  RunReports reports(progress, options.log, settings);
  if (settings.format == Format::kCsv) {
    outcome.headerBroken = !startCsv(rows, processor, sink, reports, settings);
  }

  // A batch's lines go out in pieces of about a megabyte. Only records whose line
  // went out whole are counted and reported; at the first failed write the run
  // stops.
  constexpr size_t kOutputPiece = 1 << 20;
  auto write = [&](std::vector<Record>& batch, bool) {
    size_t counted = 0;
    auto count = [&](size_t written) {
      for (size_t end = counted + written; counted < end; ++counted) reports.count(batch[counted]);
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
  if (files.outputFd != cmn::kStandardOutput && !cmn::closeFile(files.outputFd) && !sink.failed()) {
    sink.fail(errno);
  }
  files.outputFd = cmn::kStandardOutput;
  outcome.writeError = sink.error();
  outcome.readError = input.error();
  return outcome;
}

// Step 5: the summary on standard error, and the exit status.
int finishRun(RunOptions& options, Progress& progress, const PipelineOutcome& outcome) {
  progress.clear();
  double seconds = progress.seconds();
  char summary[200];
  std::snprintf(summary, sizeof summary, "%llu records, %llu failed, %.0f records/s",
                static_cast<unsigned long long>(progress.records),
                static_cast<unsigned long long>(progress.failures),
                seconds > 0 ? static_cast<double>(progress.records) / seconds : 0.0);
  std::cerr << "zebparse: " << summary << "\n";
  std::string details;
  auto detail = [&](uint64_t count, const char* what) {
    if (count == 0) return;
    details += (details.empty() ? "" : ", ") + std::to_string(count) + " " + what;
  };
  detail(progress.unknownCountries, "with a COUNTRY no configured country has");
  detail(progress.withoutAddress, "without an address");
  detail(progress.blankLines, "blank lines");
  if (!details.empty()) std::cerr << "zebparse: of them: " << details << "\n";
  options.log.write(kLevelInformation, std::string("run finished: ") + summary +
                                           (details.empty() ? "" : "; ") + details);
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
