// corvane-cli batch with items side by side (--jobs) and in shards
// (--shard, merge-summaries): every file a batch writes (the run folders,
// the root's tables, the progress log) and its closing words are those of
// the same batch run one item after another.
#include <cctype>
#include <filesystem>

#include <gtest/gtest.h>

#include "cli/cli_options.h"
#include "cli_fixture.h"
#include "core/date_time.h"
#include "support/folder_snapshot.h"
#include "support/text_lines.h"

namespace corvane {
namespace {

using testing::CliTest;
using testing::Contains;
using testing::DifferentFiles;
using testing::FolderSnapshot;
using testing::Lines;
using testing::ProgramResult;
using testing::ReadFile;
using testing::Replace;
using testing::WriteFile;
using Snapshot = std::map<std::string, std::string>;

// An output root's files, with the root's path spelled "<root>/" and the
// batch file's, recorded in the comma-separated tables, "<batch>"; the
// records of the root's comma-separated tables lose their first field, the
// batch's start time, which differs from run to run.
Snapshot RootFiles(const std::string& root, const std::string& batch = "") {
  Snapshot files;
  for (auto& [name, contents] : FolderSnapshot(root)) {
    std::string text = Replace(contents, root, "<root>/");
    if (!batch.empty()) text = Replace(text, batch, "<batch>");
    if (name.ends_with(".csv") && name.find('/') == std::string::npos) {
      text = testing::WithoutBatchStart(text);
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
  // (the later item's results stay), the first time for the whole day, so
  // that the later item is reached while it still runs and must wait for
  // it; a refused item; an item whose input cannot be read.
  std::string Batch(const std::string& root) const {
    std::string text = "DataDirectory " + root + "\nCompareIntervals 1 0 1200 1200\n";
    for (int hour = 0; hour < 7; ++hour) {
      if (hour == 3) text += "DFTOutput 1 1024\nEventEchoDetect 1 5\n";
      const std::string h = "0" + std::to_string(hour);
      text += "LocalEggFile " + dayFile_ + "\nHour" + h + " 2011-05-03 " +
              (hour == 1 ? "00:00:00 2011-05-03 23" : h + ":00:00 2011-05-03 " + h) +
              ":59:59 2011-05-03 " + h + ":30:00 0.1\n";
    }
    text += "LocalEggFile " + dayFile_ + "\nHour01 2011-05-03 09:00:00 2011-05-03 10:59:59\n";
    text += "LocalEggFile " + dayFile_ + "\nBackwards 2011-05-03 09:00:00 2011-05-03 08:00:00\n";
    text += "LocalEggFile " + dir_.File("data/none.csv") +
            "\nMissing 2011-05-03 09:00:00 2011-05-03 09:59:59\n";
    text += "LocalEggFile " + dayFile_ + "\nHour11 2011-05-03 11:00:00 2011-05-03 11:59:59\n";
    return text;
  }

  struct Outcome {
    ProgramResult program;
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
    WriteFile(place.batch, Batch(place.root));
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

  // Spoils the first of two shards' journals in the root in turn; each time
  // the shards are refused, naming the journal, and no table is written.
  void ExpectDamagedJournalsRefused(const std::string& root) {
    const std::string journal = root + "shard-1-of-2.journal";
    const std::string whole = ReadFile(journal);
    ASSERT_EQ(whole.substr(whole.rfind("end ")), "end 6\n");
    ASSERT_TRUE(Contains(whole, "unit 1 t "));
    const std::string damaged = ": not a complete shard journal";
    const struct {
      std::string text, message;
    } cases[] = {
        {whole.substr(0, whole.rfind("end ")), " does not end"},  // stopped before its end
        {whole.substr(0, whole.size() / 2), damaged},             // cut short inside a unit
        // A unit that claims more bytes than the file holds, and units of an
        // item of the other shard.
        {Replace(whole, "unit 1 t ", "unit 1 t 99999999999"), damaged},
        {Replace(whole, "unit 1 ", "unit 2 "), damaged},
        {"", " is missing"},
        {"", ": "},  // not a journal at all: a folder in its place
    };
    for (const auto& c : cases) {
      std::filesystem::remove(journal);
      if (c.message == ": ") {
        std::filesystem::create_directory(journal);
      } else if (!c.text.empty()) {
        WriteFile(journal, c.text);
      }
      const ProgramResult merged = Run({"merge-summaries", root});
      EXPECT_EQ(merged.exitCode, kExitFailed);
      EXPECT_TRUE(Contains(merged.err, journal + c.message)) << merged.err;
    }
    EXPECT_FALSE(std::filesystem::exists(root + "summary.tst"));
    std::filesystem::remove(journal);
    WriteFile(journal, whole);
  }

  std::string dayFile_;
};

// Items side by side, and shards joined, write what the batch one item after
// another writes; the second Hour01's results stay in the folder. Shards
// not yet joined whose journal is missing, unfinished or damaged are
// refused, naming it, and no table is written.
TEST_F(ParallelBatchTest, ItemsSideBySideAndShardsJoinedWriteWhatOneAfterAnotherWrites) {
  const Outcome sequential = RunInto("one", {"--jobs", "1"});
  ASSERT_EQ(sequential.program.exitCode, kExitItemsFailed) << sequential.program.err;
  ASSERT_TRUE(Contains(sequential.program.err,
                       "11 items processed in batch mode: 9 completed, 1 failed, "
                       "1 refused, 0 stopped"))
      << sequential.program.err;
  // The tables hold the items in item order: the summary's lines name them
  // as the batch file lists them.
  std::string names;
  for (const std::string& line : Lines(sequential.files.at("summary.tst"))) {
    const std::string name = line.substr(0, line.find_first_of("\t:"));
    if (std::isupper(line[0]) && name.find(' ') == std::string::npos) names += name + " ";
  }
  EXPECT_EQ(names,
            "Hour00 Hour01 Hour02 Hour03 Hour04 Hour05 Hour06 Hour01 Backwards Missing Hour11 ");
  ASSERT_TRUE(sequential.files.count("lpdev_dft.dat"));

  Outcome parallel;
  for (const char* jobs : {"2", "4"}) {
    parallel = RunInto(std::string("side") + jobs, {"--jobs", jobs});
    EXPECT_EQ(parallel.program.exitCode, sequential.program.exitCode) << jobs;
    EXPECT_EQ(DifferentFiles(parallel.files, sequential.files), std::vector<std::string>{}) << jobs;
    EXPECT_EQ(parallel.log, sequential.log) << jobs;
    EXPECT_EQ(parallel.program.err, sequential.program.err) << jobs;
  }

  // The later Hour01's folder is the one it writes alone.
  ASSERT_EQ(RunBatch("DataDirectory " + root_ +
                     "\nCompareIntervals 1 0 1200 1200\nDFTOutput 1 1024\nEventEchoDetect 1 5\n"
                     "LocalEggFile " +
                     dayFile_ + "\nHour01 2011-05-03 09:00:00 2011-05-03 10:59:59\n")
                .exitCode,
            kExitOk);
  Snapshot alone, folder;
  for (const auto& [name, contents] : RootFiles(root_)) {
    if (name.rfind("Hour01/", 0) == 0) alone[name] = contents;
  }
  for (const auto& [name, contents] : sequential.files) {
    if (name.rfind("Hour01/", 0) == 0) folder[name] = contents;
  }
  ASSERT_TRUE(alone.count("Hour01/Hour01.inf"));
  EXPECT_EQ(DifferentFiles(folder, alone), std::vector<std::string>{});

  // Shards run by GNU parallel, standing in for a cluster's scheduler, and
  // joined. The two items named Hour01 fall into one shard: in shards side
  // by side they could end in either order. Each shard runs two items side
  // by side, so the later Hour01 is reached while the earlier still runs
  // (with six shards the two are alone in theirs) and must wait for it.
  for (const int shards : {2, 3, 6}) {
    const std::string n = std::to_string(shards);
    const auto [root, temp, batch] = MakePlace("shards" + n);
    // HOME holds parallel's own files.
    testing::RunTool(
        "/bin/sh",
        {"-c", "XDG_CONFIG_HOME=" + config_ + " HOME=" + dir_.path() + " parallel --will-cite -j " +
                   n + " " CORVANE_BINARY_DIR "/src/cli/corvane-cli batch --jobs 2 --shard {}/" +
                   n + " --set TempDir=" + temp + " --set LogProgress=1 " + batch + " ::: $(seq " +
                   n + ")"});
    // Each shard had a failed or refused item of its own or none.
    for (int k = 1; k <= shards; ++k) {
      const std::string part = std::to_string(k) + "-of-" + n;
      EXPECT_TRUE(std::filesystem::exists(root + "shard-" + part + ".journal")) << part;
      EXPECT_TRUE(std::filesystem::exists(temp + "egg-" + part + ".log")) << part;
    }
    if (shards == 2) ExpectDamagedJournalsRefused(root);
    const ProgramResult merged = Run({"merge-summaries", root});
    ASSERT_EQ(merged.exitCode, kExitOk) << merged.err;
    EXPECT_TRUE(Contains(merged.out, "(11 items)")) << merged.out;
    Snapshot joined;
    for (const auto& [file, contents] : RootFiles(root, batch)) {
      // The shards' own tables and journals stay beside the joined ones.
      if (file.find("-of-") == std::string::npos) joined[file] = contents;
    }
    Snapshot expected = sequential.files;
    expected.erase("series.csv");  // shards add no event series
    EXPECT_EQ(DifferentFiles(joined, expected), std::vector<std::string>{}) << shards;

    // Joined once: the tables are not joined over themselves.
    const ProgramResult again = Run({"merge-summaries", root});
    EXPECT_EQ(again.exitCode, kExitFailed);
    EXPECT_TRUE(Contains(again.err, root + "summary.tst exists already")) << again.err;
  }
}

TEST(BatchOptionsTest, JobsAndShardsAreBounded) {
  auto parse = [](std::vector<std::string> extra) {
    std::vector<std::string> arguments = {"batch"};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    arguments.push_back("b.ebb");
    return ParseCliOptions(arguments);
  };
  for (const char* bad : {"0", "-1", "257", "x", "2.5", "", "1000000000000"}) {
    EXPECT_TRUE(Contains(parse({"--jobs", bad}).error, "--jobs needs a whole number")) << bad;
  }
  EXPECT_TRUE(Contains(ParseCliOptions({"batch", "--jobs"}).error, "--jobs"));
  EXPECT_EQ(parse({"--jobs", "1"}).jobs, 1);
  EXPECT_EQ(parse({"--jobs=256"}).jobs, 256);
  EXPECT_EQ(parse({}).jobs, 0);  // one per core
  for (const char* bad : {"0/3", "4/3", "1/0", "a/b", "1/100001", "3", "1/2/3", "-1/2", "/2"}) {
    EXPECT_TRUE(Contains(parse({"--shard", bad}).error, "--shard needs K/N")) << bad;
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
