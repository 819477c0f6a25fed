// The C interface of include/zeb/zebparse.h: the plug-in started in this process with
// the host kit's services, and every call turned into a status and a message. Each
// exported function catches everything, so no exception reaches a C caller.
// Tested by tests/capi/capi_test.cc and, installed, by tests/sdk/.
#include "zeb/zebparse.h"

#include <array>
#include <cstring>
#include <exception>
#include <filesystem>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "addressparser/address_parser.h"
#include "common/mutex.h"
#include "common/os.h"
#include "host/host_context.h"
#include "plugin/plugin_state.h"
#include "plugin/record_processing.h"
#include "tools/zebparse/record_formats.h"

struct zebparse_parser {
  const addr::AddressParser* parser;
  const plugin::RecordServices* services;
};

struct zebparse_result {
  std::vector<std::string> texts;  // name, value, name, value, ...
  std::vector<zebparse_element> elements;
  std::string packed;
};

namespace {

constexpr char kUnitSeparator = '\x1f';
constexpr char kRecordSeparator = '\x1e';

constexpr const char* kFieldNames[ZEBPARSE_FIELD_COUNT] = {"street_number",
                                                           "pre_directional",
                                                           "prefix",
                                                           "street_name",
                                                           "suffix",
                                                           "post_directional",
                                                           "building_side",
                                                           "unit_type",
                                                           "unit_number",
                                                           "unit_side",
                                                           "po_box_type",
                                                           "po_box_number",
                                                           "rural_route_type",
                                                           "rural_route_number",
                                                           "rural_route_box",
                                                           "city",
                                                           "state",
                                                           "postal_code"};

// The fields of a parsed record in the order of kFieldNames. The locality counts only
// when the parse found it in the text: otherwise it is the record's own (empty here).
std::array<const std::string*, ZEBPARSE_FIELD_COUNT> fieldsOf(const addr::AddressRecord& r) {
  static const std::string kNothing;
  const bool found = r.localityFromText;
  return {&r.streetNumber,
          &r.preDirectional,
          &r.prefix,
          &r.streetName,
          &r.suffix,
          &r.postDirectional,
          &r.buildingSide,
          &r.unitLabel,
          &r.unitNumber,
          &r.unitSide,
          &r.poBoxType,
          &r.poBoxNumber,
          &r.rrhcLabel,
          &r.rrhcNumber,
          &r.rrhcBoxNumber,
          found ? &r.city : &kNothing,
          found ? &r.region : &kNothing,
          found ? &r.postalCode : &kNothing};
}

// A failure on its way to the caller's zebparse_error.
struct Failure {
  zebparse_status code;
  std::string message;
};

// `text` cut to `limit` bytes without splitting a UTF-8 sequence.
std::string_view cutUtf8(std::string_view text, size_t limit) {
  if (text.size() <= limit) return text;
  size_t end = limit;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end);
}

// The input as a message quotes it: at most 100 bytes, control characters as '?'.
std::string bracketed(std::string_view input) {
  std::string out = "[";
  std::string_view shown = cutUtf8(input, 100);
  for (char c : shown) out += static_cast<unsigned char>(c) < 0x20 ? '?' : c;
  if (shown.size() < input.size()) out += "...";
  return out + "]";
}

zebparse_status report(zebparse_error* error, zebparse_status code, std::string_view message) {
  if (error != nullptr) {
    error->code = code;
    std::string_view kept = cutUtf8(message, ZEBPARSE_MESSAGE_SIZE - 1);
    std::memcpy(error->message, kept.data(), kept.size());
    error->message[kept.size()] = '\0';
  }
  return code;
}

// Runs `body`, which sets the Failure it is given when it refuses the call, and turns
// the outcome into the caller's status and message. The calls that parse catch the
// parser's exceptions themselves, to name the input; what still escapes (out of
// memory, anything unforeseen) becomes ZEBPARSE_ERROR_MEMORY or _INTERNAL here.
template <typename Body>
zebparse_status guarded(zebparse_error* error, Body&& body) {
  try {
    Failure failure{ZEBPARSE_OK, {}};
    body(failure);
    if (failure.code != ZEBPARSE_OK) return report(error, failure.code, failure.message);
    return report(error, ZEBPARSE_OK, "");
  } catch (const std::bad_alloc&) {
    return report(error, ZEBPARSE_ERROR_MEMORY, "out of memory");
  } catch (const std::exception& e) {
    return report(error, ZEBPARSE_ERROR_INTERNAL, e.what());
  } catch (...) {
    return report(error, ZEBPARSE_ERROR_INTERNAL, "unknown exception");
  }
}

