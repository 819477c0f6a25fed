// printf-style formatting into byte strings. Tested by tests/common/format_test.cc.
#pragma once

#include <cstdarg>
#include <string>

namespace cmn {

inline constexpr size_t kFormatBoundedLimit = 32768;

// Formats the whole result, however long; returns its length.
int Format(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));
int FormatV(std::string& out, const char* format, va_list args);

// Formats at most kFormatBoundedLimit characters; a null format leaves `out` alone.
std::string& FormatBounded(std::string& out, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

}  // namespace cmn
