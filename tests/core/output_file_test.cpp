#include "core/output_file.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace corvane {
namespace {

using testing::ReadFile;
using testing::TempDir;

TEST(OutputFileTest, WritesFormattedTextAndReportsSuccess) {
  TempDir dir;
  OutputFile file;
  ASSERT_TRUE(file.Open(dir.File("a.txt"), "w"));
  EXPECT_TRUE(file.Printf("%d %f\n", 3, 0.25));
  EXPECT_TRUE(file.Write("end\n"));
  EXPECT_TRUE(file.Close());
  EXPECT_EQ(ReadFile(dir.File("a.txt")), "3 0.250000\nend\n");
}

TEST(OutputFileTest, AFullDiskIsReportedByClose) {
  OutputFile file;
  ASSERT_TRUE(file.Open("/dev/full", "w"));
  const std::string block(1 << 16, 'x');
  file.Write(block);
  EXPECT_FALSE(file.Close());
}

TEST(OutputFileTest, MissingDirectoryFailsToOpenAndAppendsNothing) {
  TempDir dir;
  OutputFile file;
  EXPECT_FALSE(file.Open(dir.File("missing/a.txt"), "w"));
  EXPECT_FALSE(file.Printf("x"));
  EXPECT_FALSE(AppendTextLine(dir.File("missing/b.txt"), "line"));
}

TEST(OutputFileTest, RewindLetsAHeaderBeRewrittenInPlace) {
  TempDir dir;
  OutputFile file;
  ASSERT_TRUE(file.Open(dir.File("b.bin"), "wb"));
  file.Write("size=?;");
  file.Write("payload");
  EXPECT_TRUE(file.Rewind());
  file.Write("size=7;");
  EXPECT_TRUE(file.Close());
  EXPECT_EQ(ReadFile(dir.File("b.bin")), "size=7;payload");
  EXPECT_FALSE(file.Rewind());  // closed
}

TEST(OutputFileTest, AppendTextLineAddsLines) {
  TempDir dir;
  EXPECT_TRUE(AppendTextLine(dir.File("log"), "one"));
  EXPECT_TRUE(AppendTextLine(dir.File("log"), "two"));
  EXPECT_EQ(ReadFile(dir.File("log")), "one\ntwo\n");
}

}  // namespace
}  // namespace corvane
