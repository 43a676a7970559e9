// Fuzz target: the check of a finished download (is it egg data, the data
// server's message page, empty, or damaged).
//
// Input: an options byte, then the download. With bit 0 of the byte clear,
// the download is the rest as it stands (damaged streams, plain text,
// trailing bytes); with it set, the rest is a text that the target
// compresses, and the verdict must match the text's first word exactly.
// Either way, a stream that is sound as a whole gets the same verdict from
// its beginning, and a download that is not gzip data is a message page
// exactly when its first word (within the probe) is the tag.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_input.h"
#include "gzip_text.h"
#include "net/download_check.h"

namespace {

using corvane::DownloadContent;
using corvane::fuzz::Require;

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

struct Word {
  std::string text;
  bool complete = false;  // white space followed it
};

// The first word of the text after leading white space.
Word FirstWordOf(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  Word word;
  while (i < text.size() && !IsSpace(text[i])) word.text += text[i++];
  word.complete = i < text.size();
  return word;
}

DownloadContent Expected(std::string_view text) {
  if (text.empty()) return DownloadContent::kEmpty;
  return FirstWordOf(text).text == "<html>" ? DownloadContent::kMessagePage
                                            : DownloadContent::kData;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace corvane;
  if (size == 0) return 0;
  const bool compress = (data[0] & 1) != 0;
  const std::string_view rest = fuzz::AsText(data + 1, size - 1);
  const std::string download = compress ? fuzz::Gzip(rest) : std::string(rest);
  const std::string path = fuzz::WriteScratchFile("data.txt.gz", download);
  const DownloadContent whole = InspectDownload(path, true);
  const DownloadContent start = InspectDownload(path, false);

  if (compress) {
    Require(whole == Expected(rest), "a sound stream is judged by its text");
  }
  if (whole != DownloadContent::kDamaged) {
    Require(start == whole, "a sound stream gets the same verdict from its beginning");
  }
  const bool gzip = download.size() >= 2 && download[0] == '\x1f' && download[1] == '\x8b';
  if (!download.empty() && !gzip) {
    const std::string_view probe = std::string_view(download).substr(0, kPlainPageProbe);
    const Word word = FirstWordOf(probe);
    const bool page = word.text == "<html>" && (word.complete || probe.size() < kPlainPageProbe);
    Require(whole == (page ? DownloadContent::kMessagePage : DownloadContent::kDamaged),
            "a download that is not gzip data is a page or damaged");
  }
  return 0;
}
