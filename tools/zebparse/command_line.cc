// Tested by tests/tools/zebparse_test.cc.
#include "tools/zebparse/command_line.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace zebparse {

bool parseArguments(int argc, char** argv, int first, const std::set<std::string>& valued,
                    const std::set<std::string>& flags, Arguments& out, std::string& error) {
  bool optionsOver = false;
  for (int i = first; i < argc; ++i) {
    std::string arg = argv[i];
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
    } else if (flags.count(name) != 0 && !hasValue) {
      out.flags.insert(name);
    } else {
      error = "unknown option " + arg;
      return false;
    }
  }
  return true;
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
  std::error_code failure;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", failure);
  if (failure) return "";
  return exe.parent_path().string();
}

std::string defaultPluginPath() {
  return (std::filesystem::path(executableDirectory()) / ".." / "lib" /
          "libzebConfigParseAddr.so")
      .lexically_normal()
      .string();
}

std::string defaultSupportDirectory() {
  std::filesystem::path exeDir = executableDirectory();
  std::filesystem::path installed = (exeDir / ".." / "share" / "zebparse" / "support").lexically_normal();
  std::error_code ignored;
  if (std::filesystem::is_directory(installed, ignored)) return installed.string();
  std::filesystem::path buildTree = (exeDir / ".." / ".." / "config" / "support").lexically_normal();
#ifdef ZEB_BUNDLED_SUPPORT_DIR
  // A build directory outside the source tree: the sources' own support directory.
  if (!std::filesystem::is_directory(buildTree, ignored)) return ZEB_BUNDLED_SUPPORT_DIR;
#endif
  return buildTree.string();
}

}  // namespace zebparse
