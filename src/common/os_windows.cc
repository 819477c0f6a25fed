// The operating system's services on Windows: files opened through their UTF-16
// names with shared access and handed to the C runtime as descriptors, the Windows
// thread id, LoadLibraryW and the event log.
#include <windows.h>
// After windows.h, which they need.
#include <fcntl.h>
#include <io.h>
#include <share.h>

#include <cerrno>
#include <climits>

#include "common/os.h"
#include "common/os_windows_text.h"

namespace cmn {
namespace {

// The C runtime's errno for the last system error, so that callers report failures
// the same way on both systems.
int errnoOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    default:
      return EIO;
  }
}

bool isDirectory(const std::wstring& name) {
  const DWORD attributes = ::GetFileAttributesW(name.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

int64_t secondsSinceEpoch(const FILETIME& time) {
  const uint64_t ticks = (uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
  constexpr uint64_t kEpochTicks = 116444736000000000ull;  // 1601 to 1970, in 100 ns
  return static_cast<int64_t>((ticks - kEpochTicks) / 10000000ull);
}

bool statusOfHandle(HANDLE handle, FileStatus& status) {
  if (::GetFileType(handle) != FILE_TYPE_DISK) {
    status = FileStatus();  // a console or a pipe: no size, not a regular file
    return true;
  }
  BY_HANDLE_FILE_INFORMATION info;
  if (!::GetFileInformationByHandle(handle, &info)) return false;
  status.size = static_cast<int64_t>((uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow);
  status.modifiedSeconds = secondsSinceEpoch(info.ftLastWriteTime);
  status.directory = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  status.regular = !status.directory;
  status.volume = info.dwVolumeSerialNumber;
  status.index = (uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
  FILE_STANDARD_INFO standard;
  status.unlinked =
      ::GetFileInformationByHandleEx(handle, FileStandardInfo, &standard, sizeof standard) &&
      standard.DeletePending;
  return true;
}

}  // namespace

int openFile(const std::string& name, OpenFor purpose) {
  const std::wstring path = wide(name);
  DWORD access = GENERIC_READ;
  DWORD disposition = OPEN_EXISTING;
  int flags = _O_RDONLY | _O_BINARY;
  if (purpose == OpenFor::kAppend) {
    // Append-only access: every write lands at the end, whoever else writes.
    access = FILE_APPEND_DATA | SYNCHRONIZE;
    disposition = OPEN_ALWAYS;
    flags = _O_WRONLY | _O_APPEND | _O_BINARY;
  } else if (purpose == OpenFor::kReplace) {
    access = GENERIC_WRITE;
    disposition = CREATE_ALWAYS;
    flags = _O_WRONLY | _O_BINARY;
  }
  HANDLE handle = ::CreateFileW(path.c_str(), access, kShareAll, nullptr, disposition,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    errno = error == ERROR_ACCESS_DENIED && isDirectory(path) ? EISDIR : errnoOf(error);
    return -1;
  }
  const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), flags);
  if (fd < 0) {
    ::CloseHandle(handle);
    errno = EMFILE;
  }
  return fd;
}

std::FILE* openStdioFile(const std::string& name, const char* mode) {
  const std::string modeText(mode);
  return ::_wfsopen(wide(name).c_str(), wide(modeText).c_str(), _SH_DENYNO);
}

int64_t readFile(int fd, char* buffer, size_t size) {
  return ::_read(fd, buffer, static_cast<unsigned>(size < INT_MAX ? size : INT_MAX));
}

int64_t writeFile(int fd, const char* data, size_t size) {
  return ::_write(fd, data, static_cast<unsigned>(size < INT_MAX ? size : INT_MAX));
}

bool truncateFile(int fd, int64_t size) { return ::_chsize_s(fd, size) == 0; }

bool closeFile(int fd) { return ::_close(fd) == 0; }

bool isTerminal(int fd) { return ::_isatty(fd) != 0; }

void useBinaryMode(int fd) { ::_setmode(fd, _O_BINARY); }

bool statusOf(const std::string& name, FileStatus& status) {
  // The attributes answer even for a file another program holds without sharing.
  const std::wstring path = wide(name);
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return false;
  status = FileStatus();
  status.directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  status.regular = !status.directory && (data.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) == 0;
  status.size = static_cast<int64_t>((uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow);
  status.modifiedSeconds = secondsSinceEpoch(data.ftLastWriteTime);
  // The identity needs a handle; without one it stays unknown (0), which compares
  // unequal to any open file's.
  HANDLE handle = ::CreateFileW(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle != INVALID_HANDLE_VALUE) {
    BY_HANDLE_FILE_INFORMATION info;
    if (::GetFileInformationByHandle(handle, &info)) {
      status.volume = info.dwVolumeSerialNumber;
      status.index = (uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    }
    ::CloseHandle(handle);
  }
  return true;
}

bool statusOf(int fd, FileStatus& status) {
  const intptr_t handle = ::_get_osfhandle(fd);
  if (handle == -1) return false;
  return statusOfHandle(reinterpret_cast<HANDLE>(handle), status);
}

bool renameWithoutReplacing(const std::string& from, const std::string& to) {
  return ::MoveFileW(wide(from).c_str(), wide(to).c_str()) != 0;  // refuses an existing target
}

bool removeFile(const std::string& name) { return ::DeleteFileW(wide(name).c_str()) != 0; }

bool localTime(std::time_t clock, std::tm& local) { return ::localtime_s(&local, &clock) == 0; }

uint64_t currentThreadNumber() { return ::GetCurrentThreadId(); }

namespace {

std::string moduleFileName(HMODULE module) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return std::string();
    if (length < path.size()) return narrow(path.data(), length);
    if (path.size() >= 32768) return std::string();
    path.resize(path.size() * 2);
  }
}

}  // namespace

std::string executablePath() { return moduleFileName(nullptr); }

std::string modulePathOf(const void* address) {
  HMODULE module = nullptr;
  if (!::GetModuleHandleExW(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          static_cast<LPCWSTR>(address), &module)) {
    return std::string();
  }
  return moduleFileName(module);
}

void* loadLibrary(const std::string& name, std::string& error) {
  HMODULE library = ::LoadLibraryW(wide(name).c_str());
  if (library == nullptr) {
    const DWORD code = ::GetLastError();
    char* text = nullptr;
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    error = length > 0 ? std::string(text, length) : "error " + std::to_string(code);
    while (!error.empty() && (error.back() == '\n' || error.back() == '\r')) error.pop_back();
    ::LocalFree(text);
  }
  return library;
}

void* librarySymbol(void* library, const char* symbol) {
  return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(library), symbol));
}

void unloadLibrary(void* library) { ::FreeLibrary(static_cast<HMODULE>(library)); }

void* registerEventSource(const std::string& name, uint32_t& errorCode) {
  HANDLE source = ::RegisterEventSourceA(nullptr, name.c_str());
  errorCode = source == nullptr ? ::GetLastError() : 0;
  return source;
}

bool reportEvent(void* source, uint16_t eventType, const std::string& text, uint32_t& errorCode) {
  const char* strings[] = {text.c_str()};
  // Category 0, event identifier 1, no user, one string, no raw data.
  if (!::ReportEventA(static_cast<HANDLE>(source), eventType, 0, 1, nullptr, 1, 0, strings,
                      nullptr)) {
    errorCode = ::GetLastError();
    return false;
  }
  errorCode = 0;
  return true;
}

void deregisterEventSource(void* source) { ::DeregisterEventSource(static_cast<HANDLE>(source)); }

}  // namespace cmn
