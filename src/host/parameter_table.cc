// Tested by tests/host/host_services_test.cc.
#include "host/parameter_table.h"

#include <fstream>
#include <sstream>

#include "common/string_util.h"
#include "common/terminal_text.h"

namespace zeb {
namespace {

std::string_view trimmed(std::string_view text) {
  size_t begin = text.find_first_not_of(" \t\r\n");
  if (begin == std::string_view::npos) return {};
  size_t end = text.find_last_not_of(" \t\r\n");
  return text.substr(begin, end - begin + 1);
}

}  // namespace

std::string ParameterTable::keyOf(std::string_view section, std::string_view key) {
  std::string result;
  result.reserve(section.size() + key.size() + 1);
  result.append(section).append(1, '\n').append(key);
  cmn::AsciiUpper(result);
  return result;
}

void ParameterTable::set(std::string_view section, std::string_view key, std::string_view value) {
  values_[keyOf(section, key)] = std::string(value);
}

const char* ParameterTable::query(const char* section, const char* key) const {
  if (section == nullptr || key == nullptr) return nullptr;
  auto found = values_.find(keyOf(section, key));
  return found == values_.end() ? nullptr : found->second.c_str();
}

bool ParameterTable::loadIni(const std::string& path, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot open parameter file [" + cmn::EscapeForTerminal(path) + "]";
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  return loadIniText(text.str(), path, error);
}

bool ParameterTable::loadIniText(std::string_view text, const std::string& sourceName,
                                 std::string& error) {
  std::string section;
  size_t lineNumber = 0;
  while (!text.empty()) {
    size_t newline = text.find('\n');
    std::string_view line = trimmed(text.substr(0, newline));
    text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
    ++lineNumber;
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (line.front() == '[') {
      if (line.back() != ']') {
        error = cmn::EscapeForTerminal(sourceName) + ":" + std::to_string(lineNumber) +
                ": unclosed section [" + cmn::EscapeForTerminal(line) + "]";
        return false;
      }
      section = std::string(trimmed(line.substr(1, line.size() - 2)));
      continue;
    }
    size_t equals = line.find('=');
    if (equals == std::string_view::npos || trimmed(line.substr(0, equals)).empty()) {
      error = cmn::EscapeForTerminal(sourceName) + ":" + std::to_string(lineNumber) +
              ": expected KEY=VALUE, got [" + cmn::EscapeForTerminal(line) + "]";
      return false;
    }
    set(section, trimmed(line.substr(0, equals)), trimmed(line.substr(equals + 1)));
  }
  return true;
}

}  // namespace zeb
