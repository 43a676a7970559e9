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

}  // namespace
}  // namespace corvane
