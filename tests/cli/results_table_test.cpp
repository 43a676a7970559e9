// The results a researcher loads into other tools: results.csv with a record
// for every item whatever happened to it, read by pandas and by R with no
// options, with p values that agree with corvane-cli chisq; series.csv
// with the event series, checked against scipy on synthetic events with and
// without a shift; and the help page's example, run as written.
#include <filesystem>
#include <regex>

#include <gtest/gtest.h>

#include "cli/cli_options.h"
#include "cli_fixture.h"
#include "core/date_time.h"
#include "dataserver/data_server.h"

namespace corvane {
namespace {

using testing::CliTest;
using testing::Contains;
using testing::FileExists;
using testing::ProgramResult;
using testing::ReadFile;
using testing::RunTool;
using testing::WriteFile;

const std::string kScripts = CORVANE_SOURCE_DIR "/tests/cli/scripts/";
const std::string kCli = CORVANE_BINARY_DIR "/src/cli/corvane-cli";

ProgramResult Python(const std::vector<std::string>& arguments, const std::string& folder = {}) {
  return RunTool("/usr/bin/python3", arguments, folder);
}

class ResultsTableTest : public CliTest {
 protected:
  // A batch of one-hour events on consecutive days of May 2011, each read
  // from a file of its own, and an item whose file is missing; with a shift,
  // every egg's mean moves by `shift` for the whole hour.
  std::string EventBatch(int events, double shift, std::uint64_t seed) {
    std::string text = "DataDirectory " + root_ + "\n";
    for (int i = 0; i < events; ++i) {
      const std::string date =
          DateTime(SecondsFromText("2011-05-01 00:00:00") + i * DateTime::kSecondsPerDay)
              .DateText();
      eggdata::EggDataOptions options;
      options.seed = seed;
      options.start = SecondsFromText(date + " 12:00:00");
      options.stop = options.start + 3599;
      options.meanShift = shift;
      options.shiftStart = options.start;
      options.shiftStop = options.stop;
      const std::string name = "Event" + std::to_string(i + 1);
      text += "LocalEggFile " + EggFile(name + ".csv", date, options) + "\n" + name + " " + date +
              " 12:00:00 " + date + " 12:59:59 " + date + " 12:30:00 0.5\n";
    }
    return text + "LocalEggFile " + dir_.File("data/missing.csv") +
           "\nMissing 2011-05-20 00:00:00 2011-05-20 00:59:59\n";
  }
};

// One batch with an item of every outcome, stopped in mid-download of its
// seventh item: the closing line counts them and the stop wins over the
// failed and refused items (status 130, the item's line says it was
// stopped, nothing is told as a fault of the data, no later item runs);
// every item taken up has its record, which pandas reads as written. The
// overrides apply to this run only, a remote item asks the server named on
// the command line, and numbers keep their C form under a German locale
// (when one can be made here).
TEST_F(ResultsTableTest, EveryItemHasItsRecordAndToolsReadThemAsWritten) {
  dataserver::DataServer server(dataserver::ServerOptions{"127.0.0.1", 0, "", "", 6, 1});
  ASSERT_TRUE(server.Start());
  dataserver::FaultPlan plan;
  plan.skipRequests = 1;  // Far's day comes whole, Stall's stops coming
  plan.stallRequests = 1;
  plan.stallAfterBytes = 100;
  server.SetFaults(plan);
  const std::string locales = dir_.File("locales");
  std::filesystem::create_directories(locales);
  const bool german =
      RunTool("localedef", {"-i", "de_DE", "-f", "UTF-8", locales + "/de_DE.UTF-8"}).exitCode <= 1;
  if (!german) GTEST_LOG_(INFO) << "no German locale can be made here";
  const std::string hour = " 2011-05-03 00:00:00 2011-05-03 00:59:59\n";
  const std::string local = "LocalEggFile " + EggFile("may03.csv", "2011-05-03") + "\n";
  const std::string batch =
      "DataDirectory " + root_ + "\nCompareIntervals 1 0 1800 1800\n" + local + "Done" + hour +
      "LocalEggFile " + dir_.File("data/missing.csv") + "\nLost" + hour + local + "Bad'Name" +
      hour + local + "Long" + hour + "Far" + hour + "CompareIntervals 1 0 3000 1800\n" + local +
      "Past" + hour + "CompareIntervals 0\nStall" + hour + "Later" + hour;
  // One item at a time: the items before Stall have ended when it is stopped.
  const ProgramResult run = RunAndInterrupt(
      batch, "Stall: Getting data from internet",
      {"--jobs", "1", "--set", "DataURL=" + server.DataUrl(), "--set", "LogProgress=1"},
      {{"LOCPATH", locales}, {"LC_ALL", german ? "de_DE.UTF-8" : "C"}});
  server.ReleaseStalls();
  EXPECT_EQ(run.exitCode, kExitInterrupted) << run.err;
  ASSERT_TRUE(Contains(run.err,
                       "7 items processed in batch mode: 4 completed, 1 failed, "
                       "1 refused, 1 stopped; 1 not started\n"))
      << run.err;
  EXPECT_TRUE(Contains(run.err, "the batch summary is " + root_ + "summary.tst"));
  const std::string summary = ReadFile(root_ + "summary.tst");
  for (const char* line : {"\nFar\t6\t", "\nStall: Stopped by user\n"}) {
    EXPECT_TRUE(Contains(summary, line)) << line << " not in\n" << summary;
  }
  EXPECT_FALSE(Contains(summary, "Later") || FileExists(root_ + "Later") ||
               FileExists(root_ + "Lost"));
  testing::ExpectNoDataFault(run.err + summary);
  for (const char* file : {"Done/Done.dat", "Done/Done.inf", "Long/Long.inf"}) {
    EXPECT_FALSE(Contains(ReadFile(root_ + file), ",")) << file;
  }
  EXPECT_TRUE(Contains(ReadFile(temp_ + "egg.log"), "\nLong\n"));
  const std::string settings = ReadFile(config_ + "/BrantvikR&D/Corvane.conf");
  for (const std::string& name :
       {server.DataUrl(), std::string("TempDir"), std::string("LogProgress")}) {
    EXPECT_FALSE(Contains(settings, name)) << name;
  }

  const ProgramResult pandas = Python({kScripts + "results_check.py", root_ + "results.csv", kCli});
  EXPECT_EQ(pandas.exitCode, 0) << pandas.out << pandas.err;
  // The closing words end with the series of the completed items, and
  // series.csv holds it.
  EXPECT_TRUE(Contains(run.err, "Event series of 4 completed items:\n  Stouffer Z = ")) << run.err;
  const std::string series = ReadFile(root_ + "series.csv");
  EXPECT_EQ(series.substr(0, series.find('\r')),
            "batch_start,batch_file,items_taken_up,items_combined,stouffer_z,stouffer_p,"
            "chisq_sum,chisq_df,chisq_deviation,chisq_p,significant_items,expected_items,count_p");
  EXPECT_TRUE(Contains(series, "run.ebb,7,4,")) << series;
}

// The event series on synthetic data: with a shift of the eggs' mean during
// every event the series is significant, without it not, for several seeds;
// each item's p and Z agree with scipy's computation from results.csv, and
// the series combines those items. The help page's "Reading results in
// Python and R" examples, taken from the page, run as they stand in the
// output root.
TEST_F(ResultsTableTest, TheSeriesOfShiftedEventsIsSignificantAndOfNullEventsNot) {
  for (std::uint64_t seed : {11u, 12u, 13u}) {
    for (const bool shifted : {false, true}) {
      SCOPED_TRACE("seed " + std::to_string(seed) + (shifted ? " shifted" : " null"));
      std::filesystem::remove_all(root_);
      std::filesystem::create_directories(root_);
      const ProgramResult run = RunBatch(EventBatch(8, shifted ? 0.25 : 0.0, seed));
      ASSERT_EQ(run.exitCode, kExitItemsFailed) << run.err;
      const ProgramResult check =
          Python({kScripts + "series_check.py", root_, shifted ? "shifted" : "null"});
      EXPECT_EQ(check.exitCode, 0) << check.out << check.err;
    }
  }

  const std::string page = ReadFile(CORVANE_SOURCE_DIR "/docs/help/index.html");
  auto example = [&](const std::string& id) {
    const std::regex pre("<pre id=\"" + id + "\">([^<]*)</pre>");
    std::smatch match;
    EXPECT_TRUE(std::regex_search(page, match, pre)) << id;
    std::string code = match.size() > 1 ? match[1].str() : std::string();
    for (const auto& [entity, text] : {std::pair<std::string, std::string>{"&lt;", "<"},
                                       {"&gt;", ">"},
                                       {"&quot;", "\""},
                                       {"&amp;", "&"}}) {
      code = testing::Replace(code, entity, text);
    }
    return code;
  };
  WriteFile(dir_.File("example.py"), example("python-example"));
  WriteFile(dir_.File("example.R"), example("r-example"));
  const ProgramResult python = Python({dir_.File("example.py")}, root_);
  EXPECT_EQ(python.exitCode, 0) << python.out << python.err;
  const ProgramResult r = RunTool("/usr/bin/Rscript", {dir_.File("example.R")}, root_);
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  for (const ProgramResult* result : {&python, &r}) {
    // The shifted events are listed as significant, the series is told, and
    // the data file is read with its column names.
    const std::string& out = result->out;
    const size_t significant = out.find("significant events:");
    ASSERT_NE(significant, std::string::npos) << out;
    EXPECT_NE(out.find("Event1", significant), std::string::npos) << out;
    EXPECT_NE(out.find("Event8", significant), std::string::npos) << out;
    EXPECT_TRUE(Contains(out, "series p: Stouffer ")) << out;
    EXPECT_TRUE(Contains(out, "stouffer_dev")) << out;
  }
  // The failed item is told apart from the completed ones.
  EXPECT_TRUE(Contains(python.out, "not completed:")) << python.out;
  EXPECT_NE(python.out.find("Missing", python.out.find("not completed:")), std::string::npos);
  // The worked example of the event series is what scipy computes.
  const ProgramResult worked =
      Python({kScripts + "series_example_check.py", CORVANE_SOURCE_DIR "/docs/help/index.html"});
  EXPECT_EQ(worked.exitCode, 0) << worked.out << worked.err;
}

}  // namespace
}  // namespace corvane
