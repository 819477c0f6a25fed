// printf-style formatting into byte strings. Tested by tests/common/common_test.cc.
#pragma once

#include <cstdarg>
#include <string>

// Checks the arguments of a printf-style function against its format. On Windows the
// build selects the C runtime's C99 printf (%zu, %lld), which GCC calls gnu_printf.
#if defined(__MINGW32__)
#define ZEB_PRINTF_FORMAT(formatIndex, firstArgument) \
  __attribute__((format(gnu_printf, formatIndex, firstArgument)))
#else
#define ZEB_PRINTF_FORMAT(formatIndex, firstArgument) \
  __attribute__((format(printf, formatIndex, firstArgument)))
#endif

namespace cmn {

inline constexpr size_t kFormatBoundedLimit = 32768;

// Formats the whole result, however long; returns its length.
int Format(std::string& out, const char* format, ...) ZEB_PRINTF_FORMAT(2, 3);
int FormatV(std::string& out, const char* format, va_list args);

// Formats at most kFormatBoundedLimit characters; a null format leaves `out` alone.
std::string& FormatBounded(std::string& out, const char* format, ...) ZEB_PRINTF_FORMAT(2, 3);

}  // namespace cmn
