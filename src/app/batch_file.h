// Reading a batch file (".ebb") into batch items.
//
// A batch file is plain text, one line at a time (LF or CR LF line ends; a
// last line without a line end counts as if it had one), lines of any
// length. Lines shorter than 10 characters with their line end and blank
// lines are skipped, lines beginning with "#" are comments, lines whose
// first word is a keyword set values for the item being collected and for
// every later item (LocalEggFile: this item only), and any other line is a
// data record that completes an item:
//   name start-date start-time stop-date stop-time [event-date event-time [hours]]
//
// Reading stops, keeping the items completed so far, at the first line it
// refuses: a record of 40 characters or fewer or whose start date begins
// with a letter, a record text over its capacity (name 99, a date and time
// joined 39 characters) or an event duration that is not a number ("Invalid
// batch file record:\n" and the line), a keyword argument that is not a 0/1
// flag, a whole number, a number or a text of at most 199 characters where
// one is needed, or a keyword value outside its range ("Invalid batch file
// line:\n", the line and the reason). A line is shown in a message up to its
// first 4096 characters. At most 5000 items are read.
#pragma once

#include <string>
#include <vector>

#include "app/batch_item.h"

namespace corvane {

inline constexpr int kMaxBatchItems = 5000;

struct BatchFile {
  bool opened = false;                // false: nothing was read and nothing changes
  int count = -1;                     // items read; -1 when none could be read at all
  std::vector<BatchItem> items;       // the complete items, in file order
  BatchItem form;                     // the form's request values after reading
  std::vector<std::string> messages;  // to be shown in order, without caption
};

// Reads the file. form holds the form's request values before reading; the
// result's form holds them afterwards (cleared as a new batch begins, then
// changed by the keywords and records read).
BatchFile ReadBatchFile(const std::string& path, const BatchItem& form);

}  // namespace corvane
