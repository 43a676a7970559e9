// The user's default opener as a real process: the page counts as shown when
// the opener says so (exit status 0) or is still at work after the wait; an
// opener that fails, or none on the PATH, is reported.
#include <cstdlib>
#include <string>

#include <sys/stat.h>

#include <QElapsedTimer>

#include "gui/desktop_opener.h"
#include "gui_test_support.h"

namespace corvane::testing {
namespace {

// Puts a directory first on the PATH while it exists.
class PathFirst {
 public:
  explicit PathFirst(const std::string& directory) : saved_(std::getenv("PATH")) {
    setenv("PATH", (directory + ":" + saved_).c_str(), 1);
  }
  ~PathFirst() { setenv("PATH", saved_.c_str(), 1); }

 private:
  std::string saved_;
};

void WriteScript(const std::string& path, const std::string& body) {
  WriteFile(path, "#!/bin/sh\n" + body);
  chmod(path.c_str(), 0755);
}

TEST(DesktopOpenerTest, TheOpenersExitStatusDecides) {
  TakeOpenedUrls();
  SetOpenerStatus(0);
  EXPECT_TRUE(OpenWithDesktopOpener("https://example.org/a b", 10000));
  SetOpenerStatus(3);  // no program can show the page
  EXPECT_FALSE(OpenWithDesktopOpener("file:///nowhere/index.html", 10000));
  SetOpenerStatus(0);
  // The target reaches the opener as one argument.
  EXPECT_EQ(TakeOpenedUrls(),
            (std::vector<std::string>{"https://example.org/a b", "file:///nowhere/index.html"}));
}

TEST(DesktopOpenerTest, AnOpenerStillAtWorkAfterTheWaitHasShownThePage) {
  TempDir slow;
  WriteScript(slow.File("xdg-open"), "sleep 3\nexit 4\n");
  PathFirst first(slow.path());
  QElapsedTimer waited;
  waited.start();
  EXPECT_TRUE(OpenWithDesktopOpener("https://example.org/", 300));
  EXPECT_LT(waited.elapsed(), 2500);  // it did not wait for the opener's end
}

TEST(DesktopOpenerTest, NoOpenerOnThePathIsReported) {
  TempDir empty;
  WriteFile(empty.File("xdg-open"), "not a program\n");  // not executable: no opener
  const std::string saved = std::getenv("PATH");
  setenv("PATH", empty.path().c_str(), 1);
  const bool shown = OpenWithDesktopOpener("https://example.org/", 10000);
  setenv("PATH", saved.c_str(), 1);
  EXPECT_FALSE(shown);
}

}  // namespace
}  // namespace corvane::testing
