// corvane-cli and the results of a run as a whole: a run killed at any
// point leaves the earlier results or the new ones, never a mix; an output
// root on a full disk is reported as such.
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include <gtest/gtest.h>
#include <QProcess>

#include "cli/cli_options.h"
#include "cli_fixture.h"
#include "core/date_time.h"
#include "core/output_file_append.h"
#include "core/output_file_set.h"
#include "support/folder_snapshot.h"
#include "support/small_disk.h"
#include "support/text_lines.h"

namespace corvane {
namespace {

using testing::CliTest;
using testing::Contains;
using testing::DifferentFiles;
using testing::FileExists;
using testing::FolderSnapshot;
using testing::Lines;
using testing::ReadFile;
using Snapshot = std::map<std::string, std::string>;

std::int64_t SizeOf(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 ? info.st_size : -1;
}

// Polls the condition until it holds or the deadline passes.
bool WaitFor(const std::function<bool()>& condition, std::chrono::seconds deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
  return true;
}

// The files of the run folder (with runFolder) or the root's tables.
Snapshot Part(const Snapshot& root, bool runFolder) {
  Snapshot part;
  for (const auto& [name, contents] : root) {
    if ((name.rfind("Quake", 0) == 0) == runFolder) part[name] = contents;
  }
  return part;
}

struct ResultSetsTest : CliTest {
  std::string Batch(const std::string& stop) {
    return "DataDirectory " + root_ +
           "\nCompareIntervals 1 0 3600 3600\nEventEchoDetect 1 5\nDFTOutput 1 1024\n"
           "AudioOutput 1\nLocalEggFile " +
           dir_.File("data/d.csv") + "\nQuake 2011-05-03 00:00:00 " + stop +
           " 2011-05-03 06:00:00 0.1\n";
  }
};

// A two-day run with every analysis is killed (SIGKILL) at points along the
// way: as each kind of result file appears, through the data file, and as
// the set is moved into place. Whoever looks next through the run's set
// (a run or a display of the name; here the set itself) finds the earlier
// results or the new ones, each file whole, and the root's tables with or
// without the new run's lines, never a line cut.
TEST_F(ResultSetsTest, AKilledRunLeavesTheEarlierResultsOrTheNewOnesWhole) {
  eggdata::EggDataOptions options;
  options.start = SecondsFromText("2011-05-03 00:00:00");
  options.stop = SecondsFromText("2011-05-04 23:59:59");
  options.eggCount = 10;
  ASSERT_EQ(eggdata::WriteEggDataDays(dir_.File("data/d.csv"), options, false).size(), 2u);
  ASSERT_EQ(RunBatch(Batch("2011-05-03 23:59:59")).exitCode, kExitOk);
  const Snapshot earlier = FolderSnapshot(root_);
  const std::vector<std::string> arguments = BatchArguments(Batch("2011-05-04 23:59:59"), {});
  ASSERT_EQ(Run(arguments).exitCode, kExitOk);
  const Snapshot later = FolderSnapshot(root_);
  const std::string folder = root_ + "Quake/";
  ASSERT_EQ(Lines(later.at("Quake/Quake.dat")).size(), 172800u);
  ASSERT_NE(later.at("Quake/Quake.inf"), earlier.at("Quake/Quake.inf"));
  const auto data = static_cast<std::int64_t>(later.at("Quake/Quake.dat").size());

  const auto appeared = [&](const char* file) {
    return [&, file] { return FileExists(folder + "." + file + ".pending"); };
  };
  const auto dataAt = [&](double part) {
    return [&, part] { return SizeOf(folder + ".Quake.dat.pending") >= part * data; };
  };
  // Points while the data file is still being written must leave the
  // earlier results; at the last ones the run may just have ended.
  struct Point {
    std::string name;
    std::function<bool()> reached;
    bool beforeCommit;
  };
  const std::vector<Point> points = {
      {"started", [] { return true; }, true},
      {"first sound file", appeared("Quake_lpvar.wav"), true},
      {"echo file", appeared("Quake_evcorr.dat"), true},
      {"first spectrum", appeared("Quake_eggvar_dft.dat"), true},
      {"a third of the data", dataAt(1.0 / 3), true},
      {"two thirds of the data", dataAt(2.0 / 3), true},
      {"statistics table", appeared("Quake.tst"), false},
      {"commit record", [&] { return FileExists(folder + ".Quake.commit"); }, false},
  };
  for (const Point& point : points) {
    SCOPED_TRACE(point.name);
    testing::RestoreFolder(root_, earlier);
    QProcess process;
    Start(process, arguments);
    ASSERT_TRUE(process.waitForStarted(20000));
    const bool hit = WaitFor([&] { return point.reached() || process.waitForFinished(1); },
                             std::chrono::seconds(120));
    // processId() is 0 once the program has ended: never kill(0, ...).
    if (const auto pid = static_cast<pid_t>(process.processId()); pid > 0) ::kill(pid, SIGKILL);
    process.waitForFinished(20000);
    EXPECT_TRUE(hit);
    if (point.beforeCommit) {
      EXPECT_EQ(process.exitStatus(), QProcess::CrashExit);
    }

    // The next writer of the name and of each table comes through these.
    OutputFileSet set;
    ASSERT_EQ(set.Begin(folder, "Quake"), std::nullopt);
    set.Discard();
    for (const auto& [name, contents] : Part(later, false)) {
      ASSERT_EQ(AppendToTable(root_ + name, {}), std::nullopt) << name;
    }
    const Snapshot after = FolderSnapshot(root_);
    const std::vector<std::string> changed = DifferentFiles(Part(earlier, true), Part(after, true));
    if (point.beforeCommit) {
      EXPECT_EQ(changed, std::vector<std::string>());
    } else {
      EXPECT_TRUE(changed.empty() || DifferentFiles(Part(later, true), Part(after, true)).empty())
          << changed.size() << " files changed";
    }
    const std::vector<std::string> information = Lines(after.at("Quake/Quake.inf"));
    EXPECT_EQ(information.at(0),
              "nRecords " + std::to_string(Lines(after.at("Quake/Quake.dat")).size()));
    // A run killed once it has ended has its own batch start in the
    // comma-separated tables.
    for (const auto& [name, contents] : Part(after, false)) {
      const auto same = [&](const Snapshot& other) {
        const std::string& text = other.at(name);
        return name.ends_with(".csv")
                   ? testing::WithoutBatchStart(contents) == testing::WithoutBatchStart(text)
                   : contents == text;
      };
      EXPECT_TRUE(same(earlier) || same(later)) << name;
    }
  }
}

// An output root on a full disk: the run's results are not half written,
// and the message (naming the item, the file and the reason) reaches
// standard error when the summary table cannot take it.
TEST_F(ResultSetsTest, AFullOutputRootIsReportedOnStandardError) {
  testing::SmallDisk disk(1 << 20);
  if (!disk.ok()) GTEST_SKIP() << disk.reason();
  disk.Fill(0);
  const std::string root = disk.path();
  const auto result =
      RunBatch("DataDirectory " + root + "\nLocalEggFile " + EggFile("q.csv", "2011-05-03") +
               "\nQuake 2011-05-03 00:00:00 2011-05-03 00:59:59\n");
  const std::string data = root + "Quake/Quake.dat";
  EXPECT_EQ(result.exitCode, kExitItemsFailed);
  EXPECT_TRUE(
      Contains(result.err, "Summary table not written: Quake: Failed to write gnuplot dat file " +
                               data + ": No space left on device (not added to " + root +
                               "summary.tst: No space left on device)"))
      << result.err;
  EXPECT_FALSE(FileExists(data));
  EXPECT_TRUE(std::filesystem::is_empty(root + "Quake"));
}

}  // namespace
}  // namespace corvane
