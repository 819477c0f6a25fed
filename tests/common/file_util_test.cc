// File operations on real files in a scratch directory, through composed paths.
#include "common/file_util.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "test_files.h"

namespace cmn {
namespace {

class FileUtilTest : public ::testing::Test {
 protected:
  // The composed form of a file in the scratch directory: backslash separators.
  PathValue Composed(const char* name) const {
    PathValue path;
    JoinPath(path, directory_.c_str(), name);
    return path;
  }
  void Write(const char* name, const std::string& content) const {
    zeb_test::writeFile(scratch_.file(name), content);
  }

  zeb_test::ScratchDirectory scratch_;
  const std::string& directory_ = scratch_.path();
};

TEST_F(FileUtilTest, ComposedPathReachesTheRealFileAndDirectory) {
  const PathValue path = Composed("a.log");
  ASSERT_NE(path.utf8.find('\\'), std::string::npos);
  EXPECT_FALSE(fileExists(path));
  EXPECT_EQ(fileSize(path), -1);
  Write("a.log", "12345");
  EXPECT_TRUE(fileExists(path));
  EXPECT_EQ(fileSize(path), 5);

  Write("empty", "");
  EXPECT_EQ(fileSize(Composed("empty")), 0);
  ASSERT_TRUE(std::filesystem::create_directory(directory_ + "/sub"));
  EXPECT_TRUE(fileExists(Composed("sub")));
  EXPECT_EQ(fileSize(Composed("sub")), 0);
  PathValue directory;
  SetPath(directory, directory_.c_str());
  EXPECT_EQ(fileSize(directory), 0);
}

TEST_F(FileUtilTest, MoveRefusesToReplaceAndDeleteRemovesFilesOnly) {
  Write("a", "first");
  Write("b", "second!");
  EXPECT_FALSE(moveFile(Composed("a"), Composed("b")));
  EXPECT_EQ(fileSize(Composed("b")), 7);
  EXPECT_TRUE(fileExists(Composed("a")));
  EXPECT_TRUE(moveFile(Composed("a"), Composed("c")));
  EXPECT_FALSE(fileExists(Composed("a")));
  EXPECT_EQ(fileSize(Composed("c")), 5);
  EXPECT_FALSE(moveFile(Composed("missing"), Composed("d")));

  EXPECT_TRUE(deleteFile(Composed("c")));
  EXPECT_FALSE(fileExists(Composed("c")));
  EXPECT_FALSE(deleteFile(Composed("c")));
  ASSERT_TRUE(std::filesystem::create_directory(directory_ + "/sub"));
  EXPECT_FALSE(deleteFile(Composed("sub")));
  EXPECT_TRUE(fileExists(Composed("sub")));
}

TEST(PathSplitting, AtTheLastBackslash) {
  struct Row {
    const char* path;
    const char* directory;
    const char* file;
  } rows[] = {
      {"name.log", "", "name.log"},
      {"C:\\logs\\name.log", "C:\\logs", "name.log"},
      {"\\name", "", "name"},
      {"dir\\", "dir", ""},
      {"", "", ""},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(directoryOf(row.path), row.directory) << row.path;
    EXPECT_EQ(fileNameOf(row.path), row.file) << row.path;
  }
}

}  // namespace
}  // namespace cmn
