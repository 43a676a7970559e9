// What the setters store, and the writability probes of the directories.
#include <filesystem>
#include <iterator>
#include <stdexcept>

#include <gtest/gtest.h>

#include "job_harness.h"

namespace corvane {
namespace {

using testing::JobHarness;
using testing::ReadFile;
using testing::WriteFile;

TEST(JobSettersTest, ANewJobHasTheDefaultsOfARun) {
  JobHarness h;
  const AnalysisSettings& s = h.job->context().settings;
  EXPECT_EQ(s.resolution, 1);
  EXPECT_EQ(s.smoothingMode, kExponential);
  EXPECT_EQ(s.smoothingWindow, 900);
  EXPECT_DOUBLE_EQ(s.expCoefficient, 0.001);
  EXPECT_TRUE(s.dft);
  EXPECT_FALSE(s.remoteAccess);
  EXPECT_EQ(s.startTime, 0);
  EXPECT_EQ(s.stopTime, 0);
  EXPECT_EQ(h.job->JobStage(), 0);
}

TEST(JobSettersTest, DirectoriesGetASeparatorAndTheNetworkLogLiesInTheTemporaryOne) {
  JobHarness h;
  std::string temp = h.temp;
  temp.pop_back();
  EXPECT_TRUE(h.job->SetTempDirectory(temp, true));
  h.job->SetRootDirectory(h.dir.path() + "out");
  const AnalysisSettings& s = h.job->context().settings;
  EXPECT_EQ(s.tempDirectory, h.temp);
  EXPECT_EQ(s.networkLogPath, h.temp + "eggnet.log");
  EXPECT_TRUE(s.freshNetworkLog);
  EXPECT_EQ(s.rootDirectory, h.root);
}

TEST(JobSettersTest, TheWritabilityProbeLeavesAUsersTestDatAlone) {
  JobHarness h;
  WriteFile(h.temp + "test.dat", "the user's own data\n");
  EXPECT_TRUE(h.job->SetTempDirectory(h.temp, false));
  EXPECT_TRUE(h.job->SetRemoteSaveDirectory(true, h.temp, true));
  EXPECT_EQ(ReadFile(h.temp + "test.dat"), "the user's own data\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(h.temp),
                          std::filesystem::directory_iterator()),
            1);
}

TEST(JobSettersTest, DirectoriesThatCannotTakeAFileAreRefused) {
  JobHarness h;
  WriteFile(h.dir.File("plain"), "x");
  EXPECT_FALSE(h.job->SetTempDirectory(h.dir.File("plain"), false));
  EXPECT_FALSE(h.job->SetTempDirectory(h.dir.File("no/such/dir"), false));
  EXPECT_FALSE(h.job->SetTempDirectory("", false));
  EXPECT_FALSE(h.job->SetRemoteSaveDirectory(true, h.dir.File("plain"), false));
  // An empty remote save directory means the root directory: nothing to probe.
  EXPECT_TRUE(h.job->SetRemoteSaveDirectory(true, "", true));
  const AnalysisSettings& s = h.job->context().settings;
  EXPECT_TRUE(s.saveRemoteInput);
  EXPECT_TRUE(s.saveCompressed);
  EXPECT_EQ(s.remoteSaveDirectory, "");
}

TEST(JobSettersTest, TimeSettersConvertValidTextsAndRefuseOthers) {
  JobHarness h;
  EXPECT_EQ(h.job->SetStartTime("2011-05-03 10:00:00"), 1304416800);
  EXPECT_EQ(h.job->SetStopTime("2011-05-04 00:00:00"), 1304467200);
  EXPECT_EQ(h.job->SetStartTime(""), 1304416800);  // empty text keeps the seconds
  EXPECT_EQ(h.job->SetEventTime("2011-05-03 12:00:00", 4 * 3600, 5), 1304424000);
  EXPECT_EQ(h.job->context().settings.eventDuration, 14400);
  EXPECT_EQ(h.job->context().settings.eventEchoVariable, 5);
  EXPECT_EQ(h.job->SetEventTime("", 0, 0), 0);
  for (const char* bad : {"2011-02-30 00:00:00", "2011-05-03 24:00:00", "May 3", "1969-12-31"}) {
    EXPECT_THROW(h.job->SetStartTime(bad), std::invalid_argument) << bad;
    EXPECT_THROW(h.job->SetStopTime(bad), std::invalid_argument) << bad;
    EXPECT_THROW(h.job->SetEventTime(bad, 0, 0), std::invalid_argument) << bad;
  }
  EXPECT_EQ(h.job->context().settings.startTime, 1304416800);
  EXPECT_EQ(h.job->context().settings.stopTime, 1304467200);
}

TEST(JobSettersTest, TheAudioSettingsAreTheRunsOwnCopy) {
  JobHarness h;
  AudioSettings form;
  form.level = 55;
  form.sampleRate = 11025;
  h.job->SetAudio(true, form);
  form.level = 90;  // the form's dialog changes its block during the run
  EXPECT_TRUE(h.job->context().settings.audio);
  EXPECT_EQ(h.job->context().settings.audioSettings.level, 55);
  EXPECT_EQ(h.job->context().settings.audioSettings.sampleRate, 11025);
}

TEST(JobSettersTest, PlainSettersStoreTheirValues) {
  JobHarness h;
  h.job->SetDataUrls("http://127.0.0.1:1/a?z=1", "http://127.0.0.1:1/p/");
  h.job->SetSmoothing(2, 600, 0.25);
  h.job->SetResolution(2);
  h.job->SetRemoteAccess(true, true);
  h.job->SetDft(false, 4096);
  h.job->SetCompareIntervals(true);
  h.job->SetIntervals(10, 3610, 3600);
  h.job->SetEchoMethod(2);
  h.job->SetGnuplotPath("/usr/bin/gnuplot");
  h.job->SetLocalEggFile("/data/quake.csv");
  const AnalysisSettings& s = h.job->context().settings;
  EXPECT_EQ(s.dataUrl, "http://127.0.0.1:1/a?z=1");
  EXPECT_EQ(s.pseudoDataUrl, "http://127.0.0.1:1/p/");
  EXPECT_EQ(s.smoothingMode, kTriangle);
  EXPECT_EQ(s.smoothingWindow, 600);
  EXPECT_DOUBLE_EQ(s.expCoefficient, 0.25);
  EXPECT_EQ(s.resolution, 2);
  EXPECT_TRUE(s.remoteAccess);
  EXPECT_TRUE(s.pseudoEggData);
  EXPECT_FALSE(s.dft);
  EXPECT_EQ(s.dftSize, 4096);
  EXPECT_TRUE(s.compareIntervals);
  EXPECT_EQ(s.interval1Start, 10);
  EXPECT_EQ(s.interval2Start, 3610);
  EXPECT_EQ(s.intervalDuration, 3600);
  EXPECT_EQ(s.echoMethod, kEchoEuclidean);
  EXPECT_EQ(s.gnuplotPath, "/usr/bin/gnuplot");
  EXPECT_EQ(s.localEggFile, "/data/quake.csv");
}

}  // namespace
}  // namespace corvane
