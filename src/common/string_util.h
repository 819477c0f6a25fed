// Byte-string helpers on UTF-8 text: trimming, prefix tests, splitting, replacing,
// number reading and padding. Tested by tests/common/common_test.cc.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cmn {

inline constexpr const char* kDefaultTrimSet = " \t\r\n";

std::string& TrimLeft(std::string& text, std::string_view set = kDefaultTrimSet);
std::string& TrimRight(std::string& text, std::string_view set = kDefaultTrimSet);
// 'a'..'z' become 'A'..'Z'; every other byte, those of UTF-8 sequences included,
// stays as it is.
constexpr char AsciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
std::string& AsciiUpper(std::string& text);

bool StartsWith(std::string_view text, const char* prefix);
bool EndsWith(std::string_view text, const char* suffix);

// Appends every maximal run of non-separator bytes; empties the list first unless `keep`.
size_t Split(std::string_view text, std::vector<std::string>& out, std::string_view separators,
             bool keep = false);
// Field split: empty fields survive unless `collapse`; see the definition for details.
size_t SplitFields(std::string_view text, std::vector<std::string>& out, const char* separators,
                   bool collapse = false, bool skipLeading = false);

size_t RemoveChar(std::string& text, char c);
size_t ReplaceAll(std::string& text, std::string_view search, const char* replacement);

bool IsAllDigits(std::string_view text);
int32_t TextToInt(std::string_view text);
uint32_t HexToInt(std::string_view text);

std::string PadLeft(std::string_view text, char pad, size_t width);
std::string FormatInt(long long value, size_t width);

}  // namespace cmn
