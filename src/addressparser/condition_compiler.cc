// Compiles rule conditions into ConditionNode trees; tested by
// condition_test.cc.
//
// The tree builder is an operator-precedence parser with explicit stacks, so neither
// compiling nor releasing a tree recurses: "AND" and "OR" share one precedence and
// group from the left, "NOT" binds tighter, parentheses group.
#include "addressparser/condition_compiler.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "addressparser/condition_keywords.h"
#include "errors/tarn_exception.h"

namespace addr {

ConditionNode::~ConditionNode() {
  if (!left && !right) return;
  // Detach the operands and release them one at a time from a work list, so that no
  // destructor call ever finds a child to recurse into.
  std::vector<std::unique_ptr<ConditionNode>> pending;
  if (left) pending.push_back(std::move(left));
  if (right) pending.push_back(std::move(right));
  while (!pending.empty()) {
    std::unique_ptr<ConditionNode> node = std::move(pending.back());
    pending.pop_back();
    if (node->left) pending.push_back(std::move(node->left));
    if (node->right) pending.push_back(std::move(node->right));
  }
}

namespace {

constexpr size_t kMaxQuotedCondition = 100;

// The message texts are those rule authors have always seen; keep them byte for byte.
[[noreturn]] void throwUnknownParameter(std::string_view item) {
  std::string text = "Error reading address parser rules. Unknown parameter: ";
  text.append(item);
  throw Tarn_Exception(std::string(), text, CRITICAL_ERROR);
}

[[noreturn]] void throwMissingOperand(std::string_view operatorWord, std::string_view condition) {
  std::string text = "Error reading address parser rules. Operator without operand: ";
  text.append(operatorWord);
  text.append(" in condition [");
  if (condition.size() > kMaxQuotedCondition) {
    text.append(condition.substr(0, kMaxQuotedCondition));
    text.append("...");
  } else {
    text.append(condition);
  }
  text.append("]");
  throw Tarn_Exception(std::string(), text, CRITICAL_ERROR);
}

enum class WordKind { kOperand, kOpen, kClose, kBinary, kNot };

WordKind kindOfWord(std::string_view word) {
  if (word == "(") return WordKind::kOpen;
  if (word == ")") return WordKind::kClose;
  if (word == "AND" || word == "OR") return WordKind::kBinary;
  if (word == "NOT") return WordKind::kNot;
  return WordKind::kOperand;
}

bool isAsciiDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

bool isComparisonWord(std::string_view item) {
  return item == "==" || item == "!=" || item == "<" || item == "<=" || item == ">" || item == ">=";
}

// Builds the tree from the words of a condition, one method per word kind; the
// driver loop in compileCondition only dispatches.
class ConditionTreeBuilder {
 public:
  enum class Op { kOpen, kNot, kAnd, kOr };

  explicit ConditionTreeBuilder(std::string_view conditionText) : condition_(conditionText) {}

  // Compiles a term and pushes it as an operand.
  void operand(const std::string& word) { operands_.push_back(compileLeaf(word)); }
  // "NOT" and "(" wait for the operand that follows them.
  void prefix(Op op) { operators_.push_back({op, operands_.size()}); }
  // "AND"/"OR": applies every waiting operator back to the innermost "(", then waits.
  void binary(Op op) {
    while (!operators_.empty() && operators_.back().op != Op::kOpen) applyTop();
    operators_.push_back({op, operands_.size()});
  }
  // ")": applies operators back to the matching "(" and drops it; unmatched, ignored.
  void close() {
    while (!operators_.empty() && operators_.back().op != Op::kOpen) applyTop();
    if (operators_.empty()) return;
    if (operands_.size() <= operators_.back().operandMark) throwMissingOperand("()", condition_);
    operators_.pop_back();
  }
  // Applies everything left, top first, and gives the last operand.
  std::unique_ptr<ConditionNode> finish() {
    while (!operators_.empty()) applyTop();
    if (operands_.empty()) throwMissingOperand("()", condition_);
    return std::move(operands_.back());
  }

 private:
  struct PendingOperator {
    Op op;
    size_t operandMark;  // operands on the stack when the operator was read
  };

  std::unique_ptr<ConditionNode> popOperand() {
    std::unique_ptr<ConditionNode> top = std::move(operands_.back());
    operands_.pop_back();
    return top;
  }

