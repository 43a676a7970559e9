#include "net/download_check.h"

#include <string_view>
#include <vector>

#include "input/gz_file.h"

namespace corvane {
namespace {

constexpr std::string_view kMessagePageWord = "<html>";
constexpr size_t kChunk = size_t{1} << 16;

bool IsWhiteSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

DownloadContent InspectDownload(const std::string& path, bool wholeStream) {
  GzFile gz;
  if (!gz.OpenForReading(path)) return DownloadContent::kDamaged;
  std::vector<char> chunk(kChunk);
  std::string word;  // the first word, as far as it matters
  bool word_started = false;
  bool word_done = false;
  long long total = 0;
  for (;;) {
    const long got = gz.Read(chunk.data(), chunk.size());
    if (got < 0) return DownloadContent::kDamaged;
    if (got == 0) break;
    total += got;
    for (long i = 0; i < got && !word_done; ++i) {
      const char c = chunk[static_cast<size_t>(i)];
      if (IsWhiteSpace(c)) {
        word_done = word_started;
      } else {
        word_started = true;
        // One character more than the tag tells a longer word apart.
        if (word.size() <= kMessagePageWord.size()) word += c;
      }
    }
    if (word_done && !wholeStream) break;
  }
  const bool whole_read = !word_done || wholeStream;
  if (whole_read && !gz.Close()) return DownloadContent::kDamaged;
  if (total == 0) return DownloadContent::kEmpty;
  if (word == kMessagePageWord) return DownloadContent::kMessagePage;
  return DownloadContent::kData;
}

}  // namespace corvane
