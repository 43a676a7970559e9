// Inflates a gzip-compressed egg data file for the reader.
//
// InflateDataFile(context, compressedPath, index, files) decompresses the
// file and, only once the whole text was written and checked, names it in
// files[index] (files grows to hold the entry when needed). The text goes to
//   with settings.saveRemoteInput: D + data name + ".csv" for index 0, else
//     D + data name + "_" + (index + 1) + ".csv", where D is the remote save
//     directory, or the root directory when that is empty;
//   otherwise: the temporary directory's "data.csv" for index 0, else
//     "data_" + (index + 1) + ".csv".
// It posts the status "Uncompressing data file" and logs its steps, in this
// order: "Opened compressed file", "Inflated data", "Uncompressed data
// written to file", then "Zip file closing success" or "Could not close zip
// file". The output file is created with the permissions the user's umask
// gives any new file.
//
// A text whose first word is exactly "<html>" is a message page from the
// data server, not data: it logs "Received message instead of data from
// remote server" and, unless in batch mode, shows "<data name>: Failed to
// receive data from server" in a box with the program's name as caption.
//
// Returns false, with files[index] unchanged and nothing written under the
// output name, for a file that cannot be opened or is not gzip data, a
// damaged or truncated stream, a stream that holds no bytes, a message page,
// or an output file that cannot be written completely. Reporting that as a
// run error and ending the run is the caller's part.
#pragma once

#include <string>

#include "core/day_segments.h"
#include "core/run_context.h"

namespace corvane {

bool InflateDataFile(RunContext& context, const std::string& compressedPath, int index,
                     SegmentFileList& files);

// The output name InflateDataFile uses for the entry.
std::string InflatedFileName(const AnalysisSettings& settings, int index);

}  // namespace corvane
