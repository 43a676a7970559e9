// FinishSegmentDownload: turns the finished download of one day segment
// (the file `download`, in the temporary directory) into that segment's
// input: its data, parsed, and the file the run keeps of it, if any.
//
//  - Save remote input and save compressed both on: the download, checked
//    to be complete gzip data, is moved to KeptCompressedFileName (also
//    across file systems); files[index] names it, and it is parsed from
//    there (ParseDataFile). A move that fails logs "Compressed data file
//    not moved" and reports the run error "Compressed data file not moved
//    from %s to %s (<reason>)".
//  - Otherwise the download is inflated and parsed in one pass
//    (InflateDataFile); with save remote input the text is kept under
//    InflatedFileName and files[index] names it, else nothing is written and
//    files[index] stays empty. The download is deleted afterwards ("Deleted
//    temp file" or "Could not delete temp file").
//  - A day for which the server sent its message page (compressed or not)
//    or an empty stream is not data: the run error "No data received for
//    yyyy-mm-dd" (logged "Received message instead of data from remote
//    server" for a page). A damaged download gives "Damaged data received
//    for yyyy-mm-dd"; a day that InflateDataFile refuses with a reason (over
//    its bounds, no space to keep it, no memory for it) "Data received for
//    yyyy-mm-dd refused: <reason>". Nothing of such a day is named in files
//    or kept, and the download is deleted.
//
// Returns the segment's parsed data, for the readers (ParsedInputs); nullptr
// after reporting the run error and setting the abort flag, or after a stop
// (the abort flag set, nothing reported). The caller moves the run on (input
// file count and next segment = index + 1).
#pragma once

#include <memory>
#include <string>

#include "core/day_segments.h"
#include "core/run_context.h"
#include "input/parsed_egg_file.h"

namespace corvane {

std::shared_ptr<const ParsedEggFile> FinishSegmentDownload(RunContext& context, int index,
                                                           const DaySegment& segment,
                                                           SegmentFileList& files,
                                                           const std::string& download);

}  // namespace corvane
