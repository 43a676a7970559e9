#include "core/output_file_set.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <set>
#include <thread>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace corvane {
namespace {

using testing::FileExists;
using testing::ReadFile;
using testing::WriteFile;

// The names of a folder's entries.
std::set<std::string> Entries(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

// A run folder holding an earlier set of Quake and a file of the user's.
struct SetFolder {
  testing::TempDir dir;
  std::string folder = dir.path();
  SetFolder() {
    WriteFile(File("Quake.dat"), "old data\n");
    WriteFile(File("Quake.inf"), "old information\n");
    WriteFile(File("Quake_lpvar_dft.dat"), "old spectrum\n");
    WriteFile(File("eggs.csv"), "the user's own data\n");
  }
  std::string File(const std::string& name) const { return folder + name; }
  // Writes text as the new content of the file, in the set.
  bool Write(OutputFileSet& set, const std::string& name, const std::string& text,
             const char* mode = "w") const {
    OutputFile file;
    if (!set.Open(file, File(name), mode)) return false;
    file.Write(text);
    return set.Finish(file);
  }
  void ExpectEarlierFiles() const {
    EXPECT_EQ(ReadFile(File("Quake.dat")), "old data\n");
    EXPECT_EQ(ReadFile(File("Quake.inf")), "old information\n");
    EXPECT_EQ(ReadFile(File("Quake_lpvar_dft.dat")), "old spectrum\n");
  }
  // The earlier files and nothing else.
  void ExpectEarlierSet() const {
    ExpectEarlierFiles();
    EXPECT_EQ(Entries(folder),
              (std::set<std::string>{"Quake.dat", "Quake.inf", "Quake_lpvar_dft.dat", "eggs.csv"}));
  }
};

// Until Commit the earlier files stay as they are; a file that goes on from
// the earlier one starts as its copy; a set that is dropped, or whose file
// was not finished, leaves the earlier set and nothing else. Once committed,
// the set writes in place until it is begun again.
TEST(OutputFileSetTest, EarlierFilesStayUntilCommitAndADroppedSetLeavesNothing) {
  SetFolder f;
  for (const int ending : {0, 1, 2}) {
    SCOPED_TRACE(ending);
    OutputFileSet set;
    ASSERT_EQ(set.Begin(f.folder, "Quake"), std::nullopt);
    ASSERT_TRUE(f.Write(set, "Quake.dat", "new data\n"));
    ASSERT_TRUE(f.Write(set, "Quake_lpvar_dft.dat", "block 1\n", "a"));
    ASSERT_TRUE(f.Write(set, "Quake_lpvar_dft.dat", "block 2\n", "a"));
    EXPECT_EQ(ReadFile(PendingPath(f.File("Quake_lpvar_dft.dat"))),
              "old spectrum\nblock 1\nblock 2\n");
    OutputFile unfinished;
    ASSERT_TRUE(set.Open(unfinished, f.File("Quake.inf"), "w"));
    unfinished.Write("new information\n");
    f.ExpectEarlierFiles();
    EXPECT_EQ(set.AddToTable(f.File("table"), {"line\n", {}, {}}, "Failed"), std::nullopt);
    if (ending == 0) {
      unfinished.Close();  // closed, but not through the set: not complete
      const OutputFileSet::Outcome outcome = set.Commit();
      EXPECT_FALSE(outcome.committed);
      EXPECT_EQ(outcome.failures,
                std::vector<std::string>{"The results of Quake were not saved: " +
                                         f.File("Quake.inf") + " was not written completely"});
    } else if (ending == 1) {
      set.Discard();
    }  // else the set goes out of scope
    if (ending == 2) unfinished.Close();
  }
  f.ExpectEarlierSet();

  OutputFileSet set;
  ASSERT_EQ(set.Begin(f.folder, "Quake"), std::nullopt);
  ASSERT_TRUE(f.Write(set, "Quake_lpvar_dft.dat", "block\n", "a"));
  ASSERT_TRUE(f.Write(set, "Quake.inf", "new information\n"));
  ASSERT_TRUE(f.Write(set, "Quake.gp", "new script\n"));
  const OutputFileSet::Outcome outcome = set.Commit();
  EXPECT_TRUE(outcome.committed);
  EXPECT_TRUE(outcome.failures.empty());
  EXPECT_FALSE(set.Active());
  EXPECT_EQ(ReadFile(f.File("Quake_lpvar_dft.dat")), "old spectrum\nblock\n");
  EXPECT_EQ(ReadFile(f.File("Quake.inf")), "new information\n");
  EXPECT_EQ(ReadFile(f.File("Quake.gp")), "new script\n");
  EXPECT_EQ(ReadFile(f.File("Quake.dat")), "old data\n") << "not a file of this set";
  EXPECT_EQ(Entries(f.folder).size(), 5u);

  // Without a Begin, files are written in place and tables appended at once.
  ASSERT_TRUE(f.Write(set, "Quake.dat", "new data\n"));
  ASSERT_TRUE(f.Write(set, "Quake_lpvar_dft.dat", "more\n", "a"));
  EXPECT_EQ(ReadFile(f.File("Quake.dat")), "new data\n");
  EXPECT_EQ(ReadFile(f.File("Quake_lpvar_dft.dat")), "old spectrum\nblock\nmore\n");
  EXPECT_EQ(set.AddToTable(f.File("table"), {"line\n", {}, {}}, "Failed"), std::nullopt);
  EXPECT_EQ(ReadFile(f.File("table")), "line\n");
  EXPECT_EQ(set.AddToTable(f.File("eggs.csv/table"), {"line\n", {}, {}}, "Failed to write"),
            "Failed to write " + f.File("eggs.csv/table") + ": Not a directory");
  EXPECT_TRUE(set.Commit().committed);
}

// A commit cut short between two renames (here: a folder that took the
// information file's place after it was opened) leaves its record, with the
// information file last and still the earlier one; the next Begin for the
// name completes the set before anything else happens.
TEST(OutputFileSetTest, ACommitCutShortIsCompletedByTheNextBeginInformationFileLast) {
  SetFolder f;
  OutputFileSet set;
  ASSERT_EQ(set.Begin(f.folder, "Quake"), std::nullopt);
  ASSERT_TRUE(f.Write(set, "Quake.inf", "new information\n"));
  set.CommitLast(f.File("Quake.inf"));
  ASSERT_TRUE(f.Write(set, "Quake.dat", "new data\n"));
  ASSERT_TRUE(f.Write(set, "Quake_lpvar_dft.dat", "block\n", "a"));
  ASSERT_EQ(set.AddToTable(f.File("table"), {"line\n", {}, {}}, "Failed"), std::nullopt);
  ASSERT_EQ(rename(f.File("Quake.inf").c_str(), f.File("kept.inf").c_str()), 0);
  ASSERT_EQ(mkdir(f.File("Quake.inf").c_str(), 0755), 0);
  WriteFile(f.File("Quake.inf/x"), "");  // a folder that is not empty

  const OutputFileSet::Outcome outcome = set.Commit();
  EXPECT_FALSE(outcome.committed);
  ASSERT_EQ(outcome.failures.size(), 1u);
  EXPECT_EQ(outcome.failures[0].rfind(
                "The results of Quake are not complete yet: " + f.File("Quake.inf") + ": ", 0),
            0u);
  EXPECT_EQ(ReadFile(f.File("Quake.dat")), "new data\n");
  EXPECT_EQ(ReadFile(f.File("Quake_lpvar_dft.dat")), "old spectrum\nblock\n");
  EXPECT_TRUE(FileExists(f.File(".Quake.commit")));
  EXPECT_FALSE(FileExists(f.File("table"))) << "tables wait for a complete set";

  // While the way is blocked, the set cannot be completed, and nobody may
  // begin a new one over it.
  OutputFileSet next;
  EXPECT_NE(next.Begin(f.folder, "Quake"), std::nullopt);
  std::filesystem::remove_all(f.File("Quake.inf"));
  ASSERT_EQ(next.Begin(f.folder, "Quake"), std::nullopt);
  EXPECT_EQ(ReadFile(f.File("Quake.inf")), "new information\n");
  EXPECT_FALSE(FileExists(f.File(".Quake.commit")));
  EXPECT_FALSE(FileExists(PendingPath(f.File("Quake.inf"))));
}

// Begin removes the pending files a killed run of this name left, never a
// file of the user's or of another name; a record names only files of this
// run, whatever it says; a second set of the folder waits for the first.
TEST(OutputFileSetTest, BeginCleansOnlyThisNamesLeftoversAndLocksTheFolder) {
  SetFolder f;
  for (const char* name :
       {".Quake.dat.pending", ".Quake_lpmax.wav.pending", ".Quake.commit.pending",
        ".Other.dat.pending", "Quake.pending", ".eggs.csv.pending.txt"}) {
    WriteFile(f.File(name), "left over");
  }
  WriteFile(f.File(".Quake.x.pending"), "moved");
  WriteFile(f.File(".eggs.csv.pending"), "not ours");
  WriteFile(f.File(".Quake.commit"), "../escape\n/etc/passwd\neggs.csv\n\nQuake.x\n");
  OutputFileSet set;
  ASSERT_EQ(set.Begin(f.folder, "Quake"), std::nullopt);
  EXPECT_EQ(ReadFile(f.File("Quake.x")), "moved");
  EXPECT_EQ(ReadFile(f.File("eggs.csv")), "the user's own data\n");
  EXPECT_EQ(Entries(f.folder),
            (std::set<std::string>{"Quake.dat", "Quake.inf", "Quake_lpvar_dft.dat", "eggs.csv",
                                   "Quake.x", ".Other.dat.pending", "Quake.pending",
                                   ".eggs.csv.pending.txt", ".eggs.csv.pending"}));

  OutputFileSet second;
  EXPECT_EQ(second.Begin(f.folder, "Quake"),
            "The results of Quake are being written by another run");
  // A lock released within the wait (as when a child process held a copy of
  // the folder's descriptor until it ran its program) is taken.
  std::thread release([&set] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    set.Discard();
  });
  EXPECT_EQ(second.Begin(f.folder, "Quake"), std::nullopt);
  release.join();
  // A path that leads to the folder another way names a file of the set;
  // outside the folder or in a folder's place, no file is opened.
  OutputFile file;
  const std::string folderName = std::filesystem::path(f.folder).parent_path().filename();
  EXPECT_TRUE(second.Open(file, f.folder + "../" + folderName + "/./Quake.gp", "w"));
  file.Close();
  EXPECT_TRUE(FileExists(PendingPath(f.File("Quake.gp"))));
  EXPECT_FALSE(second.Open(file, f.dir.File("../Quake.dat"), "w"));
  EXPECT_FALSE(second.Open(file, f.File("sub/Quake.dat"), "w"));
  ASSERT_EQ(mkdir(f.File("sub").c_str(), 0755), 0);
  EXPECT_FALSE(second.Open(file, f.File("sub/Quake.dat"), "w"));
  EXPECT_FALSE(second.Open(file, f.File("sub"), "w"));
}

}  // namespace
}  // namespace corvane
