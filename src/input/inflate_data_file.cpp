#include "input/inflate_data_file.h"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string_view>
#include <vector>

#include "core/c_format.h"
#include "core/output_file.h"
#include "input/gz_file.h"

namespace corvane {
namespace {

constexpr size_t kChunkSize = size_t{1} << 20;
constexpr std::string_view kMessagePageWord = "<html>";

// Finds the first word of the text while it streams past in chunks.
class FirstWord {
 public:
  void Feed(std::string_view chunk) {
    for (char c : chunk) {
      if (done_) return;
      if (IsAsciiSpace(c)) {
        done_ = started_;
      } else {
        started_ = true;
        // Only whether the word is exactly the tag matters: keep one
        // character more than the tag to tell a longer word apart.
        if (word_.size() <= kMessagePageWord.size()) word_ += c;
      }
    }
  }
  bool IsMessagePage() const { return word_ == kMessagePageWord; }

 private:
  std::string word_;
  bool started_ = false;
  bool done_ = false;
};

// Creates a new file beside target under a name no other file has, with the
// permissions the user's umask gives any new file (a kept data file must be
// as readable as the others). Returns the descriptor, or -1.
int CreateSibling(const std::string& target, std::string& path) {
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    path = target + CFormat(".%08x", static_cast<unsigned>(random()));
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// A file in the output's directory that becomes the output only on Commit;
// otherwise it is removed.
class PendingFile {
 public:
  explicit PendingFile(const std::string& target) : target_(target) {
    const int fd = CreateSibling(target, path_);
    if (fd < 0) {
      path_.clear();
      return;
    }
    close(fd);
    file_.Open(path_, "wb");
  }
  ~PendingFile() {
    if (!path_.empty()) std::remove(path_.c_str());
  }
  bool IsOpen() const { return file_.IsOpen(); }
  bool Write(std::string_view bytes) { return file_.Write(bytes); }
  bool Close() { return file_.Close(); }
  bool Commit() {
    if (std::rename(path_.c_str(), target_.c_str()) != 0) return false;
    path_.clear();
    return true;
  }

 private:
  std::string target_;
  std::string path_;
  OutputFile file_;
};

}  // namespace

std::string InflatedFileName(const AnalysisSettings& settings, int index) {
  if (settings.saveRemoteInput) {
    const std::string& directory = settings.remoteSaveDirectory.empty()
                                       ? settings.rootDirectory
                                       : settings.remoteSaveDirectory;
    if (index == 0) return CFormat("%s%s.csv", directory.c_str(), settings.dataName.c_str());
    return CFormat("%s%s_%d.csv", directory.c_str(), settings.dataName.c_str(), index + 1);
  }
  if (index == 0) return CFormat("%sdata.csv", settings.tempDirectory.c_str());
  return CFormat("%sdata_%d.csv", settings.tempDirectory.c_str(), index + 1);
}

bool InflateDataFile(RunContext& context, const std::string& compressedPath, int index,
                     SegmentFileList& files) {
  if (index < 0) return false;
  GzFile gz;
  if (!gz.OpenForReading(compressedPath)) return false;
  context.LogLine("Opened compressed file");
  context.PostStatus("Uncompressing data file");

  const std::string target = InflatedFileName(context.settings, index);
  PendingFile output(target);
  std::vector<char> chunk(kChunkSize);
  FirstWord first_word;
  std::int64_t total = 0;
  bool stream_ok = true;
  bool write_ok = output.IsOpen();
  for (;;) {
    const long got = gz.Read(chunk.data(), chunk.size());
    if (got <= 0) {
      stream_ok = got == 0;
      break;
    }
    const std::string_view bytes(chunk.data(), static_cast<size_t>(got));
    first_word.Feed(bytes);
    if (write_ok) write_ok = output.Write(bytes);
    total += got;
  }
  context.LogLine("Inflated data");
  if (!output.Close()) write_ok = false;

  bool success = false;
  if (stream_ok && total > 0 && first_word.IsMessagePage()) {
    context.LogLine("Received message instead of data from remote server");
    if (!context.settings.batchMode) {
      context.ShowMessage(
          CFormat("%s: Failed to receive data from server", context.settings.dataName.c_str()),
          std::nullopt);
    }
  } else if (stream_ok && total > 0) {
    success = write_ok;
    context.LogLine(write_ok ? std::string("Uncompressed data written to file")
                             : CFormat("Could not write %s", target.c_str()));
  } else {
    context.LogLine(
        CFormat(stream_ok ? "Compressed file %s holds no data" : "Compressed file %s is damaged",
                compressedPath.c_str()));
  }

  if (gz.Close()) {
    context.LogLine("Zip file closing success");
  } else {
    context.LogLine("Could not close zip file");
    success = false;
  }
  if (!success) return false;
  if (!output.Commit()) {
    context.LogLine(CFormat("Could not write %s", target.c_str()));
    return false;
  }
  if (static_cast<size_t>(index) >= files.size()) files.resize(static_cast<size_t>(index) + 1);
  files[static_cast<size_t>(index)] = target;
  return true;
}

}  // namespace corvane
