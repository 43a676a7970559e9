#include "input/inflate_data_file.h"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string_view>

#include "core/c_format.h"
#include "input/first_word.h"
#include "input/gz_file.h"
#include "input/line_reader.h"

namespace corvane {
namespace {

constexpr size_t kChunkSize = size_t{1} << 20;

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
// otherwise it is removed. The first failure's system error text is kept
// (a full disk says "No space left on device").
class PendingFile {
 public:
  explicit PendingFile(const std::string& target) : target_(target) {
    fd_ = CreateSibling(target, path_);
    if (fd_ < 0) {
      error_ = std::strerror(errno);
      path_.clear();
    }
  }
  ~PendingFile() {
    if (fd_ >= 0) close(fd_);
    if (!path_.empty()) std::remove(path_.c_str());
  }
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  bool Ok() const { return error_.empty(); }
  const std::string& Error() const { return error_; }

  bool Write(std::string_view bytes) {
    while (Ok() && !bytes.empty()) {
      const ssize_t put = write(fd_, bytes.data(), bytes.size());
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) {
        error_ = std::strerror(put < 0 ? errno : EIO);
      } else {
        bytes.remove_prefix(static_cast<size_t>(put));
      }
    }
    return Ok();
  }
  bool Close() {
    if (fd_ < 0) return Ok();
    const int status = close(fd_);
    fd_ = -1;
    if (status != 0 && Ok()) error_ = std::strerror(errno);
    return Ok();
  }
  bool Commit() {
    if (!Close() || std::rename(path_.c_str(), target_.c_str()) != 0) return false;
    path_.clear();
    return true;
  }

 private:
  std::string target_;
  std::string path_;
  int fd_ = -1;
  std::string error_;
};

// How the stream ended.
enum class Stream { kEnded, kDamaged, kTooLarge, kLineTooLong };

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
                     SegmentFileList& files, std::string* failure) {
  std::string ignored;
  std::string& why = failure != nullptr ? *failure : ignored;
  why.clear();
  if (index < 0) return false;
  GzFile gz;
  if (!gz.OpenForReading(compressedPath)) {
    if (!gz.NotRegular().empty()) {
      why = CFormat("Unable to open %s for input: %s", compressedPath.c_str(),
                    gz.NotRegular().c_str());
    }
    return false;
  }
  context.LogLine("Opened compressed file");
  context.PostStatus("Uncompressing data file");

  const std::string target = InflatedFileName(context.settings, index);
  PendingFile output(target);
  // Left uninitialised: a small stream touches only the pages it fills.
  const std::unique_ptr<char[]> chunk = std::make_unique_for_overwrite<char[]>(kChunkSize);
  FirstWord first_word;
  LineLimit lines;
  std::int64_t total = 0;
  Stream stream = Stream::kEnded;
  for (;;) {
    const long got = gz.Read(chunk.get(), kChunkSize);
    if (got <= 0) {
      if (got < 0) stream = Stream::kDamaged;
      break;
    }
    if (got > kMaxInflatedBytes - total) {
      stream = Stream::kTooLarge;
      break;
    }
    const std::string_view bytes(chunk.get(), static_cast<size_t>(got));
    first_word.Feed(bytes);
    // A message page is reported as such, whatever its lines.
    if (!lines.Feed(bytes) && !first_word.IsMessagePage()) {
      stream = Stream::kLineTooLong;
      break;
    }
    output.Write(bytes);
    total += got;
  }
  if (stream == Stream::kEnded && !lines.Finish() && !first_word.IsMessagePage()) {
    stream = Stream::kLineTooLong;
  }
  context.LogLine("Inflated data");
  output.Close();

  bool success = false;
  if (stream == Stream::kTooLarge) {
    why = CFormat("%s is too large: its data exceed %lld bytes when inflated",
                  compressedPath.c_str(), static_cast<long long>(kMaxInflatedBytes));
    context.LogLine(why);
  } else if (stream == Stream::kLineTooLong) {
    why = CFormat("%s is not a proper data file for analysis: line %lld is longer than %zu bytes",
                  compressedPath.c_str(), static_cast<long long>(lines.LongLine()),
                  LineReader::kMaxLineLength);
    context.LogLine(why);
  } else if (stream == Stream::kEnded && total > 0 && first_word.IsMessagePage()) {
    context.LogLine("Received message instead of data from remote server");
    if (!context.settings.batchMode) {
      context.ShowMessage(
          CFormat("%s: Failed to receive data from server", context.settings.dataName.c_str()),
          std::nullopt);
    }
  } else if (stream == Stream::kEnded && total > 0) {
    success = output.Ok();
    if (!success) why = CFormat("Failed to write %s: %s", target.c_str(), output.Error().c_str());
    context.LogLine(success ? std::string("Uncompressed data written to file") : why);
  } else {
    context.LogLine(CFormat(stream == Stream::kEnded ? "Compressed file %s holds no data"
                                                     : "Compressed file %s is damaged",
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
    why = CFormat("Failed to write %s: %s", target.c_str(),
                  output.Ok() ? std::strerror(errno) : output.Error().c_str());
    context.LogLine(why);
    return false;
  }
  if (static_cast<size_t>(index) >= files.size()) files.resize(static_cast<size_t>(index) + 1);
  files[static_cast<size_t>(index)] = target;
  return true;
}

}  // namespace corvane
