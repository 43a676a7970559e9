// Fuzz target: the egg data readers over gzip-compressed files, read as
// they are inflated.
//
// Input: an options byte (egg_run.h). With its flag clear, the rest is one
// compressed file as it stands (damaged streams, bombs, trailing bytes);
// with the flag set, the rest is up to three texts separated by form feeds
// ("\f"), which the target compresses, so that the text behind the
// inflation is fuzzed too.
//
// Besides the table, it checks that reading writes nothing: the scratch
// directory holds the compressed inputs alone afterwards.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "egg_run.h"
#include "fuzz_input.h"
#include "gzip_text.h"

namespace {

// Empties the scratch directory, so that each input starts afresh.
void ClearScratch() {
  for (const auto& entry : std::filesystem::directory_iterator(corvane::fuzz::ScratchDirectory())) {
    std::filesystem::remove(entry.path());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace corvane::fuzz;
  if (size == 0) return 0;
  ClearScratch();
  const EggRunOptions options = OptionsOfByte(data[0]);
  const std::string_view rest = AsText(data + 1, size - 1);
  std::vector<std::string> paths;
  if (!options.flag) {
    paths.push_back(WriteScratchFile("day_1.gz", rest));
  } else {
    for (const std::string_view text : SplitFiles(rest)) {
      paths.push_back(
          WriteScratchFile("day_" + std::to_string(paths.size() + 1) + ".gz", Gzip(text)));
    }
  }
  ReadAndCheck(options, paths);
  for (const auto& entry : std::filesystem::directory_iterator(ScratchDirectory())) {
    const std::string path = entry.path().string();
    Require(std::find(paths.begin(), paths.end(), path) != paths.end(),
            "only the compressed inputs stay");
  }
  return 0;
}
