// The once-only compilation of a rule's condition. Tested by condition_test.cc.
#include "addressparser/rule.h"

#include "addressparser/condition_compiler.h"
#include "addressparser/condition_program.h"

namespace addr {

Rule::Rule() = default;
Rule::~Rule() = default;

void Rule::compile() const {
  // Both are kept only once both exist; the tree first, as the program points into it.
  std::unique_ptr<ConditionNode> root = compileCondition(condition);
  auto program = std::make_unique<ConditionProgram>(compileProgram(*root));
  condition_ = std::move(root);
  program_ = std::move(program);
  compiled_.store(true, std::memory_order_release);
}

const ConditionProgram& Rule::compiledProgram() const {
  if (!compiled_.load(std::memory_order_acquire)) {
    cmn::MutexLock lock(compileMutex_);
    if (!compiled_.load(std::memory_order_relaxed)) compile();
  }
  return *program_;
}

const ConditionNode& Rule::compiledCondition() const {
  compiledProgram();
  return *condition_;
}

}  // namespace addr
