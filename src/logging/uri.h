// A parsed resource address, such as a writer URI of a logger configuration
// line ("console://stdout", "file:///var/log/zeb/app.log?rotateSize=1024&keep=3").
// Parsing never fails: a text without ":" yields a Uri with only `text` set.
// Database-style addresses may carry the placeholders ZEBUSER and ZEBPASSWD,
// which are filled from the environment variables of the same names.
// Tested by tests/logging/logger_test.cc.
#pragma once

#include <map>
#include <string>
#include <string_view>

class Uri {
 public:
  Uri() = default;
  explicit Uri(const std::string& text);

  std::map<std::string, std::string> params;  // decoded query parameters
  std::string text;                           // the whole text that was parsed
  std::string scheme;                         // before the first ":"
  std::string authority;                      // after "//" up to the path
  std::string user;
  std::string password;  // may come from ZEBPASSWD: never log it
  std::string host;      // without brackets
  std::string port;
  std::string path;      // without a trailing "/"
  std::string query;     // after "?" up to "#"
  std::string fragment;  // after the "#" of the query
};

// The parts of a URI text with the placeholders left as written: for showing a
// URI (with its password masked first), never for using one. Unlike the
// constructor it reads no environment and logs nothing.
Uri literalUri(const std::string& text);

// Every "%" followed by two hexadecimal digits becomes the byte they denote;
// any other "%" and every "+" stay as written.
std::string percentDecode(std::string_view text);

// `text` with the password of every URI in it replaced by "****": each run of
// non-blank characters is read as a URI, and everything between the first ":"
// of its user part and the last "@" of its authority is masked (a superset of
// the password parsing finds). The placeholder ZEBPASSWD names no secret and
// stays readable. Every message that may show a URI (a configuration line, a
// file named by one) goes through this first.
std::string maskUriPasswords(std::string_view text);

// The credential mode (whether ZEBDBURI is set) is read once per process and
// each conflict warning is given once per process. Tests that change the
// environment start over with this.
void resetUriCredentialStateForTesting();
