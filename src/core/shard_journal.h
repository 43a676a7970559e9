// The journal of one shard of a batch in an output root,
// "shard-K-of-N.journal": every unit the shard's items added to the root's
// tables, with the item that added it, so that the shards' tables can be
// joined into the tables one run of the whole batch writes.
//
// Text with byte counts, so that any table text passes unchanged:
//
//   corvane shard journal 1
//   shard K of N
//   unit ITEM KIND NAME-BYTES HEADING-BYTES HEADING-LINE-BYTES TEXT-BYTES
//   <name><heading><heading line><text>
//   ...
//   end ITEMS
//
// KIND is "t" for a unit of a text table (output_file_append.h) and "c" for
// a record of a comma-separated table (the heading is its header record).
// "end" is written when the shard's batch ran to its end; a journal without
// it belongs to a shard that was stopped or killed.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/item_output.h"
#include "core/output_file_append.h"

namespace corvane {

// "summary.tst" of shard 2 of 4 is "summary-2-of-4.tst".
std::string ShardTableName(const std::string& name, ShardSpec shard);
// "shard-2-of-4.journal".
std::string ShardJournalName(ShardSpec shard);

// Starts the shard's journal in folder afresh (a shard run again replaces
// its journal). The message naming the file when it cannot be written.
std::optional<std::string> StartShardJournal(const std::string& folder, ShardSpec shard);
// Adds one unit; the reason naming the file when it could not be added.
std::optional<std::string> AddJournalUnit(const std::string& folder, ShardSpec shard, int item,
                                          char kind, const std::string& name,
                                          const TableText& text);
// Marks the journal complete: the shard took up `items` items.
std::optional<std::string> EndShardJournal(const std::string& folder, ShardSpec shard, int items);

struct JournalUnit {
  int item = 0;
  char kind = 't';
  std::string name;
  TableText text;
};

struct ShardJournal {
  ShardSpec shard;
  bool ended = false;
  int items = 0;
  std::vector<JournalUnit> units;
};

// Reads a journal (a regular file of at most kJournalLimit bytes). The
// message naming the file when it is missing, too large or damaged.
inline constexpr long long kJournalLimit = 1LL << 30;
std::optional<std::string> ReadShardJournal(const std::string& path, ShardJournal& journal);

}  // namespace corvane
