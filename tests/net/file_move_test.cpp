#include "net/file_move.h"

#include <sys/stat.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace corvane {
namespace {

using testing::FileExists;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

size_t EntryCount(const std::string& directory) {
  size_t count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(directory)) {
    (void)entry;
    ++count;
  }
  return count;
}

TEST(FileMoveTest, CopyReplacesTheTargetOnlyWhenComplete) {
  TempDir dir;
  const std::string bytes(200000, 'x');
  WriteFile(dir.File("from"), bytes);
  WriteFile(dir.File("to"), "old");
  std::string error;
  ASSERT_TRUE(CopyFileReplacing(dir.File("from"), dir.File("to"), &error)) << error;
  EXPECT_EQ(ReadFile(dir.File("to")), bytes);
  EXPECT_EQ(ReadFile(dir.File("from")), bytes);  // a copy leaves its source
  EXPECT_EQ(EntryCount(dir.path()), 2u);         // and no temporary file

  EXPECT_FALSE(CopyFileReplacing(dir.File("missing"), dir.File("to"), &error));
  EXPECT_NE(error.find("missing"), std::string::npos);
  EXPECT_EQ(ReadFile(dir.File("to")), bytes);
  EXPECT_FALSE(CopyFileReplacing(dir.File("from"), dir.File("none/to"), &error));
  EXPECT_EQ(EntryCount(dir.path()), 2u);
}

TEST(FileMoveTest, MoveRenamesOrReportsAndKeepsTheSource) {
  TempDir dir;
  WriteFile(dir.File("from"), "data");
  WriteFile(dir.File("to"), "old");
  std::string error;
  ASSERT_TRUE(MoveFileReplacing(dir.File("from"), dir.File("to"), &error)) << error;
  EXPECT_EQ(ReadFile(dir.File("to")), "data");
  EXPECT_FALSE(FileExists(dir.File("from")));

  WriteFile(dir.File("from"), "again");
  EXPECT_FALSE(MoveFileReplacing(dir.File("from"), dir.File("none/to"), &error));
  EXPECT_NE(error.find("none/to"), std::string::npos);
  EXPECT_EQ(ReadFile(dir.File("from")), "again");
}

// A directory on another file system than the temporary directory, when the
// machine has one (tmpfs at /dev/shm on Debian).
bool OtherFileSystem(const std::string& directory) {
  struct stat shm {};
  struct stat temp {};
  return ::stat("/dev/shm", &shm) == 0 && ::stat(directory.c_str(), &temp) == 0 &&
         shm.st_dev != temp.st_dev;
}

TEST(FileMoveTest, MoveAcrossFileSystemsCopiesAndDeletes) {
  TempDir dir;
  if (!OtherFileSystem(dir.path())) GTEST_SKIP() << "no second file system at /dev/shm";
  std::string shm = "/dev/shm/corvane-move-XXXXXX";
  ASSERT_NE(::mkdtemp(shm.data()), nullptr);
  const std::string from = shm + "/data.txt.gz";
  WriteFile(from, "day data");
  std::string error;
  const bool moved = MoveFileReplacing(from, dir.File("Quake.gz"), &error);
  std::filesystem::remove_all(shm);
  ASSERT_TRUE(moved) << error;
  EXPECT_EQ(ReadFile(dir.File("Quake.gz")), "day data");
  EXPECT_FALSE(FileExists(from));
}

}  // namespace
}  // namespace corvane
