#include "input/local_staging.h"

#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>

#include "core/c_format.h"
#include "core/paths.h"
#include "input/inflate_data_file.h"

namespace corvane {
namespace {

constexpr std::string_view kCompressed = ".gz";

bool IsDirectory(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool FailDirectory(RunContext& context, const std::string& message) {
  context.LogLine(message);
  context.ShowMessage(message);
  return false;
}

}  // namespace

std::string LocalFileName(const std::string& localEggFile, int index) {
  if (index == 0) return localEggFile;
  return std::string(WithoutExtension(localEggFile)) + "_" + std::to_string(index + 1) +
         std::string(Extension(localEggFile));
}

bool ProcessLocalFiles(RunContext& context, int segmentCount, SegmentFileList& files,
                       int& inputFileCount) {
  const int count = std::max(segmentCount, 1);
  files.assign(static_cast<size_t>(count), std::string());
  // Inflated local input always goes to the temporary directory.
  context.settings.saveRemoteInput = false;
  const std::string& first = context.settings.localEggFile;
  const bool compressed = Extension(first) == kCompressed;
  for (int i = 0; i < count; ++i) {
    const std::string name = LocalFileName(first, i);
    if (!compressed) {
      files[static_cast<size_t>(i)] = name;
    } else if (std::string failure; !InflateDataFile(context, name, i, files, &failure)) {
      context.RunError(failure.empty() ? CFormat("Unable to open %s for input", name.c_str())
                                       : failure);
      context.Abort();
      return false;
    }
  }
  inputFileCount = count;
  context.LogLine("Process local file(s)");
  return true;
}

bool EnsureOutputDirectory(RunContext& context) {
  const std::string& directory = context.settings.outputDirectory;
  if (!IsDirectory(directory)) {
    if (directory.empty() || mkdir(directory.c_str(), 0777) != 0) {
      return FailDirectory(context, CFormat("Failed to create directory %s", directory.c_str()));
    }
  }
  if (access(directory.c_str(), W_OK | X_OK) != 0) {
    return FailDirectory(context, CFormat("Failed to change to directory %s", directory.c_str()));
  }
  return true;
}

}  // namespace corvane
