// Path composition and the lenient UTF-8 to UTF-16 converter of path values.
#include "common/path.h"

#include <algorithm>
#include <cstring>

namespace cmn {
namespace {

inline bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

}  // namespace

std::u16string Utf8ToUtf16Lenient(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  const size_t size = utf8.size();
  size_t i = 0;
  while (i < size) {
    const unsigned char lead = static_cast<unsigned char>(utf8[i]);
    if (lead < 0x80) {
      out.push_back(lead);
      ++i;
      continue;
    }
    size_t trail;     // continuation bytes the lead byte announces
    uint32_t bits;    // payload bits of the lead byte
    if ((lead & 0xE0) == 0xC0) {
      trail = 1;
      bits = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
      trail = 2;
      bits = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
      trail = 3;
      bits = lead & 0x07;
    } else if ((lead & 0xFC) == 0xF8) {
      trail = 4;
      bits = 0;
    } else if ((lead & 0xFE) == 0xFC) {
      trail = 5;
      bits = 0;
    } else {  // a continuation byte standing alone, or 0xFE / 0xFF
      out.push_back(u'?');
      ++i;
      continue;
    }
    // Take the continuation bytes that are there; a short sequence is bad and
    // reading resumes at the first byte that does not continue it.
    size_t taken = 0;
    uint32_t codePoint = bits;
    while (taken < trail && i + 1 + taken < size &&
           IsContinuation(static_cast<unsigned char>(utf8[i + 1 + taken]))) {
      codePoint = (codePoint << 6) | (static_cast<unsigned char>(utf8[i + 1 + taken]) & 0x3F);
      ++taken;
    }
    i += 1 + taken;
    if (taken < trail || trail > 3) {
      out.push_back(u'?');
      continue;
    }
    if (trail == 3) {
      // Only the planes that the original file functions accepted; an over-long
      // form lands below U+10000 and is refused with them.
      if (codePoint >= 0x10000 && codePoint <= 0x3FFFF) {
        const uint32_t offset = codePoint - 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (offset >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (offset & 0x3FF)));
      } else {
        out.push_back(u'?');
      }
      continue;
    }
    const bool overLong = (trail == 1 && codePoint < 0x80) || (trail == 2 && codePoint < 0x800);
    // An encoded surrogate would leave a lone surrogate in the UTF-16 form.
    const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    if (overLong || surrogate || codePoint >= 0xFFFD) {
      out.push_back(u'?');
    } else {
      out.push_back(static_cast<char16_t>(codePoint));
    }
  }
  return out;
}

void NormalisePath(PathValue& path) {
  std::string& text = path.utf8;
  if (!text.empty()) {
    std::replace(text.begin(), text.end(), '\\', '/');
    // A leading "//" names a network share and stays.
    for (size_t at = text.find("//", 1); at != std::string::npos; at = text.find("//", at)) {
      text.erase(at, 1);
    }
    for (size_t at = text.find("/./"); at != std::string::npos; at = text.find("/./", at)) {
      text.erase(at, 2);
    }
    if (!text.empty() && text.back() == '/') text.pop_back();
    std::replace(text.begin(), text.end(), '/', '\\');
  }
  path.utf16 = Utf8ToUtf16Lenient(text);
}

PathValue& JoinPath(PathValue& out, const char* directory, const char* file,
                    const char* extension) {
  std::string text;
  if (directory != nullptr && *directory != '\0') {
    text.append(directory);
    text.push_back('\\');
  }
  if (file != nullptr) text.append(file);
  if (extension != nullptr && *extension != '\0') {
    text.push_back('.');
    text.append(extension);
  }
  out.utf8.swap(text);
  NormalisePath(out);
  return out;
}

PathValue& SetPath(PathValue& out, const char* text) {
  out.utf8.assign(text == nullptr ? "" : text);
  NormalisePath(out);
  return out;
}

std::string NativePath(const PathValue& path) {
  std::string native = path.utf8;
#ifndef _WIN32
  std::replace(native.begin(), native.end(), '\\', '/');
#endif
  return native;
}

}  // namespace cmn
