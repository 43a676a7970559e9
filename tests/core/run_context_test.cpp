#include "core/run_context.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

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
// summary table.
TEST(RunContextTest, InBatchErrorsAndMessagesGoToTheSummaryTable) {
  TempDir dir;
  testing::RecordingLink link;
  RunContext context(&link, &link);
  context.settings.dataName = "Quake";
  context.settings.rootDirectory = dir.path();
  context.settings.batchMode = true;
  context.RunError("No useable records");
  context.ShowMessage("Record 5 is out of sync");
  EXPECT_EQ(link.messages().size(), 0u);
  EXPECT_EQ(ReadFile(dir.File("summary.tst")),
            "Quake: No useable records\nQuake: Record 5 is out of sync\n");
}

// A line that cannot be added to the summary table is shown instead, naming
// the item, the table and the reason: in a box, or on standard error when
// there is no one to show it.
TEST(RunContextTest, ALineTheSummaryTableCannotTakeIsShownWithItsReason) {
  TempDir dir;
  ASSERT_EQ(mkdir(dir.File("summary.tst").c_str(), 0755), 0);
  testing::RecordingLink link;
  RunContext context(&link, &link);
  context.settings.dataName = "Quake";
  context.settings.rootDirectory = dir.path();
  context.settings.batchMode = true;
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

// Switched off, nothing is written: see LocalRunTest.
TEST(ProgressLogTest, StartsFresh) {
  TempDir dir;
  SetLogPath(dir.File("egg.log"));
  SetLogProgress(true);
  LogLine("old");
  StartLog();
  LogLine("\nQuake");
  LogLine("Read local file");
  EXPECT_EQ(ReadFile(dir.File("egg.log")), "\n\nQuake\nRead local file\n");
  SetLogProgress(false);
  SetLogPath("");
}

}  // namespace
}  // namespace corvane
