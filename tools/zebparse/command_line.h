// Command-line parsing shared by the zebparse commands, and the places zebparse
// finds its plug-in and its bundled support directory.
// Tested by tests/tools/zebparse_test.cc.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

namespace zebparse {

struct Arguments {
  std::map<std::string, std::string> values;  // "--name VALUE" or "--name=VALUE"
  std::set<std::string> flags;                // "--name"
  std::vector<std::string> positional;        // everything else; "-" included
};

// Parses argv[first..argc). `valued` and `flags` list the accepted options (with
// their "--"). "--" ends the options. False with a message on an unknown option
// or a missing value.
bool parseArguments(int argc, char** argv, int first, const std::set<std::string>& valued,
                    const std::set<std::string>& flags, Arguments& out, std::string& error);

// The directory of the running executable ("" when it cannot be found).
std::string executableDirectory();
// <exe>/../lib/libzebConfigParseAddr.so: the same in the build tree and installed.
std::string defaultPluginPath();
// <exe>/../share/zebparse/support when installed, else <exe>/../../config/support
// (a build directory inside the source tree), else the source tree's
// config/support as configured (a build directory elsewhere).
std::string defaultSupportDirectory();

// True when the file at `path` holds nothing but white space. The plug-in loads such
// a configuration without complaint and then parses nothing; the commands refuse it.
bool isBlankFile(const std::string& path);

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitRecordsFailed = 1;  // some record failed (or the input is broken)
inline constexpr int kExitUsage = 2;          // usage error, or the plug-in did not start
inline constexpr int kExitIo = 3;             // reading the input or writing the output failed

}  // namespace zebparse
