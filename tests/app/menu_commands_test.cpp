// Chooser filters in Qt's form and where choosers open, the home page
// derived from the data URL, and the help page.
#include <gtest/gtest.h>

#include "app/file_choosers.h"
#include "app/menu_commands.h"
#include "app/request_values.h"
#include "core/default_urls.h"
#include "support/temp_dir.h"

namespace corvane {
namespace {

TEST(FileChoosersTest, FiltersBecomeQtFilters) {
  EXPECT_EQ(QtFileFilter(kBatchFileFilter), "Batch file (*.ebb);;All Files (*)");
  EXPECT_EQ(QtFileFilter(kEggFileFilter), "EGG data files (*.csv *.txt *.dat *.gz);;All Files (*)");
  EXPECT_EQ(QtFileFilter(kGnuplotFilter), "gnuplot executable (gnuplot*);;All Files (*)");
  EXPECT_EQ(QtFileFilter("Text|*.txt;*.log||"), "Text (*.txt *.log)");
  EXPECT_EQ(QtFileFilter(""), "");
}

TEST(FileChoosersTest, AChooserOpensAtTheFieldsFolderElseHome) {
  testing::TempDir dir;
  testing::WriteFile(dir.File("day.csv"), "x\n");
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

TEST(MenuCommandsTest, HomePageIsTheRootOfTheDataServer) {
  EXPECT_EQ(HomePageUrl(kDefaultDataUrl), "http://127.0.0.1:8642/");
  EXPECT_EQ(HomePageUrl("http://eggs.example.org:8080/a/b?c=d"), "http://eggs.example.org:8080/");
  EXPECT_EQ(HomePageUrl("not a url"), kDefaultHomeUrl);
  EXPECT_EQ(HomePageUrl("file:///tmp/x"), kDefaultHomeUrl);
}

TEST(MenuCommandsTest, TheHelpPageIsFoundAndDescribesTheProgram) {
  const std::string path = HelpPagePath();
  ASSERT_FALSE(path.empty());
  const std::string page = testing::ReadFile(path);
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
}  // namespace corvane
