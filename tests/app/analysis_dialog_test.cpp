// The request form: its refusals with their texts and captions, what it
// hands the job, the settings it stores, and the life of a run from start to
// its end-of-run notification.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "app/analysis_dialog.h"
#include "core/date_time.h"
#include "form_fixture.h"
#include "job/egg_statistics.h"

namespace corvane {
namespace {

using testing::ClearStoredSettings;
using testing::FormTest;

struct Refusal {
  const char* what;
  std::function<void(AnalysisDialog&)> change;
  std::string text;
  std::optional<std::string> caption;
};

class AnalysisDialogTest : public FormTest {};

TEST_F(AnalysisDialogTest, StartsIdleAndEnablesControlsByTheirFields) {
  AnalysisDialog& form = MakeForm();
  EXPECT_EQ(form.resolution(), 1);
  EXPECT_TRUE(form.StartNewLog());
  EXPECT_FALSE(form.Busy());
  EXPECT_EQ(form.BatchItemCount(), -1);
  const ControlEnabling enabling = form.Enabling();
  EXPECT_TRUE(enabling.saveRemoteInput);
  EXPECT_TRUE(enabling.coeff);
  EXPECT_FALSE(enabling.windowSize);
  EXPECT_FALSE(enabling.dftSize);
  EXPECT_FALSE(enabling.intervals);
  form.fields.smoothWindowType = 2;
  form.fields.dft = true;
  form.fields.compareIntervals = true;
  form.fields.remoteAccess = false;
  const ControlEnabling changed = form.Enabling();
  EXPECT_FALSE(changed.saveRemoteInput);
  EXPECT_FALSE(changed.coeff);
  EXPECT_TRUE(changed.windowSize);
  EXPECT_TRUE(changed.dftSize);
  EXPECT_TRUE(changed.intervals);
}

TEST_F(AnalysisDialogTest, AnalyzeRefusesBadRequestsWithTheirMessages) {
  const std::string setup = "Setup error";
  const std::vector<Refusal> refusals = {
      {"empty data name", [](AnalysisDialog& f) { f.fields.dataName = ""; },
       "Data name not specified", std::nullopt},
      {"data name with a path separator", [](AnalysisDialog& f) { f.fields.dataName = "a/b"; },
       "The data name \"a/b\" must not contain a path separator", setup},
      {"data name ..", [](AnalysisDialog& f) { f.fields.dataName = ".."; },
       "The data name must not be \".\" or \"..\"", setup},
      {"empty output root", [](AnalysisDialog& f) { f.fields.outputRoot = ""; },
       "Data directory is unspecified", ""},
      {"output root that does not exist",
       [this](AnalysisDialog& f) { f.fields.outputRoot = dir_.File("missing/out"); },
       "Please specify an existing directory for the output: " + dir_.File("missing/out"), setup},
      {"empty temporary directory", [](AnalysisDialog& f) { f.config.tempDirectory = ""; },
       "Temp directory is unspecified", ""},
      {"empty start", [](AnalysisDialog& f) { f.fields.startTime = "  "; },
       "Must have at least a start date", setup},
      {"start that is no date", [](AnalysisDialog& f) { f.fields.startTime = "May 3"; },
       "Invalid date format: May 3", setup},
      {"stop that is no real instant",
       [](AnalysisDialog& f) { f.fields.stopTime = "2011-05-03 24:00:00"; },
       "Invalid date format: 2011-05-03 24:00:00", setup},
      {"event on a day that does not exist",
       [](AnalysisDialog& f) { f.fields.eventTime = "2011-02-30 10:00:00"; },
       "Invalid date format: 2011-02-30 10:00:00", setup},
      {"stop before start", [](AnalysisDialog& f) { f.fields.stopTime = "2011-05-02 23:00:00"; },
       "Incorrect start and/or stop time", setup},
      {"stop equal to start", [](AnalysisDialog& f) { f.fields.stopTime = f.fields.startTime; },
       "Incorrect start and/or stop time", setup},
      {"local run without a file", [](AnalysisDialog& f) { f.fields.localEggFile = ""; },
       "Specify egg file name for local access", setup},
      {"temporary directory that cannot be written",
       [this](AnalysisDialog& f) { f.config.tempDirectory = dir_.File("missing/tmp"); },
       "Please specify an existing temporary directory", setup},
      {"remote save directory that cannot be written",
       [this](AnalysisDialog& f) {
         f.fields.remoteAccess = true;
         f.fields.saveRemoteInput = true;
         f.config.remoteSaveDirectory = dir_.File("missing/save");
       },
       "Please specify an existing directory for saving remote files", setup},
  };
  for (const Refusal& refusal : refusals) {
    SCOPED_TRACE(refusal.what);
    ClearStoredSettings();
    view_.messages.clear();
    AnalysisDialog& form = MakeForm();
    SetLocalRequest("Quake");
    refusal.change(form);
    EXPECT_FALSE(form.AnalyzeData());
    EXPECT_FALSE(form.Busy());
    EXPECT_FALSE(form.RunInProgress());
    ASSERT_EQ(view_.messages.size(), 1u);
    EXPECT_EQ(view_.messages[0].text, refusal.text);
    EXPECT_EQ(view_.messages[0].caption, refusal.caption);
    EXPECT_FALSE(testing::FileExists(root_ + "Quake"));
  }
}

TEST_F(AnalysisDialogTest, BothRefusalsOfTheDirectoriesAreShown) {
  AnalysisDialog& form = MakeForm();
  SetLocalRequest("Quake");
  form.fields.remoteAccess = true;
  form.fields.saveRemoteInput = true;
  form.config.remoteSaveDirectory = dir_.File("missing/save");
  form.config.tempDirectory = dir_.File("missing/tmp");
  EXPECT_FALSE(form.AnalyzeData());
  EXPECT_EQ(
      view_.MessageTexts(),
      (std::vector<std::string>{"Please specify an existing temporary directory",
                                "Please specify an existing directory for saving remote files"}));
  EXPECT_FALSE(form.Busy());
}

TEST_F(AnalysisDialogTest, ValuesThatWouldBreakARunAreRefusedBeforeAnythingIsStored) {
  const std::vector<Refusal> refusals = {
      {"coefficient above 1", [](AnalysisDialog& f) { f.fields.expCoeff = 2.0; }, "", {}},
      {"triangle window of 1",
       [](AnalysisDialog& f) {
         f.fields.smoothWindowType = 2;
         f.fields.smoothWindowSize = 1;
       },
       "",
       {}},
      {"smoothing mode 3", [](AnalysisDialog& f) { f.fields.smoothWindowType = 3; }, "", {}},
      {"DFT size 1",
       [](AnalysisDialog& f) {
         f.fields.dft = true;
         f.fields.dftSize = 1;
       },
       "The DFT size must be at least 2",
       {}},
      {"interval duration 1",
       [](AnalysisDialog& f) {
         f.fields.compareIntervals = true;
         f.fields.intervalDuration = 1;
       },
       "",
       {}},
      {"negative interval start",
       [](AnalysisDialog& f) {
         f.fields.compareIntervals = true;
         f.fields.interval2Start = -60;
       },
       "",
       {}},
      {"negative event duration", [](AnalysisDialog& f) { f.fields.eventDuration = -1.0; }, "", {}},
      {"echo method 5", [](AnalysisDialog& f) { f.fields.echoMethod = 5; }, "", {}},
      {"display variable 12", [](AnalysisDialog& f) { f.fields.displayVariable = 12; }, "", {}},
      {"audio sample rate 0",
       [](AnalysisDialog& f) {
         f.fields.audioOutput = true;
         f.config.audio.sampleRate = 0;
       },
       "",
       {}},
  };
  for (const Refusal& refusal : refusals) {
    SCOPED_TRACE(refusal.what);
    ClearStoredSettings();
    view_.messages.clear();
    AnalysisDialog& form = MakeForm();
    SetLocalRequest("Quake");
    refusal.change(form);
    EXPECT_FALSE(form.AnalyzeData());
    EXPECT_FALSE(form.Busy());
    ASSERT_EQ(view_.messages.size(), 1u);
    if (!refusal.text.empty()) {
      EXPECT_EQ(view_.messages[0].text, refusal.text);
    }
    EXPECT_EQ(view_.messages[0].caption, std::optional<std::string>("Setup error"));
    EXPECT_EQ(store_->ReadText("DataDir", "unset"), "unset");
  }
  // A checked value that the request does not use is not refused.
  ClearStoredSettings();
  view_.messages.clear();
  AnalysisDialog& form = MakeForm();
  SetLocalRequest("Unused");
  form.fields.intervalDuration = 0;  // "Compare Egg Intervals" is off
  form.fields.dftSize = 0;           // "DFT" is off
  form.config.audio.sampleRate = 0;  // "Audio output" is off
  EXPECT_TRUE(form.AnalyzeData()) << (view_.messages.empty() ? "" : view_.messages[0].text);
  EXPECT_TRUE(WaitUntilIdle());
}

TEST_F(AnalysisDialogTest, ARefusedPullStopsTheAction) {
  AnalysisDialog& form = MakeForm();
  SetLocalRequest("Quake");
  view_.onPull = [] { return false; };
  EXPECT_FALSE(form.AnalyzeData());
  EXPECT_FALSE(form.Display());
  form.RunBatchFile();
  EXPECT_FALSE(form.Busy());
  EXPECT_TRUE(view_.messages.empty());  // the view showed its own message
  EXPECT_EQ(store_->ReadText("DataDir", "unset"), "unset");
}

TEST_F(AnalysisDialogTest, CompletesTimesAndKeepsThemAfterARefusal) {
  AnalysisDialog& form = MakeForm();
  SetLocalRequest("Quake");
  form.fields.startTime = " 2011-05-03 ";
  form.fields.stopTime = "";
  form.fields.localEggFile = "";
  EXPECT_FALSE(form.AnalyzeData());
  EXPECT_EQ(form.fields.startTime, "2011-05-03 00:00:00");
  EXPECT_EQ(form.fields.stopTime, "2011-05-03 23:59:59");
  EXPECT_TRUE(view_.HasMessage("Specify egg file name for local access"));
}

TEST_F(AnalysisDialogTest, HandsTheRequestToTheJob) {
  AnalysisDialog& form = MakeForm();
  SetLocalRequest("Quake");
  AnalysisFields& fields = form.fields;
  fields.startTime = "2011-05-03";
  fields.stopTime = "";
  fields.expCoeff = 0.1;
  fields.smoothWindowSize = 450;
  fields.eventTime = " 2011-05-03 00:30:00 ";
  fields.eventDuration = 1.13;
  fields.displayVariable = 3;
  fields.echoMethod = 1;
  fields.compareIntervals = true;
  fields.interval1Start = 60;
  fields.interval2Start = 1800;
  fields.intervalDuration = 600;
  form.config.audio.restLength = 125;
  form.config.dataUrl = "http://127.0.0.1:1/data";
  form.config.pseudoDataUrl = "http://127.0.0.1:1/pseudo/";
  ASSERT_TRUE(form.AnalyzeData()) << view_.messages.at(0).text;
  const CEggStatistics* job = form.CurrentJob();
  ASSERT_NE(job, nullptr);
  const AnalysisSettings& settings = job->context().settings;
  EXPECT_EQ(settings.dataName, "Quake");
  EXPECT_EQ(settings.tempDirectory, temp_);
  EXPECT_EQ(settings.networkLogPath, temp_ + "eggnet.log");
  EXPECT_TRUE(settings.freshNetworkLog);
  EXPECT_EQ(settings.rootDirectory, root_);
  EXPECT_EQ(settings.localEggFile, eggFile_);
  EXPECT_FALSE(settings.remoteAccess);
  EXPECT_FALSE(settings.pseudoEggData);
  EXPECT_EQ(settings.dataUrl, "http://127.0.0.1:1/data");
  EXPECT_EQ(settings.pseudoDataUrl, "http://127.0.0.1:1/pseudo/");
  EXPECT_EQ(settings.resolution, 1);
  EXPECT_EQ(settings.smoothingMode, kExponential);
  EXPECT_EQ(settings.smoothingWindow, 450);
  EXPECT_EQ(settings.expCoefficient, static_cast<double>(0.1f));  // single precision
  EXPECT_NE(settings.expCoefficient, 0.1);
  EXPECT_EQ(settings.audioSettings.restLength, 125);
  EXPECT_FALSE(settings.audio);
  EXPECT_TRUE(settings.compareIntervals);
  EXPECT_EQ(settings.interval1Start, 60);
  EXPECT_EQ(settings.interval2Start, 1800);
  EXPECT_EQ(settings.intervalDuration, 600);
  EXPECT_EQ(settings.echoMethod, 1);
  EXPECT_EQ(settings.eventTimeText, "2011-05-03 00:30:00");
  EXPECT_EQ(settings.eventTime, SecondsFromText("2011-05-03 00:30:00"));
  EXPECT_EQ(settings.eventDuration, 4068);  // 1.13 h, not 4067 s
  EXPECT_EQ(settings.eventEchoVariable, 3);
  EXPECT_EQ(settings.startText, "2011-05-03 00:00:00");
  EXPECT_EQ(settings.stopText, "2011-05-03 23:59:59");
  EXPECT_EQ(settings.gnuplotPath, "/bin/true");
  EXPECT_FALSE(settings.batchMode);
  EXPECT_TRUE(form.RunInProgress());
  EXPECT_TRUE(WaitUntilIdle());
}

TEST_F(AnalysisDialogTest, ADataNameWithPEDSelectsPseudoEggData) {
  for (const auto& [name, pseudo] :
       std::vector<std::pair<std::string, bool>>{{"RunPED1", true}, {"runped1", false}}) {
    SCOPED_TRACE(name);
    AnalysisDialog& form = MakeForm();
    SetLocalRequest(name);
    ASSERT_TRUE(form.AnalyzeData());
    EXPECT_EQ(form.CurrentJob()->context().settings.pseudoEggData, pseudo);
    EXPECT_TRUE(WaitUntilIdle());
  }
}

TEST_F(AnalysisDialogTest, StoresTheRequestSettingsAndTheReducedDftSize) {
  AnalysisDialog& form = MakeForm();
  SetLocalRequest("Stored");
  form.fields.dft = true;
  form.fields.dftSize = 50000;
  form.fields.smoothWindowType = 1;
  form.fields.smoothWindowSize = 601;
  form.fields.interval2Start = 1200;
  form.fields.expCoeff = 0.0000001;
  form.fields.eventDuration = 2.5;
  ASSERT_TRUE(form.AnalyzeData());
  EXPECT_EQ(form.fields.dftSize, 32768);
  EXPECT_EQ(store_->ReadInt("DFTSize", 0), 32768);
  EXPECT_EQ(form.CurrentJob()->context().settings.dftSize, 32768);
  EXPECT_EQ(store_->ReadText("DataDir", ""), root_);
  EXPECT_EQ(store_->ReadInt("SmoothWindowType", 0), 1);
  EXPECT_EQ(store_->ReadInt("SmoothWindowSize", 0), 601);
  EXPECT_EQ(store_->ReadInt("Int2Start", 0), 1200);
  EXPECT_EQ(store_->ReadInt("DFT", 0), 1);
  EXPECT_EQ(store_->ReadText("ExpCoeff", ""), "0.000000");
  EXPECT_EQ(store_->ReadText("EventDuration", ""), "2.500000");
  EXPECT_TRUE(WaitUntilIdle());
}

TEST_F(AnalysisDialogTest, ARunEndsWithItsNotificationAndFinishedProcessing) {
  AnalysisDialog& form = MakeForm();
  SetLocalRequest("Quake");
  ASSERT_TRUE(form.AnalyzeData());
  EXPECT_TRUE(form.Busy());
  EXPECT_EQ(view_.waitCursor, std::vector<bool>{true});
  ASSERT_TRUE(WaitUntilIdle());
  EXPECT_FALSE(form.RunInProgress());
  EXPECT_EQ(view_.waitCursor, (std::vector<bool>{true, false}));
  ASSERT_FALSE(view_.messages.empty());
  EXPECT_EQ(view_.messages.back().text, "Finished processing");
  EXPECT_EQ(view_.messages.back().caption, std::optional<std::string>(""));
  // The refreshes showed the run's steps, and the end cleared the status.
  ASSERT_FALSE(view_.statuses.empty());
  EXPECT_EQ(view_.statuses.back(), "");
  EXPECT_NE(std::find(view_.statuses.begin(), view_.statuses.end(), "Computing statistics"),
            view_.statuses.end());
  EXPECT_EQ(form.ProgressPercent(), 0);
  EXPECT_TRUE(testing::FileExists(root_ + "Quake/Quake.dat"));
  // An interactive run after an interactive run starts a fresh log too.
  EXPECT_TRUE(form.StartNewLog());
}

TEST_F(AnalysisDialogTest, AJobMessageIsShownOnTheFormsThread) {
  AnalysisDialog& form = MakeForm();
  SetLocalRequest("Missing");
  form.fields.localEggFile = dir_.File("data/missing.csv");
  ASSERT_TRUE(form.AnalyzeData());
  ASSERT_TRUE(WaitUntilIdle());
  ASSERT_GE(view_.messages.size(), 2u);
  EXPECT_EQ(view_.messages.back().text, "Finished processing");
  EXPECT_NE(view_.messages.front().text.find("missing.csv"), std::string::npos)
      << view_.messages.front().text;
}

TEST_F(AnalysisDialogTest, WhileARunIsInProgressOtherRequestsOnlySaySo) {
  AnalysisDialog& form = MakeForm();
  SetLocalRequest("Busy");
  const std::string batch = WriteBatch("b.ebb", "Item1 2011-05-03 00:00:00 2011-05-03 00:59:59\n");
  ASSERT_TRUE(form.AnalyzeData());
  const CEggStatistics* job = form.CurrentJob();
  EXPECT_FALSE(form.AnalyzeData());
  EXPECT_FALSE(form.Display());
  form.RunBatchFile();
  EXPECT_EQ(form.OpenBatchFileAt(batch), -1);
  EXPECT_EQ(form.CurrentJob(), job);
  EXPECT_EQ(form.fields.batchFile, "");
  ASSERT_EQ(view_.messages.size(), 4u);
  for (const testing::ShownMessage& message : view_.messages) {
    EXPECT_EQ(message.text, AnalysisDialog::kRunInProgress);
  }
  ASSERT_TRUE(WaitUntilIdle());
  EXPECT_EQ(view_.messages.back().text, "Finished processing");
}

TEST_F(AnalysisDialogTest, ExitDuringARunStopsItAndWaitsForItsEnd) {
  AnalysisDialog& form = MakeForm();
  SetLocalRequest("Exiting");
  ASSERT_TRUE(form.AnalyzeData());
  EXPECT_TRUE(form.Exit());
  EXPECT_FALSE(form.Busy());
  EXPECT_FALSE(form.RunInProgress());
  EXPECT_FALSE(view_.HasMessage("Finished processing"));
  EXPECT_EQ(form.BatchItemCount(), -1);
}

TEST_F(AnalysisDialogTest, ExitKeepsTheFormOpenWhenAFieldIsRefused) {
  AnalysisDialog& form = MakeForm();
  ASSERT_EQ(
      form.OpenBatchFileAt(WriteBatch("b.ebb", "Item1 2011-05-03 00:00:00 2011-05-03 00:59:59\n")),
      1);
  SetLocalRequest("Exiting");
  form.fields.outputRoot = root_;  // the batch file named none
  ASSERT_TRUE(form.AnalyzeData());
  view_.onPull = [] { return false; };
  EXPECT_FALSE(form.Exit());
  EXPECT_EQ(form.BatchItemCount(), 1);  // nothing was released
  view_.onPull = nullptr;
  ASSERT_TRUE(WaitUntilIdle());
  // The run was not stopped: it ran to its end.
  EXPECT_EQ(view_.messages.back().text, "Finished processing");
  EXPECT_TRUE(testing::FileExists(root_ + "Exiting/Exiting.dat"));
}

TEST_F(AnalysisDialogTest, DisplayRunsAJobWithoutCompletionMessage) {
  AnalysisDialog& form = MakeForm();
  SetLocalRequest("Shown");
  ASSERT_TRUE(form.AnalyzeData());
  ASSERT_TRUE(WaitUntilIdle());
  view_.messages.clear();
  view_.waitCursor.clear();
  form.fields.displayVariable = 2;
  ASSERT_TRUE(form.Display());
  const AnalysisSettings& settings = form.CurrentJob()->context().settings;
  EXPECT_EQ(settings.displayCode, 5);
  EXPECT_EQ(settings.displayTitle, "LP-filtered mean deviation");
  EXPECT_EQ(settings.rootDirectory, root_);
  EXPECT_FALSE(settings.remoteAccess);
  EXPECT_FALSE(form.RunInProgress());
  ASSERT_TRUE(WaitUntilIdle());
  EXPECT_FALSE(view_.HasMessage("Finished processing"));
  EXPECT_TRUE(view_.waitCursor.empty());

  view_.messages.clear();
  form.fields.dataName = "";
  EXPECT_FALSE(form.Display());
  ASSERT_EQ(view_.messages.size(), 1u);
  EXPECT_EQ(view_.messages[0].text, "Data name not specified");
  EXPECT_EQ(view_.messages[0].caption, std::nullopt);
}

TEST_F(AnalysisDialogTest, ADroppedResultFileRestoresItsRun) {
  AnalysisDialog& form = MakeForm();
  const int pushes = view_.pushes;
  form.DropFiles({"/data/out/Quake1/Quake1.gp", "/elsewhere/x.dat"});
  EXPECT_EQ(form.fields.outputRoot, "/data/out");
  EXPECT_EQ(form.fields.dataName, "Quake1");
  EXPECT_EQ(form.fields.localEggFile, "/data/out/Quake1/Quake1.dat");
  EXPECT_EQ(view_.pushes, pushes + 1);
}

TEST_F(AnalysisDialogTest, OpenLocalEggFileTakesTheFolderAsDataName) {
  AnalysisDialog& form = MakeForm();
  view_.chooserAnswers.push_back(eggFile_);
  form.OpenLocalEggFile();
  ASSERT_EQ(view_.chooserTitles.size(), 1u);
  EXPECT_EQ(view_.chooserTitles[0], "Open EGG File");
  EXPECT_EQ(view_.chooserFilters[0],
            "EGG data files (*.csv;*.txt;*.dat;*.gz)|*.csv;*.txt;*.dat;*.gz|All Files (*.*)|*.*||");
  EXPECT_EQ(form.fields.localEggFile, eggFile_);
  EXPECT_EQ(form.fields.dataName, "data");
  EXPECT_FALSE(form.fields.remoteAccess);
  EXPECT_FALSE(form.Enabling().saveRemoteInput);

  // A cancelled chooser changes nothing.
  form.fields.dataName = "Kept";
  form.OpenLocalEggFile();
  EXPECT_EQ(form.fields.dataName, "Kept");
}

}  // namespace
}  // namespace corvane
