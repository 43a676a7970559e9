// ItemOutput: what one batch item writes into files that other items share,
// the progress log and the output root's tables (summary, spectrum and
// results tables), kept in item order although items may run side by side.
//
// The batch gives every item an ItemOutput. While an earlier item is still
// open, the item's lines and table units are kept in memory in the order it
// made them; once the batch makes the item live (it is then the oldest open
// item), what was kept is written out and everything after is written at
// once. So the shared files read exactly as if the items had run one after
// another. An item that is live from the start writes as a run without a
// batch does.
//
// Shards: an item of one shard of a batch (ShardSpec) writes each table
// unit to the shard's own table ("summary.tst" becomes "summary-2-of-4.tst")
// and records it, with its item number, in the shard's journal in that
// folder (shard_journal.h), from which the shards' tables are joined into
// the single ones.
//
// Thread-safe: the job's thread adds, the form's thread makes it live.
#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/output_file_append.h"
#include "core/progress_log.h"

namespace corvane {

// Shard `index` (1 for the first) of `count`; count 0 means no sharding.
struct ShardSpec {
  int index = 0;
  int count = 0;
  bool Active() const { return count > 0; }
};

class ItemOutput : public LogSink {
 public:
  // item: 1 for the batch's first item.
  ItemOutput(int item, ShardSpec shard, bool live) : item_(item), shard_(shard), live_(live) {}

  // A line of the progress log.
  void Log(const std::string& text) override;

  // A unit of the table at path (a folder and a table name). The message
  // `failurePrefix` + reason + `failureSuffix` when it was written at once
  // and failed; nullopt otherwise (failures of kept units come from GoLive).
  std::optional<std::string> AddTable(const std::string& path, const TableText& text,
                                      const std::string& failurePrefix,
                                      const std::string& failureSuffix = "");
  // A record of the comma-separated table at path with its header record,
  // appended by `append` (which names the file in its message).
  using RecordAppender = std::optional<std::string> (*)(const std::string& path,
                                                        const std::string& header,
                                                        const std::vector<std::string>& records);
  std::optional<std::string> AddRecord(const std::string& path, const std::string& header,
                                       const std::string& record, RecordAppender append);

  // Writes what was kept; from now on everything is written at once. The
  // messages of the units that could not be written.
  std::vector<std::string> GoLive();

  int item() const { return item_; }
  // The file a unit of the table at path goes to: the shard's own table.
  std::string TablePath(const std::string& path) const;
  // A unit did not reach the shard's journal: joining the shards would miss it.
  bool JournalFailed() {
    std::lock_guard<std::mutex> lock(mutex_);
    return journal_failed_;
  }

 private:
  struct Entry {
    enum class Kind { kLog, kTable, kRecord } kind;
    std::string path;
    TableText text;  // kRecord: text is the record, heading the header
    std::string failurePrefix, failureSuffix;
    RecordAppender append = nullptr;
  };
  std::optional<std::string> Write(const Entry& entry);

  const int item_;
  const ShardSpec shard_;
  std::mutex mutex_;
  bool live_;                    // guarded by mutex_
  std::vector<Entry> kept_;      // guarded by mutex_; in the order made
  bool journal_failed_ = false;  // guarded by mutex_
};

}  // namespace corvane