  // Every operator needs an operand read after it; "AND"/"OR" need a second one.
  void applyTop() {
    PendingOperator top = operators_.back();
    operators_.pop_back();
    const bool isBinary = top.op == Op::kAnd || top.op == Op::kOr;
    if (operands_.size() <= top.operandMark || (isBinary && operands_.size() < 2)) {
      throwMissingOperand(operatorWord(top.op), condition_);
    }
    auto node = std::make_unique<ConditionNode>();
    node->right = popOperand();
    if (isBinary) node->left = popOperand();
    node->operatorText = operatorWord(top.op);
    switch (top.op) {
      case Op::kNot:
        node->nodeKind = NOT;
        break;
      case Op::kAnd:
        node->nodeKind = AND;
        break;
      case Op::kOr:
        node->nodeKind = OR;
        break;
      // An unmatched "(" becomes a keyword-less leaf around its operand: that part
      // of the condition is false. Intended; rule files rely on it reading so.
      case Op::kOpen:
        node->nodeKind = LEAF;
        break;
    }
    operands_.push_back(std::move(node));
  }

  static const char* operatorWord(Op op) {
    switch (op) {
      case Op::kOpen:
        return "(";
      case Op::kNot:
        return "NOT";
      case Op::kAnd:
        return "AND";
      case Op::kOr:
        return "OR";
    }
    return "";
  }

