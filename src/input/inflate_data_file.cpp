#include "input/inflate_data_file.h"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <string_view>

#include "core/c_format.h"
#include "input/gz_file.h"
#include "input/line_reader.h"

namespace corvane {
namespace {

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
// otherwise it is removed (an object that never created one holds nothing).
// The first failure's system error text is kept (a full disk says "No space
// left on device").
class PendingFile {
 public:
  PendingFile() = default;
  void Create(const std::string& target) {
    target_ = target;
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

}  // namespace

std::string InflatedFileName(const AnalysisSettings& settings, int index) {
  const std::string& directory =
      settings.remoteSaveDirectory.empty() ? settings.rootDirectory : settings.remoteSaveDirectory;
  if (index == 0) return CFormat("%s%s.csv", directory.c_str(), settings.dataName.c_str());
  return CFormat("%s%s_%d.csv", directory.c_str(), settings.dataName.c_str(), index + 1);
}

std::shared_ptr<const ParsedEggFile> InflateDataFile(RunContext& context,
                                                     const std::string& compressedPath, int index,
                                                     SegmentFileList& files, std::string* failure) {
  std::string ignored;
  std::string& why = failure != nullptr ? *failure : ignored;
  why.clear();
  if (index < 0) return nullptr;
  const bool keep = context.settings.saveRemoteInput;
  const std::string target = keep ? InflatedFileName(context.settings, index) : std::string();
  // The kept text is written while it is inflated, under a pending name.
  PendingFile output;
  if (keep) output.Create(target);
  LineReader reader;
  LineReader::TextCopy copy;
  if (keep) copy = [&output](std::string_view bytes) { return output.Write(bytes); };
  if (!reader.OpenCompressed(compressedPath, std::move(copy))) {
    if (!reader.NotRegular().empty()) {
      why = CFormat("Unable to open %s for input: %s", compressedPath.c_str(),
                    reader.NotRegular().c_str());
    }
    return nullptr;
  }
  context.LogLine("Opened compressed file");
  context.PostStatus("Uncompressing data file");

  auto parsed = std::make_shared<ParsedEggFile>();
  const bool data = !reader.EmptyText() && !reader.MessagePage();
  // The whole stream is read, so that its check sum at the end is tested.
  const bool sound = data && ParseEggFile(reader, context, *parsed) && reader.CheckToEnd();
  context.LogLine("Inflated data");
  bool damaged = false;
  if (reader.EmptyText()) {
    context.LogLine(CFormat("Compressed file %s holds no data", compressedPath.c_str()));
  } else if (reader.MessagePage()) {
    context.LogLine("Received message instead of data from remote server");
    if (!context.settings.batchMode) {
      context.ShowMessage(
          CFormat("%s: Failed to receive data from server", context.settings.dataName.c_str()),
          std::nullopt);
    }
  } else if (reader.Problem() == InflatingStream::Problem::kTooLarge) {
    why = CFormat("%s is too large: its data exceed %lld bytes when inflated",
                  compressedPath.c_str(), static_cast<long long>(kMaxInflatedBytes));
  } else if (reader.CopyFailed() || (sound && keep && !output.Close())) {
    why = CFormat("Failed to write %s: %s", target.c_str(), output.Error().c_str());
  } else if (reader.Problem() == InflatingStream::Problem::kDamaged) {
    damaged = true;
    context.LogLine(CFormat("Compressed file %s is damaged", compressedPath.c_str()));
  } else if (sound && parsed->longLine > 0) {
    why = CFormat("%s is not a proper data file for analysis: line %lld is longer than %zu bytes",
                  compressedPath.c_str(), static_cast<long long>(parsed->longLine),
                  LineReader::kMaxLineLength);
  }
  // Anything else that ended the reading early is a stop.
  bool accepted = sound && why.empty();
  if (accepted && keep) {
    accepted = output.Commit();
    if (!accepted) {
      why = CFormat("Failed to write %s: %s", target.c_str(),
                    output.Ok() ? std::strerror(errno) : output.Error().c_str());
    }
  }
  if (!why.empty()) context.LogLine(why);
  if (accepted && keep) context.LogLine("Uncompressed data written to file");
  context.LogLine(damaged ? "Could not close zip file" : "Zip file closing success");
  if (!accepted) return nullptr;
  if (keep) {
    if (static_cast<size_t>(index) >= files.size()) files.resize(static_cast<size_t>(index) + 1);
    files[static_cast<size_t>(index)] = target;
  }
  return parsed;
}

}  // namespace corvane
