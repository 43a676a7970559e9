#include "net/segment_download.h"

#include <cstddef>
#include <cstdio>
#include <new>

#include "core/c_format.h"
#include "input/egg_file_reader.h"
#include "input/inflate_data_file.h"
#include "net/download_check.h"
#include "net/file_move.h"
#include "net/remote_file_names.h"
#include "net/request_url.h"

namespace corvane {
namespace {

std::nullptr_t EndRun(RunContext& context, const std::string& download,
                      const std::string& message) {
  std::remove(download.c_str());
  context.RunError(message);
  context.Abort();
  return nullptr;
}

void Name(SegmentFileList& files, int index, const std::string& path) {
  if (static_cast<size_t>(index) >= files.size()) files.resize(static_cast<size_t>(index) + 1);
  files[static_cast<size_t>(index)] = path;
}

}  // namespace

std::shared_ptr<const ParsedEggFile> FinishSegmentDownload(RunContext& context, int index,
                                                           const DaySegment& segment,
                                                           SegmentFileList& files,
                                                           const std::string& download) {
  const AnalysisSettings& settings = context.settings;
  const std::string day = SegmentDateText(segment);
  const bool keep_compressed = settings.saveRemoteInput && settings.saveCompressed;

  switch (InspectDownload(download, keep_compressed)) {
    case DownloadContent::kMessagePage:
      context.LogLine("Received message instead of data from remote server");
      return EndRun(context, download, "No data received for " + day);
    case DownloadContent::kEmpty:
      return EndRun(context, download, "No data received for " + day);
    case DownloadContent::kDamaged:
      return EndRun(context, download, "Damaged data received for " + day);
    case DownloadContent::kData:
      break;
  }

  if (keep_compressed) {
    const std::string target = KeptCompressedFileName(settings, index);
    std::string error;
    if (!MoveFileReplacing(download, target, &error)) {
      context.LogLine("Compressed data file not moved");
      context.LogLine(error);
      return EndRun(context, download,
                    CFormat("Compressed data file not moved from %s to %s (%s)", download.c_str(),
                            target.c_str(), error.c_str()));
    }
    Name(files, index, target);
    context.LogLine("Compressed data file moved");
    // Read now, while the next day downloads, rather than after the last.
    return ParseDataFile(context, target);
  }

  std::string refusal;
  std::shared_ptr<const ParsedEggFile> parsed;
  try {
    parsed = InflateDataFile(context, download, index, files, &refusal);
  } catch (const std::bad_alloc&) {
    refusal = "Failed to allocate memory";
  }
  std::string failure;
  if (parsed == nullptr && !refusal.empty()) {
    failure = "Data received for " + day + " refused: " + refusal;  // over a bound, or no space
  } else if (parsed == nullptr) {
    failure = "Damaged data received for " + day;  // the stream breaks after its beginning
  }
  context.LogLine(std::remove(download.c_str()) == 0 ? "Deleted temp file"
                                                     : "Could not delete temp file");
  if (parsed != nullptr) return parsed;
  // A stop while the day was read is no fault of the day.
  if (context.Aborted()) return nullptr;
  return EndRun(context, download, failure);
}

}  // namespace corvane
