// Command-line parsing shared by the zebparse commands, and the places zebparse
// finds its plug-in and its bundled support directory.
// Tested by tests/tools/zebparse_test.cc.
#pragma once

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace zebparse {

struct Arguments {
  std::map<std::string, std::string> values;  // "--name VALUE" or "--name=VALUE"
  std::set<std::string> flags;                // "--name"
  std::vector<std::string> positional;        // everything else; "-" included
  // Every valued option in command-line order, for options that may repeat (--map).
  std::vector<std::pair<std::string, std::string>> ordered;
};

// Parses argv[first..argc). `valued` and `flags` list the accepted options (with
// their "--"). "--" ends the options. False with a message on an unknown option
// or a missing value. "-h" stands for "--help".
bool parseArguments(int argc, char** argv, int first, const std::set<std::string>& valued,
                    const std::set<std::string>& flags, Arguments& out, std::string& error);

// The directory of the running executable ("" when it cannot be found).
std::string executableDirectory();
// <exe>/../lib/libzebConfigParseAddr.so (on Windows the DLL beside the program): the
// same in the build tree and installed.
std::string defaultPluginPath();
// <exe>/../share/zebparse/support: installed, and in a build tree, whose share/
// links to the sources' config/support. Nothing of the machine that built the tool
// is baked in, so a copied binary never reads a build tree by accident.
std::string defaultSupportDirectory();

// Problems of a support directory before anything reads it. False with `error`
// naming what is missing (the directory or its configuration file); a missing
// token-data file is only a warning, appended to `warnings`.
bool checkSupportDirectory(const std::string& dir, std::string& error,
                           std::vector<std::string>& warnings);

// Prints "zebparse COMMAND: MESSAGE (try 'zebparse COMMAND --help')" on standard
// error and returns kExitUsage: one line, instead of the whole help.
int usageError(const char* command, const std::string& message);

// ASCII lower case, for option values that do not care about case.
std::string lowerCase(std::string text);

// `message` on one line: line ends become blanks, trailing blanks go. Error
// documents and the report on standard error are both line-based.
std::string oneLine(std::string message);

// True when the file at `path` holds nothing but white space. The plug-in loads such
// a configuration without complaint and then parses nothing; the commands refuse it.
bool isBlankFile(const std::string& path);

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitRecordsFailed = 1;  // some record failed (or the input is broken)
inline constexpr int kExitUsage = 2;          // usage error, or the plug-in did not start
inline constexpr int kExitIo = 3;             // reading the input or writing the output failed

}  // namespace zebparse
