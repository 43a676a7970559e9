#include "net/download_check.h"

#include <string_view>
#include <vector>

#include "input/first_word.h"
#include "input/gz_file.h"

namespace corvane {
namespace {

constexpr size_t kChunk = size_t{1} << 16;

}  // namespace

DownloadContent InspectDownload(const std::string& path, bool wholeStream) {
  GzFile gz;
  if (!gz.OpenForReading(path)) return DownloadContent::kDamaged;
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
