// Parsing of resource addresses and the credential placeholders.
// Tested by tests/logging/logger_test.cc.
#include "logging/uri.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdlib>
#include <vector>

#include "common/string_util.h"
#include "logcore/process_logger.h"

namespace {

// -1 until the first parse that needs it; then 1 when ZEBDBURI is set to a
// non-empty value, else 0. Racing first parses compute the same value.
std::atomic<int32_t> gCredentialMode{-1};
std::atomic<bool> gUserConflictWarned{false};
std::atomic<bool> gPasswordConflictWarned{false};

std::string environmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}

int32_t credentialMode() {
  int32_t mode = gCredentialMode.load(std::memory_order_relaxed);
  if (mode < 0) {
    mode = environmentValue("ZEBDBURI").empty() ? 0 : 1;
    gCredentialMode.store(mode, std::memory_order_relaxed);
  }
  return mode;
}

bool isDatabaseScheme(const std::string& scheme) {
  return scheme == "db2" || scheme == "oci" || scheme == "mssql" || scheme == "mysql";
}

// Splits `text` at the first `separator`: `before` keeps the text before it and
// the text after it is returned; false (and nothing changed) when absent.
bool splitAtFirst(std::string& before, char separator, std::string& after) {
  const size_t at = before.find(separator);
  if (at == std::string::npos) return false;
  after = before.substr(at + 1);
  before.erase(at);
  return true;
}

void fillCredentials(Uri& uri) {
  const std::string envUser = environmentValue("ZEBUSER");
  const std::string envPassword = environmentValue("ZEBPASSWD");
  if (credentialMode() == 1) {
    // With a whole database URI in the environment, its own credentials win;
    // the warnings never carry either value.
    if (!envUser.empty()) {
      if (uri.user == "ZEBUSER") {
        uri.user = envUser;
      } else if (!gUserConflictWarned.exchange(true)) {
        logWarning(
            "Environment variable ZEBUSER is in conflict with ZEBDBURI.  Defaulting to ZEBDBURI.");
      }
    }
    if (!envPassword.empty()) {
      if (uri.password == "ZEBPASSWD") {
        uri.password = envPassword;
      } else if (!gPasswordConflictWarned.exchange(true)) {
        logWarning(
            "Environment variable ZEBPASSWD is in conflict with ZEBDBURI.  Defaulting to "
            "ZEBDBURI.");
      }
    }
    return;
  }
  if (!isDatabaseScheme(uri.scheme)) return;
  if (uri.user == "ZEBUSER") uri.user = envUser;
  if (uri.password == "ZEBPASSWD") uri.password = envPassword;
}

// Where a URI text holds its password: [begin, end) within `text`; false when
// it holds none. The user part is found as parsing finds it, but it ends at the
// last "@" rather than the first, so that a password with an unencoded "@" is
// covered whole, and positions are taken before any placeholder is filled in.
bool passwordSpan(std::string_view text, size_t& begin, size_t& end) {
  const size_t colon = text.find(':');
  if (colon == std::string_view::npos) return false;
  std::string_view userArea = text.substr(colon + 1);
  userArea = userArea.substr(0, userArea.find('?'));
  size_t areaStart = colon + 1;
  if (userArea.substr(0, 2) == "//") {
    userArea.remove_prefix(2);
    areaStart += 2;
    if (userArea.substr(0, 2) == "./" || userArea.substr(0, 3) == "../") return false;
    userArea = userArea.substr(0, userArea.find('/'));  // the authority
  }
  const size_t at = userArea.rfind('@');
  if (at == std::string_view::npos) return false;
  const size_t separator = userArea.substr(0, at).find(':');
  if (separator == std::string_view::npos) return false;
  begin = areaStart + separator + 1;
  end = areaStart + at;
  return true;
}

}  // namespace

