// Copies into the host's buffers never write past them.
#include "plugin/result_buffer.h"

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

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

TEST(BoundedMessage, ShortMessageIsTerminatedAndPadded) {
  GuardedBuffer buffer(16);
  plugin::CopyBoundedMessage("abc", buffer.data(), 16);
  EXPECT_STREQ(buffer.data(), "abc");
  for (size_t i = 3; i < 16; ++i) EXPECT_EQ(buffer.bytes[i], '\0') << i;
  EXPECT_TRUE(buffer.guardIntact());
}

TEST(BoundedMessage, LongMessageIsCutWithoutTerminator) {
  for (uint32_t size : {0u, 1u, 10u, 30u}) {
    GuardedBuffer buffer(size);
    plugin::CopyBoundedMessage("No GETLOGGER callback provided", buffer.data(), size);
    EXPECT_EQ(std::string(buffer.data(), size), std::string("No GETLOGGER callback provided", size))
        << size;
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
