// The request form: its refusals with their texts and captions, what it
// hands the job, the settings it stores, and what it allows while a run is
// in progress.
#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include "app/analysis_dialog.h"
#include "app/file_choosers.h"
#include "app_test_support.h"
#include "core/date_time.h"
#include "job/egg_statistics.h"

namespace corvane::testing {
namespace {

using AnalysisDialogTest = FormTest;

// Every refusal is a warning that names the field or file and the way out,
// and stores nothing.
TEST_F(AnalysisDialogTest, RefusesBadRequestsWithTheirTextAndCaption) {
  const std::string missing = dir_.File("missing/below");
  const std::string customize = " cannot be written. Set it in Options > Customize.";
  const std::string dateFormat = "\" (expected yyyy-mm-dd hh:mm:ss)";
  struct Case {
    const char* what;
    std::function<void(AnalysisDialog&)> change;
    std::string text;
    std::optional<std::string> caption = "Setup error";
    bool display = false;  // refused by "Display" instead of "Analyze data"
  };
  const std::vector<Case> cases = {
      {"no data name", [](auto& f) { f.fields.dataName = ""; }, "Data name not specified", {}},
      {"path in the data name", [](auto& f) { f.fields.dataName = "a/b"; },
       "The data name \"a/b\" must not contain a path separator"},
      {"path in the displayed name", [](auto& f) { f.fields.dataName = "a/b"; },
       "The data name \"a/b\" must not contain a path separator", "Setup error", true},
      {"no output root", [](auto& f) { f.fields.outputRoot = ""; },
       "Root directory for output is not specified: enter the folder below which each run writes "
       "its results.",
       ""},
      {"missing output root", [&](auto& f) { f.fields.outputRoot = missing; },
       "Please specify an existing directory for the output: " + missing},
      {"no temporary directory", [](auto& f) { f.config.tempDirectory = ""; },
       "Temp directory is unspecified. Set it in Options > Customize.", ""},
      {"blank start", [](auto& f) { f.fields.startTime = "  "; },
       "Must have at least a start date"},
      // Values that would break a run are refused before anything is stored.
      // Which smoothing values are refused is the statistics' own test.
      {"smoothing mode 3", [](auto& f) { f.fields.smoothWindowType = 3; },
       "Unknown smoothing mode 3"},
      {"DFT size 1", [](auto& f) { f.fields.dftSize = 1; }, "The DFT size must be at least 2"},
      {"interval duration 1", [](auto& f) { f.fields.intervalDuration = 1; },
       "The interval duration must be at least 2 seconds"},
      {"negative event duration", [](auto& f) { f.fields.eventDuration = -1.0; },
       "The event duration must lie between 0 and 596523 hours; -1 cannot be used."},
      {"echo method 5", [](auto& f) { f.fields.echoMethod = 5; },
       "Unknown event echo method 5 (0 none, 1 correlation, 2 Euclidean distance)."},
      {"display variable 12", [](auto& f) { f.fields.displayVariable = 12; },
       "The display variable must lie between 0 and 11; 12 cannot be used.", "Setup error", true},
      {"audio sample rate 0", [](auto& f) { f.config.audio.sampleRate = 0; },
       "Sample rate must be between 1 and 192000 Hz (it is 0)."},
      // Refused as the job is made.
      {"missing temporary directory", [&](auto& f) { f.config.tempDirectory = missing; },
       "Please specify an existing temporary directory: " + missing + customize},
      {"missing remote save directory",
       [&](auto& f) {
         f.fields.remoteAccess = f.fields.saveRemoteInput = true;
         f.config.remoteSaveDirectory = missing;
       },
       "Please specify an existing directory for saving remote files: " + missing + customize},
      {"start of May 3", [](auto& f) { f.fields.startTime = "May 3"; },
       "Invalid date format in Start time: \"May 3" + dateFormat},
      {"hour 24", [](auto& f) { f.fields.stopTime = "2011-05-03 24:00:00"; },
       "Invalid date format in Stop time: \"2011-05-03 24:00:00" + dateFormat},
      {"event on February 30", [](auto& f) { f.fields.eventTime = "2011-02-30 10:00:00"; },
       "Invalid date format in Event time: \"2011-02-30 10:00:00" + dateFormat},
      {"stop before start", [](auto& f) { f.fields.stopTime = "2011-05-02 23:00:00"; },
       "Incorrect start and/or stop time"},
      {"stop equal to start", [](auto& f) { f.fields.stopTime = f.fields.startTime; },
       "Incorrect start and/or stop time"},
      {"local run without a file", [](auto& f) { f.fields.localEggFile = ""; },
       "Specify egg file name for local access"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ClearStoredSettings();
    view_.messages.clear();
    AnalysisDialog& form = MakeForm();
    // Every option on, so that its values are checked too.
    form.fields.dft = form.fields.compareIntervals = form.fields.audioOutput = true;
    form.fields.dftSize = 50000;
    c.change(form);
    EXPECT_FALSE(c.display ? form.Display() : form.AnalyzeData());
    EXPECT_FALSE(form.Busy());
    EXPECT_FALSE(form.RunInProgress());
    ASSERT_EQ(view_.messages.size(), 1u) << ::testing::PrintToString(view_.Texts());
    EXPECT_EQ(view_.messages[0].text, c.text);
    EXPECT_EQ(view_.messages[0].caption, c.caption);
    EXPECT_EQ(view_.messages[0].kind, MessageKind::kWarning);
    EXPECT_FALSE(StoredSetting("DataDir").has_value());
    EXPECT_FALSE(StoredSetting("DFTSize").has_value());
  }
  // Both directories refused: both messages are shown.
  view_.messages.clear();
  AnalysisDialog& form = MakeForm();
  form.fields.remoteAccess = form.fields.saveRemoteInput = true;
  form.config.remoteSaveDirectory = form.config.tempDirectory = missing;
  EXPECT_FALSE(form.AnalyzeData());
  EXPECT_EQ(
      view_.Texts(),
      (std::vector<std::string>{
          "Please specify an existing temporary directory: " + missing + customize,
          "Please specify an existing directory for saving remote files: " + missing + customize}));
}

// What the form hands the job; while a run is in progress other requests
// only say so; a display shows a run again; "Exit" ends a run.
TEST_F(AnalysisDialogTest, HandsTheRequestToTheJobAndDisplaysARunAgain) {
  AnalysisDialog& form = MakeForm();
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
  fields.dft = true;
  fields.dftSize = 3000;
  fields.bytesReceived = 4096;
  form.config.audio.restLength = 125;
  form.config.dataUrl = "http://127.0.0.1:1/data";
  form.config.pseudoDataUrl = "http://127.0.0.1:1/pseudo/";
  ASSERT_TRUE(form.AnalyzeData()) << view_.messages.at(0).text;
  EXPECT_TRUE(form.RunInProgress());
  // A request that starts stores its values, and the count of received
  // bytes starts again from 0.
  EXPECT_EQ(fields.bytesReceived, 0);
  EXPECT_EQ(StoredSetting("DataDir"), root_);
  EXPECT_EQ(StoredSetting("DFTSize"), "2048");
  const AnalysisSettings& settings = form.CurrentJob()->context().settings;
  EXPECT_EQ(std::tie(settings.dataName, settings.tempDirectory, settings.rootDirectory,
                     settings.localEggFile, settings.dataUrl, settings.pseudoDataUrl),
            std::tie("Quake", temp_, root_, eggFile_, "http://127.0.0.1:1/data",
                     "http://127.0.0.1:1/pseudo/"));
  EXPECT_TRUE(settings.freshNetworkLog && settings.compareIntervals && settings.dft);
  EXPECT_FALSE(settings.remoteAccess || settings.batchMode || settings.pseudoEggData);
  EXPECT_EQ(
      std::tie(settings.resolution, settings.smoothingWindow, settings.audioSettings.restLength,
               settings.interval1Start, settings.interval2Start, settings.intervalDuration,
               settings.echoMethod, settings.eventEchoVariable, settings.dftSize),
      std::tuple(1, 450, 125, 60, 1800, 600, 1, 3, 2048));
  EXPECT_EQ(settings.expCoefficient, static_cast<double>(0.1f));  // single precision
  EXPECT_EQ(settings.eventTime, SecondsFromText("2011-05-03 00:30:00"));
  EXPECT_EQ(settings.eventDuration, 4068);  // 1.13 h, not 4067 s
  EXPECT_EQ(std::tie(settings.startText, settings.stopText),
            std::tie("2011-05-03 00:00:00", "2011-05-03 23:59:59"));

  // While it runs, other requests only say so.
  const std::string batch = WriteBatch("Item1 2011-05-03 00:00:00 2011-05-03 00:59:59\n");
  const CEggStatistics* job = form.CurrentJob();
  EXPECT_FALSE(form.AnalyzeData());
  EXPECT_FALSE(form.Display());
  form.RunBatchFile();
  EXPECT_EQ(form.OpenBatchFileAt(batch), -1);
  EXPECT_EQ(form.CurrentJob(), job);
  EXPECT_EQ(form.fields.batchFile, "");
  EXPECT_EQ(view_.Texts(), std::vector<std::string>(4, AnalysisDialog::kRunInProgress));
  // "Exit" with a field that does not hold its kind of value keeps the form
  // open, and the run goes on to its end.
  view_.onPull = [] { return false; };
  EXPECT_FALSE(form.Exit());
  view_.onPull = nullptr;
  ASSERT_TRUE(WaitUntilIdle());
  EXPECT_EQ(view_.messages.back().text,
            "Finished processing. The results are in " + root_ + "Quake/");
  EXPECT_EQ(view_.messages.back().caption, "");

  // A pseudo-egg data name selects pseudo-egg data. Values a request does
  // not use are not checked.
  MakeForm("RunPED1").fields.intervalDuration = 0;  // "Compare Egg Intervals" is off
  form_->config.audio.sampleRate = 0;               // "Audio output" is off
  ASSERT_TRUE(form_->AnalyzeData()) << ::testing::PrintToString(view_.Texts());
  EXPECT_TRUE(form_->CurrentJob()->context().settings.pseudoEggData);
  EXPECT_TRUE(WaitUntilIdle());

  // Display shows the named run again, without a completion message.
  view_.messages.clear();
  form_->fields.displayVariable = 2;
  ASSERT_TRUE(form_->Display());
  const AnalysisSettings& shown = form_->CurrentJob()->context().settings;
  EXPECT_EQ(std::tuple(shown.displayCode, shown.displayTitle, shown.rootDirectory),
            std::tuple(5, "LP-filtered mean deviation", root_));
  EXPECT_FALSE(form_->RunInProgress());
  ASSERT_TRUE(WaitUntilIdle());
  EXPECT_EQ(view_.Texts(), std::vector<std::string>{});

  // "Exit" during a run stops it and waits for its end, which reports no
  // completion.
  ASSERT_TRUE(form_->AnalyzeData());
  EXPECT_TRUE(form_->Exit());
  EXPECT_FALSE(form_->Busy());
  EXPECT_FALSE(form_->RunInProgress());
  EXPECT_EQ(view_.Texts(), std::vector<std::string>{});
}

TEST_F(AnalysisDialogTest, OpenLocalEggFileTakesTheFolderAsDataName) {
  AnalysisDialog& form = MakeForm();
  form.OpenLocalEggFile();  // cancelled: nothing changes
  EXPECT_EQ(form.fields.dataName, "Quake");
  view_.chooserAnswers.push_back(eggFile_);
  form.fields.remoteAccess = true;
  form.OpenLocalEggFile();
  // The filter's text is pinned by the chooser filter test.
  EXPECT_EQ(view_.choosers.back(),
            std::make_pair(std::string("Open EGG File"), std::string(kEggFileFilter)));
  EXPECT_EQ(form.fields.localEggFile, eggFile_);
  EXPECT_EQ(form.fields.dataName, "data");
  EXPECT_FALSE(form.fields.remoteAccess);
}

}  // namespace
}  // namespace corvane::testing
