// A libxml2 parser context kept per thread and reused, shared by the two readers of
// record documents (XMLDoc and FlatDocument).
#pragma once

#include <libxml/parser.h>

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

}  // namespace xml
