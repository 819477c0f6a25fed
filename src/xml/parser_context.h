// What the two readers of record documents (XMLDoc and FlatDocument) share: the
// parser context kept per thread, the push of a whole document, the error capture.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <string>

#include <libxml/parser.h>
#include <libxml/xmlerror.h>

namespace xml {

// Each thread keeps one parser context of each kind and reuses it: creating a
// context and its name dictionary costs about a tenth of a small record's processing.
// Documents share the dictionary (reference-counted by libxml2), and since the parser
// also interns very short texts there, a context is renewed now and then so the
// dictionary cannot grow without bound over millions of records. A context that saw a
// failure is dropped rather than trusted to reset completely.
class ThreadParserContext {
 public:
  enum class Kind { kPush, kMemory };

  explicit ThreadParserContext(Kind kind) : kind_(kind) {}
  ~ThreadParserContext() { Drop(); }
  ThreadParserContext(const ThreadParserContext&) = delete;
  ThreadParserContext& operator=(const ThreadParserContext&) = delete;

  xmlParserCtxtPtr Acquire() {
    if (context_ != nullptr && parses_ >= kParsesPerContext) {
      Drop();
    }
    if (context_ == nullptr) {
      context_ = kind_ == Kind::kPush
                     ? xmlCreatePushParserCtxt(nullptr, nullptr, nullptr, 0, nullptr)
                     : xmlNewParserCtxt();
      parses_ = 0;
    }
    ++parses_;
    return context_;
  }

  void Drop() {
    xmlFreeParserCtxt(context_);
    context_ = nullptr;
  }

 private:
  static constexpr int kParsesPerContext = 4096;
  const Kind kind_;
  xmlParserCtxtPtr context_ = nullptr;
  int parses_ = 0;
};

// Record documents up to this size go to the push parser whole, as its last chunk.
// Knowing the input is complete, libxml2 never tries to grow it, which the parser
// reading from memory does every time fewer than 250 bytes remain: on most of a
// record of a few hundred bytes. Larger documents are read from memory, which is
// not bound by the push parser's look-ahead limit of ten million bytes.
inline constexpr size_t kLargestPushedDocument = 1 << 20;

// Ends the push of a whole document (handed to xmlCtxtResetPush); true when libxml2
// took it as well formed. A failed encoding conversion halts the parser and may show
// only in the status, so the status is checked as well as the well-formed flag.
inline bool FinishWholeDocument(xmlParserCtxtPtr context) {
  const int status = xmlParseChunk(context, nullptr, 0, 1);
  return status == 0 && context->wellFormed;
}

// While it lives, what libxml2 reports on this thread through its generic error
// channel (failed encoding conversions, for one) is kept here instead of reaching the
// host's standard error; the thread's previous handler comes back afterwards.
class GenericErrorCapture {
 public:
  GenericErrorCapture()
      : previous_(xmlGenericError), previousContext_(xmlGenericErrorContext) {
    xmlSetGenericErrorFunc(this, &Collect);
  }
  ~GenericErrorCapture() { xmlSetGenericErrorFunc(previousContext_, previous_); }
  GenericErrorCapture(const GenericErrorCapture&) = delete;
  GenericErrorCapture& operator=(const GenericErrorCapture&) = delete;

  // The first report, without its line end; empty when there was none.
  std::string FirstReport() const { return text_.substr(0, text_.find('\n')); }

 private:
  static constexpr size_t kKeptBytes = 512;

  static void Collect(void* self, const char* format, ...) {
    auto* capture = static_cast<GenericErrorCapture*>(self);
    if (capture->text_.size() >= kKeptBytes) return;
    char piece[kKeptBytes];
    va_list arguments;
    va_start(arguments, format);
    int written = std::vsnprintf(piece, sizeof piece, format, arguments);
    va_end(arguments);
    if (written > 0) capture->text_.append(piece);
  }

  xmlGenericErrorFunc previous_;
  void* previousContext_;
  std::string text_;
};

}  // namespace xml
