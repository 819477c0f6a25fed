// Path splitting and the file-system operations of the log writer. The composed
// path (backslash separators) goes to the system in its native form.
#include "common/file_util.h"

#include "common/os.h"

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
  FileStatus status;
  return statusOf(NativePath(path), status);
}

int64_t fileSize(const PathValue& path) {
  FileStatus status;
  if (!statusOf(NativePath(path), status)) return -1;
  return status.directory ? 0 : status.size;
}

bool moveFile(const PathValue& from, const PathValue& to) {
  // The log writer relies on a move that never replaces an existing file.
  return renameWithoutReplacing(NativePath(from), NativePath(to));
}

bool deleteFile(const PathValue& path) { return removeFile(NativePath(path)); }

}  // namespace cmn
