// printf-style formatting into byte strings.
#include "common/format.h"

#include <cstdio>
#include <cstring>

namespace cmn {

int FormatV(std::string& out, const char* format, va_list args) {
  if (format == nullptr) {
    out.clear();
    return 0;
  }
  // Most results are short: one pass into a stack buffer, a second only for long ones.
  char small[512];
  va_list copy;
  va_copy(copy, args);
  const int length = std::vsnprintf(small, sizeof small, format, copy);
  va_end(copy);
  if (length < 0) {  // an encoding error: nothing sensible to show
    out.clear();
    return -1;
  }
  if (static_cast<size_t>(length) < sizeof small) {
    out.assign(small, static_cast<size_t>(length));
    return length;
  }
  out.resize(static_cast<size_t>(length));
  va_copy(copy, args);
  std::vsnprintf(out.data(), out.size() + 1, format, copy);
  va_end(copy);
  return length;
}

int Format(std::string& out, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const int length = FormatV(out, format, args);
  va_end(args);
  return length;
}

std::string& FormatBounded(std::string& out, const char* format, ...) {
  if (format == nullptr) return out;
  va_list args;
  va_start(args, format);
  std::string full;
  const int length = FormatV(full, format, args);
  va_end(args);
  if (length < 0) return out;
  if (full.size() > kFormatBoundedLimit) full.resize(kFormatBoundedLimit);
  out.swap(full);
  return out;
}

}  // namespace cmn
