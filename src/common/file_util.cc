// Path splitting and the file-system operations of the log writer, on POSIX calls.
// The composed path (backslash separators) goes to the system in its native form.
#include "common/file_util.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace cmn {

std::string directoryOf(std::string_view path) {
  const size_t slash = path.rfind('\\');
  return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash));
}

std::string fileNameOf(std::string_view path) {
  const size_t slash = path.rfind('\\');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

bool fileExists(const PathValue& path) {
  struct stat status;
  return ::stat(NativePath(path).c_str(), &status) == 0;
}

int64_t fileSize(const PathValue& path) {
  struct stat status;
  if (::stat(NativePath(path).c_str(), &status) != 0) return -1;
  if (S_ISDIR(status.st_mode)) return 0;
  return static_cast<int64_t>(status.st_size);
}

bool moveFile(const PathValue& from, const PathValue& to) {
  const std::string source = NativePath(from);
  const std::string target = NativePath(to);
  // rename() would replace an existing target; the log writer relies on a move
  // that refuses to.
  if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
    return true;
  }
  if (errno != EINVAL && errno != ENOSYS) return false;
  // The file system cannot refuse atomically: check first.
  struct stat status;
  if (::lstat(target.c_str(), &status) == 0) return false;
  return ::rename(source.c_str(), target.c_str()) == 0;
}

bool deleteFile(const PathValue& path) { return ::unlink(NativePath(path).c_str()) == 0; }

}  // namespace cmn
