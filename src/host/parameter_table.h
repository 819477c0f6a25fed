// The host service "QueryParameter": values by section and key, filled by the host
// from its options or from an INI file:
//   [PIPELINE]
//   SUPPORTPATH=/srv/zeb/support
// Sections and keys match ignoring ASCII letter case; values are kept as written
// (surrounding blanks removed). Tested by tests/host/host_services_test.cc.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>

namespace zeb {

class ParameterTable {
 public:
  void set(std::string_view section, std::string_view key, std::string_view value);
  // Null when absent. The text stays valid until the entry is set again; the plug-in
  // copies it at once.
  const char* query(const char* section, const char* key) const;

  // Merges an INI file: "[SECTION]" lines, "KEY=VALUE" lines, comments starting with
  // ";" or "#". On a malformed line or an unreadable file returns false and says
  // where in `error` ("params.ini:3: expected KEY=VALUE"); entries read before the
  // problem stay.
  bool loadIni(const std::string& path, std::string& error);
  bool loadIniText(std::string_view text, const std::string& sourceName, std::string& error);

 private:
  static std::string keyOf(std::string_view section, std::string_view key);
  std::map<std::string, std::string> values_;  // "SECTION\nKEY" upper-cased
};

}  // namespace zeb
