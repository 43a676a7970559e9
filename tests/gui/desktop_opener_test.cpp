// The user's default opener as a real process: the page counts as shown when
// the opener says so (exit status 0) or is still at work after the wait; an
// opener that fails, or none on the PATH, is reported.
#include <cstdlib>
#include <string>

#include <QElapsedTimer>

#include "gui/desktop_opener.h"
#include "gui_test_support.h"

namespace corvane::testing {
namespace {

TEST(DesktopOpenerTest, TheOpenersExitStatusDecides) {
  TakeOpenedUrls();
  SetOpenerStatus(0);
  EXPECT_TRUE(OpenWithDesktopOpener("https://example.org/a b", 10000));
  SetOpenerStatus(3);  // no program can show the page
  EXPECT_FALSE(OpenWithDesktopOpener("file:///nowhere/index.html", 10000));
  // The target reaches the opener as one argument.
  EXPECT_EQ(TakeOpenedUrls(),
            (std::vector<std::string>{"https://example.org/a b", "file:///nowhere/index.html"}));

  // An opener still at work after the wait counts as showing the page; a
  // busy machine is allowed for, the opener's end is far off.
  SetOpenerLines("exec >/dev/null 2>&1\nsleep 40\nexit 4");
  QElapsedTimer waited;
  waited.start();
  EXPECT_TRUE(OpenWithDesktopOpener("https://example.org/", 300));
  EXPECT_LT(waited.elapsed(), 30000);

  TempDir empty;
  WriteFile(empty.File("xdg-open"), "not a program\n");  // not executable: no opener
  const std::string saved = std::getenv("PATH");
  setenv("PATH", empty.path().c_str(), 1);
  const bool shown = OpenWithDesktopOpener("https://example.org/", 10000);
  setenv("PATH", saved.c_str(), 1);
  SetOpenerStatus(0);
  EXPECT_FALSE(shown);
}

}  // namespace
}  // namespace corvane::testing
