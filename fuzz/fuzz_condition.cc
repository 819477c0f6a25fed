// Fuzzes the condition language: compile a condition text and evaluate it at every
// position of a fixed token list. Compilation may throw Tarn_Exception (an unknown
// parameter); nothing else may escape, and deep nesting must not overflow the stack.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "addressparser/condition_compiler.h"
#include "addressparser/condition_evaluator.h"
#include "addressparser/parser_config.h"
#include "addressparser/tokeniser.h"
#include "errors/tarn_exception.h"
#include "fuzz_config.h"

namespace {
addr::AddressParserPtr parser;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  addr::AddressParser::load(fuzz::writeConfiguration(), parser);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Shipped conditions run to 6,303 characters (the longest, in seed c10.txt, also
  // lifts libFuzzer's default input length above 4,096); 16 KiB leaves them room to
  // grow while keeping each run short.
  if (size > 16384) return 0;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::unique_ptr<addr::ConditionNode> root;
  try {
    root = addr::compileCondition(text);
  } catch (const Tarn_Exception&) {
    return 0;
  }
  if (!root) return 0;
  addr::dumpCondition(*root);
  const addr::ParserConfig& config = addr::configOf(*parser);
  addr::TokenList tokens =
      addr::tokeniseAddress(config, "123 N MAIN ST APT 4 PO BOX 7 # 12 E", "US");
  for (size_t position = 0; position < tokens.size(); ++position) {
    addr::evaluateConditionNode(config, *root, tokens, position);
  }
  return 0;
}
