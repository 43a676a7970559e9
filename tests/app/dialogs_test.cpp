// The Customize and Audio dialogs and the menu commands as models: what they
// show, change, store and refuse.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/audio_dialog.h"
#include "app/customize_dialog.h"
#include "app/menu_commands.h"
#include "core/default_urls.h"
#include "core/progress_log.h"
#include "form_fixture.h"

namespace corvane {
namespace {

using testing::FormTest;

class CustomizeDialogTest : public FormTest {};

TEST_F(CustomizeDialogTest, OpensWithTheFormsValues) {
  AnalysisDialog& form = MakeForm();
  form.fields.eggGroupFile = "/data/g.esg";
  form.config.remoteSaveDirectory = "/data/remote";
  SetLogProgress(true);
  const CustomizeDialog dialog(form);
  EXPECT_EQ(dialog.fields.outputRoot, root_);
  EXPECT_EQ(dialog.fields.tempDirectory, temp_);
  EXPECT_EQ(dialog.fields.eggGroupFile, "/data/g.esg");
  EXPECT_EQ(dialog.fields.remoteSaveDirectory, "/data/remote");
  EXPECT_EQ(dialog.fields.gnuplotPath, "/bin/true");
  EXPECT_EQ(dialog.fields.dataUrl, kDefaultDataUrl);
  EXPECT_EQ(dialog.fields.timeZoneUrl, kDefaultTimeZoneUrl);
  EXPECT_TRUE(dialog.fields.logProgress);
}

TEST_F(CustomizeDialogTest, ACancelledFolderChooserEmptiesItsFieldAndCancelKeepsTheForm) {
  AnalysisDialog& form = MakeForm();
  CustomizeDialog dialog(form);
  dialog.BrowseOutputRoot(view_, view_);  // cancelled
  EXPECT_EQ(view_.chooserTitles.back(), "Browse to data folder");
  EXPECT_EQ(dialog.fields.outputRoot, "");
  view_.chooserAnswers.push_back("/data/temp");
  dialog.BrowseTempDirectory(view_, view_);
  EXPECT_EQ(view_.chooserTitles.back(), "Browse to temp folder");
  EXPECT_EQ(dialog.fields.tempDirectory, "/data/temp");
  dialog.BrowseRemoteSaveDirectory(view_, view_);
  EXPECT_EQ(view_.chooserTitles.back(), "Browse to folder for saving remote files");
  dialog.Cancel();
  EXPECT_EQ(form.fields.outputRoot, root_);
  EXPECT_EQ(form.config.tempDirectory, temp_);
  EXPECT_EQ(store_->ReadText("DataDir", "unset"), "unset");
}

TEST_F(CustomizeDialogTest, FileChoosersChangeTheirFieldOnlyWhenAFileIsChosen) {
  AnalysisDialog& form = MakeForm();
  CustomizeDialog dialog(form);
  dialog.BrowseGnuplot(view_, view_);  // cancelled
  EXPECT_EQ(view_.chooserTitles.back(), "Locate wgnuplot.exe");
  EXPECT_EQ(dialog.fields.gnuplotPath, "/bin/true");
  view_.chooserAnswers.push_back("/data/europe.esg");
  dialog.BrowseSubgroupFile(view_, view_);
  EXPECT_EQ(view_.chooserTitles.back(), "Open Egg Subgroup File");
  EXPECT_EQ(view_.chooserFilters.back(), "Subgroup file (*.esg)|*.esg|All Files (*.*)|*.*||");
  EXPECT_EQ(dialog.fields.eggGroupFile, "/data/europe.esg");
  dialog.fields.dataUrl = "http://elsewhere/";
  dialog.fields.pseudoDataUrl = "http://elsewhere/pseudo/";
  dialog.RestoreDefaultDataUrl(view_);
  dialog.RestoreDefaultPseudoDataUrl(view_);
  EXPECT_EQ(dialog.fields.dataUrl, kDefaultDataUrl);
  EXPECT_EQ(dialog.fields.pseudoDataUrl, kDefaultPseudoDataUrl);
}

TEST_F(CustomizeDialogTest, ConfirmCopiesBackAndStoresAllTenValues) {
  AnalysisDialog& form = MakeForm();
  CustomizeDialog dialog(form);
  dialog.fields.saveCompressed = true;
  dialog.fields.logProgress = true;
  dialog.fields.dataUrl = "http://127.0.0.1:9/cgi-bin/eggdatareq.pl?z=1";
  const int pushes = view_.pushes;
  dialog.Confirm();
  EXPECT_EQ(view_.pushes, pushes + 1);
  EXPECT_TRUE(form.config.saveCompressed);
  EXPECT_EQ(form.config.dataUrl, "http://127.0.0.1:9/cgi-bin/eggdatareq.pl?z=1");
  EXPECT_TRUE(LogProgress());
  EXPECT_EQ(store_->ReadInt("LogProgress", -1), 1);
  EXPECT_EQ(store_->ReadInt("SaveCompressed", -1), 1);
  EXPECT_EQ(store_->ReadText("TempDir", "unset"), temp_);
  EXPECT_EQ(store_->ReadText("DataDir", "unset"), root_);
  EXPECT_EQ(store_->ReadText("RemoteSaveDir", "unset"), "");
  EXPECT_EQ(store_->ReadText("GnuplotDir", "unset"), "/bin/true");
  EXPECT_EQ(store_->ReadText("TimeZoneURL", "unset"), kDefaultTimeZoneUrl);
  EXPECT_EQ(store_->ReadText("DataURL", "unset"), dialog.fields.dataUrl);
  EXPECT_EQ(store_->ReadText("PseudoDataURL", "unset"), kDefaultPseudoDataUrl);
  EXPECT_EQ(store_->ReadText("EggGroupFile", "unset"), "");
}

TEST_F(CustomizeDialogTest, ChangingTheTemporaryDirectoryRestartsTheLogEvenInCaseOnly) {
  const std::string upper = dir_.File("TMP/");
  std::filesystem::create_directories(upper);
  AnalysisDialog& form = MakeForm();
  SetLogProgress(true);
  SetLogPath(temp_ + "egg.log");
  StartLog();
  LogLine("old run");
  {
    CustomizeDialog unchanged(form);
    unchanged.Confirm();
    EXPECT_EQ(testing::ReadFile(temp_ + "egg.log"), "\nold run\n");
  }
  CustomizeDialog dialog(form);
  dialog.fields.tempDirectory = dir_.File("TMP");  // only the case differs, and no separator
  dialog.Confirm();
  EXPECT_FALSE(testing::FileExists(temp_ + "egg.log"));
  EXPECT_EQ(LogPath(), upper + "egg.log");
  EXPECT_EQ(testing::ReadFile(upper + "egg.log"), "\n");
  EXPECT_EQ(form.config.tempDirectory, dir_.File("TMP"));

  // With logging off nothing is created.
  SetLogProgress(false);
  CustomizeDialog quiet(form);
  quiet.fields.tempDirectory = temp_;
  quiet.fields.logProgress = false;
  quiet.Confirm();
  EXPECT_FALSE(testing::FileExists(temp_ + "egg.log"));
  EXPECT_FALSE(testing::FileExists(upper + "egg.log"));
}

class AudioDialogTest : public FormTest {};

TEST_F(AudioDialogTest, SetDefaultThenCancelLeavesTheParametersUnchanged) {
  AnalysisDialog& form = MakeForm();
  form.config.audio.sampleRate = 22050;
  form.config.audio.level = 60;
  {
    AudioDialog dialog(form);
    EXPECT_EQ(dialog.fields.sampleRate, 22050);
    dialog.SetDefault(view_);
    EXPECT_EQ(dialog.fields, AudioSettings{});
  }  // cancelled: discarded
  EXPECT_EQ(form.config.audio.sampleRate, 22050);
  EXPECT_EQ(store_->ReadInt("SampleRate", -1), -1);
}

TEST_F(AudioDialogTest, ConfirmStoresTheTenValuesOrStaysOpen) {
  AnalysisDialog& form = MakeForm();
  AudioDialog dialog(form);
  view_.onPull = [] { return false; };  // a field that is not an integer
  EXPECT_FALSE(dialog.Confirm(view_));
  view_.onPull = [&dialog] {
    dialog.fields.sampleRate = 0;
    return true;
  };
  EXPECT_FALSE(dialog.Confirm(view_));
  ASSERT_EQ(view_.messages.size(), 1u);
  EXPECT_NE(view_.messages[0].text.find("Sample rate"), std::string::npos);
  EXPECT_EQ(form.config.audio, AudioSettings{});
  EXPECT_EQ(store_->ReadInt("SampleRate", -1), -1);

  view_.onPull = [&dialog] {
    dialog.fields.sampleRate = 11025;
    dialog.fields.restLength = 100;
    dialog.fields.modulationDepth = 150;  // clamped by the synthesis, so accepted
    return true;
  };
  EXPECT_TRUE(dialog.Confirm(view_));
  EXPECT_EQ(form.config.audio.sampleRate, 11025);
  EXPECT_EQ(store_->ReadInt("SampleRate", -1), 11025);
  EXPECT_EQ(store_->ReadInt("RestLength", -1), 100);
  EXPECT_EQ(store_->ReadInt("ModulationDepth", -1), 150);
  EXPECT_EQ(store_->ReadInt("AudioLevel", -1), 70);
  EXPECT_EQ(store_->ReadInt("DataBlockSize", -1), 500);
}

class MenuCommandsFormTest : public FormTest {};

TEST_F(MenuCommandsFormTest, PagesAreHandedToTheOpener) {
  AnalysisDialog& form = MakeForm();
  OpenTimeZoneConverter(form);
  OpenKelmarHome(form);
  OpenHelp(form);
  ASSERT_EQ(view_.openedUrls.size(), 3u);
  EXPECT_EQ(view_.openedUrls[0], kDefaultTimeZoneUrl);
  EXPECT_EQ(view_.openedUrls[1], "http://127.0.0.1:8642/");
  EXPECT_EQ(view_.openedUrls[2].rfind("file:///", 0), 0u);
  EXPECT_NE(view_.openedUrls[2].find("index.html"), std::string::npos);
  EXPECT_TRUE(view_.messages.empty());
  view_.openUrlResult = false;
  OpenTimeZoneConverter(form);  // not checked
  EXPECT_TRUE(view_.messages.empty());
  OpenHelp(form);
  ASSERT_EQ(view_.messages.size(), 1u);
  EXPECT_EQ(view_.messages[0].text, "Failed to launch help.");
}

}  // namespace
}  // namespace corvane
