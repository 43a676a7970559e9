#include "core/output_file.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace corvane {
namespace {

using testing::ReadFile;

TEST(OutputFileTest, RewritesAHeaderInPlaceAppendsLinesAndReportsFailures) {
  testing::TempDir dir;
  OutputFile file;
  ASSERT_TRUE(file.Open(dir.File("b.txt"), "wb"));
  EXPECT_TRUE(file.Printf("size=%d;%f\n", 0, 0.25));
  EXPECT_TRUE(file.Write("payload"));
  EXPECT_TRUE(file.Rewind());
  EXPECT_TRUE(file.Printf("size=%d;", 7));
  EXPECT_TRUE(file.Close());
  EXPECT_FALSE(file.Rewind());  // closed
  EXPECT_EQ(ReadFile(dir.File("b.txt")), "size=7;0.250000\npayload");
  EXPECT_TRUE(AppendTextLine(dir.File("log"), "one"));
  EXPECT_TRUE(AppendTextLine(dir.File("log"), "two"));
  EXPECT_EQ(ReadFile(dir.File("log")), "one\ntwo\n");

  OutputFile full;
  ASSERT_TRUE(full.Open("/dev/full", "w"));
  full.Write(std::string(1 << 16, 'x'));
  EXPECT_FALSE(full.Close());
  OutputFile missing;
  EXPECT_FALSE(missing.Open(dir.File("missing/a.txt"), "w"));
  EXPECT_FALSE(missing.Printf("x"));
  EXPECT_FALSE(AppendTextLine(dir.File("missing/b.txt"), "line"));
}

}  // namespace
}  // namespace corvane
