// The program's arguments on Windows, read from the UTF-16 command line. A file of
// its own: CommandLineToArgvW lives in shell32, which a plug-in loaded into its
// host's process has no business pulling in.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cwchar>

#include "common/os.h"
#include "common/os_windows_text.h"

namespace cmn {

std::vector<std::string> commandLineArguments(int argc, char** argv) {
  int count = 0;
  wchar_t** arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  // The split differs from the C runtime's only in rare quoting; should the counts
  // disagree, the runtime's own arguments are the safer reading.
  if (arguments == nullptr || count != argc) {
    if (arguments != nullptr) ::LocalFree(arguments);
    return std::vector<std::string>(argv, argv + argc);
  }
  std::vector<std::string> utf8;
  for (int i = 0; i < count; ++i) utf8.push_back(narrow(arguments[i], std::wcslen(arguments[i])));
  ::LocalFree(arguments);
  return utf8;
}

}  // namespace cmn
