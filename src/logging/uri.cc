// Parsing of resource addresses and the credential placeholders.
// Tested by tests/logging/uri_test.cc.
#include "logging/uri.h"

#include <atomic>
#include <cctype>
#include <cstdlib>
#include <vector>

#include "common/string_util.h"
#include "logging/process_logger.h"

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

}  // namespace

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

Uri::Uri(const std::string& source) : text(source) {
  const size_t colon = text.find(':');
  if (colon == std::string::npos) return;
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
      params[percentDecode(parts[0])] = percentDecode(parts[1]);
    }
  }

  fillCredentials(*this);
}

void resetUriCredentialStateForTesting() {
  gCredentialMode.store(-1);
  gUserConflictWarned.store(false);
  gPasswordConflictWarned.store(false);
}
