// Joining the tables of a batch's shards: every shard K of N of a batch
// leaves its journal "shard-K-of-N.journal" in the output root
// (core/shard_journal.h); MergeShardTables replays the units of all N
// journals in item order into the root's summary.tst, results.csv and
// spectrum tables, so that they read exactly as after one run of the whole
// batch.
//
// Refused, with a message naming the file, when a shard's journal is
// missing, damaged, not ended (the shard was stopped or killed), or of
// another shard count, and when a table to be written exists already (the
// tables are written afresh, not added to). The tables appear whole or not
// at all: they are written under pending names and renamed into place.
#pragma once

#include <string>
#include <vector>

namespace corvane {

struct MergeOutcome {
  bool merged = false;
  std::string message;  // the refusal or failure; empty after a merge
  int shards = 0;
  int items = 0;                     // the items the shards took up
  std::vector<std::string> written;  // the tables written, full paths
};

MergeOutcome MergeShardTables(const std::string& root);

}  // namespace corvane
