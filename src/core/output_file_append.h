// All-or-nothing appends to a table that many runs share: the output root's
// summary table and spectrum tables. Such a table cannot be rewritten whole
// for every run, so each append is made safe on its own:
//
//  - the whole text of one append (a heading and its lines, or a run's lines)
//    is written as one unit, never split by a Stop;
//  - appends are serialised by an exclusive lock on the table (flock), also
//    between processes (sharded batches);
//  - before the unit is written, its starting size is noted in a journal
//    beside the table, ".<table name>.appending", which is removed once the
//    unit is complete. A unit that fails (a full disk) is cut off again at
//    once; one cut short by a kill is cut off by the next append to the
//    table, which finds the journal under the lock before it writes.
// So readers that come through AppendToTable see every unit whole or not at
// all, and every line of the table ends with its line feed.
//
// Only regular files are appended to: a table that is a FIFO, a device or a
// folder is refused without blocking.
#pragma once

#include <optional>
#include <string>

namespace corvane {

struct TableText {
  std::string text;         // whole lines, each ending in a line feed
  std::string heading;      // written before text while the table lacks headingLine
  std::string headingLine;  // one line of the heading, without its line feed
};

// Appends the text to the table at path, creating the table when it is
// missing. Returns nullopt when the unit was written, otherwise the reason
// ("<path>: No space left on device"); the table is then as it was. An empty
// unit writes nothing but still cuts off a unit that a kill left unfinished.
std::optional<std::string> AppendToTable(const std::string& path, const TableText& append);

// Whether the table at path can be appended to: opens it (creating it empty
// when missing) and checks that it is a regular file. The reason when not.
std::optional<std::string> CheckTable(const std::string& path);

}  // namespace corvane
