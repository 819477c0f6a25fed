// The operating system's services that the rest of the system uses, in one place:
// files by descriptor and by name, the calling thread's number, the event log and
// shared libraries. os_posix.cc implements them on Linux, os_windows.cc on Windows;
// no other file includes a system header. Exercised by tests/common/common_test.cc,
// the log writers' tests and tests/plugin/plugin_library_test.cc.
#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

namespace cmn {

// File names are UTF-8 text in the system's own form (see NativePath). Windows opens
// them through their UTF-16 form and shares them for reading, writing and deleting,
// so that a log file can be read, rotated or removed while it is written.
enum class OpenFor { kRead, kAppend, kReplace };

inline constexpr int kStandardInput = 0;
inline constexpr int kStandardOutput = 1;
inline constexpr int kStandardError = 2;

int openFile(const std::string& name, OpenFor purpose);  // a descriptor, or -1 and errno
std::FILE* openStdioFile(const std::string& name, const char* mode);  // like fopen
// Like read(2) and write(2): the bytes moved, 0 at the end of input, -1 and errno.
int64_t readFile(int fd, char* buffer, size_t size);
int64_t writeFile(int fd, const char* data, size_t size);
bool truncateFile(int fd, int64_t size);
bool closeFile(int fd);
bool isTerminal(int fd);
// Standard input and output carry bytes as they are: Windows would otherwise turn
// LF into CRLF on the way out.
void useBinaryMode(int fd);

struct FileStatus {
  int64_t size = 0;
  int64_t modifiedSeconds = 0;  // since the epoch
  bool directory = false;
  bool regular = false;
  bool unlinked = false;  // open, but no name leads to it any more
  // Equal for two names or descriptors of the same file.
  uint64_t volume = 0;
  uint64_t index = 0;
};
bool statusOf(const std::string& name, FileStatus& status);
bool statusOf(int fd, FileStatus& status);

// Renames `from` to `to`, failing when `to` exists: never replaces a file.
bool renameWithoutReplacing(const std::string& from, const std::string& to);
bool removeFile(const std::string& name);

// The local broken-down time of `clock`; false when the system cannot express it.
bool localTime(std::time_t clock, std::tm& local);

// The system's number for the calling thread, as its debuggers and monitors show it.
uint64_t currentThreadNumber();
// The running program's own file, and the file of the module (program or shared
// library) that holds `address`; empty when the system cannot tell.
std::string executablePath();
std::string modulePathOf(const void* address);

// The program's arguments as UTF-8. Windows hands main() its arguments in the ANSI
// code page, which holds neither every file name nor every address; its UTF-16
// command line holds both. Kept in a file of its own there, so that only programs
// that call it link the shell library, never the plug-in.
std::vector<std::string> commandLineArguments(int argc, char** argv);

// Shared libraries. `error` receives the system's reason when loading fails.
void* loadLibrary(const std::string& name, std::string& error);
void* librarySymbol(void* library, const char* symbol);
void unloadLibrary(void* library);

// The system's event log. Event types are the Windows ones (1 error, 2 warning,
// 4 information); on Linux they map to syslog priorities. A failure leaves the
// system's error code in `errorCode`.
void* registerEventSource(const std::string& name, uint32_t& errorCode);
bool reportEvent(void* source, uint16_t eventType, const std::string& text, uint32_t& errorCode);
void deregisterEventSource(void* source);

}  // namespace cmn
