// Copies into the host's buffers never write past them.
#include "plugin/result_buffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr char kGuard = '\x7f';

// A buffer of `size` bytes followed by guard bytes that must survive.
struct GuardedBuffer {
  explicit GuardedBuffer(size_t bufferSize) : bytes(bufferSize + 8, kGuard), size(bufferSize) {}
  char* data() { return bytes.data(); }
  bool guardIntact() const {
    for (size_t i = size; i < bytes.size(); ++i) {
      if (bytes[i] != kGuard) return false;
    }
    return true;
  }
  std::vector<char> bytes;
  size_t size;
};

// A message is cut without terminator when it does not fit, and padded with NUL
// bytes when it does.
TEST(BoundedMessage, CutOrPaddedToTheBuffer) {
  const std::string message = "No GETLOGGER callback provided";
  for (uint32_t size : {0u, 1u, 10u, 30u, 40u}) {
    GuardedBuffer buffer(size);
    plugin::CopyBoundedMessage(message, buffer.data(), size);
    std::string expected = message.substr(0, size);
    expected.resize(size, '\0');
    EXPECT_EQ(std::string(buffer.data(), size), expected) << size;
    EXPECT_TRUE(buffer.guardIntact()) << size;
  }
  plugin::CopyBoundedMessage("message", nullptr, 10);  // no buffer: nothing to write
}

TEST(ResultDocument, FitsOnlyWhenShorterThanTheBuffer) {
  const std::string document = "<STD_RESULT>" + std::string(100, 'x') + "</STD_RESULT>";
  const std::string error = plugin::ErrorDocument(plugin::kResultTooLarge);
  ASSERT_EQ(error.size(), 89u);
  struct Row {
    uint32_t size;
    int32_t result;
    std::string expected;
  } rows[] = {
      {static_cast<uint32_t>(document.size() + 1), 0, document},
      {static_cast<uint32_t>(document.size()), -5, error.substr(0, document.size() - 1)},
      {90, -5, error},
      {89, -5, error.substr(0, 88)},
      {1, -5, ""},
  };
  for (const Row& row : rows) {
    GuardedBuffer buffer(row.size);
    EXPECT_EQ(plugin::CopyResultDocument(document, buffer.data(), row.size), row.result)
        << row.size;
    EXPECT_EQ(std::string(buffer.data()), row.expected) << row.size;
    EXPECT_TRUE(buffer.guardIntact()) << row.size;
  }
  GuardedBuffer empty(0);
  EXPECT_EQ(plugin::CopyResultDocument(document, empty.data(), 0), -5);
  EXPECT_TRUE(empty.guardIntact());
  EXPECT_EQ(plugin::CopyResultDocument(document, nullptr, 1000), 0);
}

}  // namespace