// Empty when `text` is what a record can carry, else why not.
std::string refusal(std::string_view text) {
  std::string scratch;
  std::string problem;
  if (!zebparse::appendXmlText(scratch, text, problem)) return problem;
  return {};
}

// The plug-in and the host exist once per process; the first parser opened decides
// their support directory.
struct ProcessPlugin {
  cmn::Mutex mutex;
  bool started GUARDED_BY(mutex) = false;
  std::filesystem::path supportDir GUARDED_BY(mutex);
};

ProcessPlugin& processPlugin() {
  static ProcessPlugin* plugin = new ProcessPlugin();  // never destroyed: parsers may outlive exit
  return *plugin;
}

std::filesystem::path canonical(const std::string& dir) {
  std::error_code ignored;
  std::filesystem::path path = std::filesystem::weakly_canonical(dir, ignored);
  return path.empty() ? std::filesystem::path(dir) : path;
}

void startPlugin(const std::string& dir, Failure& failure) {
  std::error_code ignored;
  if (!std::filesystem::is_directory(dir, ignored)) {
    failure = {ZEBPARSE_ERROR_SUPPORT, "support directory " + bracketed(dir) + " not found"};
    return;
  }
  ProcessPlugin& process = processPlugin();
  cmn::MutexLock lock(process.mutex);
  const std::filesystem::path wanted = canonical(dir);
  if (process.started) {
    if (wanted != process.supportDir) {
      failure = {ZEBPARSE_ERROR_SUPPORT, "support directory " + bracketed(dir) +
                                             " not opened: this process already parses with " +
                                             bracketed(process.supportDir.string()) +
                                             ", and a process uses one support directory"};
    }
    return;
  }
  zeb::HostContext& host = zeb::HostContext::instance();
  host.parameters().set("PIPELINE", "SUPPORTPATH", dir);
  zeb::HostSettings settings;
  settings.name = "zebparse";
  std::vector<std::string> problems;
  if (!host.start(settings, problems)) {
    failure = {ZEBPARSE_ERROR_SUPPORT, problems.empty() ? "host did not start" : problems[0]};
    return;
  }
  std::string message;
  try {
    if (plugin::InitializePlugin(&zebHostLookup, message) != plugin::kInitOk) {
      failure = {ZEBPARSE_ERROR_SUPPORT, message};
      return;
    }
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception& e) {
    failure = {ZEBPARSE_ERROR_SUPPORT,
               "support directory " + bracketed(dir) + " not loaded: " + e.what()};
    return;
  }
  process.started = true;
  process.supportDir = wanted;
}

void addElement(zebparse_result& result, std::string name, std::string value) {
  result.texts.push_back(std::move(name));
  result.texts.push_back(std::move(value));
}

// Points the elements at the texts, and writes the packed form. Separators inside a
// value cannot come from accepted input; they are blanked all the same, so that the
// packed text always splits into the elements.
void finish(zebparse_result& result) {
  result.elements.clear();
  result.packed.clear();
  for (size_t i = 0; i + 1 < result.texts.size(); i += 2) {
    result.elements.push_back({result.texts[i].c_str(), result.texts[i + 1].c_str()});
    for (size_t part = i; part <= i + 1; ++part) {
      for (char c : result.texts[part]) {
        result.packed += (c == kUnitSeparator || c == kRecordSeparator) ? ' ' : c;
      }
      result.packed += part == i ? kUnitSeparator : kRecordSeparator;
    }
  }
}

// `text` as the inside of a JSON string. Control characters cannot come from accepted
// input but are escaped all the same; other bytes are UTF-8 and stay as they are.
void appendJsonText(std::string& out, std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20) {
      out += "\\u00";
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
    } else {
      out += c;
    }
  }
}

// Parses one address into `record`; false with `failure` set when it was refused.
bool parseInto(const zebparse_parser& parser, const char* country, const char* const* lines,
               size_t lineCount, addr::AddressRecord& record, Failure& failure) {
  std::string* targets[ZEBPARSE_MAX_LINES] = {&record.addressLine1, &record.addressLine2,
                                              &record.addressLine3};
  for (size_t i = 0; i < lineCount; ++i) {
    if (lines[i] == nullptr) {
      failure = {ZEBPARSE_ERROR_ARGUMENT, "address line " + std::to_string(i + 1) + " is null"};
      return false;
    }
    *targets[i] = lines[i];
  }
  record.country = country != nullptr ? country : "";
  for (const std::string* text :
       {&record.addressLine1, &record.addressLine2, &record.addressLine3, &record.country}) {
    std::string problem = refusal(*text);
    if (!problem.empty()) {
      failure = {ZEBPARSE_ERROR_INPUT,
                 "address " + bracketed(record.addressLine1) + " not parsed: " + problem};
      return false;
    }
  }
  try {
    parser.parser->parse(record);
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception& e) {
    failure = {ZEBPARSE_ERROR_INPUT,
               "address " + bracketed(record.addressLine1) + " not parsed: " + e.what()};
    return false;
  }
  return true;
}

}  // namespace

