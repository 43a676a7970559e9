// Reads a gzip-compressed egg data file that a remote run received: inflates
// and parses it in one pass, and keeps the inflated text only when the run
// keeps its remote input.
//
// InflateDataFile(context, compressedPath, index, files) returns the parsed
// file (as ParseEggFile gives it, for the readers' ParsedInputs). With
// settings.saveRemoteInput the text is also written, as it is inflated, to
// InflatedFileName: D + data name + ".csv" for index 0, else D + data name
// + "_" + (index + 1) + ".csv", where D is the remote save directory, or the
// root directory when that is empty; only once the whole text was written
// and checked is it named in files[index] (files grows to hold the entry).
// Otherwise nothing is written and files is left as it is.
//
// It posts the status "Uncompressing data file" and logs its steps, in this
// order: "Opened compressed file", "Inflated data", "Uncompressed data
// written to file" (when it keeps the text), then "Zip file closing success"
// or "Could not close zip file". A kept file is created with the permissions
// the user's umask gives any new file.
//
// A text whose first word is exactly "<html>" is a message page from the
// data server, not data: it logs "Received message instead of data from
// remote server" and, unless in batch mode, shows "<data name>: Failed to
// receive data from server" in a box with the program's name as caption.
//
// Returns nullptr, with files[index] unchanged and nothing left under the
// output name or beside it, for a file that cannot be opened or is not gzip
// data, a damaged or truncated stream (its check sum at the end included), a
// stream that holds no bytes, a message page, a text that cannot be written
// completely, and after a stop (the abort flag is tested as the text is
// parsed). The inflated text may not exceed kMaxInflatedBytes, and no line
// that the parse reads may be longer than LineReader::kMaxLineLength;
// reading stops at either. Reporting the failure as a run error and ending
// the run is the caller's part: when failure is given it receives the
// message for the failures that need their own words, and stays empty for
// the others, for which "Unable to open %s for input" (or the caller's own
// text) fits:
//   "Unable to open %s for input: it is a FIFO" (or a directory, a device);
//   "%s is too large: its data exceed %lld bytes when inflated";
//   "%s is not a proper data file for analysis: line %lld is longer than %zu
//     bytes" (these three name the compressed file);
//   "Failed to write %s: %s" with the output name and the system's reason
//     ("No space left on device").
// Throws std::bad_alloc when the records do not fit in memory.
#pragma once

#include <memory>
#include <string>

#include "core/day_segments.h"
#include "core/run_context.h"
#include "input/parsed_egg_file.h"

namespace corvane {

std::shared_ptr<const ParsedEggFile> InflateDataFile(RunContext& context,
                                                     const std::string& compressedPath, int index,
                                                     SegmentFileList& files,
                                                     std::string* failure = nullptr);

// The output name InflateDataFile uses for the entry when it keeps the text.
std::string InflatedFileName(const AnalysisSettings& settings, int index);

}  // namespace corvane
