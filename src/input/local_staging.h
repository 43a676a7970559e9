// Local input of a run: the input file of every day segment, and the run's
// output directory.
//
// ProcessLocalFiles names one file per segment in files, from the local egg
// file P (settings.localEggFile): entry 0 is P, entry i is B + "_" + (i + 1)
// + E, where E is the text from the last "." of P's file name on (a "." in a
// folder name does not count) and B the text before it. Files ending in
// ".gz" are inflated into the temporary directory ("data.csv", "data_2.csv",
// ...) and their entries name the inflated text. Then inputFileCount is the
// segment count and the log line "Process local file(s)" is written. No
// file's existence is tested, except that a compressed file must inflate: one
// that cannot (missing, damaged, empty) is reported as the run error "Unable
// to open %s for input", or with InflateDataFile's own message for a file
// that is not a regular file, one over its bounds and an inflated text that
// cannot be written (a full temporary directory); that sets the abort flag
// and makes the function return false (the run must end). Returns true
// otherwise.
//
// EnsureOutputDirectory makes sure settings.outputDirectory exists, creating
// its last level when needed (never the levels above it). The process's
// current directory is not changed: results are written by absolute path.
// On failure the message "Failed to create directory %s" (or "Failed to
// change to directory %s" for a directory that cannot be entered and
// written) goes to the progress log and to ShowMessage, and it returns false.
#pragma once

#include <string>

#include "core/day_segments.h"
#include "core/run_context.h"

namespace corvane {

bool ProcessLocalFiles(RunContext& context, int segmentCount, SegmentFileList& files,
                       int& inputFileCount);

// The name of entry index for the local egg file (before any inflation).
std::string LocalFileName(const std::string& localEggFile, int index);

bool EnsureOutputDirectory(RunContext& context);

}  // namespace corvane
