// The exception family and its rendering as log messages.
#include "errors/tarn_exception.h"

#include <cstring>

#include "common/string_util.h"
#include "common/ustring.h"
#include "logcore/log_message.h"
#include "logcore/process_logger.h"

namespace {

// Entries are rebuilt from their message, so a copy's texts always match it.
std::unique_ptr<Tarn_Exception_Entry> RebuildEntry(const Tarn_Exception_Entry& source) {
  auto entry =
      std::make_unique<Tarn_Exception_Entry>(source.origin, source.message, source.severity);
  entry->number = source.number;
  return entry;
}

constexpr const char* kSeverityTexts[] = {
    "INFORMATION",     // 0
    "WARNING",         // 1
    "MINOR ERROR",     // 2
    "MAJOR ERROR",     // 3
    "CRITICAL ERROR",  // 4
};

constexpr uint32_t kSeverityLevels[] = {
    kLevelInformation,  // INFORMATION
    kLevelWarning,      // WARNING
    kLevelError,        // MINOR ERROR
    kLevelError,        // MAJOR ERROR
    kLevelCritical,     // CRITICAL ERROR
};

inline bool IsKnownSeverity(int32_t severity) {
  return severity >= INFORMATION && severity <= CRITICAL_ERROR;
}

// "[KVD-00123]: ", or "[00123]: " without the component; empty for message number 0.
// The KVD component shows the identifier itself, any other the message number.
// An identifier longer than five characters is shown whole.
std::string IdentifierPart(const std::string& component, const Tarn_Exception_Entry& entry,
                           bool withComponent) {
  if (entry.number == 0) return std::string();
  std::string part = "[";
  if (withComponent) {
    part += component;
    part += '-';
  }
  if (component == "KVD") {
    part += cmn::PadLeft(entry.message.id, '0', 5);
  } else {
    part += cmn::FormatInt(entry.number, 5);
  }
  part += "]: ";
  return part;
}

}  // namespace

const char* severityText(int32_t severity) {
  return IsKnownSeverity(severity) ? kSeverityTexts[severity] : "UNSPECIFIED";
}

uint32_t severityLogLevel(int32_t severity) {
  return IsKnownSeverity(severity) ? kSeverityLevels[severity] : kLevelProgress;
}

void formatMessage(ExceptionMessage& message) {
  std::string& text = message.text;
  text = message.messageTemplate;
  // Each placeholder is replaced once; the inserted argument is never scanned again.
  size_t i = 0;
  while (i + 3 <= text.size()) {
    if (text[i] == '{' && text[i + 1] >= '0' && text[i + 1] <= '9' && text[i + 2] == '}') {
      const size_t k = static_cast<size_t>(text[i + 1] - '0');
      if (k < message.arguments.size()) {
        const std::string& argument = message.arguments[k];
        text.replace(i, 3, argument);
        i += argument.size();
        continue;
      }
    }
    ++i;
  }
  // The value of the identifier's digits in order; wraps rather than overflowing
  // for an identifier with more than nine of them.
  uint32_t number = 0;
  for (char c : message.id) {
    if (c >= '0' && c <= '9') number = number * 10u + static_cast<uint32_t>(c - '0');
  }
  message.number = number;
}

Tarn_Exception_Entry::Tarn_Exception_Entry(std::string entryOrigin,
                                           const ExceptionMessage& entryMessage,
                                           int32_t entrySeverity)
    : origin(std::move(entryOrigin)),
      text(entryMessage.text),
      displayText(cmn::ToCodePage(std::string_view(entryMessage.text))),
      number(entryMessage.number),
      severity(entrySeverity),
      message(entryMessage) {}

Tarn_Exception_Entry::~Tarn_Exception_Entry() = default;

Tarn_Exception::Tarn_Exception() = default;

Tarn_Exception::Tarn_Exception(const std::string& origin, const ExceptionMessage& message,
                               int32_t initialSeverity)
    : severity(initialSeverity) {
  addEntry(origin, message, initialSeverity);
}

