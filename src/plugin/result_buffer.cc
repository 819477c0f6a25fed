// Copies into the host's buffers. Tested by tests/plugin/record_processing_test.cc.
#include "plugin/result_buffer.h"

#include <algorithm>
#include <cstring>

namespace plugin {
namespace {

// Copies as much of `text` as fits with a terminator; nothing when there is no room.
void CopyTerminated(const std::string& text, char* buffer, uint32_t bufferSize) {
  if (buffer == nullptr || bufferSize == 0) {
    return;
  }
  size_t length = std::min<size_t>(text.size(), bufferSize - 1);
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
}

}  // namespace

void CopyBoundedMessage(const std::string& message, char* buffer, uint32_t bufferSize) {
  if (buffer == nullptr) {
    return;
  }
  size_t length = std::min<size_t>(std::strlen(message.c_str()), bufferSize);
  std::memcpy(buffer, message.data(), length);
  std::memset(buffer + length, 0, bufferSize - length);
}

std::string ErrorDocument(const char* reason) {
  return std::string("<STD_RESULT><ERROR>") + reason + "</ERROR></STD_RESULT>";
}

int32_t CopyResultDocument(const std::string& document, char* buffer, uint32_t bufferSize) {
  if (document.size() >= bufferSize) {
    return WriteErrorDocument(kResultTooLarge, buffer, bufferSize);
  }
  CopyTerminated(document, buffer, bufferSize);
  return kResultOk;
}

int32_t WriteErrorDocument(const char* reason, char* buffer, uint32_t bufferSize) {
  CopyTerminated(ErrorDocument(reason), buffer, bufferSize);
  return kResultErrorDocument;
}

}  // namespace plugin
