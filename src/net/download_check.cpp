#include "net/download_check.h"

#include <sys/stat.h>

#include <cstdio>
#include <memory>
#include <string_view>
#include <vector>

#include "input/first_word.h"
#include "input/gz_file.h"

namespace corvane {
namespace {

constexpr size_t kChunk = size_t{1} << 16;

// A regular file that is not gzip data: a message page sent uncompressed,
// or anything else.
DownloadContent InspectPlain(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return DownloadContent::kDamaged;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                       &std::fclose);
  if (file == nullptr) return DownloadContent::kDamaged;
  std::vector<char> probe(kPlainPageProbe);
  const size_t got = std::fread(probe.data(), 1, probe.size(), file.get());
  FirstWord first_word;
  first_word.Feed(std::string_view(probe.data(), got));
  // A page ends its first word with white space, or is nothing but the tag.
  const bool whole = first_word.Complete() || got < probe.size();
  return whole && first_word.IsMessagePage() ? DownloadContent::kMessagePage
                                             : DownloadContent::kDamaged;
}

}  // namespace

DownloadContent InspectDownload(const std::string& path, bool wholeStream) {
  GzFile gz;
  if (!gz.OpenForReading(path)) return InspectPlain(path);
  std::vector<char> chunk(kChunk);
  FirstWord first_word;
  long long total = 0;
  for (;;) {
    const long got = gz.Read(chunk.data(), chunk.size());
    if (got < 0) return DownloadContent::kDamaged;
    if (got == 0) break;
    total += got;
    first_word.Feed(std::string_view(chunk.data(), static_cast<size_t>(got)));
    if (first_word.Complete() && !wholeStream) break;
  }
  const bool whole_read = !first_word.Complete() || wholeStream;
  if (whole_read && !gz.Close()) return DownloadContent::kDamaged;
  if (total == 0) return DownloadContent::kEmpty;
  if (first_word.IsMessagePage()) return DownloadContent::kMessagePage;
  return DownloadContent::kData;
}

}  // namespace corvane
