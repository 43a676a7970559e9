#include "app/shard_merge.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <map>
#include <set>

#include "core/data_name.h"
#include "core/output_file.h"
#include "core/output_file_append.h"
#include "core/paths.h"
#include "core/shard_journal.h"
#include "output/csv_table.h"

namespace corvane {
namespace {

// The shard counts of the journals in root, each with the shards found.
std::optional<std::string> FindJournals(const std::string& root,
                                        std::map<int, std::set<int>>& found) {
  DIR* folder = opendir(root.c_str());
  if (folder == nullptr) return "Cannot open the folder " + root + ": " + ErrorText(errno);
  while (const dirent* entry = readdir(folder)) {
    int index = 0;
    int count = 0;
    char tail = 0;
    if (std::sscanf(entry->d_name, "shard-%d-of-%d.journa%c", &index, &count, &tail) == 3 &&
        tail == 'l' && index >= 1 && count >= index &&
        entry->d_name == ShardJournalName({index, count})) {
      found[count].insert(index);
    }
  }
  closedir(folder);
  return std::nullopt;
}

// A table name a journal may write into: one of the root's tables.
bool IsMergeableTable(const std::string& name) {
  return !name.empty() && name.find('/') == std::string::npos && name[0] != '.' &&
         IsRootTableName(name);
}

}  // namespace

MergeOutcome MergeShardTables(const std::string& rootText) {
  MergeOutcome outcome;
  const std::string root = WithSeparator(rootText);
  std::map<int, std::set<int>> found;
  if (auto failure = FindJournals(root, found)) {
    outcome.message = *failure;
    return outcome;
  }
  if (found.empty()) {
    outcome.message = "There are no shard journals (shard-K-of-N.journal) in " + root;
    return outcome;
  }
  if (found.size() > 1) {
    outcome.message = "The journals in " + root + " belong to batches of different shard counts (";
    for (const auto& [count, shards] : found) {
      outcome.message +=
          (count == found.begin()->first ? "" : ", ") + std::string("of ") + std::to_string(count);
    }
    outcome.message += "): move away those of the other batches first";
    return outcome;
  }
  const int count = found.begin()->first;
  std::vector<JournalUnit> units;
  for (int index = 1; index <= count; ++index) {
    const std::string path = root + ShardJournalName({index, count});
    if (found.begin()->second.count(index) == 0) {
      outcome.message = path + " is missing: shard " + std::to_string(index) + " of " +
                        std::to_string(count) + " has not run into this output root";
      return outcome;
    }
    ShardJournal journal;
    if (auto failure = ReadShardJournal(path, journal)) {
      outcome.message = *failure;
      return outcome;
    }
    if (journal.shard.index != index || journal.shard.count != count) {
      outcome.message = path + ": it is the journal of shard " +
                        std::to_string(journal.shard.index) + " of " +
                        std::to_string(journal.shard.count);
      return outcome;
    }
    if (!journal.ended) {
      outcome.message = path + " does not end: shard " + std::to_string(index) +
                        " was stopped or cut short; run it again";
      return outcome;
    }
    for (JournalUnit& unit : journal.units) {
      if ((unit.item - index) % count != 0 || !IsMergeableTable(unit.name) ||
          (unit.kind == 'c' && unit.text.heading.empty())) {
        outcome.message = path + ": not a complete shard journal (a unit of item " +
                          std::to_string(unit.item) + " for \"" + unit.name + "\")";
        return outcome;
      }
      units.push_back(std::move(unit));
    }
    outcome.items += journal.items;
  }
  // Each item belongs to one shard, whose units are in the order made.
  std::stable_sort(units.begin(), units.end(),
                   [](const JournalUnit& a, const JournalUnit& b) { return a.item < b.item; });

  std::vector<std::string> names;
  for (const JournalUnit& unit : units) {
    if (std::find(names.begin(), names.end(), unit.name) == names.end()) names.push_back(unit.name);
  }
  for (const std::string& name : names) {
    struct stat info {};
    if (lstat((root + name).c_str(), &info) == 0) {
      outcome.message = root + name +
                        " exists already: the shards' tables are joined into new tables; move "
                        "it away first";
      return outcome;
    }
  }
  auto pending = [&root](const std::string& name) { return root + "." + name + ".merging"; };
  auto discard = [&] {
    for (const std::string& name : names) unlink(pending(name).c_str());
  };
  discard();
  for (const JournalUnit& unit : units) {
    const std::string target = pending(unit.name);
    std::optional<std::string> failure =
        unit.kind == 'c' ? AppendCsvRecords(target, unit.text.heading, {unit.text.text})
                         : AppendToTable(target, unit.text);
    if (failure) {
      discard();
      outcome.message = "The shards' tables were not joined: " + *failure;
      return outcome;
    }
  }
  for (const std::string& name : names) {
    if (std::rename(pending(name).c_str(), (root + name).c_str()) != 0) {
      outcome.message =
          "The shards' tables were not all joined: " + root + name + ": " + ErrorText(errno);
      discard();
      return outcome;
    }
    outcome.written.push_back(root + name);
  }
  outcome.shards = count;
  outcome.merged = true;
  return outcome;
}

}  // namespace corvane
