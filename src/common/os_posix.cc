// The operating system's services on Linux: POSIX file calls, the kernel's thread
// number, dlopen and the system log standing in for the event log.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <syslog.h>
#include <unistd.h>

#include <cerrno>
#include <set>

#include "common/mutex.h"
#include "common/os.h"

namespace cmn {
namespace {

FileStatus statusFrom(const struct stat& native) {
  FileStatus status;
  status.size = static_cast<int64_t>(native.st_size);
  status.modifiedSeconds = static_cast<int64_t>(native.st_mtime);
  status.directory = S_ISDIR(native.st_mode);
  status.regular = S_ISREG(native.st_mode);
  status.unlinked = native.st_nlink == 0;
  status.volume = static_cast<uint64_t>(native.st_dev);
  status.index = static_cast<uint64_t>(native.st_ino);
  return status;
}

}  // namespace

int openFile(const std::string& name, OpenFor purpose) {
  switch (purpose) {
    case OpenFor::kRead:
      return ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    case OpenFor::kAppend:
      return ::open(name.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    case OpenFor::kReplace:
      return ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  }
  return -1;
}

std::FILE* openStdioFile(const std::string& name, const char* mode) {
  return std::fopen(name.c_str(), mode);
}

int64_t readFile(int fd, char* buffer, size_t size) { return ::read(fd, buffer, size); }

int64_t writeFile(int fd, const char* data, size_t size) { return ::write(fd, data, size); }

bool truncateFile(int fd, int64_t size) { return ::ftruncate(fd, static_cast<off_t>(size)) == 0; }

bool closeFile(int fd) { return ::close(fd) == 0; }

bool isTerminal(int fd) { return ::isatty(fd) != 0; }

void useBinaryMode(int) {}

bool statusOf(const std::string& name, FileStatus& status) {
  struct stat native {};
  if (::stat(name.c_str(), &native) != 0) return false;
  status = statusFrom(native);
  return true;
}

bool statusOf(int fd, FileStatus& status) {
  struct stat native {};
  if (::fstat(fd, &native) != 0) return false;
  status = statusFrom(native);
  return true;
}

bool renameWithoutReplacing(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
    return true;
  }
  if (errno != EINVAL && errno != ENOSYS) return false;
  // The file system cannot refuse atomically: check first.
  struct stat native {};
  if (::lstat(to.c_str(), &native) == 0) return false;
  return ::rename(from.c_str(), to.c_str()) == 0;
}

bool removeFile(const std::string& name) { return ::unlink(name.c_str()) == 0; }

bool localTime(std::time_t clock, std::tm& local) {
  return ::localtime_r(&clock, &local) != nullptr;
}

uint64_t currentThreadNumber() {
  thread_local const long number = ::syscall(SYS_gettid);
  return number > 0 ? static_cast<uint64_t>(number) : 0;
}

std::string executablePath() {
  std::string path(4096, '\0');
  const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
  if (length <= 0 || static_cast<size_t>(length) >= path.size()) return std::string();
  path.resize(static_cast<size_t>(length));
  return path;
}

std::vector<std::string> commandLineArguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

std::string modulePathOf(const void* address) {
  Dl_info info;
  if (::dladdr(address, &info) == 0 || info.dli_fname == nullptr) return std::string();
  return info.dli_fname;
}

void* loadLibrary(const std::string& name, std::string& error) {
  void* library = ::dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    const char* reason = ::dlerror();
    error = reason != nullptr ? reason : "unknown";
  }
  return library;
}

void* librarySymbol(void* library, const char* symbol) { return ::dlsym(library, symbol); }

void unloadLibrary(void* library) { ::dlclose(library); }

void* registerEventSource(const std::string& name, uint32_t& errorCode) {
  // openlog keeps the identity pointer until closelog, so the text must stay put:
  // one node per distinct name, never released. Its address is the handle.
  static Mutex identitiesLock;
  static std::set<std::string> identities;
  MutexLock guard(identitiesLock);
  const std::string& identity = *identities.insert(name).first;
  ::openlog(identity.c_str(), LOG_PID, LOG_USER);
  errorCode = 0;
  return const_cast<std::string*>(&identity);
}

bool reportEvent(void*, uint16_t eventType, const std::string& text, uint32_t& errorCode) {
  const int priority = eventType == 1 ? LOG_ERR : eventType == 2 ? LOG_WARNING : LOG_INFO;
  ::syslog(priority, "%s", text.c_str());  // the text is never a format
  errorCode = 0;
  return true;
}

void deregisterEventSource(void*) { ::closelog(); }

}  // namespace cmn
