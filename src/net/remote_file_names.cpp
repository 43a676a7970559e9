#include "net/remote_file_names.h"

#include "core/c_format.h"

namespace corvane {

std::string DownloadFileName(const std::string& tempDirectory) {
  return tempDirectory + "data.txt.gz";
}

std::string StagedDownloadFileName(const std::string& tempDirectory, int index) {
  return CFormat("%sdata_%d.txt.gz", tempDirectory.c_str(), index + 1);
}

std::string RemoteSaveDirectory(const AnalysisSettings& settings) {
  return settings.remoteSaveDirectory.empty() ? settings.rootDirectory
                                              : settings.remoteSaveDirectory;
}

std::string KeptCompressedFileName(const AnalysisSettings& settings, int index) {
  const std::string directory = RemoteSaveDirectory(settings);
  if (index == 0) return CFormat("%s%s.gz", directory.c_str(), settings.dataName.c_str());
  return CFormat("%s%s_%d.gz", directory.c_str(), settings.dataName.c_str(), index + 1);
}

}  // namespace corvane