Tarn_Exception::Tarn_Exception(const std::string& origin, const std::string& text,
                               int32_t initialSeverity)
    : severity(initialSeverity) {
  ExceptionMessage message;
  message.id = "0000E";
  message.messageTemplate = "{0}";
  message.arguments.push_back(text);
  formatMessage(message);
  addEntry(origin, message, initialSeverity);
}

Tarn_Exception::Tarn_Exception(const Tarn_Exception& other)
    : std::exception(other),
      entryCount(other.entryCount),
      component(other.component),
      severity(other.severity) {
  entries.reserve(other.entries.size());
  for (const auto& entry : other.entries) {
    entries.push_back(RebuildEntry(*entry));
  }
}

Tarn_Exception& Tarn_Exception::operator=(const Tarn_Exception& other) {
  if (this == &other) return *this;
  std::vector<std::unique_ptr<Tarn_Exception_Entry>> copies;
  copies.reserve(other.entries.size());
  for (const auto& entry : other.entries) {
    copies.push_back(RebuildEntry(*entry));
  }
  std::exception::operator=(other);
  entryCount = other.entryCount;
  component = other.component;
  severity = other.severity;
  entries.swap(copies);
  return *this;
}

Tarn_Exception::~Tarn_Exception() = default;

const char* Tarn_Exception::what() const noexcept {
  return entries.empty() ? "" : entries.front()->displayText.c_str();
}

void Tarn_Exception::clear() {
  entries.clear();
  entryCount = 0;
  severity = CRITICAL_ERROR;
}

void Tarn_Exception::addEntry(const std::string& origin, const ExceptionMessage& message,
                              int32_t entrySeverity) {
  entries.push_back(std::make_unique<Tarn_Exception_Entry>(origin, message, entrySeverity));
  ++entryCount;
  if (severity == -1) severity = entrySeverity;
  if (entrySeverity > severity) severity = entrySeverity;
}

ExceptionMessage Tarn_Exception::firstMessage() const {
  return entries.empty() ? ExceptionMessage() : entries.front()->message;
}

void Tarn_Exception::writeHeadline(LogMessage& out, int32_t /*severity*/, const std::string& prefix,
                                   const std::string& body) const {
  // The headline names the exception's own severity, whatever the caller logs at.
  out.appendFormatted("%s%s: %s", severityText(severity), prefix.c_str(), body.c_str());
}

void Tarn_Exception::writeEntries(LogMessage& out, bool withOrigin) const {
  if (entries.empty()) return;
  out.lines.emplace_back("{");
  bool first = true;
  for (const auto& entry : entries) {
    const std::string origin = withOrigin ? entry->origin + " " : std::string();
    const std::string identifier = IdentifierPart(component, *entry, first);
    out.appendFormatted("  %s%s%s", origin.c_str(), identifier.c_str(), entry->text.c_str());
    first = false;
  }
  out.lines.emplace_back("}");
}

LogMessage& Tarn_Exception::toLogMessage(LogMessage& out, int32_t logSeverity, bool withOrigin,
                                         bool detailed) const {
  out = LogMessage();
  out.level = severityLogLevel(logSeverity);
  if (detailed) {
    writeHeadline(out, logSeverity, std::string(), std::string());
    writeEntries(out, withOrigin);
  } else if (!entries.empty()) {
    const Tarn_Exception_Entry& entry = *entries.front();
    writeHeadline(out, logSeverity, IdentifierPart(component, entry, true), entry.text);
  }
  return out;
}

void Tarn_Exception::log(int32_t logSeverity, bool withOrigin, bool detailed) const {
  LogMessage message;
  toLogMessage(message, logSeverity, withOrigin, detailed);
  logMessage(message);
}

void Tarn_Exception::logEntries(int32_t logSeverity, bool withOrigin) const {
  LogMessage message;
  message.level = severityLogLevel(logSeverity);
  writeEntries(message, withOrigin);
  logMessage(message);
}

void Tarn_Exception::logText(int32_t logSeverity, const char* prefix, const char* body) const {
  LogMessage message;
  message.level = severityLogLevel(logSeverity);
  writeHeadline(message, logSeverity, prefix == nullptr ? std::string() : std::string(prefix),
                body == nullptr ? std::string() : std::string(body));
  logMessage(message);
}
