// The dialogs and menu commands as models: the Customize and Audio dialogs,
// the chi-square calculator, chooser filters and folders, the pages the
// menu opens. What the dialogs store on OK and Cancel is the window's test.
#include <gtest/gtest.h>

#include <filesystem>

#include <boost/math/distributions/chi_squared.hpp>

#include "app/audio_dialog.h"
#include "app/chi_square_calculator.h"
#include "app/customize_dialog.h"
#include "app/file_choosers.h"
#include "app/menu_commands.h"
#include "app/request_values.h"
#include "app_test_support.h"
#include "core/default_urls.h"
#include "core/progress_log.h"
#include "support/temp_dir.h"

namespace corvane::testing {
namespace {

using DialogsTest = FormTest;

TEST_F(DialogsTest, CustomizeChoosersAndDefaultUrls) {
  CustomizeDialog dialog(*form_);
  dialog.fields.remoteSaveDirectory = "/data/kept";
  dialog.BrowseOutputRoot(view_, view_);  // cancelled: every field stays
  EXPECT_EQ(dialog.fields.outputRoot, root_);
  view_.chooserAnswers.push_back("/data/temp");
  dialog.BrowseTempDirectory(view_, view_);
  EXPECT_EQ(dialog.fields.tempDirectory, "/data/temp");
  dialog.BrowseRemoteSaveDirectory(view_, view_);
  EXPECT_EQ(dialog.fields.remoteSaveDirectory, "/data/kept");
  dialog.BrowseGnuplot(view_, view_);
  EXPECT_EQ(dialog.fields.gnuplotPath, "/bin/true");
  view_.chooserAnswers.push_back("/data/europe.esg");
  dialog.BrowseSubgroupFile(view_, view_);
  EXPECT_EQ(dialog.fields.eggGroupFile, "/data/europe.esg");
  const std::vector<std::pair<std::string, std::string>> choosers = {
      {"Browse to data folder", ""},
      {"Browse to temp folder", ""},
      {"Browse to folder for saving remote files", ""},
      {"Locate gnuplot", "gnuplot executable (gnuplot*)|gnuplot*|All Files (*)|*||"},
      {"Open Egg Subgroup File", "Subgroup file (*.esg)|*.esg|All Files (*.*)|*.*||"}};
  EXPECT_EQ(view_.choosers, choosers);
  // Each chooser is handed its field's value, where it opens (the window's
  // test follows it to the folder).
  EXPECT_EQ(view_.chooserCurrents,
            (std::vector<std::string>{root_, temp_, "/data/kept", "/bin/true", ""}));
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

// Each range must run upwards: both sides of both limits. A sample rate a
// run cannot use is refused; a modulation depth over 100 is clamped by the
// synthesis, so accepted.
TEST_F(DialogsTest, AudioConfirmRefusesRangesGivenUpsideDown) {
  struct Case {
    int minFrequency, maxFrequency, minNoteLength, maxNoteLength, sampleRate, modulationDepth;
    const char* refusal;  // nullptr: accepted
  };
  const Case cases[] = {
      {1999, 2000, 100, 1000, 8000, 30, nullptr},
      {2000, 2000, 100, 1000, 8000, 30,
       "Min frequency (2000 Hz) must be below Max frequency (2000 Hz)."},
      {2500, 2000, 100, 1000, 8000, 30,
       "Min frequency (2500 Hz) must be below Max frequency (2000 Hz)."},
      {200, 2000, 999, 1000, 11025, 150, nullptr},
      {200, 2000, 1000, 1000, 8000, 30,
       "Min note length (1000 msec) must be below Max note length (1000 msec)."},
      {200, 2000, 100, 1000, 0, 30, "Sample rate must be between 1 and 192000 Hz (it is 0)."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.refusal ? c.refusal : "accepted");
    ClearStoredSettings();
    view_.messages.clear();
    AudioDialog dialog(*form_);
    // The values arrive as the user typed them, when the dialog pulls them.
    view_.onPull = [&] {
      dialog.fields.minFrequency = c.minFrequency;
      dialog.fields.maxFrequency = c.maxFrequency;
      dialog.fields.minNoteLength = c.minNoteLength;
      dialog.fields.maxNoteLength = c.maxNoteLength;
      dialog.fields.sampleRate = c.sampleRate;
      dialog.fields.modulationDepth = c.modulationDepth;
      return true;
    };
    EXPECT_EQ(dialog.Confirm(view_), c.refusal == nullptr);
    if (c.refusal != nullptr) {
      ASSERT_EQ(view_.messages.size(), 1u);
      EXPECT_EQ(view_.messages[0].text, c.refusal);
      EXPECT_EQ(view_.messages[0].kind, MessageKind::kWarning);
      EXPECT_FALSE(StoredSetting("MinFreq").has_value());
      EXPECT_EQ(form_->config.audio, AudioSettings{});
    } else {
      EXPECT_TRUE(view_.messages.empty());
      EXPECT_EQ(StoredSetting("MinFreq"), std::to_string(c.minFrequency));
      EXPECT_EQ(StoredSetting("SampleRate"), std::to_string(c.sampleRate));
      EXPECT_EQ(StoredSetting("ModulationDepth"), std::to_string(c.modulationDepth));
      EXPECT_EQ(form_->config.audio.maxNoteLength, c.maxNoteLength);
    }
    form_->config.audio = AudioSettings{};
  }
}

TEST_F(DialogsTest, APageThatCannotBeOpenedIsReportedWithItsAddress) {
  OpenTimeZoneConverter(*form_);
  OpenKelmarHome(*form_);
  OpenHelp(*form_);
  EXPECT_TRUE(view_.messages.empty());
  view_.openUrlResult = false;
  form_->config.timeZoneUrl = "https://clock.example.org/converter.html";
  form_->config.dataUrl = "http://eggs.example.org:8080/cgi-bin/req?z=1";
  OpenTimeZoneConverter(*form_);
  OpenKelmarHome(*form_);
  OpenHelp(*form_);
  EXPECT_EQ(view_.Texts(),
            (std::vector<std::string>{
                "Could not open the time zone converter. Open this address in a web browser:\n"
                "https://clock.example.org/converter.html",
                "Could not open the Kelmar home page. Open this address in a web browser:\n"
                "http://eggs.example.org:8080/",
                "Failed to launch help. Open this file in a web browser:\n" + HelpPagePath()}));
  for (const ShownMessage& message : view_.messages) {
    EXPECT_EQ(message.kind, MessageKind::kWarning);
  }
  EXPECT_EQ(view_.openedUrls.size(), 6u);
  // The home page is the data server's root, or the default where the data
  // URL names no web server.
  EXPECT_EQ(HomePageUrl(kDefaultDataUrl), "http://127.0.0.1:8642/");
  EXPECT_EQ(HomePageUrl("not a url"), kDefaultHomeUrl);
  EXPECT_EQ(HomePageUrl("file:///tmp/x"), kDefaultHomeUrl);
}

// The probability of a chi-square value beyond the median by the
// deviation, or a message and no probability for input it cannot use.
TEST(ChiSquareCalculatorTest, GivesTheUpperTailBeyondTheMedianOrAMessage) {
  RecordingView view;
  ChiSquareCalculator calculator;
  EXPECT_EQ(calculator.probability, 0.0);
  // DF 0 when the calculator opens.
  calculator.Calculate(view);
  EXPECT_FALSE(calculator.probability);
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_NE(view.messages[0].text.find("DF"), std::string::npos);
  EXPECT_EQ(view.messages[0].caption, std::optional<std::string>(ChiSquareCalculator::kTitle));
  EXPECT_EQ(view.messages[0].kind, MessageKind::kWarning);

  // A deviation below minus the median makes the value negative.
  calculator.degreesOfFreedom = 2;
  calculator.deviation = -2.0;
  calculator.Calculate(view);
  EXPECT_FALSE(calculator.probability);
  ASSERT_EQ(view.messages.size(), 2u);
  EXPECT_NE(view.messages[1].text.find("negative"), std::string::npos);

  // The median itself has half the distribution beyond it (the
  // distribution's own values are the probability functions' test).
  calculator.degreesOfFreedom = 1;
  calculator.deviation = 0.0;
  calculator.Calculate(view);
  EXPECT_NEAR(calculator.probability.value_or(-1.0), 0.5, 1e-8);
  const boost::math::chi_squared distribution(5);
  const double tail = boost::math::cdf(
      boost::math::complement(distribution, boost::math::quantile(distribution, 0.5) + 7.5));
  calculator.degreesOfFreedom = 5;
  calculator.deviation = 7.5;
  calculator.Calculate(view);
  EXPECT_NEAR(calculator.probability.value_or(-1.0), tail, 1e-8 * tail);

  // A field the view refuses stops the calculation, and the result of the
  // earlier input is no longer shown beside it.
  view.onPull = [&calculator] {
    calculator.deviation = 5.0;  // read before the refused field
    return false;
  };
  calculator.Calculate(view);
  EXPECT_FALSE(calculator.probability);
  EXPECT_EQ(view.messages.size(), 2u);  // the view showed its own message
}

TEST(FileChoosersTest, FiltersBecomeQtFilters) {
  EXPECT_EQ(QtFileFilter(kBatchFileFilter), "Batch file (*.ebb);;All Files (*)");
  EXPECT_EQ(QtFileFilter(kEggFileFilter), "EGG data files (*.csv *.txt *.dat *.gz);;All Files (*)");
  EXPECT_EQ(QtFileFilter(kGnuplotFilter), "gnuplot executable (gnuplot*);;All Files (*)");
  EXPECT_EQ(QtFileFilter("Text|*.txt;*.log||"), "Text (*.txt *.log)");
  EXPECT_EQ(QtFileFilter(""), "");
}

TEST(FileChoosersTest, AChooserOpensAtTheFieldsFolderElseHome) {
  TempDir dir;
  WriteFile(dir.File("day.csv"), "x\n");
  const std::string folder = dir.path().substr(0, dir.path().size() - 1);
  const std::string home = "/home/someone";
  EXPECT_EQ(ChooserStartDirectory(folder, home), folder);                  // a folder
  EXPECT_EQ(ChooserStartDirectory(dir.path(), home), folder);              // with separator
  EXPECT_EQ(ChooserStartDirectory(dir.File("day.csv"), home), folder);     // a file
  EXPECT_EQ(ChooserStartDirectory(dir.File("new.ebb"), home), folder);     // not there yet
  EXPECT_EQ(ChooserStartDirectory(dir.File("gone/day.csv"), home), home);  // folder gone
  EXPECT_EQ(ChooserStartDirectory("", home), home);
  EXPECT_EQ(ChooserStartDirectory("gnuplot", home), home);  // a bare name
  EXPECT_EQ(ChooserStartDirectory("/", home), "/");
}

TEST(MenuCommandsTest, TheHelpPageIsFoundAndDescribesTheProgram) {
  const std::string path = HelpPagePath();
  ASSERT_FALSE(path.empty());
  const std::string page = ReadFile(path);
  for (const char* part : {"<html", "summary.tst", "DataDirectory", "Analyze data",
                           "p = 0.05 curve", "at most 200 eggs", "Ctrl+R", "--help-page"}) {
    EXPECT_NE(page.find(part), std::string::npos) << part;
  }
  // Each display variable is explained in a row of its own.
  for (int i = 0; i < kDisplayVariableCount; ++i) {
    const std::string row = std::string("<tr><td>") + DisplayVariableAt(i).label + "</td>";
    EXPECT_NE(page.find(row), std::string::npos) << row;
  }
  // What the program no longer does.
  for (const char* gone :
       {"only say that a run is in progress", "Stop ends the batch after", "at its next step"}) {
    EXPECT_EQ(page.find(gone), std::string::npos) << gone;
  }
}

}  // namespace
}  // namespace corvane::testing
