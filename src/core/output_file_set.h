// The result files of one run, written whole or not at all.
//
// Between Begin and Commit, every file of the run (data, script,
// information, statistics, spectra, echo and sound files) is written under a
// pending name in the run's folder, ".<file name>.pending", and the files it
// replaces stay untouched. Commit moves the pending files into place;
// Discard (also on destruction) removes them. A Stop or a failure therefore
// leaves the earlier files as they were, and a kill leaves at most pending
// files, which the next Begin for that folder and name removes.
//
// Commit first writes a commit record, ".<data name>.commit", listing the
// files of the set, and only then renames them into place, in the order they
// were first opened with the one named by CommitLast (the information file)
// last; the record is removed when every file is in place. A kill between
// two renames leaves the record, and the next Begin for the folder and name
// (the next run of that name, or a display of it) completes the renames
// before anything is read or written. So whoever comes through Begin sees the
// earlier set or the new one, never a mix. (Files of a kind the new run does
// not write, such as an earlier run's statistics table, are left as they
// are.)
//
// Begin locks the folder (flock) until Commit or Discard, so that two runs
// of one name never interleave their sets; a second Begin is refused after
// trying the lock for two seconds (a lock can outlive its set briefly, held
// by a child process another thread is starting) rather than kept waiting. The user's own files in
// the folder are never touched: only pending files of this name and the record are.
//
// Tables that many runs append to (the output root's summary and spectrum
// tables) cannot be swapped whole. AddToTable keeps their text until Commit,
// which appends each table's text as one all-or-nothing unit
// (output_file_append.h) once the set is in place; a run that is not
// committed adds nothing to them.
//
// A batch item's set hands its table texts to the item's output instead
// (SetItemOutput, item_output.h), which writes them in item order.
//
// A set that has not begun writes in place: Open opens the final file, Finish
// closes it and AddToTable appends at once. That is how the writers behave
// when they are called outside a run's results step.
//
// One thread uses a set at a time.
#pragma once

#include <sys/stat.h>

#include <optional>
#include <string>
#include <vector>

#include "core/file_descriptor.h"
#include "core/item_output.h"
#include "core/output_file.h"
#include "core/output_file_append.h"

namespace corvane {

class OutputFileSet {
 public:
  OutputFileSet() = default;
  ~OutputFileSet() { Discard(); }
  OutputFileSet(const OutputFileSet&) = delete;
  OutputFileSet& operator=(const OutputFileSet&) = delete;

  // Starts the set of the run `name` in `directory` (ending with a
  // separator): locks the folder, completes an earlier set whose renames
  // were cut short, and removes pending files of one that never committed.
  // Returns the message that refuses the set, or nullopt once it has begun.
  std::optional<std::string> Begin(const std::string& directory, const std::string& name);
  bool Active() const { return active_; }

  // Opens file as the new content of finalPath, a file of the set's folder
  // (named by any path that leads there).
  // A mode of "w" or "wb" starts it empty; "a" starts it as a copy of the
  // present final file (for files that collect every run's output) and
  // appends from there; opening the same file again in one set goes on with
  // its pending file. False when it cannot be opened (also when finalPath is
  // a folder); the file then never counts as complete.
  bool Open(OutputFile& file, const std::string& finalPath, const char* mode);
  // Closes file. True when everything written reached the disk, which makes
  // it complete; a set is committed only when all its files are.
  bool Finish(OutputFile& file);
  // The file that Commit moves into place after all others.
  void CommitLast(const std::string& finalPath) { last_ = finalPath; }

  // Appends text to the shared table at path at Commit (at once when the set
  // has not begun). A failure is told as `failure` followed by the reason;
  // AddToTable returns it when it appended at once.
  std::optional<std::string> AddToTable(const std::string& path, const TableText& text,
                                        const std::string& failure);

  struct Outcome {
    bool committed = false;             // the new files are in place
    std::vector<std::string> failures;  // messages of what went wrong
  };
  // Moves the files into place, then appends the tables' texts. Ends the set.
  Outcome Commit();
  // Removes the pending files and forgets the tables' texts. Ends the set.
  void Discard();

  // Where the tables' texts go at Commit (nullptr: appended at once).
  void SetItemOutput(ItemOutput* output) { item_output_ = output; }
  // Whether the table at path can take this set's text (CheckTable of
  // output_file_append.h, on the file the text goes to).
  std::optional<std::string> CheckTable(const std::string& path) const {
    return corvane::CheckTable(item_output_ != nullptr ? item_output_->TablePath(path) : path);
  }

 private:
  struct Entry {
    std::string finalPath;
    std::string pendingPath;
    bool complete = false;
  };
  struct Table {
    std::string path;
    TableText text;
    std::string failure;
  };

  // Whether path names a file directly in the set's folder (by whatever
  // path: relative, absolute, through links).
  bool InFolder(const std::string& path) const;
  std::optional<std::string> CompleteEarlierCommit() const;
  void RemoveUnfinishedFiles() const;
  std::optional<std::string> WriteRecord() const;
  void End();

  std::string directory_;
  std::string name_;
  std::string last_;
  FileDescriptor lock_;    // the folder, flocked while the set is active
  struct stat folder_ {};  // the folder's device and inode
  bool active_ = false;
  std::vector<Entry> entries_;
  std::vector<Table> tables_;
  ItemOutput* item_output_ = nullptr;

  // Appends a table's text now, or hands it to the item's output.
  std::optional<std::string> AppendTable(const Table& table) const;
};

// The pending name of a final file: ".<file name>.pending" beside it.
std::string PendingPath(const std::string& finalPath);

}  // namespace corvane
