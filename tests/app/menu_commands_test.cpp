// Chooser filters in Qt's form, the home page derived from the data URL,
// and the help page.
#include <gtest/gtest.h>

#include "app/file_choosers.h"
#include "app/menu_commands.h"
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
  for (const char* part : {"<html", "summary.tst", "DataDirectory", "Analyze data"}) {
    EXPECT_NE(page.find(part), std::string::npos) << part;
  }
}

}  // namespace
}  // namespace corvane
