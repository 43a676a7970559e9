// corvane-cli batch with items side by side (--jobs) and in shards
// (--shard, merge-summaries): every file a batch writes (the run folders,
// the root's tables, the progress log) and its closing words are those of
// the same batch run one item after another.
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>
#include <QProcess>

#include "cli/cli_options.h"
#include "cli_fixture.h"
#include "core/date_time.h"
#include "support/folder_snapshot.h"
#include "support/text_lines.h"

namespace corvane {
namespace {

using testing::CliTest;
using testing::DifferentFiles;
using testing::FolderSnapshot;
using testing::ReadFile;
using Snapshot = std::map<std::string, std::string>;

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
    text.replace(at, from.size(), to);
    at += to.size();
  }
  return text;
}

// The records of a comma-separated table without their first field, the
// batch's start time, which differs from run to run.
std::string WithoutBatchStart(const std::string& table) {
  std::string out;
  std::size_t start = 0;
  while (start < table.size()) {
    std::size_t end = table.find('\n', start);
    if (end == std::string::npos) end = table.size() - 1;
    const std::string line = table.substr(start, end + 1 - start);
    out += line.substr(line.find(',') + 1);
    start = end + 1;
  }
  return out;
}

// An output root's files, with the root's path spelled as "<root>" and the
// start time of the batch taken out of the comma-separated tables.
// The batch file's path, recorded in the comma-separated tables, is spelled
// "<batch>".
Snapshot RootFiles(const std::string& root, const std::string& batch = "") {
  Snapshot files;
  for (auto& [name, contents] : FolderSnapshot(root)) {
    std::string text = Replace(contents, root, "<root>/");
    if (!batch.empty()) text = Replace(text, batch, "<batch>");
    if (name.ends_with(".csv") && name.find('/') == std::string::npos) {
      text = WithoutBatchStart(text);
    }
    files[name] = text;
  }
  return files;
}

// The closing words of a batch: its last lines on standard error, from the
// count of the items on (status lines of items side by side come in any
// order before them).
std::string ClosingWords(const std::string& err, const std::string& root) {
  const std::size_t at = err.find(" items processed in batch mode");
  if (at == std::string::npos) return "<no closing line>";
  const std::size_t line = err.rfind('\n', at);
  return Replace(err.substr(line == std::string::npos ? 0 : line + 1), root, "<root>/");
}

struct ParallelBatchTest : CliTest {
  void SetUp() override {
    CliTest::SetUp();
    eggdata::EggDataOptions day;
    day.start = SecondsFromText("2011-05-03 00:00:00");
    day.stop = day.start + 86399;
    dayFile_ = EggFile("day.csv", "2011-05-03", day);
  }

  // Items of every kind: completed ones with interval comparison, spectra
  // (tables in the root) and event echoes; a data name taken up again later
  // (the later item's results stay); a refused item; an item whose input
  // cannot be read.
  std::string Batch(const std::string& root) const {
    std::string text = "DataDirectory " + root + "\nCompareIntervals 1 0 1200 1200\n";
    for (int hour = 0; hour < 7; ++hour) {
      if (hour == 3) text += "DFTOutput 1 1024\nEventEchoDetect 1 5\n";
      const std::string h = (hour < 10 ? "0" : "") + std::to_string(hour);
      text += "LocalEggFile " + dayFile_ + "\nHour" + h + " 2011-05-03 " + h +
              ":00:00 2011-05-03 " + h + ":59:59 2011-05-03 " + h + ":30:00 0.1\n";
    }
    text += "LocalEggFile " + dayFile_ + "\nHour01 2011-05-03 09:00:00 2011-05-03 10:59:59\n";
    text += "LocalEggFile " + dayFile_ + "\nBackwards 2011-05-03 09:00:00 2011-05-03 08:00:00\n";
    text += "LocalEggFile " + dir_.File("data/none.csv") +
            "\nMissing 2011-05-03 09:00:00 2011-05-03 09:59:59\n";
    text += "LocalEggFile " + dayFile_ + "\nHour11 2011-05-03 11:00:00 2011-05-03 11:59:59\n";
    return text;
  }
  static constexpr int kItems = 11;