extern "C" {

const char* zebparse_field_name(size_t index) {
  return index < ZEBPARSE_FIELD_COUNT ? kFieldNames[index] : nullptr;
}

const char* zebparse_version(void) { return plugin::kPluginVersion; }

const char* zebparse_default_support_dir(void) {
  static const std::string dir = []() -> std::string {
    try {
      const std::string library = cmn::modulePathOf(reinterpret_cast<void*>(&zebparse_open));
      if (!library.empty()) {
        std::filesystem::path installed =
            (std::filesystem::path(library).parent_path() / ".." / "share" / "zebparse" / "support")
                .lexically_normal();
        std::error_code ignored;
        if (std::filesystem::is_directory(installed, ignored)) return installed.string();
      }
      return ZEB_BUNDLED_SUPPORT_DIR;
    } catch (...) {
      return ZEB_BUNDLED_SUPPORT_DIR;
    }
  }();
  return dir.c_str();
}

zebparse_status zebparse_open(const char* support_dir, zebparse_parser** parser,
                              zebparse_error* error) {
  return guarded(error, [&](Failure& failure) {
    if (parser == nullptr) {
      failure = {ZEBPARSE_ERROR_ARGUMENT, "no place for the parser given"};
      return;
    }
    *parser = nullptr;
    std::string dir = support_dir != nullptr && *support_dir != '\0'
                          ? support_dir
                          : zebparse_default_support_dir();
    startPlugin(dir, failure);
    if (failure.code != ZEBPARSE_OK) return;
    *parser = new zebparse_parser{&plugin::InstalledParser(), &plugin::InstalledServices()};
  });
}

void zebparse_close(zebparse_parser* parser) { delete parser; }

zebparse_status zebparse_parse(zebparse_parser* parser, const char* country,
                               const char* const* lines, size_t line_count,
                               zebparse_result** result, zebparse_error* error) {
  return guarded(error, [&](Failure& failure) {
    if (parser == nullptr || result == nullptr || lines == nullptr || line_count == 0 ||
        line_count > ZEBPARSE_MAX_LINES) {
      failure = {ZEBPARSE_ERROR_ARGUMENT,
                 "zebparse_parse needs a parser, a result and 1 to 3 address lines"};
      return;
    }
    *result = nullptr;
    addr::AddressRecord record;
    if (!parseInto(*parser, country, lines, line_count, record, failure)) return;
    auto made = std::make_unique<zebparse_result>();
    const auto fields = fieldsOf(record);
    for (size_t i = 0; i < ZEBPARSE_FIELD_COUNT; ++i) {
      if (!fields[i]->empty()) addElement(*made, kFieldNames[i], *fields[i]);
    }
    finish(*made);
    *result = made.release();
  });
}

zebparse_status zebparse_process(zebparse_parser* parser, const zebparse_element* elements,
                                 size_t count, zebparse_result** result, zebparse_error* error) {
  return guarded(error, [&](Failure& failure) {
    if (parser == nullptr || result == nullptr || (elements == nullptr && count != 0)) {
      failure = {ZEBPARSE_ERROR_ARGUMENT, "zebparse_process needs a parser, elements and a result"};
      return;
    }
    *result = nullptr;
    std::vector<zebparse::Element> input;
    for (size_t i = 0; i < count; ++i) {
      if (elements[i].name == nullptr || elements[i].value == nullptr ||
          !zebparse::isElementCode(elements[i].name)) {
        failure = {ZEBPARSE_ERROR_INPUT,
                   "element " + std::to_string(i + 1) + " " +
                       bracketed(elements[i].name != nullptr ? elements[i].name : "(null)") +
                       " is not an element code with a value (A-Z, then A-Z, 0-9, _)"};
        return;
      }
      input.push_back({elements[i].name, elements[i].value});
    }
    // The address names the record in messages, as the user knows it best.
    std::string name = "record";
    for (const zebparse::Element& element : input) {
      if (element.code == "ADDR1") name = "record with ADDR1 " + bracketed(element.value);
    }
    std::string document;
    std::string problem;
    if (!zebparse::buildRecordDocument(input, document, problem)) {
      failure = {ZEBPARSE_ERROR_INPUT, name + " refused: " + problem};
      return;
    }
    std::string resultDocument;
    try {
      const char* refused = plugin::ProcessRecord(document.c_str(), *parser->parser,
                                                  *parser->services, resultDocument);
      if (refused != nullptr) {
        failure = {ZEBPARSE_ERROR_INPUT, name + " refused: " + refused};
        return;
      }
    } catch (const std::bad_alloc&) {
      throw;
    } catch (const std::exception& e) {
      failure = {ZEBPARSE_ERROR_INPUT, name + " refused: " + e.what()};
      return;
    }
    zebparse::ResultDocument read;
    if (!zebparse::readResultDocument(resultDocument, read, problem) || read.hasError) {
      failure = {ZEBPARSE_ERROR_INTERNAL,
                 name + ": result not readable: " + (read.hasError ? read.error : problem)};
      return;
    }
    auto made = std::make_unique<zebparse_result>();
    for (zebparse::Element& element : read.elements) {
      addElement(*made, std::move(element.code), std::move(element.value));
    }
    finish(*made);
    *result = made.release();
  });
}

zebparse_status zebparse_parse_batch(zebparse_parser* parser, const char* country,
                                     const char* countries, const char* addresses, size_t count,
                                     zebparse_batch_layout layout, zebparse_result** result,
                                     zebparse_error* error) {
  return guarded(error, [&](Failure& failure) {
    if (parser == nullptr || result == nullptr || (addresses == nullptr && count != 0) ||
        (layout != ZEBPARSE_BATCH_JSON && layout != ZEBPARSE_BATCH_COLUMNS)) {
      failure = {ZEBPARSE_ERROR_ARGUMENT,
                 "zebparse_parse_batch needs a parser, the addresses, a layout and a result"};
      return;
    }
    *result = nullptr;
    auto made = std::make_unique<zebparse_result>();
    std::string& out = made->packed;
    // Columns: one text per field and one for the messages, joined at the end.
    std::array<std::string, ZEBPARSE_FIELD_COUNT + 1> columns;
    auto append = [](std::string& to, std::string_view text) {
      for (char c : text) to += (c == kRecordSeparator || c == kUnitSeparator) ? ' ' : c;
    };
    const char* line = addresses;
    const char* lineCountry = countries;
    for (size_t i = 0; i < count; ++i) {
      addr::AddressRecord record;
      Failure refused{ZEBPARSE_OK, {}};
      const bool parsed = parseInto(*parser, countries != nullptr ? lineCountry : country, &line, 1,
                                    record, refused);
      const auto fields = fieldsOf(record);
      if (layout == ZEBPARSE_BATCH_COLUMNS) {
        for (size_t f = 0; f < ZEBPARSE_FIELD_COUNT; ++f) {
          if (parsed) append(columns[f], *fields[f]);
          columns[f] += kRecordSeparator;
        }
        if (!parsed) append(columns[ZEBPARSE_FIELD_COUNT], refused.message);
        columns[ZEBPARSE_FIELD_COUNT] += kRecordSeparator;
      } else {
        out += i == 0 ? "[{" : ",{";
        bool first = true;
        for (size_t f = 0; f < ZEBPARSE_FIELD_COUNT; ++f) {
          if (parsed && fields[f]->empty()) continue;
          if (!parsed && f != 0) break;
          out += first ? "\"" : ",\"";
          first = false;
          out += parsed ? kFieldNames[f] : "error";
          out += "\":\"";
          appendJsonText(out, parsed ? *fields[f] : refused.message);
          out += '"';
        }
        out += '}';
      }
      line += std::strlen(line) + 1;
      if (countries != nullptr) lineCountry += std::strlen(lineCountry) + 1;
    }
    if (layout == ZEBPARSE_BATCH_JSON) {
      out += count == 0 ? "[]" : "]";
    } else {
      for (const std::string& column : columns) out += column;
    }
    *result = made.release();
  });
}

const zebparse_element* zebparse_result_elements(const zebparse_result* result, size_t* count) {
  if (count != nullptr) *count = result != nullptr ? result->elements.size() : 0;
  return result != nullptr ? result->elements.data() : nullptr;
}

const char* zebparse_result_packed(const zebparse_result* result, size_t* length) {
  if (length != nullptr) *length = result != nullptr ? result->packed.size() : 0;
  return result != nullptr ? result->packed.c_str() : "";
}

void zebparse_result_free(zebparse_result* result) { delete result; }

}  // extern "C"
