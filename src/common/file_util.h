// Path splitting and the four file-system operations the log writer needs.
// They never throw; failures show in the result. Tested by tests/common/common_test.cc.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/path.h"

namespace cmn {

std::string directoryOf(std::string_view path);  // text before the last backslash
std::string fileNameOf(std::string_view path);   // text after the last backslash
bool fileExists(const PathValue& path);
int64_t fileSize(const PathValue& path);  // -1 when missing, 0 for a directory
bool moveFile(const PathValue& from, const PathValue& to);  // fails when `to` exists
bool deleteFile(const PathValue& path);

}  // namespace cmn
