#include "core/run_context.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "core/item_output.h"
#include "core/progress_log.h"
#include "core/summary_line.h"
#include "support/recording_link.h"
#include "support/temp_dir.h"

namespace corvane {
namespace {

using testing::ReadFile;
using testing::TempDir;

// Interactive runs show errors (prefixed with the data name) and messages in
// message boxes (RunEndTest, LocalRunTest); batch runs write both to the
// summary table. A line the table cannot take is shown instead, naming the
// item, the table and the reason: in a box, or on standard error when there
// is no one to show it. Whatever the steps say after the user's Stop goes to
// the progress log only, which starts fresh with the run (switched off,
// nothing is written: see LocalRunTest).
TEST(RunContextTest, InBatchErrorsAndMessagesGoToTheSummaryTableOrAreShownWithTheReason) {
  TempDir dir;
  SetLogPath(dir.File("egg.log"));
  SetLogProgress(true);
  LogLine("an earlier run");
  StartLog();
  testing::RecordingLink link;
  RunContext context(&link, &link);
  context.settings.dataName = "Quake";
  context.settings.rootDirectory = dir.path();
  for (const bool batch : {false, true}) {
    context.settings.batchMode = batch;
    context.RequestStop();
    context.RunError("Insufficient data in the file");
    context.ShowMessage("Timed out waiting for internet thread handle");
    context.ClearAbort();
  }
  EXPECT_EQ(link.messages().size(), 0u);
  EXPECT_FALSE(testing::FileExists(dir.File("summary.tst")));
  EXPECT_EQ(ReadFile(dir.File("egg.log")),
            "\nNot reported after Stop: Insufficient data in the file\n"
            "Not reported after Stop: Timed out waiting for internet thread handle\n"
            "Not reported after Stop: Insufficient data in the file\n"
            "Not reported after Stop: Timed out waiting for internet thread handle\n");
  SetLogProgress(false);
  SetLogPath("");

  context.RunError("No useable records");
  context.ShowMessage("Record 5 is out of sync");
  EXPECT_EQ(link.messages().size(), 0u);
  EXPECT_EQ(ReadFile(dir.File("summary.tst")),
            "Quake: No useable records\nQuake: Record 5 is out of sync\n");

  ASSERT_EQ(unlink(dir.File("summary.tst").c_str()), 0);
  ASSERT_EQ(mkdir(dir.File("summary.tst").c_str(), 0755), 0);
  context.RunError("No useable records");
  const std::string shown =
      "Quake: No useable records (not added to " + dir.File("summary.tst") + ": Is a directory)";
  ASSERT_EQ(link.messages().size(), 1u);
  EXPECT_EQ(link.messages()[0].text, shown);
  EXPECT_EQ(link.messages()[0].caption, std::string(kSummaryNotWritten));

  RunContext headless(nullptr, nullptr);
  headless.settings = context.settings;
  ::testing::internal::CaptureStderr();
  headless.ShowMessage("No useable records");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            std::string(kSummaryNotWritten) + ": " + shown + "\n");
}

// The first setting of the abort flag tells a failure from the user's Stop;
// the failure's message is what the run reported as it failed, whichever
// came first, the report or the abort.
TEST(RunContextTest, TheFirstAbortTellsAFailureFromAStopAndKeepsTheFailuresMessage) {
  testing::RecordingLink link;
  {
    RunContext context(&link, &link);
    context.ShowMessage("Record 5 is out of sync");  // the run goes on
    EXPECT_FALSE(context.Aborted() || context.Failed() || context.StopRequested());
    context.RunError("No useable records");
    context.Abort();
    context.RequestStop();  // too late: the run had failed
    context.RunError("Failed to write gnuplot dat file");
    EXPECT_TRUE(context.Aborted() && context.Failed());
    EXPECT_FALSE(context.StopRequested());
    EXPECT_EQ(context.FailureMessage(), "No useable records");
  }
  {
    RunContext context(&link, &link);
    context.Abort();  // aborts first, reports afterwards
    EXPECT_EQ(context.FailureMessage(), "");
    context.RunError("Unexpected failure");
    context.RunError("Later");
    EXPECT_EQ(context.FailureMessage(), "Unexpected failure");
    // A fresh start forgets it all.
    context.ClearAbort();
    EXPECT_FALSE(context.Aborted() || context.Failed());
    EXPECT_EQ(context.FailureMessage(), "");
  }
  {
    RunContext context(&link, &link);
    context.RequestStop();
    context.Abort();  // a step failing as the stop winds it down
    EXPECT_TRUE(context.Aborted() && context.StopRequested());
    EXPECT_FALSE(context.Failed());
    EXPECT_EQ(context.FailureMessage(), "");
  }
}

// A later batch item's summary lines wait until it is live, so the table
// reads in item order; a line that cannot be added comes back as the message
// to show, at once or when the item goes live.
TEST(ItemOutputTest, SummaryLinesWaitForTheirItemAndFailuresComeBackAsMessages) {
  TempDir dir;
  ASSERT_EQ(mkdir(dir.File("sub").c_str(), 0755), 0);
  ASSERT_EQ(mkdir(dir.File("sub/summary.tst").c_str(), 0755), 0);
  const std::string refused = " (not added to " + dir.File("sub/summary.tst") + ": Is a directory)";
  ItemOutput first(1, {}, true), second(2, {}, false);
  EXPECT_EQ(AddItemSummaryLine(second, dir.path(), "B", "No useable records"), std::nullopt);
  EXPECT_EQ(AddItemSummaryLine(second, dir.File("sub/"), "B", "kept"), std::nullopt);
  EXPECT_EQ(AddItemSummaryLine(first, dir.path(), "A", "Record 5 is out of sync"), std::nullopt);
  EXPECT_EQ(AddItemSummaryLine(first, dir.File("sub/"), "A", "now"), "A: now" + refused);
  EXPECT_EQ(AddItemSummaryLine(first, "", "A", "x"),
            "A: x (there is no output root for the summary table)");
  EXPECT_EQ(ReadFile(dir.File("summary.tst")), "A: Record 5 is out of sync\n");
  EXPECT_EQ(second.GoLive(), std::vector<std::string>{"B: kept" + refused});
  EXPECT_EQ(ReadFile(dir.File("summary.tst")),
            "A: Record 5 is out of sync\nB: No useable records\n");
}

}  // namespace
}  // namespace corvane
