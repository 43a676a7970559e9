// FinishSegmentDownload: turns the finished download of one day segment
// (the file `download`, in the temporary directory) into that segment's
// input file.
//
//  - Save remote input and save compressed both on: the download, checked
//    to be complete gzip data, is moved to KeptCompressedFileName (also
//    across file systems); files[index] names it. A move that fails logs
//    "Compressed data file not moved" and reports the run error
//    "Compressed data file not moved from %s to %s (<reason>)".
//  - Otherwise the download is inflated (InflateDataFile) to
//    InflatedFileName; files[index] names the text. The download is deleted
//    afterwards ("Deleted temp file" or "Could not delete temp file").
//  - A day for which the server sent its message page (compressed or not)
//    or an empty stream is not data: the run error "No data received for
//    yyyy-mm-dd" (logged "Received message instead of data from remote
//    server" for a page). A damaged download gives "Damaged data received
//    for yyyy-mm-dd"; a day that InflateDataFile refuses with a reason (over
//    its bounds, or no space to write it) "Data received for yyyy-mm-dd
//    refused: <reason>"; a text that cannot be written otherwise "Could not
//    write the data received for yyyy-mm-dd to <file>". Nothing of such a
//    day is named in files, and the download is deleted.
//
// Returns true when files[index] names the complete input of the segment;
// false after reporting the run error and setting the abort flag. The caller
// moves the run on (input file count and next segment = index + 1).
#pragma once

#include <string>

#include "core/day_segments.h"
#include "core/run_context.h"

namespace corvane {

bool FinishSegmentDownload(RunContext& context, int index, const DaySegment& segment,
                           SegmentFileList& files, const std::string& download);

}  // namespace corvane