  std::string_view condition_;
  std::vector<PendingOperator> operators_;
  std::vector<std::unique_ptr<ConditionNode>> operands_;
};

std::unique_ptr<ConditionNode> alwaysTrueCondition() {
  auto node = std::make_unique<ConditionNode>();
  node->nodeKind = NOT;
  node->operatorText = "NOT";
  node->right = std::make_unique<ConditionNode>();
  return node;
}

}  // namespace

std::vector<std::string> splitConditionWords(std::string_view conditionText) {
  std::vector<std::string> words;
  size_t start = 0;
  while (start < conditionText.size()) {
    size_t end = conditionText.find(' ', start);
    if (end == std::string_view::npos) end = conditionText.size();
    if (end > start) words.emplace_back(conditionText.substr(start, end - start));
    start = end + 1;
  }
  return words;
}

std::vector<std::string> splitParentheses(const std::vector<std::string>& words) {
  std::vector<std::string> out;
  out.reserve(words.size());
  for (const std::string& word : words) {
    size_t start = 0;
    for (size_t i = 0; i < word.size(); ++i) {
      if (word[i] != '(' && word[i] != ')') continue;
      if (i > start) out.push_back(word.substr(start, i - start));
      out.emplace_back(1, word[i]);
      start = i + 1;
    }
    if (start < word.size()) out.push_back(word.substr(start));
  }
  return out;
}

std::vector<std::string> joinTermParameters(const std::vector<std::string>& words) {
  std::vector<std::string> out;
  out.reserve(words.size());
  size_t i = 0;
  while (i < words.size()) {
    if (i + 3 < words.size() && kindOfWord(words[i]) == WordKind::kOperand && words[i + 1] == "(" &&
        kindOfWord(words[i + 2]) == WordKind::kOperand && words[i + 3] == ")") {
      out.push_back(words[i] + ":" + words[i + 2]);
      i += 4;
    } else {
      out.push_back(words[i]);
      ++i;
    }
  }
  return out;
}

int32_t parseOffset(std::string_view item) {
  int sign;
  if (item.starts_with("PREV")) {
    sign = -1;
  } else if (item.starts_with("NEXT")) {
    sign = 1;
  } else {
    return 0;
  }
  std::string_view rest = item.substr(4);
  size_t pos = 0;
  while (pos < rest.size() && (rest[pos] == ' ' || (rest[pos] >= '\t' && rest[pos] <= '\r'))) {
    ++pos;
  }
  int64_t numberSign = 1;
  if (pos < rest.size() && (rest[pos] == '+' || rest[pos] == '-')) {
    if (rest[pos] == '-') numberSign = -1;
    ++pos;
  }
  // Clamped so that negating stays in range; such offsets leave any address anyway.
  constexpr int64_t kLimit = std::numeric_limits<int32_t>::max();
  int64_t number = 0;
  for (; pos < rest.size() && rest[pos] >= '0' && rest[pos] <= '9'; ++pos) {
    number = number * 10 + (rest[pos] - '0');
    if (number > kLimit) number = kLimit;
  }
  number *= numberSign;
  if (number == 0) return sign;
  return static_cast<int32_t>(sign * number);
}

ConditionParameters parseConditionParameters(std::string_view parameterText) {
  ConditionParameters result;
  std::vector<std::string_view> items;
  size_t start = 0;
  while (start <= parameterText.size()) {
    size_t end = parameterText.find(',', start);
    if (end == std::string_view::npos) end = parameterText.size();
    if (end > start) items.push_back(parameterText.substr(start, end - start));
    start = end + 1;
  }
  if (items.empty()) return result;

  size_t first = 0;
  result.offset = parseOffset(items[0]);
  if (result.offset != 0) first = 1;
  for (size_t i = first; i < items.size(); ++i) {
    TokenMeaning meaning = meaningFromName(items[i]);
    if (meaning == UNKNOWN && parseOffset(items[i]) == 0 && !isAsciiDigits(items[i]) &&
        !isComparisonWord(items[i])) {
      throwUnknownParameter(items[i]);
    }
    result.parameters.push_back(meaning);
  }
  return result;
}

std::unique_ptr<ConditionNode> compileLeaf(const std::string& word) {
  auto leaf = std::make_unique<ConditionNode>();
  leaf->termText = word;
  size_t colon = word.find(':');
  std::string_view keywordText = word;
  if (colon != std::string::npos) {
    keywordText = std::string_view(word).substr(0, colon);
    leaf->parameterText = word.substr(colon + 1);
  }
  leaf->keyword = keywordCode(keywordText);
  ConditionParameters parsed = parseConditionParameters(leaf->parameterText);
  leaf->offset = parsed.offset;
  leaf->parameters = std::move(parsed.parameters);
  return leaf;
}

std::unique_ptr<ConditionNode> compileCondition(std::string_view conditionText) {
  std::vector<std::string> words =
      joinTermParameters(splitParentheses(splitConditionWords(conditionText)));
  if (words.empty()) return alwaysTrueCondition();

  using Op = ConditionTreeBuilder::Op;
  ConditionTreeBuilder builder(conditionText);
  for (const std::string& word : words) {
    switch (kindOfWord(word)) {
      case WordKind::kOperand:
        builder.operand(word);
        break;
      case WordKind::kOpen:
        builder.prefix(Op::kOpen);
        break;
      case WordKind::kNot:
        builder.prefix(Op::kNot);
        break;
      case WordKind::kBinary:
        builder.binary(word == "AND" ? Op::kAnd : Op::kOr);
        break;
      case WordKind::kClose:
        builder.close();
        break;
    }
  }
  return builder.finish();
}

LengthTest parseLengthTest(std::string_view parameterText) {
  std::string_view previous;
  std::string_view number;
  size_t start = 0;
  while (start < parameterText.size()) {
    size_t end = parameterText.find(',', start);
    if (end == std::string_view::npos) end = parameterText.size();
    std::string_view item = parameterText.substr(start, end - start);
    start = end + 1;
    if (item.empty()) continue;
    if (isAsciiDigits(item)) {
      number = item;
      break;
    }
    previous = item;
  }
  LengthTest test;
  if (number.empty()) return test;
  // Lengths beyond this saturate; no token is that long.
  constexpr uint64_t kSaturated = uint64_t{1} << 62;
  for (char digit : number) {
    test.length = test.length * 10 + static_cast<uint64_t>(digit - '0');
    if (test.length > kSaturated) test.length = kSaturated;
  }
  if (previous == "!=") {
    test.comparison = LengthComparison::kNotEqual;
  } else if (previous == ">") {
    test.comparison = LengthComparison::kGreater;
  } else if (previous == ">=") {
    test.comparison = LengthComparison::kGreaterOrEqual;
  } else if (previous == "<") {
    test.comparison = LengthComparison::kLess;
  } else if (previous == "<=") {
    test.comparison = LengthComparison::kLessOrEqual;
  } else {
    test.comparison = LengthComparison::kEqual;
  }
  return test;
}

ConditionProgram compileProgram(const ConditionNode& root) {
  // Compiles each node against the exits its value leads to. An operator's right
  // operand is compiled first, since its entry is one of the left operand's exits;
  // the frame then turns into its left operand's (or, for NOT, its operand's) frame.
  struct Frame {
    const ConditionNode* node;
    uint32_t onTrue;
    uint32_t onFalse;
    bool rightCompiled;
  };
  ConditionProgram program;
  std::vector<Frame> pending{{&root, kConditionHolds, kConditionFails, false}};
  uint32_t entry = kConditionFails;  // of the frame finished last
  while (!pending.empty()) {
    Frame& frame = pending.back();
    const ConditionNode& node = *frame.node;
    const bool binary = node.nodeKind == AND || node.nodeKind == OR;
    if (node.nodeKind == LEAF) {
      entry = frame.onFalse;
      if (node.keyword >= 1 && node.keyword <= kKeywordCount) {
        entry = static_cast<uint32_t>(program.steps.size());
        ConditionStep step{node.keyword,
                           node.offset,
                           node.parameters.empty() ? UNKNOWN : node.parameters.front(),
                           frame.onTrue,
                           frame.onFalse,
                           &node,
                           LengthTest()};
        if (node.keyword == kLengthIs) step.lengthTest = parseLengthTest(node.parameterText);
        program.steps.push_back(step);
      }
      pending.pop_back();
    } else if (node.nodeKind == NOT && node.right) {
      frame = {node.right.get(), frame.onFalse, frame.onTrue, false};
    } else if (binary && node.left && node.right && !frame.rightCompiled) {
      frame.rightCompiled = true;
      const Frame right{node.right.get(), frame.onTrue, frame.onFalse, false};
      pending.push_back(right);  // may move `frame`
    } else if (binary && node.left && node.right) {
      // `entry` is the right operand's: where the left goes when it does not decide.
      if (node.nodeKind == AND) {
        frame = {node.left.get(), entry, frame.onFalse, false};
      } else {
        frame = {node.left.get(), frame.onTrue, entry, false};
      }
    } else {
      entry = frame.onFalse;  // an operator missing an operand is false
      pending.pop_back();
    }
  }
  // Leaves were laid out right to left; reversed, the array follows the text and
  // every jump goes forward.
  const auto last = static_cast<uint32_t>(program.steps.size()) - 1;
  auto renumber = [last](uint32_t& at) {
    if (at < kConditionFails) at = last - at;
  };
  std::reverse(program.steps.begin(), program.steps.end());
  for (ConditionStep& step : program.steps) {
    renumber(step.onTrue);
    renumber(step.onFalse);
  }
  renumber(entry);
  program.entry = entry;
  return program;
}

namespace {

void dumpNode(const ConditionNode* node, size_t depth, std::string& out) {
  if (node == nullptr) return;
  if (depth >= kMaxDumpDepth) {
    out += "...";
    return;
  }
  const bool unmatchedOpen = node->nodeKind == LEAF && node->operatorText == "(";
  if (node->nodeKind == LEAF && !unmatchedOpen) {
    out += node->termText;
    return;
  }
  out += unmatchedOpen ? "OPEN" : node->operatorText;
  out += '(';
  if (node->nodeKind == AND || node->nodeKind == OR) {
    dumpNode(node->left.get(), depth + 1, out);
    out += ',';
  }
  dumpNode(node->right.get(), depth + 1, out);
  out += ')';
}

// Visits the leaves left to right with an explicit stack.
template <typename Visit>
void forEachTerm(const ConditionNode& root, Visit visit) {
  std::vector<const ConditionNode*> pending{&root};
  while (!pending.empty()) {
    const ConditionNode* node = pending.back();
    pending.pop_back();
    if (node->nodeKind == LEAF && node->operatorText.empty()) {
      if (!node->termText.empty()) visit(*node);
      continue;
    }
    if (node->right) pending.push_back(node->right.get());
    if (node->left) pending.push_back(node->left.get());
  }
}

}  // namespace

std::string dumpCondition(const ConditionNode& root) {
  std::string out;
  dumpNode(&root, 0, out);
  return out;
}

std::vector<std::string> unknownKeywords(const ConditionNode& root) {
  std::vector<std::string> found;
  forEachTerm(root, [&](const ConditionNode& leaf) {
    if (leaf.keyword < 1 || leaf.keyword > kKeywordCount) {
      found.push_back(leaf.termText.substr(0, leaf.termText.find(':')));
    }
  });
  return found;
}

std::vector<std::string> termsMissingMeaning(const ConditionNode& root) {
  std::vector<std::string> found;
  forEachTerm(root, [&](const ConditionNode& leaf) {
    if (keywordNeedsMeaning(leaf.keyword) && leaf.parameters.empty()) {
      found.push_back(leaf.termText);
    }
  });
  return found;
}

}  // namespace addr
