// A rule of the address parser as loaded from a RULE element, with its condition
// compiled on first use. Loaded by rule_loader.cc; tested by
// tests/addressparser/parser_config_test.cc and condition_test.cc.
#pragma once

#include <atomic>
#include <memory>
#include <vector>

#include "addressparser/address_parser.h"
#include "addressparser/condition_node.h"
#include "addressparser/token.h"
#include "common/mutex.h"

namespace addr {

struct ConditionProgram;

struct Rule : RuleText {
  Rule();
  Rule(const Rule&) = delete;
  Rule& operator=(const Rule&) = delete;
  ~Rule();

  std::vector<TokenMeaning> eliminate;
  TokenMeaning set = UNKNOWN;
  TokenMeaning setNext = UNKNOWN;
  bool terminal = false;
  bool withContext = false;

  // The compiled condition and the program evaluation runs (which points into the
  // tree), compiled on the first call from any thread. Records are parsed on many
  // threads at once: the compilation runs under compileMutex_, and a compilation
  // that throws leaves the flag unset, so the next evaluation compiles (and throws)
  // again. Not std::call_once: a callable that throws may leave the other callers
  // waiting for ever with some C++ libraries and under ThreadSanitizer. The
  // condition must not be empty.
  const ConditionProgram& compiledProgram() const;
  const ConditionNode& compiledCondition() const;

 private:
  void compile() const REQUIRES(compileMutex_);

  mutable cmn::Mutex compileMutex_;
  // Set once compile() finished: later calls read the program without the lock.
  mutable std::atomic<bool> compiled_{false};
  mutable std::unique_ptr<ConditionNode> condition_;
  mutable std::unique_ptr<ConditionProgram> program_;
};

using RuleList = std::vector<std::unique_ptr<Rule>>;

}  // namespace addr
