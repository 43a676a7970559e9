// A Stop while a two-day run with every analysis writes its results: at
// each point the earlier results stay exactly as they were and nothing of
// the stopped run is left behind, not even a pending file.
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <functional>

#include <gtest/gtest.h>

#include "job_harness.h"
#include "support/folder_snapshot.h"

namespace corvane {
namespace {

using namespace std::chrono_literals;
using testing::DifferentFiles;
using testing::FileExists;
using testing::FolderSnapshot;

std::int64_t SizeOf(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 ? info.st_size : -1;
}

// One batch run of Quake on a job thread of its own.
struct QuakeRun {
  testing::RecordingLink link;
  CEggStatistics job{&link, &link};

  QuakeRun(const testing::JobHarness& h, const std::string& data, const std::string& stop) {
    job.SetTempDirectory(h.temp, true);
    job.SetRootDirectory(h.root);
    job.SetGnuplotPath(h.gnuplot);
    job.SetLocalEggFile(data);
    job.SetRemoteAccess(false, false);
    job.SetAudio(true, AudioSettings{});
    job.SetDft(true, 1024);
    job.SetCompareIntervals(true);
    job.SetIntervals(0, 3600, 3600);
    job.SetEchoMethod(1);
    job.SetEventTime("2011-05-03 06:00:00", 360, 5);
    job.SetStartTime("2011-05-03 00:00:00");
    job.SetStopTime(stop);
    EXPECT_TRUE(job.StartThread());
    job.StartAnalysis(true, "Quake", "2011-05-03 00:00:00", stop);
  }
};

TEST(ResultSetStopTest, AStopWhileTheResultsAreWrittenKeepsTheEarlierResultsOnly) {
  testing::JobHarness h;
  const auto files = eggdata::WriteEggDataDays(
      h.dir.File("d.csv"), testing::DataRange("2011-05-03 00:00:00", "2011-05-04 23:59:59"), false);
  ASSERT_EQ(files.size(), 2u);
  {
    QuakeRun earlier(h, files[0], "2011-05-03 23:59:59");
    ASSERT_TRUE(earlier.link.WaitForRunEnded(120s));
  }
  const auto earlier = FolderSnapshot(h.root);
  std::int64_t data = 0;
  {
    QuakeRun later(h, files[0], "2011-05-04 23:59:59");
    ASSERT_TRUE(later.link.WaitForRunEnded(120s));
    data = SizeOf(h.Output("Quake", "Quake.dat"));
    ASSERT_FALSE(DifferentFiles(FolderSnapshot(h.root), earlier).empty());
  }

  const std::string folder = h.root + "Quake/";
  const auto appeared = [&](const char* file) {
    return [&, file] { return FileExists(folder + "." + file + ".pending"); };
  };
  const auto dataAt = [&](double part) {
    return [&, part] { return SizeOf(folder + ".Quake.dat.pending") >= part * data; };
  };
  const std::pair<const char*, std::function<bool()>> points[] = {
      {"first sound file", appeared("Quake_lpvar.wav")},
      {"echo file", appeared("Quake_evcorr.dat")},
      {"first spectrum", appeared("Quake_eggvar_dft.dat")},
      {"a fifth of the data", dataAt(0.2)},
      {"half the data", dataAt(0.5)},
      {"four fifths of the data", dataAt(0.8)},
  };
  for (const auto& [point, reached] : points) {
    SCOPED_TRACE(point);
    testing::RestoreFolder(h.root, earlier);
    QuakeRun run(h, files[0], "2011-05-04 23:59:59");
    EXPECT_TRUE(testing::WaitFor([&] { return reached() || run.link.runEndedCount() > 0; }, 120s));
    EXPECT_EQ(run.link.runEndedCount(), 0) << "the run ended before the point";
    run.job.StopAnalysis();
    ASSERT_TRUE(run.link.WaitForRunEnded(120s));
    EXPECT_EQ(DifferentFiles(FolderSnapshot(h.root), earlier), std::vector<std::string>());
  }
}

}  // namespace
}  // namespace corvane
