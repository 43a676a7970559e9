// Where a remote run's downloads lie on disk.
//
// Every segment and every retry downloads into the temporary directory's
// "data.txt.gz". A finished download is handed over under a name of its own,
// "data_" + (index + 1) + ".txt.gz" beside it, so that the next segment can
// download while it is inflated or moved. A download kept compressed (save remote input and save
// compressed both on) becomes D + data name + ".gz" for segment 0 and
// D + data name + "_" + (index + 1) + ".gz" for the later ones, where D is
// the remote save directory, or the output root directory when that is
// empty. The inflated names are InflatedFileName's (input/inflate_data_file.h).
#pragma once

#include <string>

#include "core/analysis_settings.h"

namespace corvane {

std::string DownloadFileName(const std::string& tempDirectory);
std::string StagedDownloadFileName(const std::string& tempDirectory, int index);

// D of the file comment.
std::string RemoteSaveDirectory(const AnalysisSettings& settings);

std::string KeptCompressedFileName(const AnalysisSettings& settings, int index);

}  // namespace corvane
