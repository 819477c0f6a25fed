// File paths as the system composes them (backslash separators, as shown in
// messages) and as the operating system takes them. Tested by tests/common/common_test.cc.
#pragma once

#include <string>
#include <string_view>

namespace cmn {

// One path kept twice: the composed UTF-8 text and its UTF-16 form, always set together.
struct PathValue {
  std::string utf8;
  std::u16string utf16;
};

// directory + "\" + file + ("." + extension when non-empty), then NormalisePath.
// Null or empty directory: just the file name.
PathValue& JoinPath(PathValue& out, const char* directory, const char* file,
                    const char* extension = nullptr);
PathValue& SetPath(PathValue& out, const char* text);
void NormalisePath(PathValue& path);

// The path in the operating system's own form: on POSIX the backslashes of the
// composed text become "/" again, so /srv/zeb/support works. Windows takes utf16.
std::string NativePath(const PathValue& path);

// The UTF-8 to UTF-16 converter used by NormalisePath: bad sequences become "?".
std::u16string Utf8ToUtf16Lenient(std::string_view utf8);

}  // namespace cmn
