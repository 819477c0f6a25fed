// Tested by tests/tools/zebparse_test.cc.
#include "tools/zebparse/command_line.h"

#include <filesystem>
#include <fstream>
#include <iostream>

#include "common/os.h"

namespace zebparse {

bool parseArguments(int argc, char** argv, int first, const std::set<std::string>& valued,
                    const std::set<std::string>& flags, Arguments& out, std::string& error) {
  bool optionsOver = false;
  for (int i = first; i < argc; ++i) {
    std::string arg = argv[i];
    if (!optionsOver && arg == "-h") arg = "--help";
    if (optionsOver || arg.size() < 2 || arg[0] != '-' || arg == "-") {
      out.positional.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsOver = true;
      continue;
    }
    std::string name = arg;
    std::string value;
    bool hasValue = false;
    if (size_t equals = arg.find('='); equals != std::string::npos) {
      name = arg.substr(0, equals);
      value = arg.substr(equals + 1);
      hasValue = true;
    }
    if (valued.count(name) != 0) {
      if (!hasValue) {
        if (i + 1 >= argc) {
          error = "option " + name + " needs a value";
          return false;
        }
        value = argv[++i];
      }
      out.values[name] = value;
      out.ordered.emplace_back(name, value);
    } else if (flags.count(name) != 0 && !hasValue) {
      out.flags.insert(name);
    } else {
      error = "unknown option " + arg;
      return false;
    }
  }
  return true;
}

std::string oneLine(std::string message) {
  for (char& c : message) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  while (!message.empty() && message.back() == ' ') message.pop_back();
  return message;
}

bool isBlankFile(const std::string& path) {
  std::error_code failure;
  if (!std::filesystem::is_regular_file(path, failure)) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  for (char c; in.get(c);) {
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') return false;
  }
  return in.eof();
}

std::string executableDirectory() {
  const std::string exe = cmn::executablePath();
  return exe.empty() ? exe : std::filesystem::path(exe).parent_path().string();
}

std::string defaultPluginPath() {
  return (std::filesystem::path(executableDirectory()) / ZEB_PLUGIN_FROM_BIN)
      .lexically_normal()
      .string();
}

std::string defaultSupportDirectory() {
  return (std::filesystem::path(executableDirectory()) / ".." / "share" / "zebparse" / "support")
      .lexically_normal()
      .string();
}

bool checkSupportDirectory(const std::string& dir, std::string& error,
                           std::vector<std::string>& warnings) {
  std::error_code failure;
  if (!std::filesystem::is_directory(dir, failure)) {
    error = "support directory [" + dir + "] " +
            (std::filesystem::exists(dir, failure) ? "is not a directory" : "does not exist");
    return false;
  }
  auto file = [&](const char* name) { return (std::filesystem::path(dir) / name).string(); };
  std::string config = file("addressParserMetaData.xml");
  if (!std::filesystem::exists(config, failure)) {
    error = "configuration file [" + config + "] is missing";
    return false;
  }
  std::string tokens = file("tokenInfo.tsv");
  if (!std::filesystem::exists(tokens, failure)) {
    warnings.push_back("token data [" + tokens +
                       "] is missing: STR_NAME_STD and CITY_STD are built without it");
  }
  return true;
}

int usageError(const char* command, const std::string& message) {
  std::cerr << "zebparse " << command << ": " << message << " (try 'zebparse " << command
            << " --help')\n";
  return kExitUsage;
}

std::string lowerCase(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

}  // namespace zebparse
