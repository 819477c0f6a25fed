// The exception family of the system: numbered, severity-graded messages that can
// render themselves as log lines. Thrown by value. Tested by tests/errors/tarn_exception_test.cc.
#pragma once

#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <vector>


struct LogMessage;

enum Severity : int32_t {
  INFORMATION = 0,
  WARNING = 1,
  MINOR_ERROR = 2,
  MAJOR_ERROR = 3,
  CRITICAL_ERROR = 4,
};

const char* severityText(int32_t severity);     // "UNSPECIFIED" for any other value
uint32_t severityLogLevel(int32_t severity);    // 0->16, 1->4, 2,3->2, 4->1, other->64

struct ExceptionMessage {
  uint32_t number = 0;
  std::string id;
  std::string messageTemplate;
  std::string text;
  std::vector<std::string> arguments;
};

// Fills `text` (placeholders {k} replaced once, left to right) and `number`.
void formatMessage(ExceptionMessage& message);

class Tarn_Exception_Entry {
 public:
  Tarn_Exception_Entry(std::string origin, const ExceptionMessage& message, int32_t severity);
  virtual ~Tarn_Exception_Entry();

  std::string origin;
  std::string text;
  std::string displayText;
  uint32_t number = 0;
  int32_t severity = CRITICAL_ERROR;
  ExceptionMessage message;
};

class Tarn_Exception : public std::exception {
 public:
  Tarn_Exception();
  Tarn_Exception(const std::string& origin, const ExceptionMessage& message, int32_t severity);
  // Files the text as the single argument of message "0000E" with template "{0}".
  Tarn_Exception(const std::string& origin, const std::string& text, int32_t severity);
  Tarn_Exception(const Tarn_Exception& other);
  Tarn_Exception& operator=(const Tarn_Exception& other);
  ~Tarn_Exception() override;

  const char* what() const noexcept override;
  virtual void clear();
  virtual void log(int32_t severity, bool withOrigin, bool detailed) const;
  virtual LogMessage& toLogMessage(LogMessage& out, int32_t severity, bool withOrigin,
                                   bool detailed) const;
  virtual void logEntries(int32_t severity, bool withOrigin) const;
  virtual void logText(int32_t severity, const char* prefix, const char* body) const;
  virtual void writeEntries(LogMessage& out, bool withOrigin) const;
  virtual void writeHeadline(LogMessage& out, int32_t severity, const std::string& prefix,
                             const std::string& body) const;

  void addEntry(const std::string& origin, const ExceptionMessage& message, int32_t severity);
  ExceptionMessage firstMessage() const;

  int32_t entryCount = 0;
  std::string component = "KVD";
  int32_t severity = CRITICAL_ERROR;
  std::vector<std::unique_ptr<Tarn_Exception_Entry>> entries;
};

class TarnLog_Exception : public Tarn_Exception {
 public:
  using Tarn_Exception::Tarn_Exception;
  TarnLog_Exception(const Tarn_Exception& other) : Tarn_Exception(other) {}
};