  struct Outcome {
    testing::ProgramResult program;
    Snapshot files;
    std::string log;
  };
  // An output root, a temporary directory and the batch file over that
  // root, all of their own.
  struct Place {
    std::string root, temp, batch;
  };
  Place MakePlace(const std::string& name) const {
    const Place place{dir_.File(name + "/"), dir_.File(name + "-tmp/"), dir_.File(name + ".ebb")};
    std::filesystem::create_directories(place.root);
    std::filesystem::create_directories(place.temp);
    std::ofstream(place.batch) << Batch(place.root);
    return place;
  }

  // Runs the batch into a place of its own.
  Outcome RunInto(const std::string& name, const std::vector<std::string>& options) {
    const auto [root, temp, batch] = MakePlace(name);
    std::vector<std::string> arguments = {"batch", "--set", "TempDir=" + temp, "--set",
                                          "LogProgress=1"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    arguments.push_back(batch);
    Outcome outcome;
    outcome.program = Run(arguments);
    outcome.files = RootFiles(root, batch);
    outcome.log = ReadFile(temp + "egg.log");
    outcome.program.err = ClosingWords(outcome.program.err, root);
    return outcome;
  }

  std::string dayFile_;
};

TEST_F(ParallelBatchTest, ItemsSideBySideWriteWhatOneAfterAnotherWrites) {
  const Outcome sequential = RunInto("one", {"--jobs", "1"});
  ASSERT_EQ(sequential.program.exitCode, kExitItemsFailed) << sequential.program.err;
  ASSERT_TRUE(testing::Contains(sequential.program.err,
                                "11 items processed in batch mode: 9 completed, 1 failed, "
                                "1 refused, 0 stopped"))
      << sequential.program.err;
  // The tables hold the items in item order: the summary's lines name them
  // as the batch file lists them.
  std::vector<std::string> names;
  for (const std::string& line : testing::Lines(sequential.files.at("summary.tst"))) {
    const std::size_t end = line.find_first_of("\t:");
    if (line.rfind("Hour", 0) == 0 || line.rfind("Backwards", 0) == 0 ||
        line.rfind("Missing", 0) == 0) {
      names.push_back(line.substr(0, end));
    }
  }
  EXPECT_EQ(names,
            (std::vector<std::string>{"Hour00", "Hour01", "Hour02", "Hour03", "Hour04", "Hour05",
                                      "Hour06", "Hour01", "Backwards", "Missing", "Hour11"}));
  ASSERT_TRUE(sequential.files.count("lpdev_dft.dat"));

  for (const char* jobs : {"2", "4"}) {
    const Outcome parallel = RunInto(std::string("side") + jobs, {"--jobs", jobs});
    EXPECT_EQ(parallel.program.exitCode, sequential.program.exitCode) << jobs;
    EXPECT_EQ(DifferentFiles(parallel.files, sequential.files), std::vector<std::string>{}) << jobs;
    EXPECT_EQ(parallel.log, sequential.log) << jobs;
    EXPECT_EQ(parallel.program.err, sequential.program.err) << jobs;
  }
}

TEST_F(ParallelBatchTest, ALaterItemOfTheSameNameLeavesItsResults) {
  const Outcome parallel = RunInto("side", {"--jobs", "4"});
  // The second Hour01 alone, one after another: the folder it leaves.
  const std::string root = dir_.File("alone/");
  std::filesystem::create_directories(root);
  const std::string text = "DataDirectory " + root +
                           "\nCompareIntervals 1 0 1200 1200\nDFTOutput 1 1024\n"
                           "EventEchoDetect 1 5\nLocalEggFile " +
                           dayFile_ + "\nHour01 2011-05-03 09:00:00 2011-05-03 10:59:59\n";
  ASSERT_EQ(RunBatch(text, {"--jobs", "1"}).exitCode, kExitOk);
  Snapshot alone, folder;
  for (const auto& [name, contents] : RootFiles(root)) {
    if (name.rfind("Hour01/", 0) == 0) alone[name] = contents;
  }
  for (const auto& [name, contents] : parallel.files) {
    if (name.rfind("Hour01/", 0) == 0) folder[name] = contents;
  }
  ASSERT_FALSE(alone.empty());
  EXPECT_EQ(DifferentFiles(folder, alone), std::vector<std::string>{});
}

// GNU parallel stands in for a cluster's scheduler.
TEST_F(ParallelBatchTest, ShardsJoinedWriteWhatOneRunWrites) {
  const Outcome single = RunInto("one", {"--jobs", "1"});
  for (const int shards : {2, 3, 4}) {
    const auto [root, temp, batch] = MakePlace("shards" + std::to_string(shards));
    QProcess parallel;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", QString::fromStdString(config_));
    env.insert("HOME", QString::fromStdString(dir_.File("")));  // parallel's own files
    parallel.setProcessEnvironment(env);
    const std::string program = CORVANE_BINARY_DIR "/src/cli/corvane-cli";
    QStringList arguments = {"--will-cite",
                             "-j",
                             QString::number(shards),
                             QString::fromStdString(program),
                             "batch",
                             "--jobs",
                             "1",
                             "--shard",
                             QString("{}/%1").arg(shards),
                             "--set",
                             QString::fromStdString("TempDir=" + temp),
                             "--set",
                             "LogProgress=1",
                             QString::fromStdString(batch),
                             ":::"};
    for (int k = 1; k <= shards; ++k) arguments << QString::number(k);
    parallel.start("parallel", arguments);
    ASSERT_TRUE(parallel.waitForFinished(240000));
    // Each shard had a failed or refused item of its own or none.
    for (int k = 1; k <= shards; ++k) {
      EXPECT_TRUE(std::filesystem::exists(root + "shard-" + std::to_string(k) + "-of-" +
                                          std::to_string(shards) + ".journal"));
      EXPECT_TRUE(std::filesystem::exists(temp + "egg-" + std::to_string(k) + "-of-" +
                                          std::to_string(shards) + ".log"));
    }
    const testing::ProgramResult merged = Run({"merge-summaries", root});
    ASSERT_EQ(merged.exitCode, kExitOk) << merged.err;
    EXPECT_TRUE(testing::Contains(merged.out, "(11 items)")) << merged.out;
    Snapshot joined;
    for (const auto& [file, contents] : RootFiles(root, batch)) {
      // The shards' own tables and journals stay beside the joined ones.
      if (file.find("-of-") == std::string::npos) joined[file] = contents;
    }
    Snapshot expected = single.files;
    expected.erase("series.csv");  // shards add no event series
    EXPECT_EQ(DifferentFiles(joined, expected), std::vector<std::string>{}) << shards;

    // Joined once: the tables are not joined over themselves.
    const testing::ProgramResult again = Run({"merge-summaries", root});
    EXPECT_EQ(again.exitCode, kExitFailed);
    EXPECT_TRUE(testing::Contains(again.err, root + "summary.tst exists already")) << again.err;
  }
}

struct MergeRefusalTest : ParallelBatchTest {
  // Two shards run into the root, not yet joined.
  void RunShards() {
    std::ofstream(dir_.File("b.ebb")) << Batch(root_);
    for (const char* shard : {"1/2", "2/2"}) {
      Run({"batch", "--jobs", "2", "--shard", shard, "--set", "TempDir=" + temp_,
           dir_.File("b.ebb")});
    }
  }
  std::string Journal(int k) const {
    return root_ + "shard-" + std::to_string(k) + "-of-2.journal";
  }
  testing::ProgramResult Merge() { return Run({"merge-summaries", root_}); }
};

TEST_F(MergeRefusalTest, AMissingShardIsNamed) {
  RunShards();
  std::filesystem::remove(Journal(2));
  const testing::ProgramResult merged = Merge();
  EXPECT_EQ(merged.exitCode, kExitFailed);
  EXPECT_TRUE(testing::Contains(merged.err, Journal(2) + " is missing")) << merged.err;
  EXPECT_FALSE(std::filesystem::exists(root_ + "summary.tst"));
}

TEST_F(MergeRefusalTest, DamagedOrUnfinishedJournalsAreRefused) {
  RunShards();
  const std::string whole = ReadFile(Journal(1));
  ASSERT_EQ(whole.substr(whole.rfind("end ")), "end 6\n");
  // Stopped before its end.
  std::ofstream(Journal(1), std::ios::trunc) << whole.substr(0, whole.rfind("end "));
  testing::ProgramResult merged = Merge();
  EXPECT_EQ(merged.exitCode, kExitFailed);
  EXPECT_TRUE(testing::Contains(merged.err, Journal(1) + " does not end")) << merged.err;
  // Cut short inside a unit.
  std::ofstream(Journal(1), std::ios::trunc) << whole.substr(0, whole.size() / 2);
  merged = Merge();
  EXPECT_TRUE(testing::Contains(merged.err, Journal(1) + ": not a complete shard journal"))
      << merged.err;
  // A unit that claims more bytes than the file holds.
  std::string large = whole;
  const std::size_t unit = large.find("unit 1 t ");
  ASSERT_NE(unit, std::string::npos);
  large.replace(unit, 9, "unit 1 t 99999999999");
  std::ofstream(Journal(1), std::ios::trunc) << large;
  merged = Merge();
  EXPECT_TRUE(testing::Contains(merged.err, Journal(1) + ": not a complete shard journal"))
      << merged.err;
  // An item of another shard.
  std::string foreign = whole;
  foreign.replace(unit, 7, "unit 2 ");
  std::ofstream(Journal(1), std::ios::trunc) << foreign;
  merged = Merge();
  EXPECT_TRUE(testing::Contains(merged.err, Journal(1) + ": not a complete shard journal"))
      << merged.err;
  // Not a journal at all: a folder in its place.
  std::filesystem::remove(Journal(1));
  std::filesystem::create_directory(Journal(1));
  merged = Merge();
  EXPECT_TRUE(testing::Contains(merged.err, Journal(1) + ": ")) << merged.err;
  EXPECT_FALSE(std::filesystem::exists(root_ + "summary.tst"));
  // Whole again: joined.
  std::filesystem::remove(Journal(1));
  std::ofstream(Journal(1)) << whole;
  merged = Merge();
  EXPECT_EQ(merged.exitCode, kExitOk) << merged.err;
}

TEST(BatchOptionsTest, JobsAndShardsAreBounded) {
  auto parse = [](std::vector<std::string> extra) {
    std::vector<std::string> arguments = {"batch"};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    arguments.push_back("b.ebb");
    return ParseCliOptions(arguments);
  };
  for (const char* bad : {"0", "-1", "257", "x", "2.5", "", "1000000000000"}) {
    const CliOptions options = parse({"--jobs", bad});
    EXPECT_TRUE(testing::Contains(options.error, "--jobs needs a whole number")) << bad;
  }
  EXPECT_TRUE(testing::Contains(ParseCliOptions({"batch", "--jobs"}).error, "--jobs"));
  EXPECT_EQ(parse({"--jobs", "1"}).jobs, 1);
  EXPECT_EQ(parse({"--jobs=256"}).jobs, 256);
  EXPECT_EQ(parse({}).jobs, 0);  // one per core
  for (const char* bad : {"0/3", "4/3", "1/0", "a/b", "1/100001", "3", "1/2/3", "-1/2", "/2"}) {
    const CliOptions options = parse({"--shard", bad});
    EXPECT_TRUE(testing::Contains(options.error, "--shard needs K/N")) << bad;
  }
  const CliOptions last = parse({"--shard", "100000/100000"});
  EXPECT_EQ(last.error, "");
  EXPECT_EQ(last.shardIndex, 100000);
  EXPECT_EQ(last.shardCount, 100000);
  EXPECT_EQ(parse({"--shard=1/1"}).shardCount, 1);
  EXPECT_EQ(ParseCliOptions({"merge-summaries", "/out"}).command, CliOptions::Command::kMerge);
  EXPECT_NE(ParseCliOptions({"merge-summaries"}).error, "");
  EXPECT_NE(ParseCliOptions({"merge-summaries", "a", "b"}).error, "");
}

}  // namespace
}  // namespace corvane
