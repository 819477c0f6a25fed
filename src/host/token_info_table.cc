// Tested by tests/host/host_services_test.cc.
#include "host/token_info_table.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "common/string_util.h"
#include "common/terminal_text.h"

namespace zeb {
namespace {

// Bytes of a field a problem shows.
constexpr size_t kShownFieldBytes = 64;

std::string keyOf(std::string_view category, std::string_view word) {
  std::string key;
  key.reserve(category.size() + word.size() + 1);
  key.append(category).append(1, '\t').append(word);
  cmn::AsciiUpper(key);
  return key;
}

std::string_view trimmed(std::string_view text) {
  size_t begin = text.find_first_not_of(" \r");
  if (begin == std::string_view::npos) return {};
  size_t end = text.find_last_not_of(" \r");
  return text.substr(begin, end - begin + 1);
}

}  // namespace

void TokenInfoTable::put(std::string key, const Entry& entry) {
  auto found = entries_.find(key);
  if (found != entries_.end() && entry.fromWildcard && !found->second.fromWildcard) return;
  entries_[std::move(key)] = entry;
}

void TokenInfoTable::add(std::string_view category, std::string_view word,
                         std::string_view standardForm, int32_t score) {
  Entry entry{std::string(standardForm), score, category == "*"};
  longestWord_ = std::max(longestWord_, word.size());
  if (entry.fromWildcard) {
    put(keyOf("STR_NAME", word), entry);
    put(keyOf("CITY", word), entry);
  } else {
    put(keyOf(category, word), entry);
  }
}

bool TokenInfoTable::load(const std::string& path, std::vector<std::string>& problems) {
  std::error_code ignored;
  if (!std::filesystem::exists(path, ignored)) return true;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    problems.push_back(cmn::EscapeForTerminal(path) + ": cannot be read");
    return false;
  }
  // The file's name and text reach a terminal: both are escaped. A broken file may
  // have thousands of bad lines; the first few are described, the rest counted.
  const std::string shownPath = cmn::EscapeForTerminal(path);
  size_t malformedLines = 0;
  std::string line;
  size_t lineNumber = 0;
  while (std::getline(in, line)) {
    ++lineNumber;
    std::string_view rest = line;
    if (!rest.empty() && rest.back() == '\r') rest.remove_suffix(1);
    if (trimmed(rest).empty() || rest.front() == '#') continue;
    std::vector<std::string_view> fields;
    for (;;) {
      size_t tab = rest.find('\t');
      fields.push_back(rest.substr(0, tab));
      if (tab == std::string_view::npos) break;
      rest.remove_prefix(tab + 1);
    }
    auto complain = [&](const std::string& what) {
      if (++malformedLines <= kDescribedMalformedLines) {
        problems.push_back(shownPath + ":" + std::to_string(lineNumber) + ": " + what);
      }
    };
    if (fields.size() < 2 || fields.size() > 4) {
      complain("expected category<TAB>word<TAB>standardForm<TAB>score, got " +
               std::to_string(fields.size()) + " fields");
      continue;
    }
    std::string_view category = trimmed(fields[0]);
    std::string_view word = trimmed(fields[1]);
    if (category != "STR_NAME" && category != "CITY" && category != "*") {
      complain("unknown category [" + cmn::EscapeForTerminal(category, kShownFieldBytes) + "]");
      continue;
    }
    if (word.empty()) {
      complain("empty word");
      continue;
    }
    std::string_view standardForm = fields.size() > 2 ? trimmed(fields[2]) : std::string_view();
    int32_t score = kDefaultTokenScore;
    std::string_view scoreText = fields.size() > 3 ? trimmed(fields[3]) : std::string_view();
    if (!scoreText.empty()) {
      auto [end, error] =
          std::from_chars(scoreText.data(), scoreText.data() + scoreText.size(), score);
      if (error != std::errc() || end != scoreText.data() + scoreText.size()) {
        complain("score is not an integer [" + cmn::EscapeForTerminal(scoreText, kShownFieldBytes) +
                 "]");
        continue;
      }
    }
    add(category, word, standardForm, score);
  }
  if (malformedLines > kDescribedMalformedLines) {
    problems.push_back(shownPath + ": " +
                       std::to_string(malformedLines - kDescribedMalformedLines) +
                       " more malformed lines");
  }
  return true;
}

bool TokenInfoTable::lookup(const char* category, const char* word, TokenInfo* info) const {
  if (category == nullptr || word == nullptr) return false;
  if (strnlen(word, longestWord_ + 1) > longestWord_) return false;
  auto found = entries_.find(keyOf(category, word));
  if (found == entries_.end()) return false;
  if (info != nullptr) {
    const Entry& entry = found->second;
    info->standardForm = entry.standardForm.empty() ? nullptr : entry.standardForm.c_str();
    info->score = entry.score;
  }
  return true;
}

}  // namespace zeb
