// Byte-string helpers on UTF-8 text. They work byte by byte and never look at
// the Unicode meaning of a byte.
#include "common/string_util.h"

#include <array>
#include <cstdio>
#include <cstring>

namespace cmn {
namespace {

// Membership table for a set of separator or trim bytes.
class ByteSet {
 public:
  explicit ByteSet(std::string_view set) {
    for (char c : set) member_[static_cast<unsigned char>(c)] = true;
  }
  bool contains(char c) const { return member_[static_cast<unsigned char>(c)]; }

 private:
  std::array<bool, 256> member_{};
};

inline bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

inline int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

size_t SkipDefaultTrim(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && std::strchr(kDefaultTrimSet, text[i]) != nullptr && text[i] != '\0') {
    ++i;
  }
  return i;
}

// Stores `item` as element `index` of `out`, reusing the element's buffer when
// the list already has one there.
inline void StoreItem(std::vector<std::string>& out, size_t index, std::string_view item) {
  if (index < out.size()) {
    out[index].assign(item.data(), item.size());
  } else {
    out.emplace_back(item);
  }
}

}  // namespace

std::string& TrimLeft(std::string& text, std::string_view set) {
  const size_t first = text.find_first_not_of(set.data(), 0, set.size());
  if (first == std::string::npos) {
    text.clear();
  } else if (first > 0) {
    text.erase(0, first);
  }
  return text;
}

std::string& TrimRight(std::string& text, std::string_view set) {
  const size_t last = text.find_last_not_of(set.data(), std::string::npos, set.size());
  text.resize(last == std::string::npos ? 0 : last + 1);
  return text;
}

std::string& AsciiUpper(std::string& text) {
  for (char& c : text) c = AsciiUpper(c);
  return text;
}

bool StartsWith(std::string_view text, const char* prefix) {
  return prefix != nullptr && text.starts_with(prefix);
}

bool EndsWith(std::string_view text, const char* suffix) {
  return suffix != nullptr && text.ends_with(suffix);
}

size_t Split(std::string_view text, std::vector<std::string>& out, std::string_view separators,
             bool keep) {
  const ByteSet isSeparator(separators);
  size_t count = keep ? out.size() : 0;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && isSeparator.contains(text[i])) ++i;
    const size_t start = i;
    while (i < text.size() && !isSeparator.contains(text[i])) ++i;
    if (i > start) StoreItem(out, count++, text.substr(start, i - start));
  }
  out.resize(count);
  return count;
}

size_t SplitFields(std::string_view text, std::vector<std::string>& out, const char* separators,
                   bool collapse, bool skipLeading) {
  const ByteSet isSeparator(separators == nullptr || *separators == '\0' ? kDefaultTrimSet
                                                                          : separators);
  size_t count = 0;
  size_t i = 0;
  if (skipLeading) {
    while (i < text.size() && isSeparator.contains(text[i])) ++i;
  }
  size_t start = i;
  while (i < text.size()) {
    if (!isSeparator.contains(text[i])) {
      ++i;
      continue;
    }
    StoreItem(out, count++, text.substr(start, i - start));
    ++i;
    if (collapse) {
      while (i < text.size() && isSeparator.contains(text[i])) ++i;
    }
    start = i;
  }
  StoreItem(out, count++, text.substr(start));
  out.resize(count);
  return count;
}

size_t RemoveChar(std::string& text, char c) {
  const size_t before = text.size();
  std::erase(text, c);
  return before - text.size();
}

size_t ReplaceAll(std::string& text, std::string_view search, const char* replacement) {
  // An empty search text would match everywhere without moving on.
  if (search.empty()) return 0;
  size_t position = text.find(search);
  if (position == std::string::npos) return 0;
  const std::string_view with = replacement == nullptr ? std::string_view() : replacement;
  std::string result;
  result.reserve(text.size());
  size_t count = 0;
  size_t copied = 0;
  while (position != std::string::npos) {
    result.append(text, copied, position - copied);
    result.append(with);
    copied = position + search.size();
    ++count;
    position = text.find(search, copied);
  }
  result.append(text, copied, std::string::npos);
  text.swap(result);
  return count;
}

bool IsAllDigits(std::string_view text) {
  for (char c : text) {
    if (!IsAsciiDigit(c)) return false;
  }
  return true;
}

int32_t TextToInt(std::string_view text) {
  size_t i = SkipDefaultTrim(text);
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // Unsigned arithmetic: an over-long number wraps instead of overflowing.
  uint32_t value = 0;
  for (; i < text.size() && IsAsciiDigit(text[i]); ++i) {
    value = value * 10u + static_cast<uint32_t>(text[i] - '0');
  }
  return static_cast<int32_t>(negative ? 0u - value : value);
}

uint32_t HexToInt(std::string_view text) {
  uint32_t value = 0;
  for (size_t i = SkipDefaultTrim(text); i < text.size(); ++i) {
    const int digit = HexValue(text[i]);
    if (digit < 0) break;
    value = value * 16u + static_cast<uint32_t>(digit);
  }
  return value;
}

std::string PadLeft(std::string_view text, char pad, size_t width) {
  std::string out;
  if (text.size() < width) out.assign(width - text.size(), pad);
  out.append(text);
  return out;
}

std::string FormatInt(long long value, size_t width) {
  // The zero padding goes after the sign, so -5 at width 3 reads "-05".
  char buffer[32];
  const int length = std::snprintf(buffer, sizeof buffer, "%lld", value);
  std::string_view digits(buffer, static_cast<size_t>(length));
  if (value < 0) {
    digits.remove_prefix(1);
    std::string out(1, '-');
    out += PadLeft(digits, '0', width > 0 ? width - 1 : 0);
    return out;
  }
  return PadLeft(digits, '0', width);
}

}  // namespace cmn
