// The Customize and Audio dialogs and the menu commands as models: their
// choosers, the log restart, the refusals, and the opener's failure. What
// they store on OK and Cancel is checked through the window.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/audio_dialog.h"
#include "app/customize_dialog.h"
#include "app/menu_commands.h"
#include "app_test_support.h"
#include "core/default_urls.h"
#include "core/progress_log.h"

namespace corvane::testing {
namespace {

using DialogsTest = FormTest;

TEST_F(DialogsTest, CustomizeChoosersAndDefaultUrls) {
  CustomizeDialog dialog(*form_);
  dialog.BrowseOutputRoot(view_, view_);  // cancelled: a folder field empties
  EXPECT_EQ(dialog.fields.outputRoot, "");
  view_.chooserAnswers.push_back("/data/temp");
  dialog.BrowseTempDirectory(view_, view_);
  EXPECT_EQ(dialog.fields.tempDirectory, "/data/temp");
  dialog.BrowseRemoteSaveDirectory(view_, view_);
  dialog.BrowseGnuplot(view_, view_);  // cancelled: a file field stays
  EXPECT_EQ(dialog.fields.gnuplotPath, "/bin/true");
  view_.chooserAnswers.push_back("/data/europe.esg");
  dialog.BrowseSubgroupFile(view_, view_);
  EXPECT_EQ(dialog.fields.eggGroupFile, "/data/europe.esg");
  const std::vector<std::pair<std::string, std::string>> choosers = {
      {"Browse to data folder", ""},
      {"Browse to temp folder", ""},
      {"Browse to folder for saving remote files", ""},
      {"Locate wgnuplot.exe", "gnuplot executable (gnuplot*)|gnuplot*|All Files (*)|*||"},
      {"Open Egg Subgroup File", "Subgroup file (*.esg)|*.esg|All Files (*.*)|*.*||"}};
  EXPECT_EQ(view_.choosers, choosers);
  dialog.fields.pseudoDataUrl = "http://elsewhere/";  // the data URL's button: the window's test
  dialog.RestoreDefaultPseudoDataUrl(view_);
  EXPECT_EQ(dialog.fields.pseudoDataUrl, kDefaultPseudoDataUrl);
}

TEST_F(DialogsTest, ChangingTheTemporaryDirectoryRestartsTheLogEvenInCaseOnly) {
  const std::string upper = dir_.File("TMP/");
  std::filesystem::create_directories(upper);
  SetLogProgress(true);
  SetLogPath(temp_ + "egg.log");
  StartLog();
  LogLine("old run");
  CustomizeDialog(*form_).Confirm();  // unchanged: the log goes on
  EXPECT_EQ(ReadFile(temp_ + "egg.log"), "\nold run\n");
  CustomizeDialog dialog(*form_);
  dialog.fields.tempDirectory = dir_.File("TMP");  // only the case differs, and no separator
  dialog.Confirm();
  EXPECT_FALSE(FileExists(temp_ + "egg.log"));
  EXPECT_EQ(LogPath(), upper + "egg.log");
  EXPECT_EQ(ReadFile(upper + "egg.log"), "\n");
  EXPECT_EQ(form_->config.tempDirectory, dir_.File("TMP"));

  // With logging off nothing is created.
  CustomizeDialog quiet(*form_);
  quiet.fields.tempDirectory = temp_;
  quiet.fields.logProgress = false;
  quiet.Confirm();
  EXPECT_FALSE(FileExists(temp_ + "egg.log"));
  EXPECT_FALSE(FileExists(upper + "egg.log"));
}

TEST_F(DialogsTest, AudioConfirmRefusesParametersARunCannotUse) {
  AudioDialog dialog(*form_);
  view_.onPull = [&dialog] {
    dialog.fields.sampleRate = 0;
    return true;
  };
  EXPECT_FALSE(dialog.Confirm(view_));
  EXPECT_EQ(view_.Texts(),
            std::vector<std::string>{"Sample rate must be between 1 and 192000 Hz (it is 0)."});
  EXPECT_EQ(form_->config.audio, AudioSettings{});
  EXPECT_EQ(store_->ReadInt("SampleRate", -1), -1);
  view_.onPull = [&dialog] {
    dialog.fields.sampleRate = 11025;
    dialog.fields.modulationDepth = 150;  // clamped by the synthesis, so accepted
    return true;
  };
  EXPECT_TRUE(dialog.Confirm(view_));
  EXPECT_EQ(store_->ReadInt("SampleRate", -1), 11025);
  EXPECT_EQ(store_->ReadInt("ModulationDepth", -1), 150);
}

TEST_F(DialogsTest, OnlyAHelpPageThatCannotBeOpenedIsReported) {
  view_.openUrlResult = false;
  OpenTimeZoneConverter(*form_);
  OpenKelmarHome(*form_);
  EXPECT_TRUE(view_.messages.empty());
  OpenHelp(*form_);
  EXPECT_EQ(view_.Texts(), std::vector<std::string>{"Failed to launch help."});
  EXPECT_EQ(view_.openedUrls.size(), 3u);
}

}  // namespace
}  // namespace corvane::testing
