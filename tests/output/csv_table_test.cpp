// Tables for other tools: fields quoted as RFC 4180 asks, numbers that read
// back exactly, and appends that never add rows under foreign columns or
// leave half a record behind.
#include "output/csv_table.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <limits>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace corvane {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

TEST(CsvTableTest, FieldsAreQuotedOnlyWhenTheyMustBe) {
  EXPECT_EQ(CsvField("Quake1"), "Quake1");
  EXPECT_EQ(CsvField(""), "");
  EXPECT_EQ(CsvField("a,b"), "\"a,b\"");
  EXPECT_EQ(CsvField("say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(CsvField("two\nlines"), "\"two\nlines\"");
  EXPECT_EQ(CsvField("cr\rhere"), "\"cr\rhere\"");
  EXPECT_EQ(CsvField(" padded"), "\" padded\"");
  EXPECT_EQ(CsvField("padded\t"), "\"padded\t\"");
  EXPECT_EQ(CsvField("in side"), "in side");
  EXPECT_EQ(CsvRecord({"a", "", "\"b,c\""}), "a,,\"b,c\"");
}

TEST(CsvTableTest, NumbersReadBackExactly) {
  for (double value : {0.1, 1.0 / 3.0, 3.3e-5, 1e-300, 5e-324, -2.5, 86400.0, 1e22,
                       std::numeric_limits<double>::max()}) {
    const std::string text = CsvNumber(value);
    EXPECT_EQ(std::strtod(text.c_str(), nullptr), value) << text;
    EXPECT_EQ(text.find(','), std::string::npos) << text;
  }
  EXPECT_EQ(CsvNumber(0.5), "0.5");
  EXPECT_EQ(CsvNumber(std::nan("")), "");
  EXPECT_EQ(CsvNumber(std::numeric_limits<double>::infinity()), "Inf");
  EXPECT_EQ(CsvNumber(-std::numeric_limits<double>::infinity()), "-Inf");
  EXPECT_EQ(CsvInteger(-12), "-12");
}

TEST(CsvTableTest, AppendWritesTheHeaderOnceAndRefusesForeignTables) {
  TempDir dir;
  const std::string path = dir.File("t.csv");
  EXPECT_EQ(AppendCsvRecords(path, "a,b", {"1,2"}), std::nullopt);
  EXPECT_EQ(AppendCsvRecords(path, "a,b", {"3,4", "5,6"}), std::nullopt);
  EXPECT_EQ(ReadFile(path), "a,b\r\n1,2\r\n3,4\r\n5,6\r\n");

  // An empty file gets its header.
  WriteFile(dir.File("empty.csv"), "");
  EXPECT_EQ(AppendCsvRecords(dir.File("empty.csv"), "a,b", {"1,2"}), std::nullopt);
  EXPECT_EQ(ReadFile(dir.File("empty.csv")), "a,b\r\n1,2\r\n");

  // Other columns, a longer header, a header that is a prefix: untouched.
  for (const std::string& foreign : {std::string("a,c\r\n1,2\r\n"), std::string("a,b,c\n"),
                                     std::string("a"), std::string("a,b,")}) {
    WriteFile(dir.File("other.csv"), foreign);
    const auto refusal = AppendCsvRecords(dir.File("other.csv"), "a,b", {"7,8"});
    ASSERT_TRUE(refusal.has_value()) << foreign;
    EXPECT_NE(refusal->find(dir.File("other.csv")), std::string::npos) << *refusal;
    EXPECT_EQ(ReadFile(dir.File("other.csv")), foreign);
  }
  // A header ended by a bare line feed is the same header.
  WriteFile(dir.File("lf.csv"), "a,b\n1,2\n");
  EXPECT_EQ(AppendCsvRecords(dir.File("lf.csv"), "a,b", {"3,4"}), std::nullopt);

  // Not a regular file.
  std::filesystem::create_directory(dir.File("folder.csv"));
  const auto refusal = AppendCsvRecords(dir.File("folder.csv"), "a,b", {"1,2"});
  ASSERT_TRUE(refusal.has_value());
  EXPECT_NE(refusal->find("not a regular file"), std::string::npos) << *refusal;
  // A folder that does not exist.
  EXPECT_TRUE(AppendCsvRecords(dir.File("none/t.csv"), "a,b", {"1,2"}).has_value());
}

// A write cut short (here by a file size limit) leaves the table as it was.
TEST(CsvTableTest, AFailedAppendLeavesTheTableWhole) {
  TempDir dir;
  const std::string path = dir.File("t.csv");
  ASSERT_EQ(AppendCsvRecords(path, "a,b", {"1,2"}), std::nullopt);
  const std::string before = ReadFile(path);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{static_cast<rlim_t>(before.size() + 10),
                       static_cast<rlim_t>(before.size() + 10)};
    setrlimit(RLIMIT_FSIZE, &limit);
    const auto failure = AppendCsvRecords(path, "a,b", {std::string(100, 'x')});
    _exit(failure && failure->find("Failed to write " + path) == 0 ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the failure was not reported";
  EXPECT_EQ(ReadFile(path), before);
}

}  // namespace
}  // namespace corvane