std::string maskUriPasswords(std::string_view text) {
  static constexpr std::string_view kBlanks = " \t\r\n\v\f";
  std::string masked;
  masked.reserve(text.size());
  size_t at = 0;
  while (at < text.size()) {
    const size_t tokenStart = text.find_first_not_of(kBlanks, at);
    masked.append(text.substr(at, tokenStart - at));
    if (tokenStart == std::string_view::npos) break;
    const size_t tokenEnd = std::min(text.find_first_of(kBlanks, tokenStart), text.size());
    const std::string_view token = text.substr(tokenStart, tokenEnd - tokenStart);
    size_t begin = 0;
    size_t end = 0;
    if (passwordSpan(token, begin, end) && begin < end &&
        token.substr(begin, end - begin) != "ZEBPASSWD") {
      masked.append(token.substr(0, begin));
      masked.append("****");
      masked.append(token.substr(end));
    } else {
      masked.append(token);
    }
    at = tokenEnd;
  }
  return masked;
}

std::string percentDecode(std::string_view text) {
  std::string decoded;
  decoded.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() &&
        std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
      decoded += static_cast<char>(cmn::HexToInt(text.substr(i + 1, 2)));
      i += 2;
    } else {
      decoded += text[i];
    }
  }
  return decoded;
}

namespace {

// Every part of uri.text, placeholders left as written; false when the text
// has no scheme and so no parts.
bool parseParts(Uri& uri) {
  const std::string& text = uri.text;
  std::string& scheme = uri.scheme;
  std::string& authority = uri.authority;
  std::string& user = uri.user;
  std::string& password = uri.password;
  std::string& host = uri.host;
  std::string& port = uri.port;
  std::string& path = uri.path;
  std::string& query = uri.query;
  std::string& fragment = uri.fragment;

  const size_t colon = text.find(':');
  if (colon == std::string::npos) return false;
  scheme = text.substr(0, colon);

  std::string hierarchical = text.substr(colon + 1);
  if (splitAtFirst(hierarchical, '?', query)) {
    splitAtFirst(query, '#', fragment);  // a "#" before any "?" stays in the path
  }

  if (hierarchical.compare(0, 2, "//") == 0) {
    authority = hierarchical.substr(2);
    if (authority.compare(0, 2, "./") == 0 || authority.compare(0, 3, "../") == 0) {
      path = authority;  // file://./logs/app.log names a relative path, not a host
      authority.clear();
    } else {
      const size_t slash = authority.find('/');
      if (slash != std::string::npos) {
        path = authority.substr(slash);
        authority.erase(slash);
      }
    }
    host = authority;
    const size_t at = authority.find('@');
    if (at != std::string::npos) {
      user = authority.substr(0, at);
      host = authority.substr(at + 1);
    }
  } else {
    path = hierarchical;
    const size_t at = hierarchical.find('@');
    if (at != std::string::npos) {
      user = hierarchical.substr(0, at);
      host = hierarchical.substr(at + 1);
    }
  }

  splitAtFirst(user, ':', password);

  if (!host.empty() && host[0] == '[') {
    const size_t close = host.find(']');
    if (close != std::string::npos) {
      port = host.substr(close + 1);
      if (!port.empty() && port[0] == ':') port.erase(0, 1);
      host = host.substr(1, close - 1);
    } else {
      host.erase(0, 1);
    }
  } else {
    splitAtFirst(host, ':', port);
  }

  if (!path.empty() && path.back() == '/') path.pop_back();
  if (scheme == "file" && path.size() >= 3 && path[0] == '/' &&
      std::isalpha(static_cast<unsigned char>(path[1])) && path[2] == ':') {
    path.erase(0, 1);  // file:///D:/logs/app.log names D:/logs/app.log
  }

  std::vector<std::string> pieces;
  cmn::SplitFields(query, pieces, "&;");
  std::vector<std::string> parts;
  for (const std::string& piece : pieces) {
    cmn::SplitFields(piece, parts, "=");
    if (parts.size() == 2 && !parts[0].empty()) {
      uri.params[percentDecode(parts[0])] = percentDecode(parts[1]);
    }
  }
  return true;
}

}  // namespace

Uri::Uri(const std::string& source) : text(source) {
  if (parseParts(*this)) fillCredentials(*this);
}

Uri literalUri(const std::string& text) {
  Uri uri;
  uri.text = text;
  parseParts(uri);
  return uri;
}

void resetUriCredentialStateForTesting() {
  gCredentialMode.store(-1);
  gUserConflictWarned.store(false);
  gPasswordConflictWarned.store(false);
}
