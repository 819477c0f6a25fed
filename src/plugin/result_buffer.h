// Copies that cross the boundary into buffers the host owns: initPlugin's error
// message and runDQM's result or error document. Tested by
// tests/plugin/record_processing_test.cc.
#pragma once

#include <cstdint>
#include <string>

namespace plugin {

inline constexpr int32_t kResultOk = 0;
inline constexpr int32_t kResultErrorDocument = -5;
inline constexpr const char* kResultTooLarge = "return document size exceeds maximum allowed size";

// strncpy semantics, as the host expects: a shorter message is copied with its
// terminator and the rest of the buffer zero-filled; a message of `bufferSize`
// characters or more is cut to `bufferSize` characters WITHOUT a terminator.
// A null buffer receives nothing.
void CopyBoundedMessage(const std::string& message, char* buffer, uint32_t bufferSize);

// "<STD_RESULT><ERROR>reason</ERROR></STD_RESULT>".
std::string ErrorDocument(const char* reason);

// Copies the result document with its terminator when it is shorter than the
// buffer and returns kResultOk; otherwise writes the error document and returns
// kResultErrorDocument.
int32_t CopyResultDocument(const std::string& document, char* buffer, uint32_t bufferSize);

// Writes the error document for `reason` and returns kResultErrorDocument. A buffer
// too small even for that gets as much of it as fits: nothing is ever written past
// `bufferSize` bytes, and the text is terminated whenever the buffer has a byte.
int32_t WriteErrorDocument(const char* reason, char* buffer, uint32_t bufferSize);

}  // namespace plugin
