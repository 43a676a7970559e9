#include "core/output_file.h"
#include "core/output_file_append.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace corvane {
namespace {

using testing::FileExists;
using testing::ReadFile;
using testing::WriteFile;

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

// The heading goes in once, before the first text of a table without it,
// whatever lines other writers put first.
TEST(AppendToTableTest, HeadingOnceThenWholeUnits) {
  testing::TempDir dir;
  const std::string table = dir.File("summary.tst");
  const TableText run{"Quake\t1\t\n", "Root\n\nname\tn\n\n", "name\tn"};
  EXPECT_EQ(AppendToTable(table, {"Broken: refused\n", {}, {}}), std::nullopt);
  EXPECT_EQ(AppendToTable(table, run), std::nullopt);
  EXPECT_EQ(AppendToTable(table, run), std::nullopt);
  EXPECT_EQ(AppendToTable(table, {}), std::nullopt);
  EXPECT_EQ(ReadFile(table), "Broken: refused\nRoot\n\nname\tn\n\nQuake\t1\t\nQuake\t1\t\n");
  // A heading line written by another program with a carriage return counts.
  WriteFile(table, "name\tn\r\n");
  EXPECT_EQ(AppendToTable(table, run), std::nullopt);
  EXPECT_EQ(ReadFile(table), "name\tn\r\nQuake\t1\t\n");
  // A longer line that begins like the heading does not.
  WriteFile(table, "name\tn\tx\n");
  EXPECT_EQ(AppendToTable(table, run), std::nullopt);
  EXPECT_EQ(ReadFile(table), "name\tn\tx\nRoot\n\nname\tn\n\nQuake\t1\t\n");
}

// A unit cut short by the file size limit (as by a full disk) is taken back
// at once; one that a killed writer left behind (its journal still there) is
// taken back by the next append, before it writes.
TEST(AppendToTableTest, AUnitCutShortIsTakenBack) {
  testing::TempDir dir;
  const std::string table = dir.File("lpvar_dft.dat");
  WriteFile(table, "earlier\n");
  {
    struct rlimit old {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto ignored = signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 20;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const auto failure = AppendToTable(table, {std::string(64, 'x') + "\n", {}, {}});
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, ignored);
    EXPECT_EQ(failure, table + ": File too large");
  }
  EXPECT_EQ(ReadFile(table), "earlier\n");
  EXPECT_FALSE(FileExists(dir.File(".lpvar_dft.dat.appending")));

  WriteFile(table, "earlier\nQuake\t0.1\t0.");
  WriteFile(dir.File(".lpvar_dft.dat.appending"), "8\n");
  EXPECT_EQ(AppendToTable(table, {"Next\t0.2\t\n", {}, {}}), std::nullopt);
  EXPECT_EQ(ReadFile(table), "earlier\nNext\t0.2\t\n");
  EXPECT_FALSE(FileExists(dir.File(".lpvar_dft.dat.appending")));
  // A journal that is not one (too long, or beyond the end) cuts nothing.
  WriteFile(dir.File(".lpvar_dft.dat.appending"), "99999\n");
  EXPECT_EQ(AppendToTable(table, {}), std::nullopt);
  WriteFile(dir.File(".lpvar_dft.dat.appending"), std::string(100, '1'));
  EXPECT_EQ(AppendToTable(table, {}), std::nullopt);
  EXPECT_EQ(ReadFile(table), "earlier\nNext\t0.2\t\n");
}

// Only regular files are tables: a FIFO or a folder is refused at once.
TEST(AppendToTableTest, RefusesWhatIsNotARegularFileWithoutBlocking) {
  testing::TempDir dir;
  ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0644), 0);
  ASSERT_EQ(mkdir(dir.File("folder").c_str(), 0755), 0);
  auto refusals = std::async(std::launch::async, [&] {
    return std::vector<std::optional<std::string>>{
        AppendToTable(dir.File("fifo"), {"line\n", {}, {}}), CheckTable(dir.File("fifo")),
        AppendToTable(dir.File("folder"), {"line\n", {}, {}}),
        AppendToTable(dir.File("missing/table"), {"line\n", {}, {}})};
  });
  ASSERT_EQ(refusals.wait_for(std::chrono::seconds(20)), std::future_status::ready);
  const auto results = refusals.get();
  EXPECT_EQ(results[0], dir.File("fifo") + ": not a regular file");
  EXPECT_EQ(results[1], dir.File("fifo") + ": not a regular file");
  EXPECT_EQ(results[2], dir.File("folder") + ": Is a directory");
  EXPECT_EQ(results[3], dir.File("missing/table") + ": No such file or directory");
  EXPECT_EQ(CheckTable(dir.File("new")), std::nullopt);
  EXPECT_EQ(ReadFile(dir.File("new")), "");
}

}  // namespace
}  // namespace corvane
