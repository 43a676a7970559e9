#include "core/regular_file.h"

#include <sys/stat.h>

#include <cerrno>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace corvane {
namespace {

// Input is read only from regular files: any other kind is named for what it
// is and refused before it is opened (a FIFO would block the reader); a
// missing file fails with errno and no such name.
TEST(RegularFileTest, OtherKindsAreNamedAndRefusedWithoutBeingOpened) {
  testing::TempDir dir;
  ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0644), 0);
  testing::WriteFile(dir.File("plain"), "x");
  const struct {
    std::string path;
    std::string problem;
  } cases[] = {{dir.File("plain"), ""},
               {dir.path(), "it is a directory"},
               {dir.File("fifo"), "it is a FIFO"},
               {"/dev/null", "it is a device"}};
  for (const auto& c : cases) {
    std::string why = "left over";
    EXPECT_EQ(OpenRegularFile(c.path, &why) != nullptr, c.problem.empty()) << c.path;
    EXPECT_EQ(why, c.problem) << c.path;
    EXPECT_EQ(NotRegularFile(c.path).value_or(""), c.problem) << c.path;
  }
  std::string why = "left over";
  EXPECT_EQ(OpenRegularFileDescriptor(dir.File("missing"), &why), -1);
  EXPECT_EQ(errno, ENOENT);
  EXPECT_EQ(why, "");
  EXPECT_EQ(NotRegularFile(dir.File("missing")), std::nullopt);
}

}  // namespace
}  // namespace corvane
